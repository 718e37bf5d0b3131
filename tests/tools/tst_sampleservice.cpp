#include <QProcess>
#include <QTest>

#include "lookup/phone2geo.h"
#include "scriptedtransport.h"

using namespace corvale;
using namespace corvale::test;

namespace {

// The sample service as a person starts it; stopped when the test ends.
class SampleService
{
public:
    explicit SampleService(const QStringList &args = {})
    {
        m_process.start(QStringLiteral(CORVALE_SAMPLE_SERVICE), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
        if (m_process.waitForReadyRead(10000))
            m_base = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~SampleService()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    const QString &base() const { return m_base; }

private:
    QProcess m_process;
    QString m_base;
};

} // namespace

class TestSampleService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void phoneLookups_data();
    void phoneLookups();
    void addressLookups_data();
    void addressLookups();
    void busyServiceIsRetried();

private:
    std::unique_ptr<SampleService> m_service;
};

void TestSampleService::initTestCase()
{
    m_service = std::make_unique<SampleService>();
    QVERIFY(m_service->base().startsWith(u"http://127.0.0.1:"));
    QVERIFY(m_service->base().endsWith(u'/'));
}

void TestSampleService::phoneLookups_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("mapPath");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("business with a map") << QStringLiteral("3125550142") << QStringLiteral("\tLakeshore Lantern Works")
                                         << QStringLiteral("41.8853") << QStringLiteral("lookups/mapY.asp?phone=3125550142")
                                         << QStringLiteral("Latitude: 41.8853, Longitude: -87.6298");
    QTest::newRow("cellular") << QStringLiteral("4155550126") << QStringLiteral("This phone is Cellular") << QString()
                              << QString() << QStringLiteral("This phone is Cellular");
    QTest::newRow("landline without a map link") << QStringLiteral("3035550150") << QStringLiteral("This phone is Landline")
                                                 << QString() << QStringLiteral("lookups/mapY.asp?zip4=80202")
                                                 << QStringLiteral("This phone is Landline");
    QTest::newRow("unknown number") << QStringLiteral("3125550199") << QString() << QString() << QString() << QString();
}

void TestSampleService::phoneLookups()
{
    QFETCH(QString, number);
    QFETCH(QString, firstLine);
    QFETCH(QString, latitude);
    QFETCH(QString, mapPath);
    QFETCH(QString, lastLine);

    FakeLookupClock clock;
    LookupClient client(m_service->base(), clock, &makeNetworkTransport);
    LookupResult result;
    client.Phone2Geo(number, result);
    const QStringList lines = result.ResultText.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.first(), firstLine);
    QCOMPARE(lines.last(), lastLine);
    QCOMPARE(result.Latitude, latitude);
    QCOMPARE(result.MapLink, mapPath.isEmpty() ? QString() : m_service->base() + mapPath);
}

void TestSampleService::addressLookups_data()
{
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<QString>("resultText");
    QTest::addColumn<QString>("mapPath");

    QTest::newRow("US") << QStringList{QStringLiteral("410 W Marlow Ave"), QStringLiteral("Chicago"), QStringLiteral("IL"), QStringLiteral("60601")}
                        << QStringLiteral("Latitude: 41.8853, Longitude: -87.6298")
                        << QStringLiteral("lookups/mapY.asp?zip4=606011234");
    QTest::newRow("Canadian") << QStringList{QStringLiteral("24 Tamarack Cres"), QStringLiteral("Ottawa"), QStringLiteral("ON"), QStringLiteral("K1A 0B1")}
                              << QStringLiteral("Latitude: 45.4215, Longitude: -75.6972")
                              << QStringLiteral("lookups/mapY.asp?postcode=K1A0B1");
    QTest::newRow("not found") << QStringList{QStringLiteral("1 Nowhere Rd"), QStringLiteral("Chicago"), QStringLiteral("IL"), QStringLiteral("60601")}
                               << QStringLiteral("Not found.") << QString();
}

void TestSampleService::addressLookups()
{
    QFETCH(QStringList, address);
    QFETCH(QString, resultText);
    QFETCH(QString, mapPath);

    FakeLookupClock clock;
    LookupClient client(m_service->base(), clock, &makeNetworkTransport);
    LookupResult result;
    client.Address2Geo(address[0], address[1], address[2], address[3], result);
    QCOMPARE(result.ResultText, resultText);
    QCOMPARE(result.MapLink, mapPath.isEmpty() ? QString() : m_service->base() + mapPath);
}

void TestSampleService::busyServiceIsRetried()
{
    SampleService busy({QStringLiteral("--fail-first"), QStringLiteral("2")});
    FakeLookupClock clock;
    LookupClient client(busy.base(), clock, &makeNetworkTransport);
    LookupResult result;
    client.Phone2Geo(QStringLiteral("2065550117"), result);
    QCOMPARE(clock.pauses.size(), 2);
    QVERIFY(result.ResultText.startsWith(u"\tPuget Tinsmith Cooperative"));
}

QTEST_GUILESS_MAIN(TestSampleService)
#include "tst_sampleservice.moc"
