// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookupprobes.h"

#include <deque>
#include <memory>
#include <set>
#include <vector>

#include <gumbo.h>

#include <QStringList>
#include <QUrl>

#include "fakelookupclock.h"
#include "lookup/lookupclient.h"
#include "lookup/pagetext.h"
#include "lookup/parserguard.h"
#include "scriptedtransport.h"

using namespace Qt::StringLiterals;

namespace corvale::test {

namespace {

const QString kProbeBase = QStringLiteral("http://lookup.test/");

struct TreeCheck
{
    qsizetype nodes = 0;
    QString outsidePlainHtml; // the first element the guard should have kept from the parser
};

// Gumbo asserts in foreign content and in the paths of formatting, select
// and template elements: none of them may reach it.
TreeCheck check(const GumboNode *root)
{
    static const std::set<GumboTag> kKeptOut{
        GUMBO_TAG_A,        GUMBO_TAG_B,        GUMBO_TAG_BIG,    GUMBO_TAG_CODE,   GUMBO_TAG_EM,      GUMBO_TAG_FONT,
        GUMBO_TAG_I,        GUMBO_TAG_NOBR,     GUMBO_TAG_S,      GUMBO_TAG_SMALL,  GUMBO_TAG_STRIKE,  GUMBO_TAG_STRONG,
        GUMBO_TAG_TT,       GUMBO_TAG_U,        GUMBO_TAG_APPLET, GUMBO_TAG_OBJECT, GUMBO_TAG_MARQUEE, GUMBO_TAG_SELECT,
        GUMBO_TAG_TEMPLATE, GUMBO_TAG_FRAMESET, GUMBO_TAG_FRAME};
    TreeCheck result;
    std::vector<const GumboNode *> work{root};
    while (!work.empty()) {
        const GumboNode *node = work.back();
        work.pop_back();
        ++result.nodes;
        const GumboVector *children = &node->v.document.children;
        if (node->type == GUMBO_NODE_ELEMENT) {
            const GumboElement &element = node->v.element;
            if (result.outsidePlainHtml.isEmpty()
                && (element.tag_namespace != GUMBO_NAMESPACE_HTML || kKeptOut.contains(element.tag)))
                result.outsidePlainHtml = QString::fromUtf8(gumbo_normalized_tagname(element.tag));
            children = &element.children;
        } else if (node->type != GUMBO_NODE_DOCUMENT) {
            continue;
        }
        for (unsigned i = 0; i < children->length; ++i)
            work.push_back(static_cast<const GumboNode *>(children->data[i]));
    }
    return result;
}

// The form-encoded value back as UTF-8.
QByteArray decodeField(QByteArray encoded)
{
    return QByteArray::fromPercentEncoding(encoded.replace('+', ' '));
}

// The query's fields in order, each as name and decoded value.
QList<std::pair<QByteArray, QByteArray>> queryFields(const QUrl &url)
{
    QList<std::pair<QByteArray, QByteArray>> fields;
    const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    for (const QByteArray &pair : query.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        fields.append({pair.left(equals), decodeField(equals < 0 ? QByteArray() : pair.mid(equals + 1))});
    }
    return fields;
}

// What the service reads from a phone page request. (QUrl sends "~" for
// "%7E", which the service reads the same.)
bool sendsNumber(const QUrl &request, const QString &number)
{
    const QList<std::pair<QByteArray, QByteArray>> expected{{"number", number.toUtf8()}, {"submit1", "Process"}};
    return request.toString(QUrl::RemoveQuery) == kProbeBase + u"lookups/phonelocation.asp"_s
        && queryFields(request) == expected;
}

QString describe(const LookupResult &r)
{
    return u" [Latitude \""_s + r.Latitude + u"\" Longitude \""_s + r.Longitude + u"\" MapLink \""_s + r.MapLink
        + u"\" ResultText \""_s + r.ResultText + u"\"]"_s;
}

struct ProbeInput
{
    bool phone = false;
    QByteArray contentType;
    int failuresBeforeAnswer = 0;
    int mapStatus = 200;
    QByteArray firstPage;
    QByteArray mapPage;
    QStringList fields;
};

ProbeInput readProbeInput(const QByteArray &bytes)
{
    static const QByteArray kContentTypes[] = {"text/html",
                                               "text/html; charset=utf-8",
                                               "text/html; charset=ISO-8859-1",
                                               "text/html; charset=\"windows-1252\"",
                                               "text/html; charset=utf-16",
                                               "text/html; charset=shift_jis",
                                               "text/html; charset=no-such-charset",
                                               "text/html; charset='"};
    ProbeInput input;
    const unsigned char control = bytes.isEmpty() ? 0 : static_cast<unsigned char>(bytes.front());
    input.phone = control & 1;
    input.contentType = kContentTypes[(control >> 1) & 7];
    input.failuresBeforeAnswer = (control >> 4) & 7;
    input.mapStatus = control & 0x80 ? 404 : 200;
    const QList<QByteArray> parts = bytes.mid(1).split('\x01');
    input.firstPage = parts.value(0);
    input.mapPage = parts.value(1);
    for (qsizetype i = 2; i < parts.size(); ++i)
        input.fields << QString::fromUtf8(parts.at(i));
    while (input.fields.size() < 4)
        input.fields << QString();
    return input;
}

QString checkPhone(const ProbeInput &input, const ScriptedTransport::Log &log, const LookupResult &r)
{
    if (log.requests.isEmpty() || !sendsNumber(log.requests.first(), input.fields[0]))
        return u"the first request is not the phone page of the number"_s;
    if (log.requests.size() > 7)
        return u"more than six tries and a map page"_s;
    if (!r.MapLink.isEmpty()) {
        const QUrl link(r.MapLink);
        if (!link.isValid() || (link.scheme() != u"http"_s && link.scheme() != u"https"_s) || link.host().isEmpty())
            return u"the map link is no web address"_s + describe(r);
    }
    if (!r.Longitude.isEmpty() && r.ResultText.isEmpty())
        return u"a longitude without a result text"_s + describe(r);
    if (r.ResultText.isEmpty())
        return {};
    if (r.ResultText.startsWith(u"This phone is "_s)) {
        const QString lineType = r.ResultText.mid(14);
        const bool cellular = lineType.toLower() == u"cellular"_s;
        if (!r.Latitude.isEmpty() || !r.Longitude.isEmpty() || lineType.isEmpty() || lineType.contains(u' ')
            || cellular != r.MapLink.isEmpty())
            return u"a line-type outcome that does not add up"_s + describe(r);
        return {};
    }
    const QString position = u"Latitude: "_s + r.Latitude + u", Longitude: "_s + r.Longitude;
    if (r.ResultText.count(QStringLiteral("\r\n")) < 4 || !r.ResultText.endsWith(u"\r\n"_s + position)
        || r.MapLink.isEmpty())
        return u"a map outcome that does not add up"_s + describe(r);
    return {};
}

QString checkAddress(const ProbeInput &input, const ScriptedTransport::Log &log, const LookupResult &r)
{
    if (log.requests.isEmpty() || log.requests.size() > 6)
        return u"not one to six tries of one address"_s;
    const QList<std::pair<QByteArray, QByteArray>> fields = queryFields(log.requests.first());
    const bool canadian = log.requests.first().path() == u"/lookups/CanadianAddressVerify.asp"_s;
    const QList<QByteArray> names = canadian
        ? QList<QByteArray>{"Street", "city", "Province", "Postcode", "FindAddress"}
        : QList<QByteArray>{"Address", "city", "state", "zip", "Query"};
    if (fields.size() != names.size())
        return u"the query has other fields than the form"_s;
    for (qsizetype i = 0; i < 4; ++i) {
        if (fields[i].first != names[i] || fields[i].second != input.fields[i].toUtf8())
            return u"the service would read another "_s + QString::fromLatin1(names[i]);
    }
    if (r.ResultText.isEmpty())
        return r.Latitude.isEmpty() && r.Longitude.isEmpty() && r.MapLink.isEmpty()
            ? QString()
            : u"outputs without a result text"_s + describe(r);
    if (r.ResultText != u"Not found."_s
        && r.ResultText != u"Latitude: "_s + r.Latitude + u", Longitude: "_s + r.Longitude)
        return u"a result text of another form"_s + describe(r);
    if (!r.Longitude.isEmpty() && !r.Longitude.startsWith(u'-'))
        return u"a longitude without its minus"_s + describe(r);
    if (!r.MapLink.isEmpty() && !r.MapLink.startsWith(kProbeBase + u"lookups/"_s))
        return u"a map link outside the service"_s + describe(r);
    return {};
}

} // namespace

QString probePageText(const QByteArray &bytes)
{
    const QString page = QString::fromUtf8(bytes);
    const QStringList lines = PageToLines(page);
    for (const QString &line : lines) {
        if (line.contains(u'\n'))
            return u"a line holds a line break"_s;
    }

    const QByteArray utf8 = page.toUtf8();
    const QByteArray bounded = boundedForParser(utf8);
    if (bounded.size() > 2 * utf8.size() + 16)
        return u"the guard made the page much larger"_s;
    // Without the deadline, deep pages take the parser minutes.
    constexpr qsizetype kLargestChecked = 16 * 1024;
    if (bounded.size() > kLargestChecked)
        return {};
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, bounded.constData(),
                                                   static_cast<size_t>(bounded.size()));
    const TreeCheck tree = check(output->document);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    if (!tree.outsidePlainHtml.isEmpty())
        return u"the parser was handed a <%1> element"_s.arg(tree.outsidePlainHtml);
    if (tree.nodes > 2 * bounded.size() + 16)
        return u"the parser made %1 nodes of %2 bytes"_s.arg(tree.nodes).arg(bounded.size());
    return {};
}

QString probeLookups(const QByteArray &bytes)
{
    const ProbeInput input = readProbeInput(bytes);
    std::deque<LookupAnswer> answers;
    for (int i = 0; i < input.failuresBeforeAnswer; ++i)
        answers.push_back(answer(500, input.mapPage, input.contentType));
    answers.push_back(answer(200, input.firstPage, input.contentType));
    answers.push_back(answer(input.mapStatus, input.mapPage, input.contentType));

    auto log = std::make_shared<ScriptedTransport::Log>();
    FakeLookupClock clock;
    LookupClient client(kProbeBase, clock, [&answers, log](LookupClock &) {
        ++log->transportsMade;
        return std::make_unique<ScriptedTransport>(answers, log);
    });
    LookupResult result;
    if (input.phone) {
        client.Phone2Geo(input.fields[0], result);
        return checkPhone(input, *log, result);
    }
    client.Address2Geo(input.fields[0], input.fields[1], input.fields[2], input.fields[3], result);
    return checkAddress(input, *log, result);
}

QString probeQueryEncoding(const QByteArray &bytes)
{
    const QList<QByteArray> parts = bytes.split('\x01');
    for (const QByteArray &part : parts) {
        const QString field = QString::fromUtf8(part);
        const QString encoded = encodeQueryField(field);
        for (const QChar c : encoded) {
            const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
            if (!plain && !QStringView(u"-_.*+%").contains(c))
                return u"the encoding left \""_s + c + u"\" in a field"_s;
        }
        if (decodeField(encoded.toLatin1()) != field.toUtf8())
            return u"the encoding of \""_s + field + u"\" does not decode to it"_s;
    }
    ProbeInput input;
    for (qsizetype i = 0; i < 4; ++i)
        input.fields << QString::fromUtf8(parts.value(i));
    const auto log = std::make_shared<ScriptedTransport::Log>();
    FakeLookupClock clock;
    LookupClient client(kProbeBase, clock, [log](LookupClock &) {
        return std::make_unique<ScriptedTransport>(std::deque<LookupAnswer>{noStatus()}, log);
    });
    LookupResult result;
    client.Address2Geo(input.fields[0], input.fields[1], input.fields[2], input.fields[3], result);
    if (const QString fault = checkAddress(input, *log, result); !fault.isEmpty())
        return fault;
    client.Phone2Geo(input.fields[0], result);
    if (!sendsNumber(log->requests.back(), input.fields[0]))
        return u"the service would read another phone number"_s;
    return {};
}

} // namespace corvale::test
