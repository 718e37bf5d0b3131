// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QByteArray>
#include <QImage>
#include <QStringList>

class QPainter;
class QPrinter;

namespace corvale {

struct MapMetadata;

// A map page's caption: the map's title and description lines, its position
// in degrees with N, S, E or W, and when it was saved; fileName when the map
// tells none of these.
QStringList mapCaption(const MapMetadata &metadata, const QString &fileName);

// A saved map as its printed page shows it.
struct PrintableMap
{
    QImage map;
    QStringList caption;
};

// The map in the file at filePath, or nullopt when it is not a picture that
// can be printed: too large a file or picture, a JPEG of too many scans (each
// a pass over the whole picture), metadata Exiv2 fails on, or no picture.
std::optional<PrintableMap> readPrintableMap(const QString &filePath);
// The same for a file's bytes; fileName is the caption of a map that tells
// nothing of itself.
std::optional<PrintableMap> printableMap(const QByteArray &file, const QString &fileName);

// Sets the printer's orientation to suit the map: landscape for a map wider
// than tall, otherwise portrait.
void orientForMap(QPrinter &printer, const QImage &map);

// Draws one page: the map as large as the printable area allows without
// distortion, centred, with the caption lines as text centred under it.
void drawMapPage(QPrinter &printer, const QImage &map, const QStringList &captionLines);
// The same with painter, whose origin is the corner of a printable area of `area` pixels.
void drawMapPage(QPainter &painter, const QSize &area, const QImage &map, const QStringList &captionLines);

} // namespace corvale
