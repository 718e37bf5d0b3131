// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/mapprintout.h"

#include <cmath>

#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

#include "imageconv/mapmetadata.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr qreal kCaptionPointSize = 10;

QString degrees(double value, char positive, char negative)
{
    return u"%1\u00b0 %2"_s.arg(std::abs(value), 0, 'f', 5).arg(QLatin1Char(value < 0 ? negative : positive));
}

} // namespace

QStringList mapCaption(const MapMetadata &metadata, const QString &fileName)
{
    QStringList lines{metadata.title};
    // The result box's lines, as the lookup wrote them.
    lines += metadata.description.split(QRegularExpression(u"\r\n|\n|\r"_s));
    if (metadata.position)
        lines.append(degrees(metadata.position->latitude, 'N', 'S') + u", "_s
                     + degrees(metadata.position->longitude, 'E', 'W'));
    if (metadata.captured.isValid())
        lines.append(u"Saved "_s + metadata.captured.toString(u"yyyy-MM-dd HH:mm"_s));
    // The result box indents some lines; a centred line stands better without.
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines.isEmpty() ? QStringList{fileName} : lines;
}

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
