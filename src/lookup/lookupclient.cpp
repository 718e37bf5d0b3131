// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/lookupclient.h"

#include <optional>

#include <QCoreApplication>
#include <QStringDecoder>
#include <QUrl>

#include "lookup/lookupclock.h"
#include "lookup/lookuptransport.h"
#include "lookup/pagetext.h"
#include "util/weburl.h"

using namespace Qt::StringLiterals;

namespace corvale {

using namespace std::chrono_literals;

namespace {

constexpr auto kAnswerWait = 2000ms;
constexpr auto kRetryPause = 1500ms;
constexpr int kFirstPageAttempts = 6;
constexpr int kMapPageAttempts = 1;
// The public address server's usage policy: one request a second at most.
constexpr auto kAddressServiceGap = 1000ms;

const QString kPhoneTemplate = QStringLiteral("lookups/phonelocation.asp?number=^^^^^^&submit1=Process");
const QString kCanadianTemplate = QStringLiteral(
    "lookups/CanadianAddressVerify.asp?Street=aaaaaa&city=cccccc&Province=ssssss&Postcode=zzzzzz&FindAddress=Submit");
const QString kUsTemplate = QStringLiteral(
    "lookups/addressverify.asp?Address=aaaaaa&city=cccccc&state=ssssss&zip=zzzzzz&Query=Submit1");
const QString kProvinces = QStringLiteral("|AB|BC|MB|NB|NF|NS|NT|ON|PE|QC|SK|YT|");
const QString kZipMapPath = QStringLiteral("lookups/mapY.asp?zip4=");

const QString kCaLatitudeStart = QStringLiteral("<tr><td align=right>Latitude</td><td align=left><b>");
const QString kCaLatitudeEnd = QStringLiteral("</b> Degrees North</td></tr>");
const QString kCaLongitudeStart = QStringLiteral("<tr><td align=right>Longitude</td><td align=left><b>");
const QString kCaLongitudeEnd = QStringLiteral("</b> Degrees West</td></tr>");
const QString kCaMapStart = QStringLiteral("Google</a>&nbsp;&nbsp;<a href=");
const QString kCaMapEnd = QStringLiteral(">Yahoo</a></td></tr>");
const QString kUsLatitudeStart = QStringLiteral("Latitude &amp; Longitude</td><td align=\"left\"><b>");
const QString kUsNorth = QStringLiteral("</b> Degrees North &nbsp;&nbsp;<b>");
const QString kBoldEnd = QStringLiteral("</b>");
const QString kAlert = QStringLiteral("//alert(");

// Thrown inside a lookup to end it at once; the outputs keep what they hold.
struct LookupEnded
{
};

struct Page
{
    QString text;
    QUrl url;
};

// As browsers decode: a byte-order mark names the encoding before the
// Content-Type does; the mark itself is not text.
std::optional<QStringConverter::Encoding> byteOrderMark(const QByteArray &body)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return QStringConverter::Utf8;
    if (body.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    if (body.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    return std::nullopt;
}

QString decodeAnswer(const LookupAnswer &answer)
{
    if (const auto encoding = byteOrderMark(answer.body))
        return QStringDecoder(*encoding).decode(answer.body);
    const QByteArray contentType = answer.contentType.toLower();
    const qsizetype at = contentType.indexOf("charset=");
    if (at >= 0) {
        QByteArray charset = answer.contentType.mid(at + 8);
        if (const qsizetype end = charset.indexOf(';'); end >= 0)
            charset.truncate(end);
        charset = charset.trimmed();
        if (charset.size() > 1 && (charset.front() == '"' || charset.front() == '\''))
            charset = charset.mid(1, charset.size() - 2);
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(answer.body);
    }
    return QString::fromUtf8(answer.body);
}

// The piece of `text` from `from` of `length` characters; a negative length
// ends the lookup.
QString piece(const QString &text, qsizetype from, qsizetype length)
{
    if (length < 0)
        throw LookupEnded{};
    return text.mid(from, length);
}

// The link of the last "href=" before ">Map-Y", its value read as a browser
// reads it, blanks around it dropped as its address parser drops them, and
// resolved against the page. Only a web address counts as a link.
QUrl mapLinkOf(const Page &page, qsizetype mapY)
{
    const qsizetype href = mapY >= 4 ? page.text.lastIndexOf(u"href="_s, mapY - 4) : -1;
    if (href < 0)
        return {};
    const QString value = attributeValue(QStringView(page.text).sliced(href + 5, mapY - href - 5));
    const auto blank = [](QChar c) { return c.unicode() <= 0x20; };
    const auto first = std::find_if_not(value.begin(), value.end(), blank);
    const auto last = std::find_if_not(value.rbegin(), value.rend(), blank).base();
    const QString link = first < last ? QString(first, last - first) : QString();
    const QUrl resolved = page.url.resolved(QUrl(link));
    return isWebAddress(resolved) ? resolved : QUrl();
}

// One lookup call: its request object lives as long as the call.
class LookupCall
{
public:
    LookupCall(LookupClock &clock, const LookupClient::TransportFactory &factory)
        : m_clock(clock)
        , m_factory(factory)
    { }

    // Sends the request until it is answered with 200 or the attempts are
    // used up; the service answers 500 while busy, so a pause comes between.
    Page FetchLookupPage(const QUrl &address, int attempts)
    {
        if (!m_transport)
            m_transport = m_factory(m_clock);
        for (int attempt = 1;; ++attempt) {
            const LookupAnswer answer = m_transport->send({address}, kAnswerWait);
            if (!answer.hasStatus)
                throw LookupEnded{};
            if (answer.status == 200)
                return {decodeAnswer(answer), answer.url.isEmpty() ? address : answer.url};
            if (attempt >= attempts)
                throw LookupEnded{};
            m_clock.pause(kRetryPause);
            QCoreApplication::processEvents();
        }
    }

private:
    LookupClock &m_clock;
    const LookupClient::TransportFactory &m_factory;
    std::unique_ptr<LookupTransport> m_transport;
};

QUrl requestAddress(const QString &base, const QString &path)
{
    return QUrl(base + path, QUrl::StrictMode);
}

} // namespace

QString encodeQueryField(const QString &field)
{
    return QString::fromLatin1(field.toUtf8().toPercentEncoding(" -_.*", "~").replace(' ', '+'));
}

QString fillTemplate(const QString &requestTemplate, const QList<TemplateField> &fields)
{
    QString filled;
    qsizetype at = 0;
    while (at < requestTemplate.size()) {
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const TemplateField &f) {
            return !f.placeholder.isEmpty() && QStringView(requestTemplate).sliced(at).startsWith(f.placeholder);
        });
        if (field == fields.end()) {
            filled += requestTemplate.at(at++);
            continue;
        }
        filled += encodeQueryField(field->value);
        at += field->placeholder.size();
    }
    return filled;
}

LookupClient::LookupClient(QString base, LookupClock &clock, TransportFactory factory, AddressService addresses)
    : m_base(std::move(base))
    , m_addresses(std::move(addresses))
    , m_spacing(RequestSpacing::defaultFile(), kAddressServiceGap)
    , m_clock(clock)
    , m_factory(std::move(factory))
{ }

LookupClient::LookupClient(QString base, AddressService addresses)
    : m_base(std::move(base))
    , m_addresses(std::move(addresses))
    , m_spacing(RequestSpacing::defaultFile(), kAddressServiceGap)
    , m_ownClock(std::make_unique<SystemLookupClock>())
    , m_clock(*m_ownClock)
    , m_factory(&makeNetworkTransport)
{ }

LookupClient::~LookupClient() = default;

QString LookupClient::serviceFor(bool address) const
{
    return address && !m_addresses.isLookupService() ? m_addresses.search : m_base;
}

void LookupClient::Phone2Geo(const QString &PhoneNumber, LookupResult &result)
{
    Phone2Geo(PhoneNumber, result.Latitude, result.Longitude, result.MapLink, result.ResultText);
}

void LookupClient::Address2Geo(const QString &Street, const QString &City, const QString &State, const QString &Zip,
                               LookupResult &result)
{
    Address2Geo(Street, City, State, Zip, result.Latitude, result.Longitude, result.MapLink, result.ResultText);
}

void LookupClient::Phone2Geo(const QString &PhoneNumber, QString &Latitude, QString &Longitude, QString &MapLink,
                             QString &ResultText)
{
    try {
        LookupCall call(m_clock, m_factory);
        Page first = call.FetchLookupPage(
            requestAddress(m_base, fillTemplate(kPhoneTemplate, {{QStringLiteral("^^^^^^"), PhoneNumber}})),
            kFirstPageAttempts);
        const qsizetype mapY = first.text.indexOf(u">Map-Y"_s);
        const QUrl link = mapY >= 0 ? mapLinkOf(first, mapY) : QUrl();
        // Past the link the page is read only as lines: its memory goes back
        // before the parser takes its own.
        const QStringList lines = PageToLines(std::move(first.text));

        QString resultNumber = PhoneNumber;
        QString company;
        QString streetLine;
        QString placeLine;
        bool headingFlag = false;
        bool addressFlag = false;
        for (const QString &line : lines) {
            if (headingFlag) {
                resultNumber = line;
                headingFlag = false;
            }
            if (addressFlag) {
                placeLine = line;
                addressFlag = false;
            }
            if (line == u"Result for Phone Number"_s)
                headingFlag = true;
            if (line.startsWith(u"Company"_s))
                company = line.mid(7);
            if (line.startsWith(u"Address"_s)) {
                streetLine = line.mid(7);
                addressFlag = true;
            }
        }

        if (!link.isEmpty()) {
            MapLink = link.toString(QUrl::FullyEncoded);
            const Page map = call.FetchLookupPage(link, kMapPageAttempts);
            const qsizetype titleBorder = map.text.indexOf(u"<!--TitleBorder in Shared.asp -->"_s);
            if (titleBorder < 0)
                return;
            qsizetype next = titleBorder;
            qsizetype alert = map.text.indexOf(kAlert, next);
            if (alert >= 0) {
                const qsizetype close = map.text.indexOf(u')', alert);
                Latitude = piece(map.text, alert + 8, (close < 0 ? -1 : close - alert - 8));
                next = close;
            }
            alert = map.text.indexOf(kAlert, next);
            if (alert >= 0) {
                const qsizetype close = map.text.indexOf(u')', alert);
                Longitude = piece(map.text, alert + 8, (close < 0 ? -1 : close - alert - 8));
            }
            const QString crlf = QStringLiteral("\r\n");
            ResultText = company + crlf + streetLine + crlf + placeLine + crlf + resultNumber + crlf + u"Latitude: "_s
                + Latitude + u", Longitude: "_s + Longitude;
            return;
        }

        QString lineType;
        QString primaryZip;
        for (const QString &line : lines) {
            if (line.startsWith(u"Prefix"_s) && line.contains(u' '))
                lineType = line.mid(line.lastIndexOf(u' ') + 1);
            if (line.startsWith(u"Primary ZIP Code"_s))
                primaryZip = line.right(5);
        }
        if (lineType.isEmpty())
            return;
        if (lineType.toLower() != u"cellular"_s)
            MapLink = m_base + kZipMapPath + primaryZip;
        ResultText = u"This phone is "_s + lineType;
    } catch (const LookupEnded &) {
    }
}

void LookupClient::Address2Geo(const QString &Street, const QString &City, const QString &State, const QString &Zip,
                               QString &Latitude, QString &Longitude, QString &MapLink, QString &ResultText)
{
    if (!m_addresses.isLookupService())
        return nominatimAddress2Geo(Street, City, State, Zip, Latitude, Longitude, MapLink, ResultText);
    try {
        const bool canadian = kProvinces.contains(u'|' + State + u'|');
        const QList<TemplateField> fields{{QStringLiteral("aaaaaa"), Street},
                                          {QStringLiteral("cccccc"), City},
                                          {QStringLiteral("ssssss"), State},
                                          {QStringLiteral("zzzzzz"), Zip}};
        LookupCall call(m_clock, m_factory);
        const QString page = call.FetchLookupPage(
                                     requestAddress(m_base,
                                                    fillTemplate(canadian ? kCanadianTemplate : kUsTemplate, fields)),
                                     kFirstPageAttempts)
                                 .text;

        if (page.contains(u"Canadian Address Lookup"_s)) {
            if (const Extracted latitude = ExtractBetween(page, kCaLatitudeStart, kCaLatitudeEnd); latitude.found)
                Latitude = latitude.value;
            if (const Extracted longitude = ExtractBetween(page, kCaLongitudeStart, kCaLongitudeEnd); longitude.found)
                Longitude = u'-' + longitude.value;
            if (const Extracted link = ExtractBetween(page, kCaMapStart, kCaMapEnd); link.found)
                MapLink = m_base + u"lookups/"_s + link.value;
        } else {
            const qsizetype start = page.indexOf(kUsLatitudeStart);
            const qsizetype north = start >= 0 ? page.indexOf(kUsNorth, start + 1) : -1;
            if (north >= 0) {
                const qsizetype from = start + kUsLatitudeStart.size();
                Latitude = piece(page, from, north - from);
                const qsizetype bold = page.indexOf(kBoldEnd, north + 1);
                if (bold >= 0) {
                    const qsizetype west = north + kUsNorth.size();
                    Longitude = u'-' + piece(page, west, bold - west);
                }
            }
            const qsizetype mapY = page.indexOf(u">MapY<"_s);
            const QString zip5 = Zip.left(5);
            const qsizetype lastStart = mapY + 1 - zip5.size();
            if (mapY >= 0 && !zip5.isEmpty() && lastStart >= 0) {
                const qsizetype zipAt = page.lastIndexOf(zip5, lastStart);
                if (zipAt >= 0)
                    MapLink = m_base + kZipMapPath + piece(page, zipAt, mapY - zipAt).remove(u'-');
            }
        }

        if (page.contains(u"was not found"_s))
            ResultText = QStringLiteral("Not found.");
        else
            ResultText = u"Latitude: "_s + Latitude + u", Longitude: "_s + Longitude;
    } catch (const LookupEnded &) {
    }
}

// One request, never repeated: a server that refuses (429, 503) or fails
// is left alone, and the lookup ends as unavailable.
void LookupClient::nominatimAddress2Geo(const QString &Street, const QString &City, const QString &State,
                                        const QString &Zip, QString &Latitude, QString &Longitude, QString &MapLink,
                                        QString &ResultText)
{
    m_spacing.take(m_clock);
    const std::unique_ptr<LookupTransport> transport = m_factory(m_clock);
    const LookupAnswer answer = transport->send(nominatimRequest(m_addresses, Street, City, State, Zip), kAnswerWait);
    if (answer.hasStatus && answer.status == 200)
        readNominatimAnswer(answer.body, m_addresses, Latitude, Longitude, MapLink, ResultText);
}

} // namespace corvale
