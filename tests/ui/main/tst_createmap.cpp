#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include "loopbackserver.h"
#include "mainwindowdriver.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::MainWindowDriver;
using test::SampleServiceProcess;

namespace {

const QString kSorry = u"Sorry..."_s;
const QString kServerOrNumber =
    u"Map server is currently unavailable or the number is not a main business phone number."_s;
const QString kServerOrNumberTryAgain = kServerOrNumber + u"\r\nPlease try it again."_s;
const QString kInvalidNumber = u"Valid entries look like any of these:\r\n2223334444\r\n(222)333-4444\r\n"
                               "(222) 333-4444\r\n222-333-4444\r\n222.333.4444"_s;
const QString kStartupNotice =
    u"This program uses the Melissa data server. When maps are displayed you can create a free account that "
    "allows you for 50 retrieval per day. If you need more just edit your account and this will set back the "
    "counter."_s;
const QString kRefused = u"http://127.0.0.1:1/"_s;
// Typed without the blank: the box keeps six characters.
const QStringList kOttawa{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s};

// The result box shows the lookup's lines one under another.
QString shown(const QString &resultText)
{
    return QString(resultText).replace(u"\r\n"_s, u"\n"_s);
}

} // namespace

class TestCreateMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void phoneForms_data();
    void phoneForms();
    void invalidNumbers_data();
    void invalidNumbers();
    void anyTenCharactersAreLookedUp_data();
    void anyTenCharactersAreLookedUp();
    void phoneWithMap();
    void secondMapAfterTheFirstCloses();
    void cellularNumber();
    void addressSearch_data();
    void addressSearch();
    void incompleteAddress_data();
    void incompleteAddress();
    void addressWithoutMap_data();
    void addressWithoutMap();

    void busyWhileLookingUp();
    void busyStateComesBackOnEveryPath_data();
    void busyStateComesBackOnEveryPath();
    void focusComesBackToCreateMap();
    void closingDuringALookupEndsTheProgram();

private:
    // The lookups' requests (the map window's browser GETs its page and icon,
    // sometimes after the test has moved on).
    QStringList lookupsSince(qsizetype count) const
    {
        return m_service->requests().mid(count).filter(QRegularExpression(u"^POST "_s));
    }

    std::unique_ptr<SampleServiceProcess> m_service;
};

void TestCreateMap::initTestCase()
{
    m_service = std::make_unique<SampleServiceProcess>();
    QVERIFY(m_service->base().startsWith(u"http://127.0.0.1:"_s));
}

void TestCreateMap::init()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
}

void TestCreateMap::phoneForms_data()
{
    QTest::addColumn<QString>("typed");
    for (const QString &typed : {u"2223334444"_s, u"(222)333-4444"_s, u"(222) 333-4444"_s, u"222-333-4444"_s,
                                 u"222.333.4444"_s, u"222 333 4444"_s, u"(222) 333 - 4444 "_s})
        QTest::newRow(qPrintable(typed)) << typed;
}

void TestCreateMap::phoneForms()
{
    QFETCH(QString, typed);
    MainWindowDriver driver(m_service->base());
    // The address boxes are not read when the phone box holds a number.
    driver.fill(typed, kOttawa);
    const qsizetype before = m_service->requests().size();

    driver.createMap();

    const QStringList requests = lookupsSince(before);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.constFirst(), u"POST /lookups/phonelocation.asp?number=2223334444&submit1=Process"_s);
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), u"2223334444"_s);
    // Not found: nothing to show, and the box says so before the message does.
    QCOMPARE(driver.resultText(), QString());
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constFirst().text, kServerOrNumberTryAgain);
    QCOMPARE(driver.boxes().constFirst().title, kSorry);
    QCOMPARE(driver.boxes().constFirst().parent, &driver.window());
    QCOMPARE(driver.boxes().constFirst().resultBox, QString());
    QCOMPARE(driver.maps().size(), 0);
}

void TestCreateMap::invalidNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("plus and country code: 12 characters") << u"+1 (222) 333-4444"_s;
    QTest::newRow("leading 1: 11 characters") << u"1-222-333-4444"_s;
    QTest::newRow("local number: 7 characters") << u"333-4444"_s;
    QTest::newRow("one digit too many") << u"(222) 333-44445"_s;
    QTest::newRow("a tab is not a separator") << u"222\t333\t4444"_s;
}

void TestCreateMap::invalidNumbers()
{
    QFETCH(QString, typed);
    MainWindowDriver driver(m_service->base());
    driver.fill(typed, kOttawa);
    const qsizetype before = m_service->requests().size();

    driver.createMap();

    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constFirst().text, kInvalidNumber);
    QCOMPARE(driver.boxes().constFirst().title, u"Invalid phone number"_s);
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), typed);
    QCOMPARE(driver.resultText(), kStartupNotice);
    QCOMPARE(lookupsSince(before), QStringList());
}

void TestCreateMap::anyTenCharactersAreLookedUp_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::newRow("ten letters") << u"abcdefghij"_s << u"abcdefghij"_s;
    QTest::newRow("toll-free") << u"(800) 555-0199"_s << u"8005550199"_s;
}

void TestCreateMap::anyTenCharactersAreLookedUp()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    MainWindowDriver driver(m_service->base());
    driver.fill(typed);
    const qsizetype before = m_service->requests().size();

    driver.createMap();

    QCOMPARE(lookupsSince(before),
             QStringList{u"POST /lookups/phonelocation.asp?number=%1&submit1=Process"_s.arg(sent)});
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), sent);
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constFirst().text, kServerOrNumberTryAgain);
}

void TestCreateMap::phoneWithMap()
{
    MainWindowDriver driver(m_service->base());
    driver.fill(u"(312) 555-0142"_s);
    driver.createMap();

    QCOMPARE(driver.boxes().size(), 0);
    QCOMPARE(driver.maps().size(), 1);
    const test::ShownMap &map = driver.maps().constFirst();
    QCOMPARE(map.title, u"3125550142"_s);
    QCOMPARE(map.address, QUrl(m_service->base() + u"lookups/mapY.asp?phone=3125550142"_s));
    QVERIFY(map.modal);
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), u"3125550142"_s);
    // The result stays after the map window has closed.
    QCOMPARE(driver.resultText(),
             shown(u"\tLakeshore Lantern Works\r\n\t410 W Marlow Ave\r\nChicago, IL 60601-1234\r\n(312) 555-0142\r\n"
                   "Latitude: 41.8853, Longitude: -87.6298"_s));
    QVERIFY(driver.window().findChildren<frmMap *>().isEmpty());
}

void TestCreateMap::secondMapAfterTheFirstCloses()
{
    MainWindowDriver driver(m_service->base());
    QList<QPointer<frmMap>> opened;
    connect(&driver.window(), &frmMaps::mapWindowOpening, this, [&opened](frmMap *map) {
        for (const QPointer<frmMap> &earlier : std::as_const(opened))
            QVERIFY2(earlier.isNull(), "the earlier map window is gone");
        opened.append(map);
    });
    driver.fill(u"(303) 555-0150"_s);
    driver.createMap();
    driver.fill(u"3035550150"_s);
    driver.createMap();

    QCOMPARE(opened.size(), 2);
    QCOMPARE(driver.maps().size(), 2);
    for (const test::ShownMap &map : driver.maps()) {
        QCOMPARE(map.title, u"3035550150"_s);
        QCOMPARE(map.address, QUrl(m_service->base() + u"lookups/mapY.asp?zip4=80202"_s));
    }
    QCOMPARE(driver.resultText(), u"This phone is Landline"_s);
}

void TestCreateMap::cellularNumber()
{
    MainWindowDriver driver(m_service->base());
    driver.fill(u"(415) 555-0126"_s);
    driver.createMap();

    QCOMPARE(driver.maps().size(), 0);
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constFirst().text, u"This is a cellular number.\r\nPlease search by address."_s);
    QCOMPARE(driver.boxes().constFirst().title, kSorry);
    QCOMPARE(driver.boxes().constFirst().resultBox, u"This phone is Cellular"_s);
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), u"4155550126"_s);
}

void TestCreateMap::addressSearch_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("map");
    QTest::addColumn<QString>("result");

    const QString ottawaMap = u"lookups/mapY.asp?postcode=K1A0B1"_s;
    const QString ottawaResult = u"Latitude: 45.4215, Longitude: -75.6972"_s;
    QTest::newRow("Canadian, postal code of six characters")
        << QString() << kOttawa
        << u"/lookups/CanadianAddressVerify.asp?Street=24+Tamarack+Cres&city=Ottawa&"
           "Province=ON&Postcode=K1A0B1&FindAddress=Submit"_s
        << ottawaMap << ottawaResult;
    QTest::newRow("US, phone box of separators only")
        << u" (  ) - . "_s << QStringList{u"410 W Marlow Ave"_s, u"Chicago"_s, u"IL"_s, u"60601"_s}
        << u"/lookups/addressverify.asp?Address=410+W+Marlow+Ave&city=Chicago&state=IL&zip=60601&Query=Submit1"_s
        << u"lookups/mapY.asp?zip4=606011234"_s << u"Latitude: 41.8853, Longitude: -87.6298"_s;
}

void TestCreateMap::addressSearch()
{
    QFETCH(QString, phone);
    QFETCH(QStringList, address);
    QFETCH(QString, request);
    QFETCH(QString, map);
    QFETCH(QString, result);
    MainWindowDriver driver(m_service->base());
    driver.fill(phone, address);
    const qsizetype before = m_service->requests().size();

    driver.createMap();

    QCOMPARE(lookupsSince(before).value(0), u"POST "_s + request);
    QCOMPARE(driver.boxes().size(), 0);
    QCOMPARE(driver.maps().size(), 1);
    // The map window of an address search has no title.
    QCOMPARE(driver.maps().constFirst().title, QString());
    QCOMPARE(driver.maps().constFirst().address, QUrl(m_service->base() + map));
    QCOMPARE(driver.resultText(), result);
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), phone);
}

void TestCreateMap::incompleteAddress_data()
{
    QTest::addColumn<QStringList>("address");
    QTest::newRow("state of one character") << QStringList{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"O"_s, u"K1A 0B1"_s};
    QTest::newRow("postal code of four") << QStringList{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0"_s};
    QTest::newRow("no city") << QStringList{u"24 Tamarack Cres"_s, QString(), u"ON"_s, u"K1A 0B1"_s};
    QTest::newRow("no street") << QStringList{QString(), u"Ottawa"_s, u"ON"_s, u"K1A 0B1"_s};
    QTest::newRow("nothing at all") << QStringList{};
}

void TestCreateMap::incompleteAddress()
{
    QFETCH(QStringList, address);
    MainWindowDriver driver(m_service->base());
    driver.fill(QString(), address);
    const qsizetype before = m_service->requests().size();

    driver.createMap();

    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constFirst().text, u"Please complete all entries for the address."_s);
    QCOMPARE(driver.boxes().constFirst().title, u"Corvale"_s);
    QCOMPARE(driver.resultText(), kStartupNotice);
    QCOMPARE(lookupsSince(before), QStringList());
    QCOMPARE(driver.box(u"txtCity"_s)->text(), address.value(1));
}

void TestCreateMap::addressWithoutMap_data()
{
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<bool>("serviceUp");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("resultBox");

    const QStringList nowhere{u"1 Nowhere Rd"_s, u"Springfield"_s, u"IL"_s, u"62701"_s};
    const QString nowhereRequest =
        u"POST /lookups/addressverify.asp?Address=1+Nowhere+Rd&city=Springfield&state=IL&zip=62701&Query=Submit1"_s;
    QTest::newRow("not found") << nowhere << true << QString() << nowhereRequest << u"Not found."_s
                               << u"Not found."_s;
    QTest::newRow("postal code typed with its blank loses its end")
        << QStringList{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A 0B1"_s} << true << QString()
        << u"POST /lookups/CanadianAddressVerify.asp?Street=24+Tamarack+Cres&city=Ottawa&Province=ON&"
           "Postcode=K1A+0B&FindAddress=Submit"_s
        << u"Not found."_s << u"Not found."_s;
    QTest::newRow("not found, separators in the phone box") << nowhere << true << u" - "_s << nowhereRequest
                                                            << kServerOrNumber << u"Not found."_s;
    QTest::newRow("service down") << nowhere << false << QString() << QString()
                                  << u"Map server is currently unavailable."_s << QString();
    QTest::newRow("service down, separators in the phone box")
        << nowhere << false << u"()"_s << QString() << kServerOrNumber << QString();
}

void TestCreateMap::addressWithoutMap()
{
    QFETCH(QStringList, address);
    QFETCH(bool, serviceUp);
    QFETCH(QString, phone);
    QFETCH(QString, request);
    QFETCH(QString, message);
    QFETCH(QString, resultBox);
    MainWindowDriver driver(serviceUp ? m_service->base() : kRefused);
    driver.fill(phone, address);
    const qsizetype before = m_service->requests().size();

    driver.createMap();

    QCOMPARE(lookupsSince(before).value(0), request);
    QCOMPARE(driver.maps().size(), 0);
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constFirst().text, message);
    QCOMPARE(driver.boxes().constFirst().title, kSorry);
    QCOMPARE(driver.boxes().constFirst().resultBox, resultBox);
    QCOMPARE(driver.resultText(), resultBox);
    QCOMPARE(driver.box(u"txtPhone"_s)->text(), phone);
}

void TestCreateMap::busyWhileLookingUp()
{
    const SampleServiceProcess slow({u"--delay-ms"_s, u"100"_s});
    MainWindowDriver driver(slow.base());
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.fill(u"(415) 555-0126"_s);
    bool checked = false;
    QTimer::singleShot(30, &driver.window(), [&] {
        QVERIFY(!driver.button(u"Command1"_s)->isEnabled());
        QVERIFY(MainWindowDriver::busyCursor());
        // Enter does not start a second lookup meanwhile.
        QTest::keyClick(driver.box(u"txtPhone"_s), Qt::Key_Return);
        checked = true;
    });

    driver.createMap();

    QVERIFY(checked);
    QCOMPARE(slow.requests().size(), 1);
    QCOMPARE(driver.boxes().size(), 1);
    QVERIFY(driver.button(u"Command1"_s)->isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestCreateMap::busyStateComesBackOnEveryPath_data()
{
    QTest::addColumn<bool>("serviceUp");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<bool>("map");
    QTest::newRow("phone, map") << true << u"3125550142"_s << QStringList() << true;
    QTest::newRow("phone, message") << true << u"4155550126"_s << QStringList() << false;
    QTest::newRow("phone, service down") << false << u"3125550142"_s << QStringList() << false;
    QTest::newRow("address, map") << true << QString() << kOttawa << true;
    QTest::newRow("address, service down") << false << QString() << kOttawa << false;
}

void TestCreateMap::busyStateComesBackOnEveryPath()
{
    QFETCH(bool, serviceUp);
    QFETCH(QString, phone);
    QFETCH(QStringList, address);
    QFETCH(bool, map);
    MainWindowDriver driver(serviceUp ? m_service->base() : kRefused);
    driver.fill(phone, address);

    driver.createMap();

    QCOMPARE(driver.maps().size(), map ? 1 : 0);
    QCOMPARE(driver.boxes().size(), map ? 0 : 1);
    // Back before the map window or the message shows.
    if (map) {
        QVERIFY(driver.maps().constFirst().createMapEnabled);
        QVERIFY(!driver.maps().constFirst().busyCursor);
    } else {
        QVERIFY(driver.boxes().constFirst().createMapEnabled);
        QVERIFY(!driver.boxes().constFirst().busyCursor);
    }
    QVERIFY(driver.button(u"Command1"_s)->isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestCreateMap::focusComesBackToCreateMap()
{
    MainWindowDriver driver(m_service->base());
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&driver.window()));
    driver.fill(u"4155550126"_s);
    QPushButton *createMap = driver.button(u"Command1"_s);
    createMap->setFocus();
    QVERIFY(createMap->hasFocus());

    QTest::keyClick(createMap, Qt::Key_Space);

    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(QApplication::focusWidget(), createMap);
}

void TestCreateMap::closingDuringALookupEndsTheProgram()
{
    test::LoopbackServer server;
    std::atomic<bool> release = false;
    server.server.Post("/lookups/phonelocation.asp", [&release](const httplib::Request &, httplib::Response &res) {
        for (int i = 0; i < 500 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        res.set_content("<html><body>Result for Phone Number</body></html>", "text/html");
    });
    server.start();

    MainWindowDriver driver(server.base());
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.fill(u"(312) 555-0142"_s);

    bool busyWhenClosed = false;
    QTimer closer;
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, &driver.window(), [&] {
        if (server.requestCount() == 0)
            return;
        closer.stop();
        busyWhenClosed = !driver.button(u"Command1"_s)->isEnabled();
        driver.window().close();
    });
    closer.start();
    QTimer::singleShot(0, &driver.window(), [&driver] { driver.createMap(); });
    // A program that does not end on its own fails here instead of hanging.
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(2); });

    const int status = QApplication::exec();
    release = true;

    QCOMPARE(status, 0);
    QVERIFY(busyWhenClosed);
    QVERIFY(!driver.window().isVisible());
    QCOMPARE(driver.boxes().size(), 0);
    QCOMPARE(driver.maps().size(), 0);
    QVERIFY(driver.button(u"Command1"_s)->isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace corvale

QTEST_MAIN(corvale::TestCreateMap)
#include "tst_createmap.moc"
