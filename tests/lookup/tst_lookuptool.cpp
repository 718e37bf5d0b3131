#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include "loopbackserver.h"

using namespace corvale::test;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runTool(const QStringList &args, const QString &base, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVALE_LOOKUP_BASE"), base);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(CORVALE_LOOKUP_TOOL), args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestLookupTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void refusedInput_data();
    void refusedInput();
    void phoneLookupPrintsOneJsonLine();
    void addressLookupPassesTheTextsUnchanged();
    void failedLookupStillExitsZero();
    void linesJoinedByCrLf();

private:
    LoopbackServer m_server;
};

void TestLookupTool::initTestCase()
{
    m_server.server.Post("/lookups/phonelocation.asp", [](const httplib::Request &req, httplib::Response &res) {
        if (req.get_param_value("number") == "5555550100") {
            res.status = 500;
            return;
        }
        res.set_content("<div>Prefix line Cellular</div>", "text/html");
    });
    m_server.server.Post("/lookups/CanadianAddressVerify.asp", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("Canadian Address Lookup <tr><td align=right>Latitude</td><td align=left><b>45.4"
                        "</b> Degrees North</td></tr>",
                        "text/html");
    });
    m_server.start();
}

void TestLookupTool::refusedInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QByteArray>("message");

    const QString ok = QStringLiteral("http://127.0.0.1:9/");
    QTest::newRow("11 digits") << QStringList{QStringLiteral("phone"), QStringLiteral("1-312-555-0142")} << ok
                               << QByteArray("Valid entries look like any of these:\r\n2223334444\r\n(222)333-4444");
    QTest::newRow("plus and country code") << QStringList{QStringLiteral("phone"), QStringLiteral("+13125550142")}
                                           << ok << QByteArray("Valid entries look like any of these:");
    QTest::newRow("only separators") << QStringList{QStringLiteral("phone"), QStringLiteral("( ) - .")} << ok
                                     << QByteArray("Valid entries look like any of these:");
    QTest::newRow("state of one letter")
        << QStringList{QStringLiteral("address"), QStringLiteral("1 Elm"), QStringLiteral("X"), QStringLiteral("I"), QStringLiteral("62701")}
        << ok << QByteArray("Please complete all entries for the address.");
    QTest::newRow("postal code of four")
        << QStringList{QStringLiteral("address"), QStringLiteral("1 Elm"), QStringLiteral("X"), QStringLiteral("IL"), QStringLiteral("6270")}
        << ok << QByteArray("Please complete all entries for the address.");
    QTest::newRow("empty street")
        << QStringList{QStringLiteral("address"), QString(), QStringLiteral("X"), QStringLiteral("IL"), QStringLiteral("62701")}
        << ok << QByteArray("Please complete all entries for the address.");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("fax")} << ok << QByteArray("unknown command");
    QTest::newRow("missing argument") << QStringList{QStringLiteral("phone")} << ok << QByteArray("phone takes");
    QTest::newRow("base without trailing slash")
        << QStringList{QStringLiteral("phone"), QStringLiteral("3125550142")} << QStringLiteral("http://127.0.0.1:9")
        << QByteArray("CORVALE_LOOKUP_BASE");
    QTest::newRow("base of another scheme")
        << QStringList{QStringLiteral("phone"), QStringLiteral("3125550142")} << QStringLiteral("ftp://127.0.0.1/")
        << QByteArray("CORVALE_LOOKUP_BASE");
}

void TestLookupTool::refusedInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, base);
    QFETCH(QByteArray, message);

    const size_t before = m_server.requestCount();
    const Run run = runTool(args, base);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QCOMPARE(m_server.requestCount(), before);
}

void TestLookupTool::phoneLookupPrintsOneJsonLine()
{
    const Run run = runTool({QStringLiteral("phone"), QStringLiteral("(312) 555-0142")}, m_server.base());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith('\n'));
    QCOMPARE(run.out.count('\n'), 1);
    const QJsonObject object = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(object.keys(), (QStringList{QStringLiteral("Latitude"), QStringLiteral("Longitude"),
                                         QStringLiteral("MapLink"), QStringLiteral("ResultText")}));
    QCOMPARE(object.value(QStringLiteral("ResultText")).toString(), QStringLiteral("This phone is Cellular"));
    QCOMPARE(object.value(QStringLiteral("MapLink")).toString(), QString());
    QCOMPARE(m_server.received().back().query, std::string("number=3125550142&submit1=Process"));
}

void TestLookupTool::addressLookupPassesTheTextsUnchanged()
{
    const Run run = runTool({QStringLiteral("address"), QStringLiteral(" 1 Maple "), QStringLiteral("Ottawa"),
                             QStringLiteral("ON"), QStringLiteral("K1A 0B1")},
                            m_server.base());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(m_server.received().back().query,
             std::string("Street=+1+Maple+&city=Ottawa&Province=ON&Postcode=K1A+0B1&FindAddress=Submit"));
    const QJsonObject object = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(object.value(QStringLiteral("Latitude")).toString(), QStringLiteral("45.4"));
    QCOMPARE(object.value(QStringLiteral("ResultText")).toString(), QStringLiteral("Latitude: 45.4, Longitude: "));
}

void TestLookupTool::failedLookupStillExitsZero()
{
    const Run run = runTool({QStringLiteral("phone"), QStringLiteral("555.555.0100")}, m_server.base());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(run.out).object().value(QStringLiteral("ResultText")).toString(), QString());
}

void TestLookupTool::linesJoinedByCrLf()
{
    const Run run = runTool({QStringLiteral("lines")}, m_server.base(),
                            "<p>Caf\xc3\xa9</p><table><tr><td>a</td><td>b</td></tr></table>");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("Caf\xc3\xa9\r\n\r\na\tb"));
}

QTEST_GUILESS_MAIN(TestLookupTool)
#include "tst_lookuptool.moc"
