// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace corvale {

// Degrees, north and east positive.
struct GeoPosition
{
    double latitude = 0;
    double longitude = 0;
};

// What a saved map carries about itself.
struct MapMetadata
{
    QString title;
    QString description;
    std::optional<GeoPosition> position;
    QDateTime captured;
    QString source = {}; // the address of the service that placed the map
};

// The position that a lookup's two figures name, when both are plain finite
// numbers within range; anything else gives no position rather than a guess.
std::optional<GeoPosition> parsePosition(const QString &latitude, const QString &longitude);

// Writes `metadata` into `jpeg` as EXIF and XMP, in memory. False, with
// `jpeg` as it was, when the bytes are not a JPEG the writer can take.
bool embedMetadata(QByteArray &jpeg, const MapMetadata &metadata);

// Reads back what embedMetadata writes, from the picture file at filePath:
// the XMP texts, else EXIF's description; the EXIF position and time. What a
// file does not hold, or holds unreadably, stays empty, so a picture without
// metadata, or no picture at all, gives an empty MapMetadata.
MapMetadata readMetadata(const QString &filePath);

} // namespace corvale
