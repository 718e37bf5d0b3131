#include <QTest>

#include "lookupfixture.h"

using namespace Qt::StringLiterals;

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(corvale::LookupResult)

namespace {

const QByteArray kMapLink = "http://lookup.test/lookups/mapY.asp?phone=3125550142";

QByteArray phonePage(const QByteArray &extra, bool heading = true)
{
    QByteArray page = "<html><head><title>Phone Location</title></head><body>";
    if (heading)
        page += "<h3>Result for Phone Number</h3><div>(312) 555-0142</div>";
    page += "<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr>"
            "<tr><td>Address</td><td>12 Elm St</td></tr>"
            "<tr><td colspan=2>Springfield, IL 62701</td></tr></table>";
    return page + extra + "</body></html>";
}

QByteArray mapLinkTo(const QByteArray &href)
{
    return "<p><a href=http://lookup.test/other>Home</a> <a href=" + href + ">Map-Y</a></p>";
}

QByteArray mapPage(const QByteArray &afterBorder, const QByteArray &beforeBorder = {})
{
    return "<html><script>" + beforeBorder + "</script><!--TitleBorder in Shared.asp --><script>"
        + afterBorder + "</script></html>";
}

QString lines(std::initializer_list<const char *> parts)
{
    QStringList list;
    for (const char *part : parts)
        list << QString::fromUtf8(part);
    return list.join(QStringLiteral("\r\n"));
}

LookupResult result(const QString &latitude, const QString &longitude, const QString &mapLink,
                    const QString &resultText)
{
    return {latitude, longitude, mapLink, resultText};
}

} // namespace

class TestPhone2Geo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data();
    void outcomes();
    void retries_data();
    void retries();
    void outputsAreNeverCleared();
    void numberIsFormEncoded();
    void pagesDecodedByTheirCharset_data();
    void pagesDecodedByTheirCharset();
};

void TestPhone2Geo::outcomes_data()
{
    QTest::addColumn<QList<LookupAnswer>>("answers");
    QTest::addColumn<LookupResult>("expected");
    QTest::addColumn<int>("requests");

    const QString fullText = lines({"\tPine Hollow Bakery", "\t12 Elm St", "Springfield, IL 62701",
                                    "(312) 555-0142", "Latitude: 39.7817, Longitude: -89.6501"});
    const QString link = QString::fromLatin1(kMapLink);
    const LookupAnswer map = answer(200, mapPage("//alert(39.7817)\n//alert(-89.6501)\n"));

    QTest::newRow("map page read: five lines, both figures")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))), map}
        << result(QStringLiteral("39.7817"), QStringLiteral("-89.6501"), link, fullText) << 2;
    QTest::newRow("no heading: the number as passed in")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink), false)), map}
        << result(QStringLiteral("39.7817"), QStringLiteral("-89.6501"), link,
                  lines({"\tPine Hollow Bakery", "\t12 Elm St", "Springfield, IL 62701", "3125550142",
                         "Latitude: 39.7817, Longitude: -89.6501"}))
        << 2;
    QTest::newRow("title border but no figures")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))), answer(200, mapPage("var x;"))}
        << result({}, {}, link,
                  lines({"\tPine Hollow Bakery", "\t12 Elm St", "Springfield, IL 62701",
                         "(312) 555-0142", "Latitude: , Longitude: "}))
        << 2;
    QTest::newRow("one figure is the latitude")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))), answer(200, mapPage("//alert(39.7817)"))}
        << result(QStringLiteral("39.7817"), {}, link,
                  lines({"\tPine Hollow Bakery", "\t12 Elm St", "Springfield, IL 62701",
                         "(312) 555-0142", "Latitude: 39.7817, Longitude: "}))
        << 2;
    QTest::newRow("figures only before the title border are not taken")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))),
                 answer(200, mapPage({}, "//alert(1)\n//alert(2)"))}
        << result({}, {}, link,
                  lines({"\tPine Hollow Bakery", "\t12 Elm St", "Springfield, IL 62701",
                         "(312) 555-0142", "Latitude: , Longitude: "}))
        << 2;
    QTest::newRow("no title border: only the link")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))), answer(200, "//alert(1)//alert(2)")}
        << result({}, {}, link, {}) << 2;
    QTest::newRow("figure without closing bracket ends the lookup")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))), answer(200, mapPage("//alert(1)//alert(2"))}
        << result(QStringLiteral("1"), {}, link, {}) << 2;
    QTest::newRow("map page not 200: no second try, only the link")
        << QList{answer(200, phonePage(mapLinkTo(kMapLink))), answer(500), map}
        << result({}, {}, link, {}) << 2;
    QTest::newRow("cellular in capitals: no map")
        << QList{answer(200, phonePage("<table><tr><td>Prefix</td><td>Line CELLULAR</td></tr>"
                                       "<tr><td>Primary ZIP Code</td><td>62701</td></tr></table>"))}
        << result({}, {}, {}, QStringLiteral("This phone is CELLULAR")) << 1;
    QTest::newRow("landline: the ZIP map page")
        << QList{answer(200, phonePage("<table><tr><td>Prefix</td><td>Line Landline</td></tr>"
                                       "<tr><td>Primary ZIP Code</td><td>IL 62701</td></tr></table>"))}
        << result({}, {}, kBase + u"lookups/mapY.asp?zip4=62701"_s, QStringLiteral("This phone is Landline"))
        << 1;
    QTest::newRow("landline without a ZIP row")
        << QList{answer(200, phonePage("<div>Prefix type Landline</div>"))}
        << result({}, {}, kBase + u"lookups/mapY.asp?zip4="_s, QStringLiteral("This phone is Landline")) << 1;
    QTest::newRow("later prefix rows win")
        << QList{answer(200, phonePage("<div>Prefix a Cellular</div><div>Prefix b Landline</div>"))}
        << result({}, {}, kBase + u"lookups/mapY.asp?zip4="_s, QStringLiteral("This phone is Landline")) << 1;
    QTest::newRow("no prefix row: nothing")
        << QList{answer(200, phonePage("<div>Nothing here</div>"))} << result({}, {}, {}, {}) << 1;
    QTest::newRow("prefix without a blank is not a line type")
        << QList{answer(200, phonePage("<table><tr><td>Prefix</td><td>Landline</td></tr></table>"))}
        << result({}, {}, {}, {}) << 1;
    QTest::newRow("map-y in other case is not a map link")
        << QList{answer(200, phonePage("<a href=" + kMapLink + ">map-y</a><div>Prefix x Landline</div>"))}
        << result({}, {}, kBase + u"lookups/mapY.asp?zip4="_s, QStringLiteral("This phone is Landline")) << 1;
    // Links as pages write them: quoted, relative, or not a web address at all.
    QTest::newRow("double-quoted link loses its quotes")
        << QList{answer(200, phonePage(mapLinkTo("\"" + kMapLink + "\""))), map}
        << result(QStringLiteral("39.7817"), QStringLiteral("-89.6501"), link, fullText) << 2;
    QTest::newRow("single-quoted relative link resolved against the page")
        << QList{answer(200, phonePage(mapLinkTo("'mapY.asp?phone=3125550142'"))), map}
        << result(QStringLiteral("39.7817"), QStringLiteral("-89.6501"), link, fullText) << 2;
    QTest::newRow("javascript link is no link")
        << QList{answer(200, phonePage(mapLinkTo("\"javascript:alert(1)\"") + "<div>Prefix x Landline</div>"))}
        << result({}, {}, kBase + u"lookups/mapY.asp?zip4="_s, QStringLiteral("This phone is Landline")) << 1;
    QTest::newRow("file link is no link")
        << QList{answer(200, phonePage(mapLinkTo("file:///etc/passwd") + "<div>Prefix x Cellular</div>"))}
        << result({}, {}, {}, QStringLiteral("This phone is Cellular")) << 1;
    QTest::newRow("no href before map-y is no link")
        << QList{answer(200, "<div>>Map-Y</div><div>Prefix x Landline</div>")}
        << result({}, {}, kBase + u"lookups/mapY.asp?zip4="_s, QStringLiteral("This phone is Landline")) << 1;
    QTest::newRow("first page never answers")
        << QList{noStatus()} << result({}, {}, {}, {}) << 1;
}

void TestPhone2Geo::outcomes()
{
    QFETCH(QList<LookupAnswer>, answers);
    QFETCH(LookupResult, expected);
    QFETCH(int, requests);

    ScriptedLookup lookup({answers.begin(), answers.end()});
    LookupResult got;
    lookup.client.Phone2Geo(QStringLiteral("3125550142"), got);
    QCOMPARE(got.ResultText, expected.ResultText);
    QCOMPARE(got.MapLink, expected.MapLink);
    QCOMPARE(got.Latitude, expected.Latitude);
    QCOMPARE(got.Longitude, expected.Longitude);
    QCOMPARE(lookup.log->requests.size(), requests);
    QCOMPARE(lookup.log->transportsMade, 1);
    if (requests == 2)
        QCOMPARE(lookup.log->requests.at(1), QUrl(expected.MapLink));
}

void TestPhone2Geo::retries_data()
{
    QTest::addColumn<QList<LookupAnswer>>("answers");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("pauses");
    QTest::addColumn<bool>("found");

    const LookupAnswer busy = answer(500);
    const LookupAnswer page = answer(200, phonePage("<div>Prefix x Landline</div>"));
    QTest::newRow("500 every time: six tries") << QList{busy, busy, busy, busy, busy, busy, page} << 6 << 5 << false;
    QTest::newRow("200 on the third") << QList{busy, busy, page, page} << 3 << 2 << true;
    QTest::newRow("404 then 200") << QList{answer(404), page} << 2 << 1 << true;
    QTest::newRow("no status: no retry") << QList{noStatus(), page} << 1 << 0 << false;
}

void TestPhone2Geo::retries()
{
    QFETCH(QList<LookupAnswer>, answers);
    QFETCH(int, requests);
    QFETCH(int, pauses);
    QFETCH(bool, found);

    ScriptedLookup lookup({answers.begin(), answers.end()});
    LookupResult got;
    lookup.client.Phone2Geo(QStringLiteral("3125550142"), got);
    QCOMPARE(lookup.log->requests.size(), requests);
    QCOMPARE(lookup.clock.pauses.size(), pauses);
    for (const auto pause : std::as_const(lookup.clock.pauses))
        QCOMPARE(pause, 1500ms);
    QCOMPARE(got.ResultText.isEmpty(), !found);
    for (const QUrl &sent : std::as_const(lookup.log->requests))
        QCOMPARE(sent, lookup.log->requests.first());
}

void TestPhone2Geo::outputsAreNeverCleared()
{
    ScriptedLookup failing({answer(500), answer(500), answer(500), answer(500), answer(500), answer(500)});
    LookupResult kept{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    failing.client.Phone2Geo(QStringLiteral("3125550142"), kept);
    QCOMPARE(kept.Latitude, QStringLiteral("a"));
    QCOMPARE(kept.ResultText, QStringLiteral("d"));

    // A figure the page lacks stays as passed in and shows in the result text.
    ScriptedLookup partial({answer(200, phonePage(mapLinkTo(kMapLink))), answer(200, mapPage("//alert(5)"))});
    LookupResult preset{{}, QStringLiteral("west"), {}, {}};
    partial.client.Phone2Geo(QStringLiteral("3125550142"), preset);
    QCOMPARE(preset.Longitude, QStringLiteral("west"));
    QVERIFY(preset.ResultText.endsWith(u"Latitude: 5, Longitude: west"_s));
}

void TestPhone2Geo::numberIsFormEncoded()
{
    ScriptedLookup lookup({noStatus()});
    LookupResult got;
    lookup.client.Phone2Geo(QStringLiteral("12&x=3#4 5"), got);
    QCOMPARE(lookup.log->requests.size(), 1);
    const QUrl sent = lookup.log->requests.first();
    QCOMPARE(sent.toString(QUrl::FullyEncoded),
             kBase + u"lookups/phonelocation.asp?number=12%26x%3D3%234+5&submit1=Process"_s);
    QVERIFY(!sent.hasFragment());
}

void TestPhone2Geo::pagesDecodedByTheirCharset_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("company");
    QTest::addColumn<QString>("expected");

    QTest::newRow("utf-8 by default") << QByteArray("text/html") << QByteArray("Caf\xc3\xa9")
                                      << QStringLiteral("\tCaf\u00e9");
    QTest::newRow("latin-1 named") << QByteArray("text/html; charset=ISO-8859-1") << QByteArray("Caf\xe9")
                                   << QStringLiteral("\tCaf\u00e9");
    QTest::newRow("quoted charset") << QByteArray("text/html; charset=\"utf-8\"") << QByteArray("Caf\xc3\xa9")
                                    << QStringLiteral("\tCaf\u00e9");
    QTest::newRow("invalid bytes replaced, not dropped") << QByteArray("text/html") << QByteArray("A\xff" "B")
                                                         << QStringLiteral("\tA\ufffdB");
    QTest::newRow("unknown charset read as utf-8") << QByteArray("text/html; charset=x-nonesuch")
                                                   << QByteArray("Caf\xc3\xa9") << QStringLiteral("\tCaf\u00e9");
}

void TestPhone2Geo::pagesDecodedByTheirCharset()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, company);
    QFETCH(QString, expected);

    const QByteArray page = "<table><tr><td>Company</td><td>" + company + "</td></tr></table>"
        + mapLinkTo(kMapLink);
    ScriptedLookup lookup({answer(200, page, contentType), answer(200, mapPage({}))});
    LookupResult got;
    lookup.client.Phone2Geo(QStringLiteral("3125550142"), got);
    QCOMPARE(got.ResultText.split(QStringLiteral("\r\n")).first(), expected);
}

QTEST_GUILESS_MAIN(TestPhone2Geo)
#include "tst_phone2geo.moc"
