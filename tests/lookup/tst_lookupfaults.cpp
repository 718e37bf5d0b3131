#include <functional>
#include <optional>

#include <QTest>

#include "lookup/phone2geo.h"
#include "rawhttpserver.h"
#include "scriptedtransport.h"

using namespace Qt::StringLiterals;

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

const std::string kRows =
    "<h3>Result for Phone Number</h3><div>(312) 555-0142</div>"
    "<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr>"
    "<tr><td>Address</td><td>12 Elm St</td></tr><tr><td>Springfield, IL 62701</td></tr>"
    "<tr><td>Prefix</td><td>312-555 Landline</td></tr><tr><td>Primary ZIP Code</td><td>62701</td></tr></table>";
const std::string kLink = "<a href=\"mapY.asp?phone=3125550142\">Map-Y</a>";
const std::string kPhonePage = "<html><body>" + kRows + kLink + "</body></html>";
// The page up to its map link: without it the line type is read.
const std::string kPageBeforeLink = kPhonePage.substr(0, kPhonePage.find(kLink));
const std::string kMapPage = "<!--TitleBorder in Shared.asp --><script>//alert(39.78)\n//alert(-89.65)</script>";
const QString kPhoneRequest = QStringLiteral("POST /lookups/phonelocation.asp?number=3125550142&submit1=Process");
const QString kMapRequest = QStringLiteral("POST /lookups/mapY.asp?phone=3125550142");

using Script = std::function<void(RawConnection &)>;
using Expected = std::function<LookupResult(const QString &base)>;

bool asksForMap(const RawConnection &c)
{
    return c.target().find("mapY.asp") != std::string::npos;
}

std::string withLength(size_t length)
{
    return responseHead(200) + "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}

std::string redirect(int status, const std::string &location)
{
    return responseHead(status, "Location: " + location + "\r\nContent-Length: 0\r\n") + "\r\n";
}

// The phone page answered by `phone`, the map page by `map`.
Script answering(Script phone, const std::string &map = kMapPage)
{
    return [phone, map](RawConnection &c) {
        if (asksForMap(c))
            c.send(response(200, map));
        else
            phone(c);
    };
}

// The phone page moved to `target`, the redirect to it naming `location`.
Script moved(int status, const std::string &target, std::function<std::string(const RawConnection &)> location)
{
    return answering([status, target, location](RawConnection &c) {
        if (c.target() == target)
            c.send(response(200, kPhonePage));
        else
            c.send(redirect(status, location(c)));
    });
}

Script page(const std::string &body, const std::string &contentType = "text/html")
{
    return answering([body, contentType](RawConnection &c) { c.send(response(200, body, contentType)); });
}

// The phone page with `part` put in place of `replaced` in its rows.
std::string pageWith(const std::string &replaced, const std::string &part, const std::string &before = {})
{
    std::string rows = kRows;
    rows.replace(rows.find(replaced), replaced.size(), part);
    return "<html>" + before + "<body>" + rows + kLink + "</body></html>";
}

std::string bodyWithRows(const std::string &extra)
{
    return "<html><body>" + kRows + extra + kLink + "</body></html>";
}

LookupResult mapped(const QString &base, const QString &company, const QString &mapPath)
{
    return {u"39.78"_s, u"-89.65"_s, base + mapPath,
            company + u"\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n(312) 555-0142\r\nLatitude: 39.78, Longitude: -89.65"_s};
}

Expected mappedWith(const QString &company, const QString &mapPath = u"lookups/mapY.asp?phone=3125550142"_s)
{
    return [company, mapPath](const QString &base) { return mapped(base, company, mapPath); };
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Expected)

// The phone lookup over 127.0.0.1 against a server that misbehaves. Each
// case ends with the outputs the lookup rules give for what arrived, after
// its 2-second waits and no pause, whatever the server does.
class TestLookupFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void phoneLookup_data();
    void phoneLookup();
};

void TestLookupFaults::phoneLookup_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<Expected>("expected");
    QTest::addColumn<QStringList>("requests");   // an empty script: nobody listens
    QTest::addColumn<int>("posts");               // each with its 2-second wait
    QTest::addColumn<int>("clockDivisor");

    const Expected nothing = [](const QString &) { return LookupResult{}; };
    const Expected full = mappedWith(u"\tPine Hollow Bakery"_s);
    const Expected lineType = [](const QString &base) {
        return LookupResult{{}, {}, base + u"lookups/mapY.asp?zip4=62701"_s, u"This phone is Landline"_s};
    };
    const QStringList first{kPhoneRequest};
    const QStringList both{kPhoneRequest, kMapRequest};

    QTest::newRow("connection refused") << Script() << nothing << QStringList() << 1 << 10;
    QTest::newRow("closed without an answer") << Script([](RawConnection &) {}) << nothing << first << 1 << 10;
    QTest::newRow("reset in the middle of the body")
        << answering([](RawConnection &c) {
               c.send(withLength(kPhonePage.size()) + kPhonePage.substr(0, kPhonePage.size() / 2));
               c.reset();
           })
        << nothing << first << 1 << 10;
    QTest::newRow("the body stalls past the wait: no answer")
        << answering([](RawConnection &c) {
               c.send(withLength(kPhonePage.size()) + kPageBeforeLink);
               c.stall();
           })
        << nothing << first << 1 << 10;
    // The whole 2 s, so that the cap and not the wait ends it.
    QTest::newRow("a body growing past 8 MiB")
        << Script([](RawConnection &c) {
               c.send(responseHead(200) + "Transfer-Encoding: chunked\r\n\r\n");
               c.sendForever(kPhonePage + std::string(64 * 1024, ' '), true);
           })
        << nothing << first << 1 << 1;
    // A few kilobytes on the wire that inflate to 32 MiB.
    const QByteArray inflating = qCompress(QByteArray::fromStdString(kPhonePage + std::string(32 << 20, ' '))).mid(4);
    QTest::newRow("a deflated body inflating past 8 MiB")
        << answering([inflating](RawConnection &c) {
               c.send(responseHead(200, "Content-Type: text/html\r\nContent-Encoding: deflate\r\nContent-Length: "
                                            + std::to_string(inflating.size()) + "\r\n")
                      + "\r\n" + inflating.toStdString());
           })
        << nothing << first << 1 << 1;

    QTest::newRow("301: asked for with GET, the map link read against the new address")
        << moved(301, "/moved/phone.asp", [](const RawConnection &) { return std::string("/moved/phone.asp"); })
        << mappedWith(u"\tPine Hollow Bakery"_s, u"moved/mapY.asp?phone=3125550142"_s)
        << QStringList{kPhoneRequest, u"GET /moved/phone.asp"_s, u"POST /moved/mapY.asp?phone=3125550142"_s} << 2
        << 10;
    QTest::newRow("302 to a full address")
        << moved(302, "/found", [](const RawConnection &c) {
               return "http://127.0.0.1:" + std::to_string(c.localPort()) + "/found";
           })
        << mappedWith(u"\tPine Hollow Bakery"_s, u"mapY.asp?phone=3125550142"_s)
        << QStringList{kPhoneRequest, u"GET /found"_s, u"POST /mapY.asp?phone=3125550142"_s} << 2 << 10;
    QTest::newRow("307: the form is sent again")
        << moved(307, "/kept", [](const RawConnection &) { return std::string("/kept"); })
        << mappedWith(u"\tPine Hollow Bakery"_s, u"mapY.asp?phone=3125550142"_s)
        << QStringList{kPhoneRequest, u"POST /kept"_s, u"POST /mapY.asp?phone=3125550142"_s} << 2 << 10;
    QTest::newRow("a redirect to another scheme is not followed")
        << moved(302, "/never", [](const RawConnection &) { return std::string("ftp://127.0.0.1/never"); })
        << nothing << first << 1 << 10;
    QStringList loop{kPhoneRequest};
    for (int i = 0; i < 10; ++i)
        loop << (i % 2 == 0 ? u"GET /loop"_s : u"GET /pool"_s);
    QTest::newRow("a redirect loop ends after ten")
        << Script([](RawConnection &c) { c.send(redirect(302, c.target() == "/loop" ? "/pool" : "/loop")); })
        << nothing << loop << 1 << 10;

    QTest::newRow("chunked encoding")
        << answering([](RawConnection &c) {
               c.send(responseHead(200) + "Transfer-Encoding: chunked\r\n\r\n");
               for (size_t at = 0; at < kPhonePage.size(); at += 100) {
                   const std::string part = kPhonePage.substr(at, 100);
                   char size[8];
                   std::snprintf(size, sizeof size, "%zx", part.size());
                   c.send(std::string(size) + "\r\n" + part + "\r\n");
               }
               c.send("0\r\n\r\n");
           })
        << full << both << 2 << 10;
    QTest::newRow("HTTP/1.0 without Content-Length, ended by the close")
        << answering([](RawConnection &c) {
               c.send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + kPhonePage);
           })
        << full << both << 2 << 10;
    QTest::newRow("Content-Length shorter than the body: the page ends there")
        << answering([](RawConnection &c) { c.send(withLength(kPageBeforeLink.size()) + kPhonePage); })
        << lineType << first << 1 << 10;
    QTest::newRow("Content-Length longer than the body, then closed")
        << answering([](RawConnection &c) { c.send(withLength(kPhonePage.size() + 100) + kPhonePage); })
        << nothing << first << 1 << 10;

    QTest::newRow("invalid UTF-8 is replaced, not dropped")
        << page(pageWith("Pine Hollow", "Caf\xe9 \xff"), "text/html; charset=utf-8")
        << mappedWith(u"\tCaf\ufffd \ufffd Bakery"_s) << both << 2 << 10;
    QTest::newRow("NUL bytes in the text are dropped, as a browser drops them")
        << page(pageWith("Hollow", std::string("Hol\0low", 7))) << full << both << 2 << 10;
    QTest::newRow("NUL bytes in a figure are kept")
        << answering([](RawConnection &c) { c.send(response(200, kPhonePage)); },
                     "<!--TitleBorder in Shared.asp -->//alert(39.7" + std::string(1, '\0') + "8)//alert(-89.65)")
        << Expected([](const QString &base) {
               LookupResult r = mapped(base, u"\tPine Hollow Bakery"_s, u"lookups/mapY.asp?phone=3125550142"_s);
               r.Latitude = QStringLiteral("39.7") + QChar(u'\0') + u'8';
               r.ResultText.replace(u"39.78"_s, r.Latitude);
               return r;
           })
        << both << 2 << 10;
    QTest::newRow("a charset the header names but the page does not use")
        << page(pageWith("Pine", "Caf\xc3\xa9", "<head><meta charset=utf-8></head>"), "text/html; charset=ISO-8859-1")
        << mappedWith(u"\tCaf\u00c3\u00a9 Hollow Bakery"_s) << both << 2 << 10;

    QTest::newRow("a mebibyte on one line")
        << page(bodyWithRows("<div>" + std::string(1 << 20, 'w') + "</div>")) << full << both << 2 << 10;
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<div>";
    QTest::newRow("tags nested 100,000 deep") << page(bodyWithRows(deep)) << full << both << 2 << 10;
    std::string cells = "<table><tr>";
    for (int i = 0; i < 100000; ++i)
        cells += "<td>c</td>";
    QTest::newRow("100,000 table cells") << page(bodyWithRows(cells + "</tr></table>")) << full << both << 2 << 10;
    std::string alerts = "<!--TitleBorder in Shared.asp -->";
    while (alerts.size() < (1 << 20))
        alerts += "//alert(";
    QTest::newRow("a map page that is all //alert(: only the link")
        << answering([](RawConnection &c) { c.send(response(200, kPhonePage)); }, alerts)
        << Expected([](const QString &base) {
               return LookupResult{{}, {}, base + u"lookups/mapY.asp?phone=3125550142"_s, {}};
           })
        << both << 2 << 10;
    std::string hrefs;
    while (hrefs.size() < (1 << 20))
        hrefs += "href=";
    QTest::newRow("a page that is all href=") << page(hrefs) << nothing << first << 1 << 10;
    // Fetched twice; the server sees the same request twice.
    QTest::newRow("all href= before Map-Y: the empty link is the page itself")
        << page(hrefs + ">Map-Y")
        << Expected([](const QString &base) {
               return LookupResult{{}, {}, base + u"lookups/phonelocation.asp?number=3125550142&submit1=Process"_s, {}};
           })
        << first << 2 << 10;
}

void TestLookupFaults::phoneLookup()
{
    QFETCH(Script, script);
    QFETCH(Expected, expected);
    QFETCH(QStringList, requests);
    QFETCH(int, posts);
    QFETCH(int, clockDivisor);

    std::optional<RawHttpServer> server;
    if (script)
        server.emplace(script);
    const QString base = server ? server->base() : RawHttpServer::refusingBase();
    FakeLookupClock clock(clockDivisor);
    LookupClient client(base, clock, &makeNetworkTransport);
    LookupResult result;
    client.Phone2Geo(QStringLiteral("3125550142"), result);

    const LookupResult want = expected(base);
    QCOMPARE(result.Latitude, want.Latitude);
    QCOMPARE(result.Longitude, want.Longitude);
    QCOMPARE(result.MapLink, want.MapLink);
    QCOMPARE(result.ResultText, want.ResultText);
    QCOMPARE(clock.waits, QList<std::chrono::milliseconds>(posts, 2000ms));
    QVERIFY(clock.pauses.isEmpty());
    if (server) {
        // Qt sends a request once more when its connection closes before
        // the answer begins; the server may see it twice in a row.
        QStringList seen;
        for (const std::string &request : server->requests()) {
            if (seen.isEmpty() || seen.back() != QString::fromStdString(request))
                seen << QString::fromStdString(request);
        }
        QVERIFY2(seen == requests, qPrintable(u"the server saw: "_s + seen.join(u", "_s)));
    }
}

QTEST_GUILESS_MAIN(TestLookupFaults)
#include "tst_lookupfaults.moc"
