// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapprobes.h"

#include <QPainter>

#include "ui/print/mapprintout.h"

using namespace Qt::StringLiterals;

namespace corvale::test {

QString probeMapFile(const QByteArray &bytes)
{
    const std::optional<PrintableMap> printable = printableMap(bytes, u"map.jpg"_s);
    if (!printable)
        return {};
    if (printable->map.isNull())
        return u"a printable map without a picture"_s;
    if (qint64(printable->map.width()) * printable->map.height() > 20'000'000)
        return u"a picture of %1 x %2 let through"_s.arg(printable->map.width()).arg(printable->map.height());
    // Title, a few lines of description, position and time.
    if (printable->caption.size() > 9)
        return u"a caption of %1 lines"_s.arg(printable->caption.size());
    // An A4 page's printable area at 72 dpi.
    const QSize area(523, 770);
    QImage page(area, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    drawMapPage(painter, area, printable->map, printable->caption);
    return {};
}

} // namespace corvale::test
