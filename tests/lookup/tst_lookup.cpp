// SPDX-License-Identifier: GPL-3.0-or-later
#include <atomic>
#include <memory>
#include <optional>
#include <tuple>

#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "corvale/version.h"
#include "fakelookupclock.h"
#include "lookup/lookupclient.h"
#include "lookup/pagetext.h"
#include "lookup/parserguard.h"
#include "lookupprobes.h"
#include "rawhttpserver.h"
#include "scopedenv.h"
#include "scriptedtransport.h"
#include "util/settings.h"

using namespace Qt::StringLiterals;
using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

const QString kBase = u"http://lookup.test/"_s;
const QByteArray kMapLink = "http://lookup.test/lookups/mapY.asp?phone=3125550142";

QByteArray phonePage(const QByteArray &extra, bool heading = true)
{
    return (heading ? "<h3>Result for Phone Number</h3><div>(312) 555-0142</div>" : "")
        + QByteArray(
               "<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr><tr><td>Address</td>"
               "<td>12 Elm St</td></tr><tr><td colspan=2>Springfield, IL 62701</td></tr></table>")
        + extra;
}
QByteArray linkTo(const QByteArray &href)
{
    return "<p><a href=http://lookup.test/other>Home</a> <a href=" + href + ">Map-Y</a></p>";
}
LookupAnswer mapPage(const QByteArray &afterBorder, const QByteArray &before = {})
{
    return answer(
        200, "<script>" + before + "</script><!--TitleBorder in Shared.asp --><script>" + afterBorder + "</script>");
}
QByteArray usPage(const QByteArray &position, const QByteArray &tail = "<a href=mapY.asp?zip4=62701-1234>MapY</a>")
{
    return "<tr><td>Latitude &amp; Longitude</td><td align=\"left\"><b>" + position + "</td></tr>" + tail;
}
// An end marker before the start marker is no end.
QByteArray canadianPage(const QByteArray &lat, const QByteArray &lon, const QByteArray &map)
{
    QByteArray page = "<title>Canadian Address Lookup</b> Degrees North</td></tr></title><table>";
    if (!lat.isEmpty())
        page += "<tr><td align=right>Latitude</td><td align=left><b>" + lat + "</b> Degrees North</td></tr>";
    if (!lon.isEmpty())
        page += "<tr><td align=right>Longitude</td><td align=left><b>" + lon + "</b> Degrees West</td></tr>";
    return page + "<tr><td><a href=g>Google</a>&nbsp;&nbsp;<a href=" + map + ">Yahoo</a></td></tr></table>";
}

using Script = std::function<void(RawConnection &)>;

const std::string kRows = phonePage("<p>Prefix 312-555 Landline<p>Primary ZIP Code 62701").toStdString();
const std::string kPhonePage = kRows + "<a href=\"mapY.asp?phone=3125550142\">Map-Y</a>";
const std::string kMapAnswer = "<!--TitleBorder in Shared.asp --><script>//alert(39.78)\n//alert(-89.65)</script>";
const QString kPhoneRequest = u"POST /lookups/phonelocation.asp?number=3125550142&submit1=Process"_s;
const QString kMapRequest = u"POST /lookups/mapY.asp?phone=3125550142"_s;

std::string withLength(size_t length)
{
    return responseHead(200) + "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}
// The phone page answered by `phone`, the map page at once.
Script answering(Script phone)
{
    return [phone](RawConnection &c) {
        if (c.target().find("mapY.asp") == std::string::npos)
            phone(c);
        else
            c.send(response(200, kMapAnswer));
    };
}
// The phone page moved to `target` by a redirect to `location` (PORT: the server's).
Script moved(int status, const std::string &target, const std::string &location)
{
    return answering([=](RawConnection &c) {
        std::string to = location;
        if (const size_t port = to.find("PORT"); port != std::string::npos)
            to.replace(port, 4, std::to_string(c.localPort()));
        c.send(c.target() == target ? response(200, kPhonePage)
                                    : responseHead(status, "Location: " + to + "\r\nContent-Length: 0\r\n") + "\r\n");
    });
}
const QString kHeld = u"LAT|LON|LINK|TEXT"_s;
// The phone page read whole, its map at %1 (~ for the base).
const QString kFound =
    u"39.78|-89.65|~%1|\tPine Hollow Bakery\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n"
    "(312) 555-0142\r\nLatitude: 39.78, Longitude: -89.65"_s;

// Latitude|Longitude|MapLink|ResultText after a lookup (one field: by phone) that
// the caller starts with LAT|LON|LINK|TEXT: what it does not assign must stay.
QString lookUp(LookupClient &client, const QStringList &fields)
{
    LookupResult r{u"LAT"_s, u"LON"_s, u"LINK"_s, u"TEXT"_s};
    if (fields.size() == 1)
        client.Phone2Geo(fields[0], r);
    else
        client.Address2Geo(fields[0], fields[1], fields[2], fields[3], r);
    return QStringList{r.Latitude, r.Longitude, r.MapLink, r.ResultText}.join(u'|');
}

} // namespace

Q_DECLARE_METATYPE(Script)

class TestLookup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookups_data();
    void lookups();
    void rendering_data();
    void rendering();
    void parserGuard_data();
    void parserGuard();
    void parseOverBudgetGivesNoText();
    void overTheWire_data();
    void overTheWire();
    void addressService_data();
    void addressService();
    void addressServiceSpacing();
    void addressServiceSetting_data();
    void addressServiceSetting();
};

void TestLookup::lookups_data()
{
    QTest::addColumn<QStringList>("fields"); // one: the phone lookup; four: the address lookup
    QTest::addColumn<QList<LookupAnswer>>("answers");
    QTest::addColumn<QString>("expected"); // Latitude|Longitude|MapLink|ResultText, ~ for the base
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("pauses");
    QTest::addColumn<QString>("sent"); // the first request, where a row is about it

    const QStringList phone{u"3125550142"_s};
    const QString link = u"|~lookups/mapY.asp?phone=3125550142|"_s;
    const QString text = u"\tPine Hollow Bakery\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n"_s;
    const QString full = kFound.arg(u"lookups/mapY.asp?phone=3125550142"_s);
    const LookupAnswer map = mapPage("//alert(39.78)\n//alert(-89.65)\n");
    const LookupAnswer first = answer(200, phonePage(linkTo(kMapLink)));
    const LookupAnswer busy = answer(500);
    const auto lineType = [](const QByteArray &rows) { return answer(200, phonePage(rows)); };
    const auto row = [&](const char *name, const QList<LookupAnswer> &answers, const QString &expected, int requests,
                         int pauses = 0, const QStringList &fields = {}, const QString &sent = {}) {
        QTest::newRow(name) << (fields.isEmpty() ? phone : fields) << answers << expected << requests << pauses << sent;
    };

    row("map page: five lines and both figures", {first, map}, full, 2);
    row("no heading: the number as passed in", {answer(200, phonePage(linkTo(kMapLink), false)), map},
        QString(full).replace(u"(312) 555-0142"_s, phone[0]), 2);
    row("one figure is the latitude", {first, mapPage("//alert(5)")},
        u"5|LON"_s + link + text + u"(312) 555-0142\r\nLatitude: 5, Longitude: LON"_s, 2);
    row("figures before the title border are not taken", {first, mapPage({}, "//alert(1)//alert(2)")},
        u"LAT|LON"_s + link + text + u"(312) 555-0142\r\nLatitude: LAT, Longitude: LON"_s, 2);
    row("no title border: only the link", {first, answer(200, "//alert(1)//alert(2)")}, u"LAT|LON"_s + link + u"TEXT"_s,
        2);
    row("a figure without its bracket ends the lookup", {first, mapPage("//alert(1)//alert(2")},
        u"1|LON"_s + link + u"TEXT"_s, 2);
    row("the first figure without its bracket too", {first, mapPage("//alert(1")}, u"LAT|LON"_s + link + u"TEXT"_s, 2);
    row("map page not 200: one try, only the link", {first, busy, map}, u"LAT|LON"_s + link + u"TEXT"_s, 2);
    row("double-quoted link", {answer(200, phonePage(linkTo('"' + kMapLink + '"'))), map}, full, 2);
    row("single-quoted relative link", {answer(200, phonePage(linkTo("'mapY.asp?phone=3125550142'"))), map}, full, 2);
    row("javascript link is no link", {lineType(linkTo("\"javascript:alert(1)\"") + "<div>Prefix x Landline</div>")},
        u"LAT|LON|~lookups/mapY.asp?zip4=|This phone is Landline"_s, 1);
    row("file link is no link", {lineType(linkTo("file:///etc/passwd") + "<div>Prefix x Cellular</div>")},
        u"LAT|LON|LINK|This phone is Cellular"_s, 1);
    // The link is read as a browser reads an attribute's value.
    row("quotes end the link, other attributes follow",
        {answer(200, phonePage("<a href=\"" + kMapLink + "\" target=\"_blank\">Map-Y</a>")), map}, full, 2);
    row("character references in the link decoded", {answer(200, phonePage(linkTo("'" + kMapLink + "&amp;z=1'"))), map},
        QString(full).replace(u"0142|"_s, u"0142&z=1|"_s), 2);
    row("blanks around the link dropped", {answer(200, phonePage(linkTo("\" " + kMapLink + " \""))), map}, full, 2);
    row("an unquoted link ends at white space",
        {answer(200, phonePage("<a href=" + kMapLink + "\tclass=m>Map-Y</a>")), map}, full, 2);
    row("no href before Map-Y", {answer(200, "<div>>Map-Y</div><div>Prefix x Landline</div>")},
        u"LAT|LON|~lookups/mapY.asp?zip4=|This phone is Landline"_s, 1);
    row("map-y in small letters is no link", {lineType("<a href=" + kMapLink + ">map-y</a><p>Prefix x Landline")},
        u"LAT|LON|~lookups/mapY.asp?zip4=|This phone is Landline"_s, 1);
    row("CELLULAR: no map", {lineType("<tr><td>Prefix</td><td>Line CELLULAR</td></tr>")},
        u"LAT|LON|LINK|This phone is CELLULAR"_s, 1);
    row("the last line type, the ZIP map",
        {lineType("<p>Prefix a Cellular<p>Prefix b Landline<p>Primary ZIP Code: IL 62701")},
        u"LAT|LON|~lookups/mapY.asp?zip4=62701|This phone is Landline"_s, 1);
    row("prefix without a blank is no line type", {lineType("<tr><td>Prefix</td><td>Landline</td></tr>")}, kHeld, 1);
    // The service answers 500 while busy: six tries with a pause between.
    row("500 six times", {busy, busy, busy, busy, busy, busy, first, map}, kHeld, 6, 5);
    row("200 on the third try", {busy, answer(404), first, map}, full, 4, 2);
    row("no status: no retry", {noStatus(), first}, kHeld, 1);

    // The header's charset, UTF-8 otherwise; bad bytes show as replacements.
    QList<std::tuple<const char *, QByteArray, QByteArray, QString>> charsets{
        {"utf-8 by default", "text/html", "Caf\xc3\xa9", u"Caf\u00e9"_s},
        {"latin-1 named", "text/html; Charset=ISO-8859-1", "Caf\xe9", u"Caf\u00e9"_s},
        {"quoted charset", "text/html; charset=\"windows-1252\"; x=y", "\x80", u"\u20ac"_s},
        {"unknown charset read as utf-8", "text/html; charset=x-nonesuch", "Caf\xc3\xa9", u"Caf\u00e9"_s},
        {"invalid bytes replaced", "text/html",
         "A\xff"
         "B",
         u"A\ufffdB"_s}};
    // A byte-order mark names the encoding before the header's charset does.
    const QString cafe = u"<table><tr><td>Company</td><td>Caf\u00e9</td></tr></table>"_s
        + QString::fromLatin1(linkTo(kMapLink));
    for (const auto &[name, encoding, mark] :
         {std::tuple{"UTF-16LE by its mark", QStringConverter::Utf16LE, "\xff\xfe"},
          {"UTF-16BE by its mark", QStringConverter::Utf16BE, "\xfe\xff"},
          {"UTF-8 mark over the header", QStringConverter::Utf8, "\xef\xbb\xbf"}}) {
        charsets.append({name, "text/html; charset=ISO-8859-1", mark + QStringEncoder(encoding).encode(cafe), {}});
    }
    for (const auto &[name, type, bytes, shown] : charsets) {
        const QByteArray body = shown.isEmpty()
            ? bytes
            : "<table><tr><td>Company</td><td>" + bytes + "</td></tr></table>" + linkTo(kMapLink);
        row(name, {answer(200, body, type), mapPage({})},
            u"LAT|LON"_s + link + u'\t' + (shown.isEmpty() ? u"Caf\u00e9"_s : shown)
                + u"\r\n\r\n\r\n3125550142\r\nLatitude: LAT, Longitude: LON"_s,
            2);
    }

    // Characters that would add or cut query fields travel encoded; placeholders are filled once.
    row("phone number encoded", {noStatus()}, kHeld, 1, 0, {u"12&x=3#4 5"_s},
        u"~lookups/phonelocation.asp?number=12%26x%3D3%234+5&submit1=Process"_s);
    row("ampersand, hash, equals, question mark, placeholders", {noStatus()}, kHeld, 1, 0,
        {u"12 Elm & Oak #3 cccccc"_s, u"a=b?c"_s, u"IL"_s, u"aaaaaa"_s},
        u"~lookups/addressverify.asp?Address=12+Elm+%26+Oak+%233+cccccc&city=a%3Db%3Fc&state=IL&zip=aaaaaa&Query=Submit1"_s);
    row("plus and non-ASCII as UTF-8 bytes, marks kept", {noStatus()}, kHeld, 1, 0,
        {u"1+1 Ch\u00e2teau"_s, u"Qu\u00e9bec-_.*"_s, u"QC"_s, u"G1R 4P5"_s},
        u"~lookups/CanadianAddressVerify.asp?Street=1%2B1+Ch%C3%A2teau&city=Qu%C3%A9bec-_.*&Province=QC&Postcode=G1R+4P5&FindAddress=Submit"_s);
    // The province list decides the form, exactly as written.
    for (const char *state : {"NF", "on", "NL", "C|M", "ON"}) {
        const bool ca = QByteArrayView(state) == "NF" || QByteArrayView(state) == "ON";
        row(state, {noStatus()}, kHeld, 1, 0, {u"1"_s, u"X"_s, QString::fromLatin1(state), u"A1V1W8"_s},
            (ca ? u"~lookups/CanadianAddressVerify.asp?Street=1&city=X&Province=%1&Postcode=A1V1W8&FindAddress=Submit"_s
                : u"~lookups/addressverify.asp?Address=1&city=X&state=%1&zip=A1V1W8&Query=Submit1"_s)
                .arg(QString::fromLatin1(QByteArray(state).replace("|", "%7C"))));
    }

    const QStringList il{u"1 Birch Ln"_s, u"Springfield"_s, u"IL"_s, u"62701"_s};
    const QByteArray position = "39.80</b> Degrees North &nbsp;&nbsp;<b>89.64</b> Degrees West";
    const QString found = u"39.80|-89.64|~lookups/mapY.asp?zip4=627011234|Latitude: 39.80, Longitude: -89.64"_s;
    row("US: west negative, ZIP+4 without its hyphen", {answer(200, usPage(position))}, found, 1, 0, il,
        u"~lookups/addressverify.asp?Address=1+Birch+Ln&city=Springfield&state=IL&zip=62701&Query=Submit1"_s);
    row("US: no bold end after North", {answer(200, usPage("39.80</b> Degrees North &nbsp;&nbsp;<b>89.64", ""))},
        u"39.80|LON|LINK|Latitude: 39.80, Longitude: LON"_s, 1, 0, il);
    row("US: no latitude marker", {answer(200, "<b>39.80</b> Degrees North &nbsp;&nbsp;<b>89.64</b>")},
        u"LAT|LON|LINK|Latitude: LAT, Longitude: LON"_s, 1, 0, il);
    row("US: a quoted link keeps its closing quote",
        {answer(200, usPage(position, "<a href=\"mapY.asp?zip4=62701-1234\">MapY</a>"))},
        QString(found).replace(u"1234|"_s, u"1234\"|"_s), 1, 0, il);
    row("US: the last ZIP before MapY",
        {answer(200, usPage(position, "62701 x <a href=mapY.asp?zip4=62701-9>MapY</a>"))},
        QString(found).replace(u"1234|"_s, u"9|"_s), 1, 0, il);
    row("US: no ZIP before MapY", {answer(200, usPage(position, "<a href=mapY.asp?zip4=99999>MapY</a> 62701"))},
        u"39.80|-89.64|LINK|Latitude: 39.80, Longitude: -89.64"_s, 1, 0, il);
    row("not found, with what the page still holds", {answer(200, usPage(position) + "The address was not found")},
        found.section(u'|', 0, 2) + u"|Not found."_s, 1, 0, il);
    row("Canadian layout", {answer(200, canadianPage("45.42", "75.70", "mapY.asp?postcode=K1A0B1"))},
        u"45.42|-75.70|~lookups/mapY.asp?postcode=K1A0B1|Latitude: 45.42, Longitude: -75.70"_s, 1, 0,
        {u"1 Maple"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s});
    row("Canadian layout chosen by the answer, each value on its own",
        {answer(200, canadianPage("45.42", {}, "m.asp"))},
        u"45.42|LON|~lookups/m.asp|Latitude: 45.42, Longitude: LON"_s, 1, 0, il);
    row("address: 503 six times", {answer(503), answer(503), answer(503), answer(503), answer(503), answer(503)}, kHeld,
        6, 5, il);
}

void TestLookup::lookups()
{
    QFETCH(QStringList, fields);
    QFETCH(QList<LookupAnswer>, answers);
    QFETCH(QString, expected);
    QFETCH(int, requests);
    QFETCH(int, pauses);
    QFETCH(QString, sent);

    const auto log = std::make_shared<ScriptedTransport::Log>();
    FakeLookupClock clock;
    LookupClient client(kBase, clock, [&](LookupClock &) {
        ++log->transportsMade;
        return std::make_unique<ScriptedTransport>(std::deque<LookupAnswer>(answers.begin(), answers.end()), log);
    });
    QCOMPARE(lookUp(client, fields), expected.replace(u'~', kBase));
    QCOMPARE(log->requests.size(), requests);
    QCOMPARE(log->transportsMade, 1);
    QCOMPARE(clock.pauses, QList<std::chrono::milliseconds>(pauses, 1500ms));
    if (!sent.isEmpty())
        QCOMPARE(log->requests[0].toString(QUrl::FullyEncoded), sent.replace(u'~', kBase));
    // Every try asks the same; a request after the last try is the map page.
    for (qsizetype i = 1; i < requests; ++i)
        QCOMPARE(log->requests[i], i <= pauses ? log->requests[0] : QUrl(expected.section(u'|', 2, 2)));
}

void TestLookup::rendering_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("lines"); // joined by |
    const auto row = [](const char *name, const QByteArray &page, const QString &lines) {
        QTest::newRow(name) << page << lines;
    };

    row("only markup", "<html><body><p></p><div> </div></body></html>", {});
    row("cells joined by tab, a line per row across row groups",
        "<table><thead><tr><td>Company</td><th>Pine</th></tr></thead><tbody><tr><td>c</td></tr></tbody></table>after",
        u"Company\tPine|c|after"_s);
    row("a blank line between paragraphs, none at the ends", "<p>one</p><p>two</p><div>three</div>",
        u"one||two||three"_s);
    row("br ends a line, two leave an empty one, list items end lines",
        "first<br>second<br><br>third<ul><li>a<li>b</ul>", u"first|second||third|a|b"_s);
    row("entities decoded, nbsp kept", "<div>Smith &amp; Sons&nbsp;Ltd &lt;b&gt; &#233;</div>",
        u"Smith & Sons\u00a0Ltd <b> \u00e9"_s);
    row("head, script, style, template, noscript and hidden give nothing",
        "<head><title>T</title><style>p{}</style></head><script>s='<p>no</p>';</script>Shown<noscript>n</noscript>"
        "<template>t</template><div hidden>h</div><input type=hidden value=v>",
        u"Shown"_s);
    row("white space collapses, trimmed at line ends",
        "<div>\n   Result  for\tPhone   Number \n</div><div> <b>x</b> <i> y</i> </div>",
        u"Result for Phone Number|x y"_s);
    row("pre keeps white space and a CR of its own", "<pre>a  b\n  c&#13;d</pre>", u"a  b|  c\rd"_s);
    row("options a line each, SVG and MathML text inline",
        "<p>x<select><option>a<option hidden>h<option>b</select>y</p><div>a<svg><text>t</text></svg>b<math><mi>m</mi>"
        "</math></div>",
        u"x|a|b|y||atbm"_s);
    // Pages that once took the parser minutes, gigabytes or its whole stack: a
    // prefix, a piece repeated (%1: its number), a suffix, and their text.
    // Nested thousands deep, a page runs out of parsing time: no text.
    const QList<std::tuple<QByteArray, QByteArray, int, QByteArray, QString>> hostile{
        {"", "<div>", 100000, "x", {}},
        {"", "<i><div>", 50000, "x", {}},
        {"", "<b id=%1>", 100000, "x", u"x"_s},
        {"", "<p><b id=%1></p>", 60000, "x", u"x"_s},
        {"", "<b><div></b>", 80000, "x", {}},
        {"", "<form><div></form>", 20000, "x", {}},
        {"", "<body a%1><html b%1>", 90000, "x", u"x"_s},
        {"<svg>", "<g>", 2900000, "x", u"x"_s},
        {"<div", " a%1", 120000, ">x", u"x"_s}};
    for (const auto &[prefix, piece, count, suffix, text] : hostile) {
        QByteArray page = prefix;
        for (int i = 0; i < count; ++i)
            page += QByteArray(piece).replace("%1", QByteArray::number(i));
        QTest::newRow(qPrintable(QString::number(count) + u' ' + QString::fromLatin1(piece))) << page + suffix << text;
    }
    row("frameset nested 800,000 deep", QByteArray("<frameset>").repeated(800000), {});
    row("250,000 b before text", QByteArray("<b>x").repeated(250000), QString(250000, u'x'));
    row("100,000 cells in one row", "<table><tr>" + QByteArray("<td>c</td>").repeated(100000),
        QStringList(100000, u"c"_s).join(u'\t'));
    row("an SVG select in a table", "<table><svg><select><desc>c<select><tr>", u"c"_s);
    row("one line of a mebibyte", "<p>" + QByteArray("a").repeated(1 << 20), QString(1 << 20, u'a'));
}

void TestLookup::rendering()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, lines);
    QCOMPARE(PageToLines(QString::fromUtf8(page)), lines.isEmpty() ? QStringList() : lines.split(u'|'));
    const QString fault = probePageText(page);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestLookup::parserGuard_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("bounded");
    const auto row = [](const char *name, const QByteArray &page, const QByteArray &bounded) {
        QTest::newRow(name) << page << bounded;
    };

    const QByteArray ordinary =
        "<!DOCTYPE html><html><head><title>T</title><style>p{}</style></head><body><div><table>"
        "<tr><td>Company</td><td>Pine &amp; Co</td></tr></table><p>one<br>two</p><ul><li>a<li>b</ul>"
        "</div></body></html>";
    row("an ordinary page passes unchanged", ordinary, ordinary);
    row("formatting tags left out, a hidden one a hidden span, a '<' before one stays text",
        "<p><b>bold</b> <a href=\"m.asp\">link</a> <FONT color=red>red</font><i></p><b class=x hidden>s</b >t<<b>div>x",
        "<p>bold link red</p><span hidden>s</span>t&lt;div>x");
    row("tags in comments, scripts, text areas and attribute values are text",
        "<!-- <b> --><!--><b x='--!>'><script>if (a<b) s = '<i>';</script><textarea><b></textarea><title><b></title>"
        "<div title=\"<b>\" data-x='>'>y</div>",
        "<!-- <b> --><!--><script>if (a<b) s = '<i>';</script><textarea><b></textarea><title><b></title><div>y</div>");
    row("an escaped script part does not end at </script>", "<script><!--<script></script><b>--></script><b>x",
        "<script><!--<script></script><b>--></script>x");
    row("only the attributes the rendering reads stay, as written",
        "<div class=a HIDDEN style='x>y' id=b>x</div><input value=v type = \"hidden\" ><isindex prompt='Find:' "
        "action=/s>"
        "<p title=t/>",
        "<div HIDDEN>x</div><input type = \"hidden\"><isindex prompt='Find:'><p>");
    row("each of them once; a slash ends an unquoted value only after a blank; end tags lose theirs",
        "<input type=a type=hidden hidden=1 hidden><input type=hidden/><input type=hidden /><p>x</p class=y>",
        "<input hidden=1 type=a><input type=hidden/><input type=hidden /><p>x</p>");
    row("a select leaves its options, closed where it ends; a template is a hidden span",
        "<select name=s><option value=1>a<option hidden>b</select>c<template><p>t</template>",
        "<option>a<option hidden>b</option></optgroup>c<span hidden><p>t</span>");
    row("SVG and MathML lose their tags, up to their end or a tag that ends them in a browser",
        "<table><svg><html a=1><select><desc>c<select><tr><math><td>a</td></math></svg><td>d<svg/><math><mi><p>e",
        "<table>ca<td>d<p>e");
    row("<![CDATA[ is a comment up to the first >, in SVG too", "<![CDATA[<b>x<b>]]><svg><![CDATA[<b>]]></svg><b>y",
        "<![CDATA[<b>x]]><![CDATA[<b>]]>y");
}

void TestLookup::parserGuard()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, bounded);
    QCOMPARE(boundedForParser(page), bounded);
}

void TestLookup::parseOverBudgetGivesNoText()
{
    const QString page = QString::fromLatin1(QByteArray("<p>a</p>").repeated(20000));
    QCOMPARE(renderInnerText(page, 0ms), QString());
    QCOMPARE(renderInnerText(page, 60s).count(u'a'), 20000);
}

// The phone lookup over 127.0.0.1 against a server that misbehaves: each
// case ends with what the lookup rules give for what arrived, after its
// 2-second waits, whatever the server does.
void TestLookup::overTheWire_data()
{
    QTest::addColumn<Script>("script"); // none: nobody listens
    QTest::addColumn<QString>("expected"); // as lookUp() gives it, ~ for the base
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("posts"); // each with its 2-second wait
    QTest::addColumn<int>("pauses");
    QTest::addColumn<int>(
        "clockDivisor"); // 10 where only the wait ends a stall; 1 keeps a slow machine from ending others

    const QString lineType = u"LAT|LON|~lookups/mapY.asp?zip4=62701|This phone is Landline"_s;
    const QStringList first{kPhoneRequest};
    const auto row = [](const char *name, const Script &script, const QString &expected, const QStringList &requests,
                        int posts, int pauses = 0, int divisor = 1) {
        QTest::newRow(name) << script << expected << requests << posts << pauses << divisor;
    };

    row("connection refused", {}, kHeld, {}, 1);
    row(
        "closed without an answer", [](RawConnection &) {}, kHeld, first, 1);
    row(
        "no answer within the wait", [](RawConnection &c) { c.stall(); }, kHeld, first, 1, 0, 10);
    row("reset in the middle of the body", answering([](RawConnection &c) {
            c.send(withLength(kPhonePage.size()) + kRows);
            c.reset();
        }),
        kHeld, first, 1);
    // A page cut short would read as another page: a cellular line as a ZIP map.
    row("the body stalls past the wait: no answer", answering([](RawConnection &c) {
            c.send(withLength(kPhonePage.size()) + kRows);
            c.stall();
        }),
        kHeld, first, 1, 0, 10);
    row(
        "a map page cut at the wait: no figures",
        [](RawConnection &c) {
            if (c.target().find("mapY.asp") == std::string::npos)
                return void(c.send(response(200, kPhonePage)));
            c.send(withLength(kMapAnswer.size()) + kMapAnswer.substr(0, kMapAnswer.find("-89")));
            c.stall();
        },
        u"LAT|LON|~lookups/mapY.asp?phone=3125550142|TEXT"_s, {kPhoneRequest, kMapRequest}, 2, 0, 10);
    row("a length shorter than the body: the page ends there",
        answering([](RawConnection &c) { c.send(withLength(kRows.size()) + kPhonePage); }), lineType, first, 1);
    row("a length longer than the body, then closed",
        answering([](RawConnection &c) { c.send(withLength(kPhonePage.size() + 1) + kPhonePage); }), kHeld, first, 1);
    auto tries = std::make_shared<std::atomic<int>>(0);
    row("500 while busy: asked again after a pause",
        answering([tries](RawConnection &c) { c.send(response((*tries)++ == 0 ? 500 : 200, kPhonePage)); }),
        kFound.arg(u"lookups/mapY.asp?phone=3125550142"_s), {kPhoneRequest, kMapRequest}, 3, 1);
    auto asked = std::make_shared<std::atomic<int>>(0);
    row("a 500 of 9 MiB keeps its status: asked again", answering([asked](RawConnection &c) {
            if ((*asked)++ > 0)
                return void(c.send(response(200, kPhonePage)));
            if (c.send(responseHead(500) + "Content-Length: 9437184\r\n\r\n"))
                c.sendForever(std::string(1 << 16, ' '), false);
        }),
        kFound.arg(u"lookups/mapY.asp?phone=3125550142"_s), {kPhoneRequest, kMapRequest}, 3, 1);
    row(
        "a body growing past 8 MiB",
        [](RawConnection &c) {
            c.send(responseHead(200) + "Transfer-Encoding: chunked\r\n\r\n");
            c.sendForever(kPhonePage + std::string(64 * 1024, ' '), true);
        },
        kHeld, first, 1);
    // A few kilobytes on the wire that inflate to 9 MiB.
    const std::string bomb =
        qCompress(QByteArray::fromStdString(kPhonePage + std::string(9 << 20, ' '))).mid(4).toStdString();
    row("a deflated body inflating past 8 MiB", answering([bomb](RawConnection &c) {
            c.send(responseHead(200,
                                "Content-Encoding: deflate\r\nContent-Length: " + std::to_string(bomb.size()) + "\r\n")
                   + "\r\n" + bomb);
        }),
        kHeld, first, 1);

    row("301: asked for with GET, the map link read against the new address", moved(301, "/to/p", "/to/p"),
        kFound.arg(u"to/mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"GET /to/p"_s, u"POST /to/mapY.asp?phone=3125550142"_s}, 2);
    row("302 to a full address", moved(302, "/found", "http://127.0.0.1:PORT/found"),
        kFound.arg(u"mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"GET /found"_s, u"POST /mapY.asp?phone=3125550142"_s}, 2);
    row("307: the form is sent again", moved(307, "/kept", "/kept"), kFound.arg(u"mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"POST /kept"_s, u"POST /mapY.asp?phone=3125550142"_s}, 2);
    row("a redirect to another scheme is not followed", moved(302, "/never", "ftp://127.0.0.1/never"), kHeld, first, 1);
    // Each to a new address, so that a request Qt sends again is told apart.
    QStringList chain{kPhoneRequest};
    for (int i = 1; i <= 10; ++i)
        chain << u"GET /%1"_s.arg(i);
    row(
        "a redirect chain ends after ten",
        [](RawConnection &c) {
            const int next = c.target().starts_with("/lookups/") ? 1 : std::stoi(c.target().substr(1)) + 1;
            c.send(responseHead(302, "Location: /" + std::to_string(next) + "\r\n\r\n"));
        },
        kHeld, chain, 1);
}

void TestLookup::overTheWire()
{
    QFETCH(Script, script);
    QFETCH(QString, expected);
    QFETCH(QStringList, requests);
    QFETCH(int, posts);
    QFETCH(int, pauses);
    QFETCH(int, clockDivisor);

    std::optional<RawHttpServer> server;
    if (script)
        server.emplace(script);
    const QString base = server ? server->base() : RawHttpServer::refusingBase();
    FakeLookupClock clock(clockDivisor);
    LookupClient client(base, clock, &makeNetworkTransport);
    QCOMPARE(lookUp(client, {u"3125550142"_s}), expected.replace(u'~', base));
    QCOMPARE(clock.waits, QList<std::chrono::milliseconds>(posts, 2000ms));
    QCOMPARE(clock.pauses, QList<std::chrono::milliseconds>(pauses, 1500ms));
    if (!server)
        return;
    // Qt sends a request once more when it takes its connection for closed
    // before the answer began, on another connection, so the server may see
    // it again, even after later ones: each is counted once.
    QStringList seen;
    for (const std::string &request : server->requests())
        seen << QString::fromStdString(request);
    seen.removeDuplicates();
    QVERIFY2(seen == requests, qPrintable(u"the server saw: "_s + seen.join(u", "_s)));
    // Every POST an empty form.
    for (const std::string &head : server->heads()) {
        const QByteArray h = QByteArray::fromStdString(head).toLower();
        QVERIFY2(!h.startsWith("post ")
                     || (h.contains("\r\ncontent-type: application/x-www-form-urlencoded\r\n")
                         && h.contains("\r\ncontent-length: 0\r\n") && h.endsWith("\r\n\r\n")),
                 h.constData());
    }
}

// Addresses through a Nominatim server on 127.0.0.1: one GET naming the
// program, never repeated, and what each kind of answer leaves in the outputs.
void TestLookup::addressService_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("answer"); // the whole HTTP answer; the connection closes after it
    QTest::addColumn<QString>("expected"); // as lookUp() gives it, ~ for the base
    QTest::addColumn<QByteArray>("target"); // the request's path and query, where a row is about it

    const QStringList ottawa{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s};
    const std::string place =
        R"([{"place_id":1,"lat":"45.4215","lon":"-75.6972","display_name":"24, Tamarack Crescent, Ottawa"}])";
    const auto json = [](const std::string &body) { return response(200, body, "application/json"); };
    const auto row = [&](const char *name, const std::string &answer, const QString &expected,
                         const QStringList &fields = {}, const QByteArray &target = "/search?") {
        QTest::newRow(name) << (fields.isEmpty() ? ottawa : fields) << QByteArray::fromStdString(answer) << expected
                            << target;
    };
    row("a place: its position, map and lines", json(place),
        u"45.4215|-75.6972|~export/embed.html?bbox=-75.700200,45.419500,-75.694200,45.423500&layer=mapnik&"
        "marker=45.4215,-75.6972|24, Tamarack Crescent, Ottawa\r\nLatitude: 45.4215, Longitude: -75.6972\r\n"
        "\u00a9 OpenStreetMap contributors"_s,
        {},
        "/search?street=24%20Tamarack%20Cres&city=Ottawa&state=ON&postalcode=K1A0B1&countrycodes=us,ca&"
        "format=jsonv2&addressdetails=1&limit=1");
    row("south and east as the server writes them, no name, the first place",
        json(R"([{"lat":"-33.8688197","lon":"151.2092955"},{"lat":"1","lon":"2"}])"),
        u"-33.8688197|151.2092955|~export/embed.html?bbox=151.206296,-33.870820,151.212295,-33.866820&layer=mapnik&"
        "marker=-33.8688197,151.2092955|Latitude: -33.8688197, Longitude: 151.2092955\r\n"
        "\u00a9 OpenStreetMap contributors"_s);
    row("accents, ampersand, hash and blanks encoded", json("[]"), u"LAT|LON|LINK|Not found."_s,
        {u"1 Rue d'\u00c9rable & Fils #2"_s, u"Trois-Rivi\u00e8res"_s, u"QC"_s, u"G9A 5H7"_s},
        "/search?street=1%20Rue%20d%27%C3%89rable%20%26%20Fils%20%232&city=Trois-Rivi%C3%A8res&state=QC&"
        "postalcode=G9A%205H7&countrycodes=us,ca&format=jsonv2&addressdetails=1&limit=1");
    row("429: refused, not asked again", response(429, "slow down"), kHeld);
    row("500", response(500, place), kHeld);
    row("a body cut short", responseHead(200) + "Content-Length: 400\r\n\r\n" + place.substr(0, 40), kHeld);
    row("not JSON", response(200, "<html>Service Unavailable</html>"), kHeld);
    row("not a list", json(R"({"lat":"45.4","lon":"-75.6"})"), kHeld);
    row("a latitude that is no number", json(R"([{"lat":"north","lon":"-75.6972"}])"), kHeld);
    row("a latitude past the pole", json(R"([{"lat":"90.5","lon":"-75.6972"}])"), kHeld);
    row("a longitude as a JSON number", json(R"([{"lat":"45.4","lon":-75.6}])"), kHeld);
}

void TestLookup::addressService()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, answer);
    QFETCH(QString, expected);
    QFETCH(QByteArray, target);
    QTemporaryDir cache;
    const ScopedEnv cacheHome("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    QLocale::setDefault(QLocale(u"fr_CA"_s));
    RawHttpServer server([answer](RawConnection &c) { c.send(answer.toStdString()); });
    FakeLookupClock clock;
    LookupClient client(u"http://lookup.invalid/"_s, clock, &makeNetworkTransport,
                        checkAddressService(server.base(), u"the test"_s).service);

    QCOMPARE(lookUp(client, fields), expected.replace(u'~', server.base()));
    QCOMPARE(clock.waits, QList<std::chrono::milliseconds>{2000ms});
    QCOMPARE(clock.pauses, QList<std::chrono::milliseconds>{});
    // Qt may send a request twice when its connection closes first.
    const std::vector<std::string> heads = server.heads();
    QVERIFY(!heads.empty() && heads.size() <= 2);
    const std::string &head = heads.front();
    QVERIFY2(head.starts_with("GET " + target.toStdString() + (target.endsWith('?') ? "" : " HTTP/1.1\r\n")),
             head.c_str());
    QVERIFY2(head.find("\r\nUser-Agent: Corvale/" + std::string(kVersion) + " (+https://www.corvale.example/)\r\n")
                 != std::string::npos,
             head.c_str());
    QVERIFY2(head.find("\r\nAccept-Language: fr-CA") != std::string::npos, head.c_str());
}

// At most one request a second, also from a second run: the time of the
// last one is kept in the cache folder. The waits go through the clock.
void TestLookup::addressServiceSpacing()
{
    QTemporaryDir cache;
    const ScopedEnv cacheHome("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    RawHttpServer server([](RawConnection &c) { c.send(response(200, "[]")); });
    const AddressService service = checkAddressService(server.base(), u"the test"_s).service;
    FakeLookupClock clock;
    const QStringList nowhere{u"1 Elm"_s, u"X"_s, u"IL"_s, u"62701"_s};
    LookupClient first(kBase, clock, &makeNetworkTransport, service);
    lookUp(first, nowhere);
    lookUp(first, nowhere);
    clock.time += 400ms;
    LookupClient nextRun(kBase, clock, &makeNetworkTransport, service);
    lookUp(nextRun, nowhere);
    // A clock set back an hour waits the second, not the hour.
    clock.time -= 1h;
    lookUp(nextRun, nowhere);
    QCOMPARE(clock.pauses, (QList<std::chrono::milliseconds>{1000ms, 600ms, 1000ms}));
    QCOMPARE(server.requests().size(), 4u);
}

void TestLookup::addressServiceSetting_data()
{
    QTest::addColumn<QString>("variable"); // null: unset
    QTest::addColumn<QString>("key"); // null: not in the settings file
    QTest::addColumn<QString>("search"); // the search address, or what the refusal says
    const QString none;
    QTest::newRow("neither: the lookup service") << none << none << QString();
    QTest::newRow("the key") << none << u"openstreetmap"_s << u"https://nominatim.openstreetmap.org/search"_s;
    QTest::newRow("the variable wins") << u"http://10.0.0.1:8080/geo/"_s << u"openstreetmap"_s
                                       << u"http://10.0.0.1:8080/geo/search"_s;
    QTest::newRow("an empty variable wins too") << u""_s << u"openstreetmap"_s << QString();
    QTest::newRow("no slash at the end") << u"https://geo.example"_s << none
                                         << u"refused: CORVALE_ADDRESS_SERVICE must be"_s;
    QTest::newRow("a query") << u"https://geo.example/?q=/"_s << none << u"refused: CORVALE_ADDRESS_SERVICE"_s;
    QTest::newRow("another scheme in the key")
        << none << u"ftp://geo.example/"_s << u"refused: The key Lookup/AddressService of "_s;
    QTest::newRow("letter case counts") << u"OpenStreetMap"_s << none << u"refused: CORVALE_ADDRESS_SERVICE"_s;
}

void TestLookup::addressServiceSetting()
{
    QFETCH(QString, variable);
    QFETCH(QString, key);
    QFETCH(QString, search);
    const ScopedEnv env(kAddressServiceVariable, variable.isNull() ? std::nullopt : std::optional(variable.toUtf8()));
    writeSetting(kAddressServiceSetting, key);
    if (key.isNull())
        QSettings(u"Corvale"_s, u"Corvale"_s).remove(kAddressServiceSetting.name());
    const AddressServiceSetting chosen = chosenAddressService();
    if (search.startsWith(u"refused: "_s)) {
        QVERIFY2(chosen.error.startsWith(search.mid(9)), qPrintable(chosen.error));
        QVERIFY(chosen.service.isLookupService());
        return;
    }
    QCOMPARE(chosen.error, QString());
    QCOMPARE(chosen.service.search, search);
}

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
