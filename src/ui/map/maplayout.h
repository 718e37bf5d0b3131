// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

namespace corvale {

// A control's place in twips, in single precision as the layout computes it.
struct TwipsBox
{
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    // To whole logical pixels.
    QRect toPixels() const;
};

// Where the map window's panel and Capture button are.
struct MapWindowLayout
{
    TwipsBox panel;
    TwipsBox button;
};

// The map window's layout for a client area of `innerWidth` x `innerHeight`
// twips: the panel across the top down to one and a half button heights
// above the bottom, the button centred a quarter button height below it.
// A step whose size would be negative is refused and keeps `current`'s value;
// the other steps still run.
MapWindowLayout layOutMapWindow(const MapWindowLayout &current, float innerWidth, float innerHeight);

} // namespace corvale
