// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QString>

#include "imageconv/mapmetadata.h"

namespace corvale {

// The JPEG that a bitmap becomes: same folder, same base name, ".jpg".
QString jpegPathFor(const QString &bitmapPath);

// Converts the bitmap into the JPEG beside it, then deletes the bitmap. A
// failed conversion keeps the bitmap, so the map is not lost, and gives false;
// a bitmap that will not go away stays beside its JPEG and still gives true.
// The JPEG carries `metadata` when given.
bool BmpToJpeg(const QString &bitmapPath, const std::optional<MapMetadata> &metadata = std::nullopt);

} // namespace corvale
