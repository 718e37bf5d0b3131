#include <atomic>
#include <thread>

#include <QTest>

#include "loopbackserver.h"
#include "lookup/phone2geo.h"
#include "scriptedtransport.h"

using namespace Qt::StringLiterals;

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

const std::string kPhonePage =
    "<html><body><h3>Result for Phone Number</h3><div>(312) 555-0142</div>"
    "<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr>"
    "<tr><td>Address</td><td>12 Elm St</td></tr><tr><td>Springfield, IL 62701</td></tr></table>"
    "<a href=\"mapY.asp?phone=3125550142\">Map-Y</a></body></html>";
const std::string kMapPage = "<!--TitleBorder in Shared.asp --><script>//alert(39.78)\n//alert(-89.65)</script>";

// Answers the phone page after `failures` answers of 500.
void servePhone(LoopbackServer &server, int failures)
{
    auto count = std::make_shared<std::atomic<int>>(0);
    server.server.Post("/lookups/phonelocation.asp", [count, failures](const httplib::Request &, httplib::Response &res) {
        if ((*count)++ < failures) {
            res.status = 500;
            res.set_content("busy", "text/html");
            return;
        }
        res.set_content(kPhonePage, "text/html; charset=utf-8");
    });
    server.server.Post("/lookups/mapY.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kMapPage, "text/html");
    });
}

struct NetworkLookup
{
    explicit NetworkLookup(const QString &base)
        : client(base, clock, &makeNetworkTransport)
    {
    }
    FakeLookupClock clock;
    LookupClient client;
    LookupResult result;

    void phone() { client.Phone2Geo(QStringLiteral("3125550142"), result); }
};

} // namespace

class TestLookupNetwork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusSequences_data();
    void statusSequences();
    void requestAsAFormSendsIt();
    void noAnswerWithinTheWait();
    void slowAnswerIsReadWhole();
    void brokenConnectionEndsTheLookup();
    void oversizedAnswerEndsTheLookup();
    void redirectIsFollowed();
    void refusedConnection();
};

void TestLookupNetwork::statusSequences_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("firstPageRequests");
    QTest::addColumn<bool>("found");

    QTest::newRow("500 every time") << 100 << 6 << false;
    QTest::newRow("200 on the third try") << 2 << 3 << true;
    QTest::newRow("200 at once") << 0 << 1 << true;
}

void TestLookupNetwork::statusSequences()
{
    QFETCH(int, failures);
    QFETCH(int, firstPageRequests);
    QFETCH(bool, found);

    LoopbackServer server;
    servePhone(server, failures);
    server.start();
    NetworkLookup lookup(server.base());
    lookup.phone();

    const auto received = server.received();
    QCOMPARE(std::count_if(received.begin(), received.end(),
                           [](const ReceivedRequest &r) { return r.path == "/lookups/phonelocation.asp"; }),
             firstPageRequests);
    QCOMPARE(lookup.clock.pauses.size(), firstPageRequests - 1);
    QCOMPARE(lookup.result.Latitude, found ? QStringLiteral("39.78") : QString());
    QCOMPARE(lookup.result.Longitude, found ? QStringLiteral("-89.65") : QString());
    QCOMPARE(lookup.result.MapLink,
             found ? server.base() + u"lookups/mapY.asp?phone=3125550142"_s : QString());
    QCOMPARE(lookup.result.ResultText.isEmpty(), !found);
    for (const auto wait : std::as_const(lookup.clock.waits))
        QCOMPARE(wait, 2000ms);
}

void TestLookupNetwork::requestAsAFormSendsIt()
{
    LoopbackServer server;
    servePhone(server, 0);
    server.server.Post("/lookups/addressverify.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("The address was not found.", "text/html");
    });
    server.start();
    NetworkLookup lookup(server.base());
    lookup.client.Address2Geo(QStringLiteral("12 Elm & Oak"), QStringLiteral("Springfield"),
                              QStringLiteral("IL"), QStringLiteral("62701"), lookup.result);
    lookup.phone();

    const auto received = server.received();
    QCOMPARE(received.size(), size_t(3));
    QCOMPARE(received[0].path, std::string("/lookups/addressverify.asp"));
    QCOMPARE(received[0].query, std::string("Address=12+Elm+%26+Oak&city=Springfield&state=IL&zip=62701&Query=Submit1"));
    QCOMPARE(received[1].query, std::string("number=3125550142&submit1=Process"));
    QCOMPARE(received[2].path, std::string("/lookups/mapY.asp"));
    for (const ReceivedRequest &request : received) {
        QCOMPARE(request.method, std::string("POST"));
        QCOMPARE(request.contentType, std::string("application/x-www-form-urlencoded"));
        QVERIFY(request.body.empty());
    }
}

void TestLookupNetwork::noAnswerWithinTheWait()
{
    LoopbackServer server;
    server.server.Post("/lookups/phonelocation.asp", [](const httplib::Request &, httplib::Response &res) {
        std::this_thread::sleep_for(600ms);
        res.set_content(kPhonePage, "text/html");
    });
    server.start();
    NetworkLookup lookup(server.base());
    lookup.phone();
    QCOMPARE(server.requestCount(), size_t(1));
    QCOMPARE(lookup.clock.waits, QList{2000ms});
    QVERIFY(lookup.clock.pauses.isEmpty());
    QVERIFY(lookup.result.ResultText.isEmpty() && lookup.result.MapLink.isEmpty());
}

void TestLookupNetwork::slowAnswerIsReadWhole()
{
    LoopbackServer server;
    servePhone(server, 0);
    server.server.Post("/lookups/phonelocation.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_chunked_content_provider("text/html", [](size_t offset, httplib::DataSink &sink) {
            constexpr size_t step = 40;
            std::this_thread::sleep_for(5ms);
            if (offset >= kPhonePage.size()) {
                sink.done();
                return true;
            }
            const std::string part = kPhonePage.substr(offset, step);
            return sink.write(part.data(), part.size());
        });
    });
    server.start();
    NetworkLookup lookup(server.base());
    lookup.phone();
    QCOMPARE(lookup.result.Latitude, QStringLiteral("39.78"));
    QVERIFY(lookup.result.ResultText.startsWith(u"\tPine Hollow Bakery\r\n"_s));
}

void TestLookupNetwork::brokenConnectionEndsTheLookup()
{
    LoopbackServer server;
    server.server.Post("/lookups/phonelocation.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(kPhonePage.size() * 2, "text/html",
                                 [](size_t offset, size_t, httplib::DataSink &sink) {
                                     if (offset > 0)
                                         return false;
                                     return sink.write(kPhonePage.data(), kPhonePage.size());
                                 });
    });
    server.start();
    NetworkLookup lookup(server.base());
    lookup.phone();
    QCOMPARE(server.requestCount(), size_t(1));
    QVERIFY(lookup.result.ResultText.isEmpty());
    QVERIFY(lookup.result.MapLink.isEmpty());
}

void TestLookupNetwork::oversizedAnswerEndsTheLookup()
{
    LoopbackServer server;
    server.server.Post("/lookups/phonelocation.asp", [](const httplib::Request &, httplib::Response &res) {
        std::string body = kPhonePage;
        body.resize(9 * 1024 * 1024, ' ');
        res.set_content(body, "text/html");
    });
    server.start();
    NetworkLookup lookup(server.base());
    lookup.phone();
    QVERIFY(lookup.result.ResultText.isEmpty());
    QVERIFY(lookup.result.MapLink.isEmpty());
}

void TestLookupNetwork::redirectIsFollowed()
{
    LoopbackServer server;
    servePhone(server, 0);
    server.server.Post("/lookups/addressverify.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_redirect("/moved/addressverify.asp", 302);
    });
    server.server.Get("/moved/addressverify.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("<b>x</b>The address was not found.", "text/html");
    });
    server.server.Post("/moved/addressverify.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("<b>x</b>The address was not found.", "text/html");
    });
    server.start();
    NetworkLookup lookup(server.base());
    lookup.client.Address2Geo(QStringLiteral("1 Elm"), QStringLiteral("Springfield"),
                              QStringLiteral("IL"), QStringLiteral("62701"), lookup.result);
    QCOMPARE(lookup.result.ResultText, QStringLiteral("Not found."));
}

void TestLookupNetwork::refusedConnection()
{
    QString base;
    {
        LoopbackServer closed;
        closed.start();
        base = closed.base();
    }
    NetworkLookup lookup(base);
    lookup.phone();
    QVERIFY(lookup.result.ResultText.isEmpty());
    QVERIFY(lookup.result.MapLink.isEmpty());
    QVERIFY(lookup.clock.pauses.isEmpty());
}

QTEST_GUILESS_MAIN(TestLookupNetwork)
#include "tst_lookupnetwork.moc"
