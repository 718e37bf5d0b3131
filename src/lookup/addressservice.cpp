// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/addressservice.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include "corvale/version.h"
#include "lookup/lookupbase.h"
#include "lookup/lookupclock.h"
#include "util/settings.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QString kPublicSearch = u"https://nominatim.openstreetmap.org/search"_s;
const QString kPublicMapPage = u"https://www.openstreetmap.org/export/embed.html"_s;
// The licence of OpenStreetMap's data asks for it wherever the data is shown.
const QString kAttribution = u"\u00a9 OpenStreetMap contributors"_s;
// Half the map's box around the place, in degrees: some 220 m north and
// south, 230 m east and west at 45 degrees.
constexpr double kHalfBoxLatitude = 0.002;
constexpr double kHalfBoxLongitude = 0.003;

// Plain decimal degrees, as the server writes them; "1e2", blanks and
// "nan" are no position.
bool isDegrees(const QString &text, double limit)
{
    static const QRegularExpression decimal(u"^-?[0-9]{1,3}(\\.[0-9]+)?$"_s);
    return decimal.match(text).hasMatch() && std::abs(text.toDouble()) <= limit;
}

// "fr-CA, fr;q=0.9": the place's names in the user's language where the
// map has them.
QString acceptLanguage()
{
    const QString tag = QLocale().bcp47Name();
    const QString language = tag.section(u'-', 0, 0);
    return tag == language ? tag : tag + u", "_s + language + u";q=0.9"_s;
}

QString mapLink(const AddressService &service, const QString &latitude, const QString &longitude)
{
    const double lat = latitude.toDouble();
    const double lon = longitude.toDouble();
    const auto degrees = [](double value) { return QString::number(value, 'f', 6); };
    return service.mapPage + u"?bbox="_s + degrees(lon - kHalfBoxLongitude) + u',' + degrees(lat - kHalfBoxLatitude)
        + u',' + degrees(lon + kHalfBoxLongitude) + u',' + degrees(lat + kHalfBoxLatitude) + u"&layer=mapnik&marker="_s
        + latitude + u',' + longitude;
}

} // namespace

AddressServiceSetting checkAddressService(const QString &value, const QString &name)
{
    if (value.isEmpty())
        return {};
    if (value == QLatin1String(kOpenStreetMap))
        return {{kPublicSearch, kPublicMapPage}, {}};
    if (!isServiceBase(value)) {
        return {{},
                u"%1 must be \"%2\", or an http or https address ending in \"/\", without \"?\" or \"#\", "
                "not \"%3\""_s.arg(name, QLatin1String(kOpenStreetMap), value)};
    }
    return {{value + u"search"_s, value + u"export/embed.html"_s}, {}};
}

AddressServiceSetting chosenAddressService()
{
    if (qEnvironmentVariableIsSet(kAddressServiceVariable))
        return checkAddressService(qEnvironmentVariable(kAddressServiceVariable),
                                   QLatin1String(kAddressServiceVariable));
    return checkAddressService(readSetting(kAddressServiceSetting).value_or(QString()),
                               u"The key "_s + kAddressServiceSetting.name() + u" of "_s + settingsFile());
}

LookupRequest nominatimRequest(const AddressService &service, const QString &Street, const QString &City,
                               const QString &State, const QString &Zip)
{
    QByteArray query;
    for (const auto &[field, value] :
         {std::pair{"street", Street}, {"city", City}, {"state", State}, {"postalcode", Zip}})
        query += field + QByteArray("=") + QUrl::toPercentEncoding(value) + '&';
    query += "countrycodes=us,ca&format=jsonv2&addressdetails=1&limit=1";
    const QByteArray agent = QByteArray("Corvale/") + kVersion + " (+" + kWebAddress + ")";
    return {QUrl::fromEncoded(service.search.toUtf8() + '?' + query, QUrl::StrictMode),
            false,
            {{"User-Agent", agent}, {"Accept-Language", acceptLanguage().toUtf8()}}};
}

void readNominatimAnswer(const QByteArray &body, const AddressService &service, QString &Latitude, QString &Longitude,
                         QString &MapLink, QString &ResultText)
{
    QJsonParseError error;
    const QJsonDocument answer = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !answer.isArray())
        return;
    const QJsonArray places = answer.array();
    if (places.isEmpty()) {
        ResultText = u"Not found."_s;
        return;
    }
    const QJsonObject place = places.first().toObject();
    const QString latitude = place.value(u"lat"_s).toString();
    const QString longitude = place.value(u"lon"_s).toString();
    if (!isDegrees(latitude, 90) || !isDegrees(longitude, 180))
        return;
    Latitude = latitude;
    Longitude = longitude;
    MapLink = mapLink(service, latitude, longitude);
    QStringList lines{place.value(u"display_name"_s).toString()};
    lines.removeAll(QString());
    lines << u"Latitude: "_s + latitude + u", Longitude: "_s + longitude << kAttribution;
    ResultText = lines.join(u"\r\n"_s);
}

RequestSpacing::RequestSpacing(QString file, std::chrono::milliseconds gap)
    : m_file(std::move(file))
    , m_gap(gap)
{ }

QString RequestSpacing::defaultFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + u"/corvale/address-service-last-request"_s;
}

void RequestSpacing::take(LookupClock &clock)
{
    using namespace std::chrono;
    // Another run that asks meanwhile waits here for this one's turn to end.
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QLockFile lock(m_file + u".lock"_s);
    const bool locked = lock.lock();
    QFile stored(m_file);
    bool read = false;
    if (locked && stored.open(QIODevice::ReadOnly)) {
        const qint64 last = stored.readAll().trimmed().toLongLong(&read);
        if (read)
            m_last = system_clock::time_point(milliseconds(last));
        stored.close();
    }
    const auto since = duration_cast<milliseconds>(clock.now() - m_last);
    // A clock set back since, or a file from elsewhere, waits the gap at most.
    const milliseconds wait = since < 0ms ? m_gap : std::max(m_gap - since, 0ms);
    if (wait > 0ms)
        clock.pause(wait);
    m_last = clock.now();
    if (!locked)
        return;
    QSaveFile next(m_file);
    if (next.open(QIODevice::WriteOnly)) {
        next.write(QByteArray::number(duration_cast<milliseconds>(m_last.time_since_epoch()).count()));
        next.commit();
    }
}

} // namespace corvale
