// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QString>

#include "imageconv/mapmetadata.h"

namespace corvale {

// The quality every saved map is encoded with.
inline constexpr int kJpegQuality = 90;

// Reads the Windows bitmap at sourcePath and writes it as a JPEG to
// targetPath. The JPEG goes to a temporary file beside the target first and
// replaces the target only when complete, so a failure leaves an existing
// target as it was and no partial file behind. `metadata`, when given, is in
// the JPEG before it takes the target's place; a JPEG that cannot carry it is
// not written. True when the JPEG was written.
bool ConvertImageToJpeg(const QString &sourcePath, const QString &targetPath,
                        const std::optional<MapMetadata> &metadata = std::nullopt);

} // namespace corvale
