#pragma once

#include <QImage>
#include <QStringList>

class QPrinter;

namespace corvale {

// Sets the printer's orientation to suit the map: landscape for a map wider
// than tall, otherwise portrait.
void orientForMap(QPrinter &printer, const QImage &map);

// Draws one page: the map as large as the printable area allows without
// distortion, centred, with the caption lines as text centred under it.
void drawMapPage(QPrinter &printer, const QImage &map, const QStringList &captionLines);

} // namespace corvale
