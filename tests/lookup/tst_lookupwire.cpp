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

using Script = std::function<void(RawConnection &)>;

const std::string kRows =
    "<h3>Result for Phone Number</h3><div>(312) 555-0142</div><table><tr><td>Company</td><td>Pine Hollow Bakery</td>"
    "</tr><tr><td>Address</td><td>12 Elm St</td></tr><tr><td>Springfield, IL 62701</td></tr>"
    "<tr><td>Prefix</td><td>312-555 Landline</td></tr><tr><td>Primary ZIP Code</td><td>62701</td></tr></table>";
const std::string kPhonePage = kRows + "<a href=\"mapY.asp?phone=3125550142\">Map-Y</a>";
const QString kPhoneRequest = u"POST /lookups/phonelocation.asp?number=3125550142&submit1=Process"_s;

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
            c.send(response(200, "<!--TitleBorder in Shared.asp --><script>//alert(39.78)\n//alert(-89.65)</script>"));
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
// Map links relative to the server's base.
LookupResult mapped(const QString &mapPath)
{
    return {u"39.78"_s, u"-89.65"_s, mapPath, u"\tPine Hollow Bakery\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n"
                                              "(312) 555-0142\r\nLatitude: 39.78, Longitude: -89.65"_s};
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
    void phoneLookup_data();
    void phoneLookup();
};

void TestLookupWire::phoneLookup_data()
{
    QTest::addColumn<Script>("script");   // none: nobody listens
    QTest::addColumn<LookupResult>("expected");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("posts");   // each with its 2-second wait
    QTest::addColumn<int>("pauses");
    QTest::addColumn<int>("clockDivisor");

    const LookupResult lineType{{}, {}, u"lookups/mapY.asp?zip4=62701"_s, u"This phone is Landline"_s};
    const QStringList first{kPhoneRequest};
    const auto row = [](const char *name, const Script &script, const LookupResult &expected,
                        const QStringList &requests, int posts, int pauses = 0, int divisor = 10) {
        QTest::newRow(name) << script << expected << requests << posts << pauses << divisor;
    };

    row("connection refused", {}, {}, {}, 1);
    row("closed without an answer", [](RawConnection &) {}, {}, first, 1);
    row("no answer within the wait", [](RawConnection &c) { c.stall(); }, {}, first, 1);
    row("reset in the middle of the body", answering([](RawConnection &c) {
            c.send(withLength(kPhonePage.size()) + kRows);
            c.reset();
        }), {}, first, 1);
    row("the body stalls past the wait: what came is read", answering([](RawConnection &c) {
            c.send(withLength(kPhonePage.size()) + kRows);
            c.stall();
        }), lineType, first, 1);
    row("a length shorter than the body: the page ends there",
        answering([](RawConnection &c) { c.send(withLength(kRows.size()) + kPhonePage); }), lineType, first, 1);
    row("a length longer than the body, then closed",
        answering([](RawConnection &c) { c.send(withLength(kPhonePage.size() + 1) + kPhonePage); }), {}, first, 1);
    auto tries = std::make_shared<std::atomic<int>>(0);
    row("500 while busy: asked again after a pause",
        answering([tries](RawConnection &c) { c.send(response((*tries)++ == 0 ? 500 : 200, kPhonePage)); }),
        mapped(u"lookups/mapY.asp?phone=3125550142"_s), {kPhoneRequest, u"POST /lookups/mapY.asp?phone=3125550142"_s}, 3, 1);
    // The whole 2 s, so that the cap and not the wait ends these.
    row("a body growing past 8 MiB", [](RawConnection &c) {
            c.send(responseHead(200) + "Transfer-Encoding: chunked\r\n\r\n");
            c.sendForever(kPhonePage + std::string(64 * 1024, ' '), true);
        }, {}, first, 1, 0, 1);
    // A few kilobytes on the wire that inflate to 32 MiB.
    const std::string bomb = qCompress(QByteArray::fromStdString(kPhonePage + std::string(32 << 20, ' '))).mid(4).toStdString();
    row("a deflated body inflating past 8 MiB", answering([bomb](RawConnection &c) {
            c.send(responseHead(200, "Content-Encoding: deflate\r\nContent-Length: " + std::to_string(bomb.size()) + "\r\n")
                   + "\r\n" + bomb);
        }), {}, first, 1, 0, 1);

    row("301: asked for with GET, the map link read against the new address", moved(301, "/to/p", "/to/p"),
        mapped(u"to/mapY.asp?phone=3125550142"_s), {kPhoneRequest, u"GET /to/p"_s, u"POST /to/mapY.asp?phone=3125550142"_s}, 2);
    row("302 to a full address", moved(302, "/found", "http://127.0.0.1:PORT/found"), mapped(u"mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"GET /found"_s, u"POST /mapY.asp?phone=3125550142"_s}, 2);
    row("307: the form is sent again", moved(307, "/kept", "/kept"), mapped(u"mapY.asp?phone=3125550142"_s),
        {kPhoneRequest, u"POST /kept"_s, u"POST /mapY.asp?phone=3125550142"_s}, 2);
    row("a redirect to another scheme is not followed", moved(302, "/never", "ftp://127.0.0.1/never"), {}, first, 1);
    QStringList loop{kPhoneRequest};
    for (int i = 0; i < 10; ++i)
        loop << (i % 2 == 0 ? u"GET /loop"_s : u"GET /pool"_s);
    row("a redirect loop ends after ten", [](RawConnection &c) {
            c.send(responseHead(302, c.target() == "/loop" ? "Location: /pool\r\n\r\n" : "Location: /loop\r\n\r\n"));
        }, {}, loop, 1);
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
    // Every POST an empty form.
    for (const std::string &head : server->heads()) {
        const QByteArray h = QByteArray::fromStdString(head).toLower();
        QVERIFY2(!h.startsWith("post ") || (h.contains("\r\ncontent-type: application/x-www-form-urlencoded\r\n")
                                            && h.contains("\r\ncontent-length: 0\r\n") && h.endsWith("\r\n\r\n")),
                 h.constData());
    }
}

QTEST_GUILESS_MAIN(TestLookupWire)
#include "tst_lookupwire.moc"
