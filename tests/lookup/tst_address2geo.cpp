#include <QTest>

#include "lookupfixture.h"

using namespace Qt::StringLiterals;

using namespace corvale;
using namespace corvale::test;

namespace {

QByteArray usPage(const QByteArray &position, const QByteArray &mapLink = {})
{
    return "<html><body><table><tr><td>Address</td><td>1 Birch Ln</td></tr>"
           "<tr><td>Latitude &amp; Longitude</td><td align=\"left\"><b>" + position
        + "</b></td></tr></table>" + mapLink + "</body></html>";
}

QByteArray canadianPage(const QByteArray &latitude, const QByteArray &longitude, const QByteArray &map)
{
    QByteArray page = "<html><title>Canadian Address Lookup</title><table>";
    if (!latitude.isEmpty())
        page += "<tr><td align=right>Latitude</td><td align=left><b>" + latitude + "</b> Degrees North</td></tr>";
    if (!longitude.isEmpty())
        page += "<tr><td align=right>Longitude</td><td align=left><b>" + longitude + "</b> Degrees West</td></tr>";
    if (!map.isEmpty())
        page += "<tr><td><a href=g>Google</a>&nbsp;&nbsp;<a href=" + map + ">Yahoo</a></td></tr>";
    return page + "</table></html>";
}

} // namespace

class TestAddress2Geo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestAddress_data();
    void requestAddress();
    void readingPages_data();
    void readingPages();
    void failedFetchAssignsNothing();
};

void TestAddress2Geo::requestAddress_data()
{
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<QString>("sent");

    const auto us = [](const char *query) { return kBase + u"lookups/addressverify.asp?"_s + QLatin1String(query); };
    const auto ca = [](const char *query) {
        return kBase + u"lookups/CanadianAddressVerify.asp?"_s + QLatin1String(query);
    };
    QTest::newRow("ON is Canadian, blank in postal code becomes +")
        << QStringList{QStringLiteral("1 Maple Ave"), QStringLiteral("Ottawa"), QStringLiteral("ON"), QStringLiteral("K1A 0B1")}
        << ca("Street=1+Maple+Ave&city=Ottawa&Province=ON&Postcode=K1A+0B1&FindAddress=Submit");
    QTest::newRow("on in small letters is a US state")
        << QStringList{QStringLiteral("1 Maple Ave"), QStringLiteral("Ottawa"), QStringLiteral("on"), QStringLiteral("K1A0B1")}
        << us("Address=1+Maple+Ave&city=Ottawa&state=on&zip=K1A0B1&Query=Submit1");
    QTest::newRow("NL is not in the province list")
        << QStringList{QStringLiteral("2 Cod Rd"), QStringLiteral("Gander"), QStringLiteral("NL"), QStringLiteral("A1V1W8")}
        << us("Address=2+Cod+Rd&city=Gander&state=NL&zip=A1V1W8&Query=Submit1");
    QTest::newRow("NU is not in the province list")
        << QStringList{QStringLiteral("3 Ice St"), QStringLiteral("Iqaluit"), QStringLiteral("NU"), QStringLiteral("X0A0H0")}
        << us("Address=3+Ice+St&city=Iqaluit&state=NU&zip=X0A0H0&Query=Submit1");
    QTest::newRow("NF is Canadian")
        << QStringList{QStringLiteral("2 Cod Rd"), QStringLiteral("Gander"), QStringLiteral("NF"), QStringLiteral("A1V1W8")}
        << ca("Street=2+Cod+Rd&city=Gander&Province=NF&Postcode=A1V1W8&FindAddress=Submit");
    // Characters that would add or cut query fields travel encoded.
    QTest::newRow("ampersand, hash, equals and question mark encoded")
        << QStringList{QStringLiteral("12 Elm & Oak #3"), QStringLiteral("a=b?c"), QStringLiteral("IL"), QStringLiteral("62701")}
        << us("Address=12+Elm+%26+Oak+%233&city=a%3Db%3Fc&state=IL&zip=62701&Query=Submit1");
    QTest::newRow("placeholder text in a field reaches the service unchanged")
        << QStringList{QStringLiteral("cccccc ssssss"), QStringLiteral("zzzzzz"), QStringLiteral("IL"), QStringLiteral("62701")}
        << us("Address=cccccc+ssssss&city=zzzzzz&state=IL&zip=62701&Query=Submit1");
    QTest::newRow("plus and non-ASCII as UTF-8 bytes")
        << QStringList{QStringLiteral("1+1 Rue Ch\u00e2teau"), QStringLiteral("Qu\u00e9bec"), QStringLiteral("QC"), QStringLiteral("G1R4P5")}
        << ca("Street=1%2B1+Rue+Ch%C3%A2teau&city=Qu%C3%A9bec&Province=QC&Postcode=G1R4P5&FindAddress=Submit");
}

void TestAddress2Geo::requestAddress()
{
    QFETCH(QStringList, address);
    QFETCH(QString, sent);

    ScriptedLookup lookup({noStatus()});
    LookupResult got;
    lookup.client.Address2Geo(address[0], address[1], address[2], address[3], got);
    QCOMPARE(lookup.log->requests.size(), 1);
    QCOMPARE(lookup.log->requests.first().toString(QUrl::FullyEncoded), sent);
}

void TestAddress2Geo::readingPages_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("zip");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("mapLink");
    QTest::addColumn<QString>("resultText");

    const QString il = QStringLiteral("IL");
    const QString zip = QStringLiteral("62701");
    const QByteArray position = "39.80</b> Degrees North &nbsp;&nbsp;<b>89.64</b> Degrees West";
    const QByteArray mapY = "<a href=mapY.asp?zip4=62701-1234>MapY</a>";
    const QString zipMap = kBase + u"lookups/mapY.asp?zip4=627011234"_s;

    QTest::newRow("US: all markers")
        << il << zip << usPage(position, mapY) << QStringLiteral("39.80") << QStringLiteral("-89.64")
        << zipMap << QStringLiteral("Latitude: 39.80, Longitude: -89.64");
    QTest::newRow("US: north marker without a later bold end")
        << il << zip << QByteArray("Latitude &amp; Longitude</td><td align=\"left\"><b>39.80</b> Degrees North &nbsp;&nbsp;<b>89.64")
        << QStringLiteral("39.80") << QString() << QString() << QStringLiteral("Latitude: 39.80, Longitude: ");
    QTest::newRow("US: no latitude marker")
        << il << zip << QByteArray("<b>39.80</b> Degrees North &nbsp;&nbsp;<b>89.64</b>") << QString() << QString()
        << QString() << QStringLiteral("Latitude: , Longitude: ");
    QTest::newRow("US: link keeps a closing quote")
        << il << zip << usPage(position, "<a href=\"mapY.asp?zip4=62701-1234\">MapY</a>")
        << QStringLiteral("39.80") << QStringLiteral("-89.64") << zipMap + u'"'
        << QStringLiteral("Latitude: 39.80, Longitude: -89.64");
    QTest::newRow("US: the last ZIP before MapY is taken")
        << il << zip << usPage(position, "62701 x <a href=mapY.asp?zip4=62701-9>MapY</a>")
        << QStringLiteral("39.80") << QStringLiteral("-89.64") << kBase + u"lookups/mapY.asp?zip4=627019"_s
        << QStringLiteral("Latitude: 39.80, Longitude: -89.64");
    QTest::newRow("US: MapY without the ZIP before it")
        << il << zip << usPage(position, "<a href=mapY.asp?zip4=99999>MapY</a> 62701")
        << QStringLiteral("39.80") << QStringLiteral("-89.64") << QString()
        << QStringLiteral("Latitude: 39.80, Longitude: -89.64");
    QTest::newRow("not found, with what the page still holds")
        << il << zip << usPage(position, mapY + "The address was not found.")
        << QStringLiteral("39.80") << QStringLiteral("-89.64") << zipMap << QStringLiteral("Not found.");
    QTest::newRow("Canadian: all markers")
        << QStringLiteral("ON") << QStringLiteral("K1A0B1")
        << canadianPage("45.42", "75.70", "mapY.asp?postcode=K1A0B1") << QStringLiteral("45.42")
        << QStringLiteral("-75.70") << kBase + u"lookups/mapY.asp?postcode=K1A0B1"_s
        << QStringLiteral("Latitude: 45.42, Longitude: -75.70");
    QTest::newRow("Canadian: each value on its own")
        << QStringLiteral("ON") << QStringLiteral("K1A0B1") << canadianPage("45.42", {}, "m.asp")
        << QStringLiteral("45.42") << QString() << kBase + u"lookups/m.asp"_s
        << QStringLiteral("Latitude: 45.42, Longitude: ");
    QTest::newRow("Canadian request, answer without the heading: US markers")
        << QStringLiteral("ON") << QStringLiteral("K1A0B1")
        << canadianPage("45.42", "75.70", "m.asp").replace("Canadian Address Lookup", "Address Lookup")
        << QString() << QString() << QString() << QStringLiteral("Latitude: , Longitude: ");
    QTest::newRow("Canadian layout chosen by the answer, not the province")
        << il << zip << canadianPage("45.42", "75.70", "m.asp") << QStringLiteral("45.42")
        << QStringLiteral("-75.70") << kBase + u"lookups/m.asp"_s << QStringLiteral("Latitude: 45.42, Longitude: -75.70");
    QTest::newRow("markers are case-sensitive")
        << il << zip << usPage(position, mapY).replace("Latitude &amp; Longitude", "latitude &amp; longitude")
        << QString() << QString() << zipMap << QStringLiteral("Latitude: , Longitude: ");
}

void TestAddress2Geo::readingPages()
{
    QFETCH(QString, state);
    QFETCH(QString, zip);
    QFETCH(QByteArray, page);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, mapLink);
    QFETCH(QString, resultText);

    ScriptedLookup lookup({answer(200, page)});
    LookupResult got;
    lookup.client.Address2Geo(QStringLiteral("1 Birch Ln"), QStringLiteral("Springfield"), state, zip, got);
    QCOMPARE(got.Latitude, latitude);
    QCOMPARE(got.Longitude, longitude);
    QCOMPARE(got.MapLink, mapLink);
    QCOMPARE(got.ResultText, resultText);
    QCOMPARE(lookup.log->requests.size(), 1);
}

void TestAddress2Geo::failedFetchAssignsNothing()
{
    ScriptedLookup lookup({answer(503), answer(503), answer(503), answer(503), answer(503), answer(503)});
    LookupResult got;
    lookup.client.Address2Geo(QStringLiteral("1 Birch Ln"), QStringLiteral("Springfield"),
                              QStringLiteral("IL"), QStringLiteral("62701"), got);
    QCOMPARE(lookup.log->requests.size(), 6);
    QCOMPARE(lookup.clock.pauses.size(), 5);
    QVERIFY(got.Latitude.isEmpty() && got.Longitude.isEmpty() && got.MapLink.isEmpty()
            && got.ResultText.isEmpty());
}

QTEST_GUILESS_MAIN(TestAddress2Geo)
#include "tst_address2geo.moc"
