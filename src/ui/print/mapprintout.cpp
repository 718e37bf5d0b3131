// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/mapprintout.h"

#include <cmath>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

#include "imageconv/mapmetadata.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr qreal kCaptionPointSize = 10;
// A captured map is a screen or two of pixels in a JPEG of a few hundred KiB.
constexpr qint64 kLargestFile = 32 * 1024 * 1024;
// Decoded (four bytes a pixel), turned by its EXIF orientation and scaled
// for the preview, such a picture keeps the program well under 400 MiB.
constexpr qint64 kMostPixels = 20'000'000;
// A progressive JPEG has about ten; a decoder makes a pass over the whole
// picture for each, so thousands take minutes.
constexpr int kMostScans = 50;
// The description is the result box's few lines; more would push the map
// off its page.
constexpr qsizetype kMostDescriptionLines = 6;

// The scans (SOS markers) of a JPEG, 0 for other bytes.
int jpegScans(const QByteArray &file)
{
    const auto byte = [&file](qsizetype at) { return static_cast<unsigned char>(file[at]); };
    if (!file.startsWith("\xff\xd8"))
        return 0;
    int scans = 0;
    qsizetype at = 2;
    while (at + 4 <= file.size()) {
        const unsigned char marker = byte(at + 1);
        // Entropy-coded data, stuffed zeros, restart markers and fill bytes run on byte by byte.
        if (byte(at) != 0xff || marker == 0 || marker == 0xff || (marker >= 0xd0 && marker <= 0xd7)) {
            ++at;
            continue;
        }
        if (marker == 0xd9)
            break;
        scans += marker == 0xda;
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return scans;
}

QString degrees(double value, char positive, char negative)
{
    return u"%1\u00b0 %2"_s.arg(std::abs(value), 0, 'f', 5).arg(QLatin1Char(value < 0 ? negative : positive));
}

} // namespace

QStringList mapCaption(const MapMetadata &metadata, const QString &fileName)
{
    QStringList lines{metadata.title};
    // The result box's lines, as the lookup wrote them.
    lines += metadata.description.split(QRegularExpression(u"\r\n|\n|\r"_s)).mid(0, kMostDescriptionLines);
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

std::optional<PrintableMap> readPrintableMap(const QString &filePath)
{
    QFile file(filePath);
    if (file.size() > kLargestFile || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return printableMap(file.read(kLargestFile + 1), QFileInfo(filePath).fileName());
}

std::optional<PrintableMap> printableMap(const QByteArray &file, const QString &fileName)
{
    if (file.size() > kLargestFile || jpegScans(file) > kMostScans)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(file);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMostPixels)
        return std::nullopt;
    reader.setAllocationLimit(int(kMostPixels * 4 / (1024 * 1024)) + 1);
    reader.setAutoTransform(true);
    const QImage map = reader.read();
    const std::optional<MapMetadata> metadata = readMetadata(file);
    if (map.isNull() || !metadata)
        return std::nullopt;
    return PrintableMap{map, mapCaption(*metadata, fileName)};
}

void orientForMap(QPrinter &printer, const QImage &map)
{
    printer.setPageOrientation(map.width() > map.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void drawMapPage(QPrinter &printer, const QImage &map, const QStringList &captionLines)
{
    QPainter painter(&printer);
    if (painter.isActive())
        drawMapPage(painter, printer.pageLayout().paintRectPixels(printer.resolution()).size(), map, captionLines);
}

void drawMapPage(QPainter &painter, const QSize &area, const QImage &map, const QStringList &captionLines)
{
    QFont font = painter.font();
    font.setPointSizeF(kCaptionPointSize);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();

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
