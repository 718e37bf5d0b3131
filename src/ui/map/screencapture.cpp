// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/map/screencapture.h"

#include <cmath>

#include <QWidget>

namespace corvale {

namespace {

// To the nearest whole pixel, halves to even (the default rounding mode).
int toDevicePixels(int logical, qreal ratio)
{
    return static_cast<int>(std::nearbyint(logical * ratio));
}

} // namespace

QImage GrabClientArea(QWidget *control)
{
    const qreal ratio = control->devicePixelRatioF();
    return GrabWindowArea(control, 0, 0, toDevicePixels(control->width(), ratio),
                          toDevicePixels(control->height(), ratio));
}

QImage GrabWindowArea(QWidget *window, int left, int top, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    // The widgets draw themselves into the bitmap at the device's pixel
    // density; there is no palette-based display to copy a palette from.
    const qreal ratio = window->devicePixelRatioF();
    const QRect logical = QRectF(left / ratio, top / ratio, width / ratio, height / ratio).toAlignedRect();
    const QPixmap drawn = window->grab(logical);
    // Qt rounds the drawn size halves away from zero; cut it to the size asked for.
    const QPoint offset(left - static_cast<int>(std::lround(logical.left() * ratio)),
                        top - static_cast<int>(std::lround(logical.top() * ratio)));
    return PictureFromBitmap(drawn.copy(QRect(offset, QSize(width, height))));
}

QImage PictureFromBitmap(const QPixmap &bitmap)
{
    if (bitmap.isNull())
        return {};
    QImage picture = bitmap.toImage().convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(1.0);
    return picture;
}

} // namespace corvale
