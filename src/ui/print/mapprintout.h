// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QStringList>

class QPrinter;

namespace corvale {

struct MapMetadata;

// A map page's caption: the map's title and description lines, its position
// in degrees with N, S, E or W, and when it was saved; fileName when the map
// tells none of these.
QStringList mapCaption(const MapMetadata &metadata, const QString &fileName);

// Sets the printer's orientation to suit the map: landscape for a map wider
// than tall, otherwise portrait.
void orientForMap(QPrinter &printer, const QImage &map);

// Draws one page: the map as large as the printable area allows without
// distortion, centred, with the caption lines as text centred under it.
void drawMapPage(QPrinter &printer, const QImage &map, const QStringList &captionLines);

} // namespace corvale
