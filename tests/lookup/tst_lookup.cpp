#include <QDir>
#include <QTest>

#include "lookup/inputrules.h"
#include "lookup/pagetext.h"
#include "lookup/parserguard.h"
#include "lookup/phone2geo.h"
#include "lookupprobes.h"
#include "scriptedtransport.h"

using namespace Qt::StringLiterals;
using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(corvale::LookupResult)

namespace {

const QString kBase = u"http://lookup.test/"_s;
const QString kZipMap = kBase + u"lookups/mapY.asp?zip4="_s;
const QByteArray kMapLink = "http://lookup.test/lookups/mapY.asp?phone=3125550142";
// What the caller's outputs hold before every lookup: an output the lookup
// does not assign must come back as it went in.
const LookupResult kHeld{u"LAT"_s, u"LON"_s, u"LINK"_s, u"TEXT"_s};

QByteArray phonePage(const QByteArray &extra, bool heading = true)
{
    return (heading ? "<h3>Result for Phone Number</h3><div>(312) 555-0142</div>" : "")
        + QByteArray("<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr><tr><td>Address</td>"
                     "<td>12 Elm St</td></tr><tr><td colspan=2>Springfield, IL 62701</td></tr></table>")
        + extra;
}
QByteArray linkTo(const QByteArray &href)
{
    return "<p><a href=http://lookup.test/other>Home</a> <a href=" + href + ">Map-Y</a></p>";
}
QByteArray mapPage(const QByteArray &afterBorder, const QByteArray &before = {})
{
    return "<script>" + before + "</script><!--TitleBorder in Shared.asp --><script>" + afterBorder + "</script>";
}
QString mapped(const QString &company, const QString &number, const QString &lat, const QString &lon)
{
    return company + u"\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n"_s + number + u"\r\nLatitude: "_s + lat
        + u", Longitude: "_s + lon;
}
QByteArray usPage(const QByteArray &position, const QByteArray &tail = "<a href=mapY.asp?zip4=62701-1234>MapY</a>")
{
    return "<tr><td>Latitude &amp; Longitude</td><td align=\"left\"><b>" + position + "</td></tr>" + tail;
}
QByteArray canadianPage(const QByteArray &lat, const QByteArray &lon, const QByteArray &map)
{
    QByteArray page = "<title>Canadian Address Lookup</title><table>";
    if (!lat.isEmpty())
        page += "<tr><td align=right>Latitude</td><td align=left><b>" + lat + "</b> Degrees North</td></tr>";
    if (!lon.isEmpty())
        page += "<tr><td align=right>Longitude</td><td align=left><b>" + lon + "</b> Degrees West</td></tr>";
    return page + "<tr><td><a href=g>Google</a>&nbsp;&nbsp;<a href=" + map + ">Yahoo</a></td></tr></table>";
}
QByteArray numbered(int count, const std::function<QByteArray(QByteArray)> &piece)
{
    QByteArray page;
    for (int i = 0; i < count; ++i)
        page += piece(QByteArray::number(i));
    return page;
}

} // namespace

class TestLookup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookups_data();
    void lookups();
    void requests_data();
    void requests();
    void inputRules_data();
    void inputRules();
    void rendering_data();
    void rendering();
    void parserGuard_data();
    void parserGuard();
    void extractBetween_data();
    void extractBetween();
    void parseOverBudgetGivesNoText();
    void fuzzRegressions_data();
    void fuzzRegressions();
};

void TestLookup::lookups_data()
{
    QTest::addColumn<QStringList>("fields");   // one: the phone lookup; four: the address lookup
    QTest::addColumn<QList<LookupAnswer>>("answers");
    QTest::addColumn<LookupResult>("expected");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("pauses");

    const QStringList phone{u"3125550142"_s};
    const QString link = QString::fromLatin1(kMapLink);
    const QString full = mapped(u"\tPine Hollow Bakery"_s, u"(312) 555-0142"_s, u"39.78"_s, u"-89.65"_s);
    const LookupAnswer map = answer(200, mapPage("//alert(39.78)\n//alert(-89.65)\n"));
    const LookupAnswer first = answer(200, phonePage(linkTo(kMapLink)));
    const LookupAnswer busy = answer(500);
    const auto lineType = [](const QByteArray &rows) { return answer(200, phonePage(rows)); };
    const auto row = [&](const char *name, const QList<LookupAnswer> &answers, const LookupResult &expected,
                         int requests, int pauses = 0, const QStringList &fields = {}) {
        QTest::newRow(name) << (fields.isEmpty() ? phone : fields) << answers << expected << requests << pauses;
    };

    row("map page: five lines and both figures", {first, map}, {u"39.78"_s, u"-89.65"_s, link, full}, 2);
    row("no heading: the number as passed in", {answer(200, phonePage(linkTo(kMapLink), false)), map},
        {u"39.78"_s, u"-89.65"_s, link, mapped(u"\tPine Hollow Bakery"_s, phone[0], u"39.78"_s, u"-89.65"_s)}, 2);
    row("one figure is the latitude; the held longitude is written", {first, answer(200, mapPage("//alert(5)"))},
        {u"5"_s, u"LON"_s, link, mapped(u"\tPine Hollow Bakery"_s, u"(312) 555-0142"_s, u"5"_s, u"LON"_s)}, 2);
    row("figures before the title border are not taken", {first, answer(200, mapPage({}, "//alert(1)//alert(2)"))},
        {u"LAT"_s, u"LON"_s, link, mapped(u"\tPine Hollow Bakery"_s, u"(312) 555-0142"_s, u"LAT"_s, u"LON"_s)}, 2);
    row("no title border: only the link", {first, answer(200, "//alert(1)//alert(2)")},
        {u"LAT"_s, u"LON"_s, link, u"TEXT"_s}, 2);
    row("a figure without its bracket ends the lookup", {first, answer(200, mapPage("//alert(1)//alert(2"))},
        {u"1"_s, u"LON"_s, link, u"TEXT"_s}, 2);
    row("map page not 200: one try, only the link", {first, busy, map}, {u"LAT"_s, u"LON"_s, link, u"TEXT"_s}, 2);
    row("double-quoted link", {answer(200, phonePage(linkTo('"' + kMapLink + '"'))), map},
        {u"39.78"_s, u"-89.65"_s, link, full}, 2);
    row("single-quoted relative link, resolved against the page",
        {answer(200, phonePage(linkTo("'mapY.asp?phone=3125550142'"))), map}, {u"39.78"_s, u"-89.65"_s, link, full}, 2);
    row("javascript link is no link", {lineType(linkTo("\"javascript:alert(1)\"") + "<div>Prefix x Landline</div>")},
        {u"LAT"_s, u"LON"_s, kZipMap, u"This phone is Landline"_s}, 1);
    row("file link is no link", {lineType(linkTo("file:///etc/passwd") + "<div>Prefix x Cellular</div>")},
        {u"LAT"_s, u"LON"_s, u"LINK"_s, u"This phone is Cellular"_s}, 1);
    row("no href before Map-Y", {answer(200, "<div>>Map-Y</div><div>Prefix x Landline</div>")},
        {u"LAT"_s, u"LON"_s, kZipMap, u"This phone is Landline"_s}, 1);
    row("map-y in small letters is no link", {lineType("<a href=" + kMapLink + ">map-y</a><p>Prefix x Landline")},
        {u"LAT"_s, u"LON"_s, kZipMap, u"This phone is Landline"_s}, 1);
    row("CELLULAR: no map", {lineType("<tr><td>Prefix</td><td>Line CELLULAR</td></tr>")},
        {u"LAT"_s, u"LON"_s, u"LINK"_s, u"This phone is CELLULAR"_s}, 1);
    row("landline: the ZIP map", {lineType("<p>Prefix a Cellular<p>Prefix b Landline<p>Primary ZIP Code: IL 62701")},
        {u"LAT"_s, u"LON"_s, kZipMap + u"62701"_s, u"This phone is Landline"_s}, 1);
    row("prefix without a blank is no line type", {lineType("<tr><td>Prefix</td><td>Landline</td></tr>")}, kHeld, 1);

    // The service answers 500 while busy: six tries with a pause between.
    row("500 six times", {busy, busy, busy, busy, busy, busy, first, map}, kHeld, 6, 5);
    row("200 on the third try", {busy, answer(404), first, map}, {u"39.78"_s, u"-89.65"_s, link, full}, 4, 2);
    row("no status: no retry", {noStatus(), first}, kHeld, 1);

    // The header's charset, UTF-8 otherwise; bad bytes show as replacements.
    const QList<std::tuple<const char *, QByteArray, QByteArray, QString>> charsets{
        {"utf-8 by default", "text/html", "Caf\xc3\xa9", u"Caf\u00e9"_s},
        {"latin-1 named", "text/html; Charset=ISO-8859-1", "Caf\xe9", u"Caf\u00e9"_s},
        {"quoted charset", "text/html; charset=\"windows-1252\"; x=y", "\x80", u"\u20ac"_s},
        {"unknown charset read as utf-8", "text/html; charset=x-nonesuch", "Caf\xc3\xa9", u"Caf\u00e9"_s},
        {"invalid bytes replaced", "text/html", "A\xff" "B", u"A\ufffdB"_s}};
    for (const auto &[name, type, bytes, shown] : charsets) {
        const QByteArray page = "<table><tr><td>Company</td><td>" + bytes + "</td></tr></table>" + linkTo(kMapLink);
        row(name, {answer(200, page, type), answer(200, mapPage({}))},
            {u"LAT"_s, u"LON"_s, link, u'\t' + shown + u"\r\n\r\n\r\n3125550142\r\nLatitude: LAT, Longitude: LON"_s}, 2);
    }

    const QStringList il{u"1 Birch Ln"_s, u"Springfield"_s, u"IL"_s, u"62701"_s};
    const QByteArray position = "39.80</b> Degrees North &nbsp;&nbsp;<b>89.64</b> Degrees West";
    const QString zipMap = kZipMap + u"627011234"_s;
    const QString found = u"Latitude: 39.80, Longitude: -89.64"_s;
    row("US: west longitude negative, ZIP+4 without its hyphen", {answer(200, usPage(position))},
        {u"39.80"_s, u"-89.64"_s, zipMap, found}, 1, 0, il);
    row("US: no bold end after North", {answer(200, usPage("39.80</b> Degrees North &nbsp;&nbsp;<b>89.64", ""))},
        {u"39.80"_s, u"LON"_s, u"LINK"_s, u"Latitude: 39.80, Longitude: LON"_s}, 1, 0, il);
    row("US: no latitude marker", {answer(200, "<b>39.80</b> Degrees North &nbsp;&nbsp;<b>89.64</b>")},
        {u"LAT"_s, u"LON"_s, u"LINK"_s, u"Latitude: LAT, Longitude: LON"_s}, 1, 0, il);
    row("US: a quoted link keeps its closing quote",
        {answer(200, usPage(position, "<a href=\"mapY.asp?zip4=62701-1234\">MapY</a>"))},
        {u"39.80"_s, u"-89.64"_s, zipMap + u'"', found}, 1, 0, il);
    row("US: the last ZIP before MapY", {answer(200, usPage(position, "62701 x <a href=mapY.asp?zip4=62701-9>MapY</a>"))},
        {u"39.80"_s, u"-89.64"_s, kZipMap + u"627019"_s, found}, 1, 0, il);
    row("US: no ZIP before MapY", {answer(200, usPage(position, "<a href=mapY.asp?zip4=99999>MapY</a> 62701"))},
        {u"39.80"_s, u"-89.64"_s, u"LINK"_s, found}, 1, 0, il);
    row("not found, with what the page still holds", {answer(200, usPage(position) + "The address was not found.")},
        {u"39.80"_s, u"-89.64"_s, zipMap, u"Not found."_s}, 1, 0, il);
    row("Canadian layout", {answer(200, canadianPage("45.42", "75.70", "mapY.asp?postcode=K1A0B1"))},
        {u"45.42"_s, u"-75.70"_s, kBase + u"lookups/mapY.asp?postcode=K1A0B1"_s, u"Latitude: 45.42, Longitude: -75.70"_s},
        1, 0, {u"1 Maple"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s});
    row("Canadian layout chosen by the answer, each value on its own", {answer(200, canadianPage("45.42", {}, "m.asp"))},
        {u"45.42"_s, u"LON"_s, kBase + u"lookups/m.asp"_s, u"Latitude: 45.42, Longitude: LON"_s}, 1, 0, il);
    row("address: 503 six times", {answer(503), answer(503), answer(503), answer(503), answer(503), answer(503)},
        kHeld, 6, 5, il);
}

void TestLookup::lookups()
{
    QFETCH(QStringList, fields);
    QFETCH(QList<LookupAnswer>, answers);
    QFETCH(LookupResult, expected);
    QFETCH(int, requests);
    QFETCH(int, pauses);

    const auto log = std::make_shared<ScriptedTransport::Log>();
    FakeLookupClock clock;
    LookupClient client(kBase, clock, [&](LookupClock &) {
        ++log->transportsMade;
        return std::make_unique<ScriptedTransport>(std::deque<LookupAnswer>(answers.begin(), answers.end()), log);
    });
    LookupResult got = kHeld;
    if (fields.size() == 1)
        client.Phone2Geo(fields[0], got);
    else
        client.Address2Geo(fields[0], fields[1], fields[2], fields[3], got);
    QCOMPARE(got.Latitude, expected.Latitude);
    QCOMPARE(got.Longitude, expected.Longitude);
    QCOMPARE(got.MapLink, expected.MapLink);
    QCOMPARE(got.ResultText, expected.ResultText);
    QCOMPARE(log->requests.size(), requests);
    QCOMPARE(log->transportsMade, 1);
    QCOMPARE(clock.pauses, QList<std::chrono::milliseconds>(pauses, 1500ms));
    // Every try asks the same; a request after the last try is the map page.
    for (qsizetype i = 1; i < requests; ++i)
        QCOMPARE(log->requests[i], i <= pauses ? log->requests[0] : QUrl(expected.MapLink));
}

void TestLookup::requests_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("sent");

    const auto us = [](const char *query) { return kBase + u"lookups/addressverify.asp?"_s + QLatin1String(query); };
    const auto ca = [](const char *query) { return kBase + u"lookups/CanadianAddressVerify.asp?"_s + QLatin1String(query); };
    QTest::newRow("phone: characters that would cut the query travel encoded")
        << QStringList{u"12&x=3#4 5"_s} << kBase + u"lookups/phonelocation.asp?number=12%26x%3D3%234+5&submit1=Process"_s;
    QTest::newRow("ON is Canadian") << QStringList{u"1 Maple Ave"_s, u"Ottawa"_s, u"ON"_s, u"K1A 0B1"_s}
                                    << ca("Street=1+Maple+Ave&city=Ottawa&Province=ON&Postcode=K1A+0B1&FindAddress=Submit");
    QTest::newRow("NF is Canadian") << QStringList{u"2 Cod Rd"_s, u"Gander"_s, u"NF"_s, u"A1V1W8"_s}
                                            << ca("Street=2+Cod+Rd&city=Gander&Province=NF&Postcode=A1V1W8&FindAddress=Submit");
    QTest::newRow("on in small letters is a state") << QStringList{u"1"_s, u"Ottawa"_s, u"on"_s, u"K1A0B1"_s}
                                                    << us("Address=1&city=Ottawa&state=on&zip=K1A0B1&Query=Submit1");
    QTest::newRow("NL is not in the list") << QStringList{u"2"_s, u"Gander"_s, u"NL"_s, u"A1V1W8"_s}
                                           << us("Address=2&city=Gander&state=NL&zip=A1V1W8&Query=Submit1");
    QTest::newRow("no part of the list is a province") << QStringList{u"3"_s, u"X"_s, u"B|M"_s, u"1"_s}
                                                      << us("Address=3&city=X&state=B%7CM&zip=1&Query=Submit1");
    QTest::newRow("ampersand, hash, equals, question mark")
        << QStringList{u"12 Elm & Oak #3"_s, u"a=b?c"_s, u"IL"_s, u"62701"_s}
        << us("Address=12+Elm+%26+Oak+%233&city=a%3Db%3Fc&state=IL&zip=62701&Query=Submit1");
    QTest::newRow("placeholder text in a field reaches the service unchanged")
        << QStringList{u"cccccc ssssss"_s, u"zzzzzz"_s, u"IL"_s, u"aaaaaa"_s}
        << us("Address=cccccc+ssssss&city=zzzzzz&state=IL&zip=aaaaaa&Query=Submit1");
    QTest::newRow("plus and non-ASCII as UTF-8 bytes, marks kept")
        << QStringList{u"1+1 Rue Ch\u00e2teau"_s, u"Qu\u00e9bec-_.*"_s, u"QC"_s, u"G1R4P5"_s}
        << ca("Street=1%2B1+Rue+Ch%C3%A2teau&city=Qu%C3%A9bec-_.*&Province=QC&Postcode=G1R4P5&FindAddress=Submit");
}

void TestLookup::requests()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, sent);

    const auto log = std::make_shared<ScriptedTransport::Log>();
    FakeLookupClock clock;
    LookupClient client(kBase, clock, [&](LookupClock &) {
        return std::make_unique<ScriptedTransport>(std::deque<LookupAnswer>{noStatus()}, log);
    });
    LookupResult got;
    if (fields.size() == 1)
        client.Phone2Geo(fields[0], got);
    else
        client.Address2Geo(fields[0], fields[1], fields[2], fields[3], got);
    QCOMPARE(log->requests.size(), 1);
    QCOMPARE(log->requests[0].toString(QUrl::FullyEncoded), sent);
}

void TestLookup::inputRules_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("taken");   // the number, or whether the address is complete

    QTest::newRow("separators removed") << QStringList{u"(312) 555-0142."_s} << u"3125550142"_s;
    QTest::newRow("nothing else removed") << QStringList{u"+1\t312_555/0142"_s} << u"+1\t312_555/0142"_s;
    QTest::newRow("complete") << QStringList{u"1"_s, u"X"_s, u"IL"_s, u"62701"_s} << u"complete"_s;
    QTest::newRow("nothing trimmed") << QStringList{u" "_s, u" "_s, u"  "_s, u"     "_s} << u"complete"_s;
    QTest::newRow("no street") << QStringList{u""_s, u"X"_s, u"IL"_s, u"62701"_s} << u"incomplete"_s;
    QTest::newRow("no city") << QStringList{u"1"_s, u""_s, u"IL"_s, u"62701-1234"_s} << u"incomplete"_s;
    QTest::newRow("state of three") << QStringList{u"1"_s, u"X"_s, u"ILL"_s, u"62701"_s} << u"incomplete"_s;
    QTest::newRow("state of one") << QStringList{u"1"_s, u"X"_s, u"I"_s, u"62701"_s} << u"incomplete"_s;
    QTest::newRow("postal code of four") << QStringList{u"1"_s, u"X"_s, u"IL"_s, u"6270"_s} << u"incomplete"_s;
}

void TestLookup::inputRules()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, taken);
    if (typed.size() == 1)
        QCOMPARE(normalisePhoneNumber(typed[0]), taken);
    else
        QCOMPARE(isAddressComplete(typed[0], typed[1], typed[2], typed[3]) ? u"complete"_s : u"incomplete"_s, taken);
}

void TestLookup::rendering_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("lines");

    const QString x = u"x"_s;
    QTest::newRow("empty page") << QByteArray() << QStringList();
    QTest::newRow("only markup") << QByteArray("<html><body><p></p><div> </div></body></html>") << QStringList();
    QTest::newRow("cells joined by tab, a line per row across row groups")
        << QByteArray("<table><thead><tr><td>Company</td><th>Pine</th></tr></thead><tbody><tr><td>c</td></tr>"
                      "</tbody></table>after")
        << QStringList{u"Company\tPine"_s, u"c"_s, u"after"_s};
    QTest::newRow("a blank line between paragraphs, none at the ends")
        << QByteArray("<p>one</p><p>two</p><div>three</div>") << QStringList{u"one"_s, {}, u"two"_s, {}, u"three"_s};
    QTest::newRow("br ends a line, two leave an empty one, list items end lines")
        << QByteArray("first<br>second<br><br>third<ul><li>a<li>b</ul>")
        << QStringList{u"first"_s, u"second"_s, {}, u"third"_s, u"a"_s, u"b"_s};
    QTest::newRow("entities decoded, nbsp kept")
        << QByteArray("<div>Smith &amp; Sons&nbsp;Ltd &lt;b&gt; &#233;</div>") << QStringList{u"Smith & Sons\u00a0Ltd <b> \u00e9"_s};
    QTest::newRow("head, script, style, template, noscript and hidden give nothing")
        << QByteArray("<head><title>T</title><style>p{}</style></head><script>s='<p>no</p>';</script>Shown"
                      "<noscript>n</noscript><template>t</template><div hidden>h</div><input type=hidden value=v>")
        << QStringList{u"Shown"_s};
    QTest::newRow("white space collapses, trimmed at line ends")
        << QByteArray("<div>\n   Result  for\tPhone   Number \n</div><div> <b>x</b> <i> y</i> </div>")
        << QStringList{u"Result for Phone Number"_s, u"x y"_s};
    QTest::newRow("pre keeps white space and a CR of its own")
        << QByteArray("<pre>a  b\n  c&#13;d</pre>") << QStringList{u"a  b"_s, u"  c\rd"_s};
    // Pages that once took the parser minutes, gigabytes or its whole stack.
    QTest::newRow("100,000 nested divs")
        << QByteArray("<div>").repeated(100000) + "x" + QByteArray("</div>").repeated(100000) << QStringList{x};
    QTest::newRow("50,000 nested i and div") << QByteArray("<i><div>").repeated(50000) + "x" << QStringList{x};
    QTest::newRow("250,000 b before text") << QByteArray("<b>x").repeated(250000) << QStringList{QString(250000, u'x')};
    QTest::newRow("100,000 b of different ids")
        << numbered(100000, [](const QByteArray &n) { return "<b id=" + n + ">"; }) + "x" << QStringList{x};
    QTest::newRow("60,000 b left open in paragraphs")
        << numbered(60000, [](const QByteArray &n) { return "<p><b id=" + n + "></p>"; }) + "x" << QStringList{x};
    QTest::newRow("80,000 b around divs") << QByteArray("<b><div></b>").repeated(80000) + "x" << QStringList{x};
    QTest::newRow("a tag with 120,000 attributes")
        << "<div" + numbered(120000, [](const QByteArray &n) { return " a" + n; }) + ">x" << QStringList{x};
    QTest::newRow("90,000 body and html tags with attributes")
        << numbered(90000, [](const QByteArray &n) { return "<body a" + n + "><html b" + n + ">"; }) + "x"
        << QStringList{x};
    QTest::newRow("SVG nested 2,900,000 deep") << "<svg>" + QByteArray("<g>").repeated(2900000) + "x" << QStringList{x};
    QTest::newRow("frameset nested 800,000 deep") << QByteArray("<frameset>").repeated(800000) << QStringList();
    QTest::newRow("a form that leaves its divs open") << QByteArray("<form><div></form>").repeated(20000) + "x"
                                                      << QStringList{x};
    QTest::newRow("an SVG select in a table") << QByteArray("<table><svg><select><desc>c<select><tr>") << QStringList{u"c"_s};
    QTest::newRow("100,000 cells in one row") << "<table><tr>" + QByteArray("<td>c</td>").repeated(100000)
                                              << QStringList{QStringList(100000, u"c"_s).join(u'\t')};
    QTest::newRow("one line of a mebibyte") << "<p>" + QByteArray("a").repeated(1 << 20) << QStringList{QString(1 << 20, u'a')};
}

void TestLookup::rendering()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, lines);
    QCOMPARE(PageToLines(QString::fromUtf8(page)), lines);
    const QString fault = probePageText(page);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestLookup::parserGuard_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("bounded");

    const QByteArray ordinary = "<!DOCTYPE html><html><head><title>T</title><style>p{}</style></head><body><div><table>"
                                "<tr><td>Company</td><td>Pine &amp; Co</td></tr></table><p>one<br>two</p><ul><li>a<li>b</ul>"
                                "</div></body></html>";
    QTest::newRow("an ordinary page passes unchanged") << ordinary << ordinary;
    QTest::newRow("formatting tags are left out")
        << QByteArray("<p><b>bold</b> <a href=\"m.asp\">link</a> <FONT color=red>red</font><i></p>") << QByteArray("<p>bold link red</p>");
    QTest::newRow("a hidden formatting element becomes a hidden span")
        << QByteArray("<b class=x hidden>secret</b >shown") << QByteArray("<span hidden>secret</span>shown");
    QTest::newRow("a '<' of text before a tag left out stays text") << QByteArray("<<b>div>x") << QByteArray("&lt;div>x");
    QTest::newRow("tags in comments, scripts, text areas and attribute values are text")
        << QByteArray("<!-- <b> --><!--><b x='--!>'><script>if (a<b) s = '<i>';</script>"
                      "<textarea><b></textarea><title><b></title><div title=\"<b>\" data-x='>'>y</div>")
        << QByteArray("<!-- <b> --><!--><script>if (a<b) s = '<i>';</script>"
                      "<textarea><b></textarea><title><b></title><div>y</div>");
    QTest::newRow("an escaped script part does not end at </script>")
        << QByteArray("<script><!--<script></script><b>--></script><b>x") << QByteArray("<script><!--<script></script><b>--></script>x");
    QTest::newRow("only the attributes the rendering reads stay, as written")
        << QByteArray("<div class=a HIDDEN style='x>y' id=b>x</div><input value=v type = \"hidden\" >"
                      "<isindex prompt='Find:' action=/s><p title=t/>")
        << QByteArray("<div HIDDEN>x</div><input type = \"hidden\"><isindex prompt='Find:'><p>");
    QTest::newRow("each of them once") << QByteArray("<input type=a type=hidden hidden=1 hidden>") << QByteArray("<input hidden=1 type=a>");
    QTest::newRow("a slash ends an unquoted value only after a blank")
        << QByteArray("<input type=hidden/><input type=hidden />") << QByteArray("<input type=hidden/><input type=hidden />");
    QTest::newRow("end tags lose their attributes") << QByteArray("<p>x</p class=y>") << QByteArray("<p>x</p>");
    QTest::newRow("later html and body tags lose their attributes")
        << QByteArray("<html hidden lang=en><body a=1><p>x<body hidden b=2><html c=3>")
        << QByteArray("<html hidden><body><p>x<body><html>");
    const int deep = kMaxParserNesting + 44;
    QTest::newRow("nesting past the limit is left out, with its end tags")
        << QByteArray("<div>").repeated(deep) + "x" + QByteArray("</div>").repeated(deep) + "y"
        << QByteArray("<div>").repeated(kMaxParserNesting) + "x" + QByteArray("</div>").repeated(kMaxParserNesting) + "y";
    const int many = 2 * kMaxParserNesting;
    const QByteArray closed = QByteArray("<div><span>a</span></div>").repeated(many)
        + QByteArray("<svg><g><rect/><text>t</text></g></svg>").repeated(many);
    QTest::newRow("closed and self-closed elements do not add up") << closed << closed;
    const QByteArray implied = "<ul>" + QByteArray("<li><p>a").repeated(many) + "</ul><table>"
        + QByteArray("<tr><td>a<td>b").repeated(many) + "</table><select>" + QByteArray("<option>o").repeated(many)
        + "</select><dl>" + QByteArray("<dt>t<dd>d").repeated(many) + "</dl>" + QByteArray("<h1>a<h2>b").repeated(many);
    QTest::newRow("elements the next one closes do not add up") << implied << implied;
    QTest::newRow("a foreign element with an HTML name, and its end tag, get their own name")
        << QByteArray("<table><svg><select><desc>c<select><tr><math><td>a</td><mi><td>b</td></mi></math>")
        << QByteArray("<table><svg><x-select><desc>c<select><tr><math><x-td>a</x-td><mi><td>b</td></mi></math>");
    QTest::newRow("in SVG a CDATA section hides tags") << QByteArray("<svg><![CDATA[<b>]]></svg><b>x")
                                                       << QByteArray("<svg><![CDATA[<b>]]></svg>x");
    QTest::newRow("outside it, <![CDATA[ is a comment up to the first >") << QByteArray("<![CDATA[<b>x<b>]]>")
                                                                          << QByteArray("<![CDATA[<b>x]]>");
}

void TestLookup::parserGuard()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, bounded);
    QCOMPARE(boundedForParser(page), bounded);
}

void TestLookup::extractBetween_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("first start, first end after it") << u"]</b>[1]<b>[2]"_s << true << u"1"_s;
    QTest::newRow("empty between") << u"[]"_s << true << QString();
    QTest::newRow("no start") << u"]1"_s << false << QString();
    QTest::newRow("no end after the start") << u"]1[2"_s << false << QString();
}

void TestLookup::extractBetween()
{
    QFETCH(QString, page);
    QFETCH(bool, found);
    QFETCH(QString, value);
    const Extracted extracted = ExtractBetween(page, u"["_s, u"]"_s);
    QCOMPARE(extracted.found, found);
    QCOMPARE(extracted.value, value);
}

void TestLookup::parseOverBudgetGivesNoText()
{
    const QString page = QString::fromLatin1(QByteArray("<p>a</p>").repeated(20000));
    QCOMPARE(renderInnerText(page, 0ms), QString());
    QCOMPARE(renderInnerText(page, 60s).count(u'a'), 20000);
}

void TestLookup::fuzzRegressions_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("input");

    const QDir regressions(QStringLiteral(CORVALE_FUZZ_REGRESSIONS));
    for (const QString &target : regressions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir folder(regressions.filePath(target));
        for (const QString &name : folder.entryList(QDir::Files)) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(target + u'/' + name)) << target << file.readAll();
        }
    }
}

void TestLookup::fuzzRegressions()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, input);
    const QString fault = target == u"pagetext"_s ? probePageText(input)
        : target == u"lookups"_s                   ? probeLookups(input)
                                                   : probeQueryEncoding(input);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
