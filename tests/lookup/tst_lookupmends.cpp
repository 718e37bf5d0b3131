#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>

#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTest>

#include "lookup/lookupbase.h"
#include "lookup/phone2geo.h"
#include "rawhttpserver.h"
#include "scriptedtransport.h"

using namespace Qt::StringLiterals;

using namespace corvale;
using namespace corvale::test;

namespace {

const std::string kRows =
    "<h3>Result for Phone Number</h3><div>(312) 555-0142</div>"
    "<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr>"
    "<tr><td>Address</td><td>12 Elm St</td></tr><tr><td>Springfield, IL 62701</td></tr></table>";
const std::string kLink = "<a href=\"mapY.asp?phone=3125550142\">Map-Y</a>";
const std::string kMapPage = "<!--TitleBorder in Shared.asp --><script>//alert(39.78)\n//alert(-89.65)</script>";
const QString kPhoneRequest = u"POST /lookups/phonelocation.asp?number=3125550142&submit1=Process"_s;
const QString kMapRequest = u"POST /lookups/mapY.asp?phone=3125550142"_s;
const QString kMapPath = u"lookups/mapY.asp?phone=3125550142"_s;

using Script = std::function<void(RawConnection &)>;
using Expected = std::function<LookupResult(const QString &base)>;

std::string phonePage(const std::string &link = kLink, const std::string &company = "Pine")
{
    std::string rows = kRows;
    rows.replace(rows.find("Pine"), 4, company);
    return "<html><body>" + rows + link + "</body></html>";
}

// The head of a 200 answer of `length` bytes, then `sent` of them and a stall.
Script cutAtTheWait(const std::string &sent, size_t length)
{
    return [sent, length](RawConnection &c) {
        c.send(responseHead(200) + "Content-Length: " + std::to_string(length) + "\r\n\r\n" + sent);
        c.stall();
    };
}

// The phone page answered by `phone`, the map page by `map`.
Script answering(Script phone, Script map = [](RawConnection &c) { c.send(response(200, kMapPage)); })
{
    return [phone, map](RawConnection &c) { (c.target().find("mapY.asp") == std::string::npos ? phone : map)(c); };
}

Script page(const std::string &body, const std::string &contentType = "text/html")
{
    return answering([body, contentType](RawConnection &c) { c.send(response(200, body, contentType)); });
}

std::string encoded(QStringEncoder::Encoding encoding, const std::string &bom)
{
    return bom + QByteArray(QStringEncoder(encoding).encode(QString::fromStdString(phonePage()))).toStdString();
}

Expected mapped(const QString &company = u"Pine"_s, const QString &mapPath = kMapPath)
{
    return [company, mapPath](const QString &base) {
        return LookupResult{u"39.78"_s, u"-89.65"_s, base + mapPath,
                            u"\t"_s + company + u" Hollow Bakery\r\n\t12 Elm St\r\nSpringfield, IL 62701\r\n"
                                                "(312) 555-0142\r\nLatitude: 39.78, Longitude: -89.65"_s};
    };
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Expected)

// The phone lookup over 127.0.0.1: what a server that answers oddly gets
// from one lookup, and what the lookup makes of it.
class TestLookupMends : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void phoneLookup_data();
    void phoneLookup();
    void lookupBaseWithQueryOrFragment();
    void sampleServiceSendsAtOnce();
};

void TestLookupMends::phoneLookup_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<Expected>("expected");
    QTest::addColumn<QStringList>("requests");

    const Expected nothing = [](const QString &) { return LookupResult{}; };
    const Expected linkOnly = [](const QString &base) { return LookupResult{{}, {}, base + kMapPath, {}}; };
    const QStringList first{kPhoneRequest};
    const QStringList both{kPhoneRequest, kMapRequest};
    const std::string cellular = "<html><body>" + kRows
        + "<table><tr><td>Prefix</td><td>415-555 Cellular</td></tr><tr><td>Primary ZIP Code</td><td>94107</td></tr>";
    const std::string mapPage = kMapPage.substr(0, kMapPage.find("-89"));

    QTest::newRow("a line-type page cut at the wait is no answer")
        << cutAtTheWait(cellular.substr(0, cellular.find("lular")), cellular.size()) << nothing << first;
    QTest::newRow("a map page cut at the wait is no answer")
        << answering([](RawConnection &c) { c.send(response(200, phonePage())); },
                     cutAtTheWait(mapPage, kMapPage.size()))
        << linkOnly << both;
    auto asked = std::make_shared<std::atomic<int>>(0);
    QTest::newRow("a 500 of 9 MiB is retried")
        << answering([asked](RawConnection &c) {
               if ((*asked)++ == 0 && c.send(responseHead(500) + "Content-Length: 9437184\r\n\r\n"))
                   c.sendForever(std::string(1 << 16, ' '), false);
               else
                   c.send(response(200, phonePage()));
           })
        << mapped() << QStringList{kPhoneRequest, kPhoneRequest, kMapRequest};

    QTest::newRow("UTF-16LE named by its byte-order mark alone")
        << page(encoded(QStringEncoder::Utf16LE, "\xFF\xFE")) << mapped() << both;
    QTest::newRow("UTF-16BE named by its byte-order mark alone")
        << page(encoded(QStringEncoder::Utf16BE, "\xFE\xFF")) << mapped() << both;
    QTest::newRow("a UTF-8 byte-order mark before the header's charset")
        << page("\xEF\xBB\xBF" + phonePage(kLink, "Caf\xC3\xA9"), "text/html; charset=ISO-8859-1")
        << mapped(u"Caf\u00e9"_s) << both;

    const auto linked = [](const std::string &attributes) { return page(phonePage("<a " + attributes + ">Map-Y</a>")); };
    QTest::newRow("the link's quotes end its value")
        << linked("href=\"mapY.asp?phone=3125550142\" target=\"_blank\"") << mapped() << both;
    QTest::newRow("character references in the link are decoded")
        << linked("href='mapY.asp?phone=3125550142&amp;z=1'") << mapped(u"Pine"_s, kMapPath + u"&z=1"_s)
        << QStringList{kPhoneRequest, kMapRequest + u"&z=1"_s};
    QTest::newRow("blanks around the link are dropped")
        << linked("href=\" mapY.asp?phone=3125550142 \"") << mapped() << both;
    QTest::newRow("an unquoted link ends at white space")
        << linked("href=mapY.asp?phone=3125550142\tclass=m") << mapped() << both;
}

void TestLookupMends::phoneLookup()
{
    QFETCH(Script, script);
    QFETCH(Expected, expected);
    QFETCH(QStringList, requests);

    RawHttpServer server(script);
    FakeLookupClock clock;
    LookupClient client(server.base(), clock, &makeNetworkTransport);
    LookupResult result;
    client.Phone2Geo(u"3125550142"_s, result);

    const LookupResult want = expected(server.base());
    QCOMPARE((QStringList{result.Latitude, result.Longitude, result.MapLink, result.ResultText}),
             (QStringList{want.Latitude, want.Longitude, want.MapLink, want.ResultText}));
    QStringList seen;
    for (const std::string &request : server.requests())
        seen << QString::fromStdString(request);
    QCOMPARE(seen, requests);
}

// Every request's path and query are appended to the base.
void TestLookupMends::lookupBaseWithQueryOrFragment()
{
    for (const QString &base : {u"http://127.0.0.1:8047/#/"_s, u"https://lookup.test/?site=/"_s}) {
        const LookupBaseSetting setting = checkLookupBase(base);
        QVERIFY(setting.base.isEmpty() && setting.error.contains(u"CORVALE_LOOKUP_BASE"_s));
    }
    QCOMPARE(checkLookupBase(u"http://127.0.0.1:8047/"_s).base, u"http://127.0.0.1:8047/"_s);
}

// The sample service writes an answer's head and body apart; its end of a
// connection, looked at through a copy of its descriptor, must not hold the
// body back for the client's acknowledgement (Nagle's algorithm).
void TestLookupMends::sampleServiceSendsAtOnce()
{
    QProcess service;
    service.start(QStringLiteral(CORVALE_SAMPLE_SERVICE), {u"--port"_s, u"0"_s});
    QVERIFY(service.waitForReadyRead(10000));
    QTcpSocket client;
    client.connectToHost(u"127.0.0.1"_s, QUrl(QString::fromLatin1(service.readLine().trimmed())).port());
    client.write("GET /lookups/mapY.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QVERIFY(client.waitForReadyRead(10000));
    const int process = static_cast<int>(syscall(SYS_pidfd_open, service.processId(), 0));
    int noDelay = -1;
    const QDir fds(u"/proc/%1/fd"_s.arg(service.processId()));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const int copy = static_cast<int>(syscall(SYS_pidfd_getfd, process, fd.toInt(), 0));
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (getpeername(copy, reinterpret_cast<sockaddr *>(&peer), &length) == 0
            && ntohs(peer.sin_port) == client.localPort()) {
            length = sizeof noDelay;
            getsockopt(copy, IPPROTO_TCP, TCP_NODELAY, &noDelay, &length);
        }
        ::close(copy);
    }
    ::close(process);
    client.abort();
    service.terminate();
    service.waitForFinished();
    QCOMPARE(noDelay, 1);
}

QTEST_GUILESS_MAIN(TestLookupMends)
#include "tst_lookupmends.moc"
