#include "ui/map/mapsave.h"

#include <QDateTime>
#include <QFileInfo>

#include "ui/common/messagebox.h"
#include "ui/map/imageconversion.h"
#include "ui/map/screencapture.h"
#include "util/browseforfolder.h"
#include "util/general.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

QString blanksToUnderscores(QString text)
{
    return text.replace(u' ', u'_');
}

// What the saved map tells a photo manager or a file search: its title is
// the number, or street and city, as the lookup was asked.
MapMetadata mapMetadata(const MapQuery &query, const QDateTime &captured)
{
    QStringList place{query.txtAddress, query.txtCity};
    place.removeAll(QString());
    return {query.txtPhone.isEmpty() ? place.join(u", "_s) : query.txtPhone, query.txtResult,
            parsePosition(query.Latitude, query.Longitude), captured};
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

bool saveCapturedMap(QWidget *window, QWidget *panel, MapFolder &mapFolder, const MapQuerySource &query)
{
    mapFolder.setPath(MapFolder::cleaned(mapFolder.path()));
    QString folder = mapFolder.path();
    if (folder.isEmpty()) {
        // Asked once: a cancelled chooser still leaves the program's folder
        // for the next press.
        mapFolder.setPath(programFolder());
        folder = AddBackslash(MapFolder::cleaned(
            BrowseForFolder(window, kMapFolderPrompt, kMapFolderCaption,
                            AddBackslash(mapFolder.path()), false)));
    }
    if (folder.isEmpty())
        return false;
    mapFolder.setPath(folder);

    // A name with a separator, or "." and "..", would put the files outside
    // the map folder; it is refused as the file system refuses a bad name.
    const MapQuery asked = query();
    const QString baseName = mapBaseName(asked);
    if (!isSafeBaseName(baseName) || !QFileInfo(folder).isDir())
        return false;

    const QImage picture = GrabClientArea(panel);
    const QDateTime captured = QDateTime::currentDateTime();
    const QString bitmapPath = AddBackslash(folder) + baseName + u".bmp"_s;
    if (picture.isNull() || !picture.save(bitmapPath, "BMP"))
        return false;

    if (!BmpToJpeg(bitmapPath, mapMetadata(asked, captured))) {
        showMessage(window, u"The map could not be converted to a JPEG file. It is kept as %1"_s.arg(bitmapPath),
                    u"Sorry..."_s);
        return false;
    }
    showMessage(window, u"Map saved as "_s + jpegPathFor(bitmapPath), u"Success..."_s);
    return true;
}

} // namespace corvale
