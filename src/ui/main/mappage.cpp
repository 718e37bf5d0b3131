#include "ui/main/mappage.h"

#include <QPainter>
#include <QPrinter>

namespace corvale {

namespace {

constexpr qreal kCaptionPointSize = 10;

} // namespace

void orientForMap(QPrinter &printer, const QImage &map)
{
    printer.setPageOrientation(map.width() > map.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void drawMapPage(QPrinter &printer, const QImage &map, const QStringList &captionLines)
{
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    QFont font = painter.font();
    font.setPointSizeF(kCaptionPointSize);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();

    // The painter's origin is the printable area's corner.
    const QSize area = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const int gap = captionLines.isEmpty() ? 0 : metrics.lineSpacing() / 2;
    const int captionHeight = gap + int(captionLines.size()) * metrics.lineSpacing();
    const QSize mapSize = map.size().scaled(area.width(), qMax(1, area.height() - captionHeight), Qt::KeepAspectRatio);
    const int top = qMax(0, (area.height() - mapSize.height() - captionHeight) / 2);
    const QRect mapRect(QPoint((area.width() - mapSize.width()) / 2, top), mapSize);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(mapRect, map);

    int baseline = mapRect.bottom() + 1 + gap + metrics.ascent();
    for (const QString &line : captionLines) {
        // Drawn as text, so that a PDF keeps it searchable.
        const QString shown = metrics.elidedText(line, Qt::ElideRight, area.width());
        painter.drawText((area.width() - metrics.horizontalAdvance(shown)) / 2, baseline, shown);
        baseline += metrics.lineSpacing();
    }
}

} // namespace corvale
