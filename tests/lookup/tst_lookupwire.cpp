#include <deque>
#include <optional>

#include <QTest>

#include "lookup/phone2geo.h"
#include "rawhttpserver.h"
#include "scopedenv.h"
#include "scriptedtransport.h"

using namespace Qt::StringLiterals;
using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

using Script = std::function<void(RawConnection &)>;

const std::string kRows =
    "<h3>Result for Phone Number</h3><div>(312) 555-0142</div><table><tr><td>Company</td><td>Pine Hollow Bakery</td>"
    "</tr><tr><td>Address</td><td>12 Elm St</td></tr><tr><td>Springfield, IL 62701</td></tr>"
    "<tr><td>Prefix</td><td>312-555 Landline</td></tr><tr><td>Primary ZIP Code</td><td>62701</td></tr></table>";
const std::string kLink = "<a href=\"mapY.asp?phone=3125550142\">Map-Y</a>";
const std::string kPhonePage = kRows + kLink;
const std::string kMapPage = "<!--TitleBorder in Shared.asp --><script>//alert(39.78)\n//alert(-89.65)</script>";
const QString kPhoneRequest = u"POST /lookups/phonelocation.asp?number=3125550142&submit1=Process"_s;
const QString kMapRequest = u"POST /lookups/mapY.asp?phone=3125550142"_s;
const QString kMapPath = u"lookups/mapY.asp?phone=3125550142"_s;

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
        if (c.target().find("mapY.asp") != std::string::npos)
            c.send(response(200, map));
        else
            phone(c);
    };
}
Script page(const std::string &body, const std::string &contentType = "text/html")
{
    return answering([body, contentType](RawConnection &c) { c.send(response(200, body, contentType)); });
}
// The phone page moved to `target` by a redirect naming `location`.
Script moved(int status, const std::string &target, std::function<std::string(const RawConnection &)> location)
{
    return answering([=](RawConnection &c) {
        c.send(c.target() == target ? response(200, kPhonePage) : redirect(status, location(c)));
    });
}
// Map links are written relative to the server's base.
LookupResult mapped(const QString &company, const QString &mapPath = kMapPath, const QString &lat = u"39.78"_s)
{
    return {lat, u"-89.65"_s, mapPath,
            company + u"\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n(312) 555-0142\r\nLatitude: "_s + lat
                + u", Longitude: -89.65"_s};
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(corvale::LookupResult)

// The phone lookup over 127.0.0.1 against a server that misbehaves: each
// case ends with what the lookup rules give for what arrived, after its
// 2-second waits, whatever the server does.
class TestLookupWire : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void phoneLookup_data();
    void phoneLookup();

private:
    // Qt asks a proxy named in the environment; these tests talk to 127.0.0.1 directly.
    std::deque<ScopedEnv> m_env;
};

void TestLookupWire::initTestCase()
{
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                             "no_proxy", "NO_PROXY"})
        m_env.emplace_back(name, std::nullopt);
}

void TestLookupWire::phoneLookup_data()
{
    QTest::addColumn<Script>("script");   // none: nobody listens
    QTest::addColumn<LookupResult>("expected");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("posts");   // each with its 2-second wait
    QTest::addColumn<int>("pauses");
    QTest::addColumn<int>("clockDivisor");

    const LookupResult full = mapped(u"\tPine Hollow Bakery"_s);
    const LookupResult lineType{{}, {}, u"lookups/mapY.asp?zip4=62701"_s, u"This phone is Landline"_s};
    const QStringList first{kPhoneRequest};
    const QStringList both{kPhoneRequest, kMapRequest};
    const auto row = [](const char *name, const Script &script, const LookupResult &expected,
                        const QStringList &requests, int posts, int pauses = 0, int divisor = 10) {
        QTest::newRow(name) << script << expected << requests << posts << pauses << divisor;
    };

    row("connection refused", {}, {}, {}, 1);
    row("closed without an answer", [](RawConnection &) {}, {}, first, 1);
    row("no answer within the wait", [](RawConnection &c) { c.stall(); }, {}, first, 1);
    row("reset in the middle of the body", answering([](RawConnection &c) {
            c.send(withLength(kPhonePage.size()) + kPhonePage.substr(0, kPhonePage.size() / 2));
            c.reset();
        }), {}, first, 1);
    row("the body stalls past the wait: what came is read", answering([](RawConnection &c) {
            c.send(withLength(kPhonePage.size()) + kRows);
            c.stall();
        }), lineType, first, 1);
    auto tries = std::make_shared<std::atomic<int>>(0);
    row("500 while busy: asked again after a pause", answering([tries](RawConnection &c) {
            c.send(response((*tries)++ == 0 ? 500 : 200, kPhonePage));
        }), full, both, 3, 1);
    // The whole 2 s, so that the cap and not the wait ends these.
    row("a body growing past 8 MiB", [](RawConnection &c) {
            c.send(responseHead(200) + "Transfer-Encoding: chunked\r\n\r\n");
            c.sendForever(kPhonePage + std::string(64 * 1024, ' '), true);
        }, {}, first, 1, 0, 1);
    row("a length past 8 MiB", [](RawConnection &c) {
            c.send(withLength((8 << 20) + 1) + kPhonePage);
            c.sendForever(std::string(64 * 1024, ' '), false);
        }, {}, first, 1, 0, 1);
    // A few kilobytes on the wire that inflate to 32 MiB.
    const std::string bomb = qCompress(QByteArray::fromStdString(kPhonePage + std::string(32 << 20, ' '))).mid(4).toStdString();
    row("a deflated body inflating past 8 MiB", answering([bomb](RawConnection &c) {
            c.send(responseHead(200, "Content-Encoding: deflate\r\nContent-Length: " + std::to_string(bomb.size()) + "\r\n")
                   + "\r\n" + bomb);
        }), {}, first, 1, 0, 1);

    row("301: asked for with GET, the map link read against the new address",
        moved(301, "/moved/phone.asp", [](const RawConnection &) { return std::string("/moved/phone.asp"); }),
        mapped(u"\tPine Hollow Bakery"_s, u"moved/mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"GET /moved/phone.asp"_s, u"POST /moved/mapY.asp?phone=3125550142"_s}, 2);
    row("302 to a full address", moved(302, "/found", [](const RawConnection &c) {
            return "http://127.0.0.1:" + std::to_string(c.localPort()) + "/found";
        }), mapped(u"\tPine Hollow Bakery"_s, u"mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"GET /found"_s, u"POST /mapY.asp?phone=3125550142"_s}, 2);
    row("307: the form is sent again", moved(307, "/kept", [](const RawConnection &) { return std::string("/kept"); }),
        mapped(u"\tPine Hollow Bakery"_s, u"mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"POST /kept"_s, u"POST /mapY.asp?phone=3125550142"_s}, 2);
    row("a redirect to another scheme is not followed",
        moved(302, "/never", [](const RawConnection &) { return std::string("ftp://127.0.0.1/never"); }), {}, first, 1);
    QStringList loop{kPhoneRequest};
    for (int i = 0; i < 10; ++i)
        loop << (i % 2 == 0 ? u"GET /loop"_s : u"GET /pool"_s);
    row("a redirect loop ends after ten",
        [](RawConnection &c) { c.send(redirect(302, c.target() == "/loop" ? "/pool" : "/loop")); }, {}, loop, 1);

    row("chunked encoding", answering([](RawConnection &c) {
            c.send(responseHead(200) + "Transfer-Encoding: chunked\r\n\r\n");
            for (size_t at = 0; at < kPhonePage.size(); at += 100) {
                const std::string part = kPhonePage.substr(at, 100);
                c.send(QByteArray::number(qulonglong(part.size()), 16).toStdString() + "\r\n" + part + "\r\n");
            }
            c.send("0\r\n\r\n");
        }), full, both, 2);
    row("HTTP/1.0 without a length, ended by the close", answering([](RawConnection &c) {
            c.send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + kPhonePage);
        }), full, both, 2);
    row("a length shorter than the body: the page ends there",
        answering([](RawConnection &c) { c.send(withLength(kRows.size()) + kPhonePage); }), lineType, first, 1);
    row("a length longer than the body, then closed",
        answering([](RawConnection &c) { c.send(withLength(kPhonePage.size() + 100) + kPhonePage); }), {}, first, 1);

    row("invalid UTF-8 is replaced, not dropped", page(std::string(kRows).replace(kRows.find("Pine"), 11, "Caf\xe9 \xff")
            + kLink, "text/html; charset=utf-8"), mapped(u"\tCaf\ufffd \ufffd Bakery"_s), both, 2);
    row("NUL bytes in the text are dropped", page(std::string(kRows).insert(kRows.find("Hollow") + 3, 1, '\0') + kLink),
        full, both, 2);
    row("NUL bytes in a figure are kept", answering([](RawConnection &c) { c.send(response(200, kPhonePage)); },
            "<!--TitleBorder in Shared.asp -->//alert(39.7" + std::string(1, '\0') + "8)//alert(-89.65)"),
        mapped(u"\tPine Hollow Bakery"_s, kMapPath, u"39.7"_s + QChar(u'\0') + u'8'), both, 2);
    row("the header's charset wins over the page's", page("<meta charset=utf-8>" + std::string(kRows).replace(
            kRows.find("Pine"), 4, "Caf\xc3\xa9") + kLink, "text/html; charset=ISO-8859-1"),
        mapped(u"\tCaf\u00c3\u00a9 Hollow Bakery"_s), both, 2);
    std::string alerts = "<!--TitleBorder in Shared.asp -->";
    while (alerts.size() < (1 << 20))
        alerts += "//alert(";
    row("a map page that is all //alert(: only the link",
        answering([](RawConnection &c) { c.send(response(200, kPhonePage)); }, alerts), {{}, {}, kMapPath, {}}, both, 2);
    std::string hrefs;
    while (hrefs.size() < (1 << 20))
        hrefs += "href=";
    row("a page that is all href=", page(hrefs), {}, first, 1);
    row("all href= before Map-Y: the empty link is the page itself", page(hrefs + ">Map-Y"),
        {{}, {}, u"lookups/phonelocation.asp?number=3125550142&submit1=Process"_s, {}}, first, 2);
}

void TestLookupWire::phoneLookup()
{
    QFETCH(Script, script);
    QFETCH(LookupResult, expected);
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
    LookupResult result;
    client.Phone2Geo(u"3125550142"_s, result);

    QCOMPARE(result.Latitude, expected.Latitude);
    QCOMPARE(result.Longitude, expected.Longitude);
    QCOMPARE(result.MapLink, expected.MapLink.isEmpty() ? QString() : base + expected.MapLink);
    QCOMPARE(result.ResultText, expected.ResultText);
    QCOMPARE(clock.waits, QList<std::chrono::milliseconds>(posts, 2000ms));
    QCOMPARE(clock.pauses, QList<std::chrono::milliseconds>(pauses, 1500ms));
    if (!server)
        return;
    // Qt sends a request once more when its connection closes before the
    // answer begins, so the server may see it twice in a row.
    QStringList seen;
    for (const std::string &request : server->requests()) {
        if (seen.isEmpty() || seen.back() != QString::fromStdString(request))
            seen << QString::fromStdString(request);
    }
    QVERIFY2(seen == requests, qPrintable(u"the server saw: "_s + seen.join(u", "_s)));
    // Every POST is an empty form.
    for (const std::string &head : server->heads()) {
        const QByteArray h = QByteArray::fromStdString(head).toLower();
        if (h.startsWith("post ")) {
            QVERIFY2(h.contains("\r\ncontent-type: application/x-www-form-urlencoded\r\n"), h.constData());
            QVERIFY2(h.contains("\r\ncontent-length: 0\r\n") && h.endsWith("\r\n\r\n"), h.constData());
        }
    }
}

QTEST_GUILESS_MAIN(TestLookupWire)
#include "tst_lookupwire.moc"
