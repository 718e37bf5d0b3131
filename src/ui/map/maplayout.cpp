// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/map/maplayout.h"

#include "ui/common/twips.h"

namespace corvale {

namespace {

// A control refuses a negative size; the value it had stays.
void setSize(float &size, float value)
{
    if (value >= 0)
        size = value;
}

} // namespace

QRect TwipsBox::toPixels() const
{
    return {twipsToWholePixels(left), twipsToWholePixels(top), twipsToWholePixels(width), twipsToWholePixels(height)};
}

MapWindowLayout layOutMapWindow(const MapWindowLayout &current, float innerWidth, float innerHeight)
{
    MapWindowLayout layout = current;
    layout.panel.left = 0;
    layout.panel.top = 0;
    setSize(layout.panel.height, innerHeight - 1.5f * layout.button.height);
    setSize(layout.panel.width, innerWidth);
    layout.button.top = innerHeight - 1.25f * layout.button.height;
    layout.button.left = (innerWidth - layout.button.width) / 2;
    return layout;
}

} // namespace corvale
