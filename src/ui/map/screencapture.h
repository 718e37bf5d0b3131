// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>

class QWidget;

namespace corvale {

// The control's whole inner area as it shows it now, children (the map
// page too) included, at its size in device pixels: logical size times the
// device pixel ratio, to the nearest pixel, halves to even. The picture is
// drawn from the widgets, so another window over the map does not spoil it.
QImage GrabClientArea(QWidget *control);

// A rectangle of the window's inner area, in device pixels from its top-left
// corner; exactly width x height pixels.
QImage GrabWindowArea(QWidget *window, int left, int top, int width, int height);

// The in-memory picture of a grabbed bitmap: opaque 32-bit pixels, one
// picture pixel to a device pixel. A null bitmap gives a null picture.
QImage PictureFromBitmap(const QPixmap &bitmap);

} // namespace corvale
