// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/map/mapsave.h"

#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "imageconv/bmptojpeg.h"
#include "ui/common/apptitle.h"
#include "ui/common/browseforfolder.h"
#include "ui/common/messagebox.h"
#include "ui/map/screencapture.h"
#include "util/general.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QString kFolderUnusable =
    u"The map could not be saved: the folder %1 does not exist or cannot be written.\r\n"
    "Press Capture again to choose another folder."_s;
const QString kBitmapNotWritten =
    u"The map could not be written to %1 (is the disk full?). Nothing was saved.\r\n"
    "Press Capture again to choose another folder."_s;
const QString kNotConverted = u"The map could not be converted to a JPEG file. It is kept as %1"_s;
const QString kNothingDrawn =
    u"The map has not been drawn yet, so nothing was saved. Press Capture again once the map shows."_s;

QString blanksToUnderscores(QString text)
{
    return text.replace(u' ', u'_');
}

// What the saved map tells a photo manager or a file search: its title is
// the number, or street and city, as the lookup was asked; its source the
// service that placed it.
MapMetadata mapMetadata(const MapQuery &query, const QDateTime &captured)
{
    QStringList place{query.txtAddress, query.txtCity};
    place.removeAll(QString());
    return {query.txtPhone.isEmpty() ? place.join(u", "_s) : query.txtPhone, query.txtResult,
            parsePosition(query.Latitude, query.Longitude), captured, query.Source};
}

} // namespace

bool isSafeBaseName(const QString &baseName)
{
    return !baseName.isEmpty() && baseName != u"."_s && baseName != u".."_s && !baseName.contains(u'/')
        && !baseName.contains(u'\\') && !baseName.contains(QChar(u'\0'));
}

QString mapBaseName(const MapQuery &query)
{
    if (!query.txtPhone.isEmpty())
        return query.txtPhone;
    return blanksToUnderscores(query.txtAddress) + blanksToUnderscores(query.txtCity);
}

bool isBlankPicture(const QImage &picture)
{
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull())
        return true;
    const QRgb first = pixels.pixel(0, 0);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        if (std::any_of(line, line + pixels.width(), [first](QRgb pixel) { return pixel != first; }))
            return false;
    }
    return true;
}

bool saveCapturedMap(QWidget *window, QWidget *panel, MapFolder &mapFolder, const MapQuerySource &query)
{
    mapFolder.clean();
    if (mapFolder.path().isEmpty()) {
        // Asked once: a cancelled chooser still leaves a folder for the next
        // press, one the user may write to.
        mapFolder.fallBackToDefault();
        if (!mapFolder.adoptForRun(
                BrowseForFolder(window, kMapFolderPrompt, kMapFolderCaption, AddBackslash(mapFolder.path()))))
            return false;
    }
    const QString folder = mapFolder.path();

    // A name with a separator, or "." and "..", would put the files outside
    // the map folder; it is refused as the file system refuses a bad name.
    const MapQuery asked = query();
    const QString baseName = mapBaseName(asked);
    if (!isSafeBaseName(baseName))
        return false;

    // The folder may have gone, or be read-only, since it was chosen. The
    // next press asks for another one.
    if (!userMayWrite(folder)) {
        mapFolder.forget();
        showMessage(window, kFolderUnusable.arg(QDir::toNativeSeparators(folder)), kSorryTitle);
        return false;
    }

    const QImage picture = GrabClientArea(panel);
    const QDateTime captured = QDateTime::currentDateTime();
    if (isBlankPicture(picture)) {
        showMessage(window, kNothingDrawn, kSorryTitle);
        return false;
    }
    const QString bitmapPath = AddBackslash(folder) + baseName + u".bmp"_s;
    if (!picture.save(bitmapPath, "BMP")) {
        // A disk that filled up halfway leaves part of a bitmap.
        if (QFileInfo(bitmapPath).isFile())
            QFile::remove(bitmapPath);
        mapFolder.forget();
        showMessage(window, kBitmapNotWritten.arg(bitmapPath), kSorryTitle);
        return false;
    }

    if (!BmpToJpeg(bitmapPath, mapMetadata(asked, captured))) {
        showMessage(window, kNotConverted.arg(bitmapPath), kSorryTitle);
        return false;
    }
    showMessage(window, u"Map saved as "_s + jpegPathFor(bitmapPath), u"Success..."_s);
    return true;
}

} // namespace corvale
