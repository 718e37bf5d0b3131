// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageconv/mapmetadata.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <exiv2/exiv2.hpp>

#include "corvale/version.h"

namespace corvale {

namespace {

std::optional<GeoPosition> positionInRange(const GeoPosition &position)
{
    // toDouble takes "nan" and "inf" as numbers, and a zero denominator in
    // EXIF makes one.
    if (!std::isfinite(position.latitude) || !std::isfinite(position.longitude) || std::fabs(position.latitude) > 90
        || std::fabs(position.longitude) > 180)
        return std::nullopt;
    return position;
}

// EXIF writes an angle as degrees, minutes and seconds; thousandths of a
// second keep it within 3 cm of the lookup's figure.
Exiv2::URationalValue degreesMinutesSeconds(double degrees)
{
    constexpr long long kPerDegree = 3600 * 1000;
    const long long thousandths = std::llround(std::fabs(degrees) * kPerDegree);
    Exiv2::URationalValue value;
    value.value_.emplace_back(static_cast<std::uint32_t>(thousandths / kPerDegree), 1);
    value.value_.emplace_back(static_cast<std::uint32_t>(thousandths / 60000 % 60), 1);
    value.value_.emplace_back(static_cast<std::uint32_t>(thousandths % 60000), 1000);
    return value;
}

Exiv2::LangAltValue languageAlternative(const QString &text)
{
    Exiv2::LangAltValue value;
    value.value_["x-default"] = text.toStdString();
    return value;
}

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

void addPosition(Exiv2::ExifData &exif, const GeoPosition &position)
{
    exif["Exif.GPSInfo.GPSVersionID"] = "2 3 0 0";
    exif["Exif.GPSInfo.GPSLatitudeRef"] = position.latitude < 0 ? "S" : "N";
    exif["Exif.GPSInfo.GPSLatitude"] = degreesMinutesSeconds(position.latitude);
    exif["Exif.GPSInfo.GPSLongitudeRef"] = position.longitude < 0 ? "W" : "E";
    exif["Exif.GPSInfo.GPSLongitude"] = degreesMinutesSeconds(position.longitude);
}

// "+02:00", "-05:00": the offset from UTC that local times carry.
QString utcOffset(const QDateTime &time)
{
    const int seconds = time.offsetFromUtc();
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(QLatin1Char(seconds < 0 ? '-' : '+'))
        .arg(minutes / 60, 2, 10, QChar(u'0'))
        .arg(minutes % 60, 2, 10, QChar(u'0'));
}

void addTime(Exiv2::ExifData &exif, Exiv2::XmpData &xmp, const QDateTime &captured)
{
    if (!captured.isValid())
        return;
    const QString offset = utcOffset(captured);
    exif["Exif.Photo.DateTimeOriginal"] = captured.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toStdString();
    exif["Exif.Photo.OffsetTimeOriginal"] = offset.toStdString();
    xmp["Xmp.xmp.CreateDate"] = (captured.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + offset).toStdString();
}

QString xmpText(const Exiv2::XmpData &xmp, const char *key)
{
    const auto found = xmp.findKey(Exiv2::XmpKey(key));
    if (found == xmp.end())
        return {};
    if (const auto *alternatives = dynamic_cast<const Exiv2::LangAltValue *>(&found->value())) {
        const auto text = alternatives->value_.find("x-default");
        return text == alternatives->value_.end() ? QString() : QString::fromStdString(text->second);
    }
    return QString::fromStdString(found->toString());
}

std::optional<double> exifDegrees(const Exiv2::ExifData &exif, const char *key, const char *refKey,
                                  const char *negativeRef)
{
    const auto angle = exif.findKey(Exiv2::ExifKey(key));
    const auto ref = exif.findKey(Exiv2::ExifKey(refKey));
    if (angle == exif.end() || ref == exif.end() || angle->count() != 3)
        return std::nullopt;
    double degrees = 0;
    for (long part = 0; part < 3; ++part) {
        const Exiv2::Rational value = angle->toRational(part);
        degrees += double(value.first) / value.second / std::pow(60.0, double(part));
    }
    return ref->toString() == negativeRef ? -degrees : degrees;
}

std::optional<GeoPosition> readPosition(const Exiv2::ExifData &exif)
{
    const auto latitude = exifDegrees(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", "S");
    const auto longitude = exifDegrees(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", "W");
    if (!latitude || !longitude)
        return std::nullopt;
    return positionInRange({*latitude, *longitude});
}

QString exifText(const Exiv2::ExifData &exif, const char *key)
{
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? QString() : QString::fromStdString(found->toString());
}

// The time as the saving machine's clock showed it.
QDateTime readTime(const Exiv2::ExifData &exif)
{
    return QDateTime::fromString(exifText(exif, "Exif.Photo.DateTimeOriginal"), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
}

// Exiv2 reports what it cannot read on stderr, and reads on after many of
// those faults: none reaches the terminal, and an error is noted here.
thread_local bool exiv2Faulted = false;

void quietExiv2()
{
    static const bool installed = [] {
        Exiv2::LogMsg::setHandler(
            [](int level, const char *) { exiv2Faulted = exiv2Faulted || level >= Exiv2::LogMsg::error; });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

std::optional<GeoPosition> parsePosition(const QString &latitude, const QString &longitude)
{
    bool latitudeRead = false;
    bool longitudeRead = false;
    const GeoPosition position{latitude.toDouble(&latitudeRead), longitude.toDouble(&longitudeRead)};
    if (!latitudeRead || !longitudeRead)
        return std::nullopt;
    return positionInRange(position);
}

bool embedMetadata(QByteArray &jpeg, const MapMetadata &metadata)
{
    const std::string software = std::string("Corvale ") + kVersion;
    quietExiv2();
    try {
        const auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(jpeg.constData()),
                                                     static_cast<long>(jpeg.size()));
        if (image->mimeType() != "image/jpeg")
            return false;
        image->readMetadata();
        Exiv2::ExifData &exif = image->exifData();
        Exiv2::XmpData &xmp = image->xmpData();

        exif["Exif.Image.Software"] = software;
        xmp["Xmp.xmp.CreatorTool"] = software;
        if (!metadata.title.isEmpty())
            xmp["Xmp.dc.title"] = languageAlternative(metadata.title);
        if (!metadata.description.isEmpty()) {
            xmp["Xmp.dc.description"] = languageAlternative(metadata.description);
            // EXIF's text is ASCII; other text lives in the XMP only.
            if (isAscii(metadata.description))
                exif["Exif.Image.ImageDescription"] = metadata.description.toStdString();
        }
        if (!metadata.source.isEmpty())
            xmp["Xmp.dc.source"] = metadata.source.toStdString();
        if (metadata.position)
            addPosition(exif, *metadata.position);
        addTime(exif, xmp, metadata.captured);
        image->writeMetadata();

        Exiv2::BasicIo &io = image->io();
        if (io.open() != 0 || io.seek(0, Exiv2::BasicIo::beg) != 0)
            return false;
        const Exiv2::DataBuf written = io.read(io.size());
        jpeg = QByteArray(reinterpret_cast<const char *>(written.pData_), written.size_);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

std::optional<MapMetadata> readMetadata(const QByteArray &picture)
{
    quietExiv2();
    exiv2Faulted = false;
    const auto *bytes = reinterpret_cast<const Exiv2::byte *>(picture.constData());
    const auto size = static_cast<long>(picture.size());
    try {
        if (Exiv2::ImageFactory::getType(bytes, size) == Exiv2::ImageType::none)
            return MapMetadata{};
        const auto image = Exiv2::ImageFactory::open(bytes, size);
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        const Exiv2::XmpData &xmp = image->xmpData();
        QString description = xmpText(xmp, "Xmp.dc.description");
        if (description.isEmpty())
            description = exifText(exif, "Exif.Image.ImageDescription");
        MapMetadata metadata{xmpText(xmp, "Xmp.dc.title"), description, readPosition(exif), readTime(exif)};
        if (exiv2Faulted)
            return std::nullopt;
        return metadata;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace corvale
