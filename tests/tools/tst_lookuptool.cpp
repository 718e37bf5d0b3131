// SPDX-License-Identifier: GPL-3.0-or-later
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "corvale/version.h"
#include "fakelookupclock.h"
#include "lookup/lookuptransport.h"
#include "rawhttpserver.h"
#include "sampleservice.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using corvale::test::RawHttpServer;

// corvale-lookup as a shell runs it, against the sample service, which
// answers at once, or a port that refuses: no lookup here waits through a pause.
class TestLookupTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void run_data();
    void run();
    void searchAnswer_data();
    void searchAnswer();
    void programOptions_data();
    void programOptions();

private:
    QTemporaryDir m_dir;
    corvale::test::SampleService m_sample;
    const QString m_sampleBase = m_sample.base();
};

void TestLookupTool::initTestCase()
{
    QVERIFY(m_sampleBase.startsWith(u"http://127.0.0.1:"_s));
}

void TestLookupTool::run_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("base"); // empty: the sample service's
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // exactly, with BASE/ for the base
    QTest::addColumn<QByteArray>("err"); // contained; none when empty
    QTest::addColumn<QByteArray>("requests"); // what the service was sent
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("addresses"); // CORVALE_ADDRESS_SERVICE; BASE/ for the sample's, null: unset

    const QByteArray invalid =
        "Valid entries look like any of these:\r\n2223334444\r\n(222)333-4444\r\n"
        "(222) 333-4444\r\n222-333-4444\r\n222.333.4444\n";
    const QByteArray incomplete = "Please complete all entries for the address.\n";
    const auto row = [](const char *name, const QStringList &args, const QString &base, int exitCode,
                        const QByteArray &out, const QByteArray &err = {}, const QByteArray &requests = {},
                        const QByteArray &input = {}, const QString &addresses = {}) {
        QTest::newRow(name) << args << base << exitCode << out << err << requests << input << addresses;
    };
    const auto json = [](const char *lat, const char *lon, const char *link, const char *text) {
        return "{\"Latitude\":\"" + QByteArray(lat) + "\",\"Longitude\":\"" + lon + "\",\"MapLink\":\"" + link
            + "\",\"ResultText\":\"" + text + "\"}\n";
    };

    row("11 digits", {u"phone"_s, u"1-312-555-0142"_s}, {}, 2, {}, invalid);
    row("state of three letters", {u"address"_s, u"1 Elm"_s, u"X"_s, u"ILL"_s, u"62701"_s}, {}, 2, {}, incomplete);
    row("no command", {}, {}, 2, {}, "missing command\nTry 'corvale-lookup --help'.\n");
    row("unknown command", {u"fax"_s}, {}, 2, {}, "unknown command \"fax\"");
    row("missing number", {u"phone"_s}, {}, 2, {}, "phone takes one NUMBER");
    row("base without its slash", {u"phone"_s, u"3125550142"_s}, u"http://127.0.0.1:9"_s, 2, {},
        "CORVALE_LOOKUP_BASE must be an http or https address ending in \"/\", without \"?\" or \"#\", not "
        "\"http://127.0.0.1:9\"");
    row("base of another scheme", {u"phone"_s, u"3125550142"_s}, u"ftp://127.0.0.1/"_s, 2, {}, "CORVALE_LOOKUP_BASE");
    // Every request's path is appended to the base: a query or fragment would swallow it.
    row("base with a fragment", {u"phone"_s, u"3125550142"_s}, u"http://127.0.0.1:9/#/"_s, 2, {},
        "CORVALE_LOOKUP_BASE");
    row("base with a query", {u"phone"_s, u"3125550142"_s}, u"http://127.0.0.1:9/?site=/"_s, 2, {},
        "CORVALE_LOOKUP_BASE");
    row("lines of a page from standard input, joined by CR LF", {u"lines"_s}, {}, 0, "Caf\xc3\xa9\r\n\r\na\tb", {}, {},
        "<p>Caf\xc3\xa9</p><table><tr><td>a</td><td>b</td></tr></table>");
    row("a failed lookup still prints its line", {u"phone"_s, u"3125550142"_s}, RawHttpServer::refusingBase(), 0,
        json("", "", "", ""));
    row("a business and its map, the number without separators", {u"phone"_s, u"(312) 555-0142"_s}, {}, 0,
        json("41.8853", "-87.6298", "BASE/lookups/mapY.asp?phone=3125550142",
             "\\tLakeshore Lantern Works\\r\\n\\t410 W Marlow Ave\\r\\nChicago, IL 60601-1234\\r\\n(312) 555-0142\\r\\n"
             "Latitude: 41.8853, Longitude: -87.6298"),
        {},
        "POST /lookups/phonelocation.asp?number=3125550142&submit1=Process\nPOST /lookups/mapY.asp?phone=3125550142\n",
        {}, u"BASE/"_s);
    row("a US address", {u"address"_s, u"410 W Marlow Ave"_s, u"Chicago"_s, u"IL"_s, u"60601"_s}, {}, 0,
        json("41.8853", "-87.6298", "BASE/lookups/mapY.asp?zip4=606011234", "Latitude: 41.8853, Longitude: -87.6298"),
        {}, "POST /lookups/addressverify.asp?Address=410+W+Marlow+Ave&city=Chicago&state=IL&zip=60601&Query=Submit1\n");
    row("a Canadian address, the texts passed on as typed",
        {u"address"_s, u" 24 Tamarack Cres "_s, u"Ottawa"_s, u"ON"_s, u"K1A 0B1"_s}, {}, 0,
        json("45.4215", "-75.6972", "BASE/lookups/mapY.asp?postcode=K1A0B1", "Latitude: 45.4215, Longitude: -75.6972"),
        {},
        "POST /lookups/CanadianAddressVerify.asp?Street=+24+Tamarack+Cres+&city=Ottawa&Province=ON&Postcode=K1A+0B1"
        "&FindAddress=Submit\n");
    row("an address through the address service",
        {u"address"_s, u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A 0B1"_s}, {}, 0,
        json("45.4215", "-75.6972",
             "BASE/export/"
             "embed.html?bbox=-75.700200,45.419500,-75.694200,45.423500&layer=mapnik&marker=45.4215,-75.6972",
             "24 Tamarack Cres, Ottawa, ON, K1A 0B1, Canada\\r\\nLatitude: 45.4215, Longitude: -75.6972\\r\\n"
             "\u00a9 OpenStreetMap contributors"),
        {},
        "GET /search?street=24%20Tamarack%20Cres&city=Ottawa&state=ON&postalcode=K1A%200B1&countrycodes=us,ca&"
        "format=jsonv2&addressdetails=1&limit=1\n",
        {}, u"BASE/"_s);
    row("an address service refused", {u"address"_s, u"1 Elm"_s, u"X"_s, u"IL"_s, u"62701"_s}, {}, 2, {},
        "corvale-lookup: CORVALE_ADDRESS_SERVICE must be \"openstreetmap\", or an http", {}, {}, u"osm"_s);
}

void TestLookupTool::run()
{
    QFETCH(QStringList, args);
    QFETCH(QString, base);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QByteArray, requests);
    QFETCH(QByteArray, input);
    QFETCH(QString, addresses);

    const qsizetype asked = m_sample.requests().size();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"CORVALE_LOOKUP_BASE"_s, base.isEmpty() ? m_sampleBase : base);
    env.remove(u"CORVALE_ADDRESS_SERVICE"_s);
    if (!addresses.isNull())
        env.insert(u"CORVALE_ADDRESS_SERVICE"_s, addresses.replace(u"BASE/"_s, m_sampleBase));
    // Each run a cache folder of its own: no run waits for the one before.
    env.insert(u"XDG_CACHE_HOME"_s, m_dir.filePath(QString::fromUtf8(QTest::currentDataTag())));
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(CORVALE_LOOKUP_TOOL), args);
    tool.write(input);
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    QCOMPARE(tool.readAllStandardOutput(), out.replace("BASE/", m_sampleBase.toUtf8()));
    const QByteArray printed = tool.readAllStandardError();
    QVERIFY2(err.isEmpty() ? printed.isEmpty() : printed.contains(err), printed.constData());
    QCOMPARE(m_sample.requests().mid(asked), requests);
}

// What the sample service answers for its street addresses has the fields
// and types of Nominatim's search in format jsonv2, as its API reference
// gives them.
void TestLookupTool::searchAnswer_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("country"); // the place's country code; empty: no place
    for (const auto &[query, country] :
         {std::pair{u"street=410%20W%20Marlow%20Ave&city=Chicago&state=IL&postalcode=60601"_s, u"us"_s},
          {u"street=24%20Tamarack%20Cres&city=Ottawa&state=ON&postalcode=K1A%200B1"_s, u"ca"_s},
          {u"street=95%20Rue%20des%20Tisserands&city=Montr%C3%A9al&state=QC&postalcode=H2Y%201C6"_s, u"ca"_s},
          {u"street=1%20Nowhere%20Rd&city=Springfield&state=IL&postalcode=62701"_s, QString()}})
        QTest::newRow(qPrintable(query.section(u'&', 0, 1))) << query << country;
}

void TestLookupTool::searchAnswer()
{
    QFETCH(QString, query);
    QFETCH(QString, country);
    corvale::test::FakeLookupClock clock(1);
    const corvale::LookupAnswer answer = corvale::makeNetworkTransport(clock)->send(
        {QUrl(m_sampleBase + u"search?"_s + query + u"&countrycodes=us,ca&format=jsonv2&addressdetails=1&limit=1"_s),
         false},
        2000ms);
    QCOMPARE(answer.status, 200);
    QVERIFY(answer.contentType.startsWith("application/json"));
    const QJsonArray places = QJsonDocument::fromJson(answer.body).array();
    QCOMPARE(places.size(), country.isEmpty() ? 0 : 1);
    if (country.isEmpty())
        return;
    // The degrees as strings, inside the bounding box (south, north, west, east) as strings.
    const QJsonObject place = places.first().toObject();
    QCOMPARE(place.keys(),
             QStringList({u"address"_s, u"addresstype"_s, u"boundingbox"_s, u"category"_s, u"display_name"_s,
                          u"importance"_s, u"lat"_s, u"licence"_s, u"lon"_s, u"name"_s, u"osm_id"_s, u"osm_type"_s,
                          u"place_id"_s, u"place_rank"_s, u"type"_s}));
    const QJsonArray box = place.value(u"boundingbox"_s).toArray();
    QCOMPARE(box.size(), 4);
    for (const auto &[at, name] : {std::pair{0, u"lat"_s}, {2, u"lon"_s}}) {
        const double degrees = place.value(name).toString().toDouble();
        QVERIFY(place.value(name).isString() && box[at].isString() && box[at + 1].isString());
        QVERIFY(box[at].toString().toDouble() <= degrees && degrees <= box[at + 1].toString().toDouble());
    }
    QCOMPARE(place.value(u"address"_s).toObject().value(u"country_code"_s).toString(), country);
}

// corvale's own options answer without a display: it is run without one, on
// a platform that needs one.
void TestLookupTool::programOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // contained; none when empty
    QTest::addColumn<QByteArray>("err"); // contained; none when empty
    const QByteArray version = "corvale " + QByteArray(corvale::kVersion) + '\n';
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << QByteArray("Usage: ") << QByteArray();
    QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << QByteArray("--version") << QByteArray();
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << version << QByteArray();
    QTest::newRow("after an option every Qt program takes")
        << QStringList{u"-platform"_s, u"xcb"_s, u"--version"_s} << 0 << version << QByteArray();
    QTest::newRow("unknown option") << QStringList{u"--frobnicate"_s} << 2 << QByteArray()
                                    << QByteArray("Unknown option 'frobnicate'.\n\nUsage: ");
    QTest::newRow("an argument") << QStringList{u"3125550142"_s} << 2 << QByteArray()
                                 << QByteArray("no arguments: \"3125550142\"\n\nUsage: ");
}

void TestLookupTool::programOptions()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        env.remove(name);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CORVALE_PROGRAM), args);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    const QByteArray printed = program.readAllStandardOutput();
    QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.contains(out), printed.constData());
    const QByteArray printedErr = program.readAllStandardError();
    QVERIFY2(err.isEmpty() ? printedErr.isEmpty() : printedErr.contains(err), printedErr.constData());
}

QTEST_GUILESS_MAIN(TestLookupTool)
#include "tst_lookuptool.moc"
