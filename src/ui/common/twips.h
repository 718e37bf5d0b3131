// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace corvale {

// Window layouts are given in twips; at 96 dots per inch a logical pixel is
// 15 of them.
inline constexpr double kTwipsPerPixel = 15.0;

constexpr double twipsToPixels(double twips)
{
    return twips / kTwipsPerPixel;
}

// To the nearest whole pixel, halves away from zero.
constexpr int twipsToWholePixels(double twips)
{
    const double pixels = twipsToPixels(twips);
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

constexpr QPoint twipsPoint(int left, int top)
{
    return {twipsToWholePixels(left), twipsToWholePixels(top)};
}

constexpr QSize twipsSize(int width, int height)
{
    return {twipsToWholePixels(width), twipsToWholePixels(height)};
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsPoint(left, top), twipsSize(width, height)};
}

} // namespace corvale
