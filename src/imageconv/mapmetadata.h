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

// Reads back what embedMetadata writes, from the picture file's bytes: the
// XMP texts, else EXIF's description; the EXIF position and time. What a
// picture does not hold stays empty, as does all of it for bytes of a kind
// Exiv2 does not know. nullopt when Exiv2 fails on the bytes, by an exception
// or by an error it would have printed.
std::optional<MapMetadata> readMetadata(const QByteArray &picture);

} // namespace corvale
