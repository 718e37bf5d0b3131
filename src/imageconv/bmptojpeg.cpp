// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageconv/bmptojpeg.h"

#include <QFile>

#include "imageconv/imageconv.h"
#include "util/general.h"

using namespace Qt::StringLiterals;

namespace corvale {

QString jpegPathFor(const QString &bitmapPath)
{
    return AddBackslash(GetFolderPath(bitmapPath)) + GetBaseName(bitmapPath) + u".jpg"_s;
}

bool BmpToJpeg(const QString &bitmapPath, const std::optional<MapMetadata> &metadata)
{
    if (!ConvertImageToJpeg(bitmapPath, jpegPathFor(bitmapPath), metadata))
        return false;
    QFile::remove(bitmapPath);
    return true;
}

} // namespace corvale
