#include <QTest>

#include "lookup/parserguard.h"

using namespace corvale;

class TestParserGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boundedForParser_data();
    void boundedForParser();
};

void TestParserGuard::boundedForParser_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("bounded");

    const QByteArray ordinary =
        "<!DOCTYPE html><html><head><title>T</title><style>p{}</style></head><body><div><table>"
        "<tr><td>Company</td><td>Pine &amp; Co</td></tr></table><p>one<br>two</p><ul><li>a<li>b</ul>"
        "</div></body></html>";
    QTest::newRow("an ordinary page passes unchanged") << ordinary << ordinary;

    QTest::newRow("formatting tags are left out")
        << QByteArray("<p><b>bold</b> <a href=\"m.asp\">link</a> <FONT color=red>red</font><i></p>")
        << QByteArray("<p>bold link red</p>");
    QTest::newRow("a hidden formatting element becomes a hidden span")
        << QByteArray("<b class=x hidden>secret</b >shown") << QByteArray("<span hidden>secret</span>shown");
    QTest::newRow("a '<' of text before a tag left out stays text")
        << QByteArray("<<b>div>x") << QByteArray("&lt;div>x");

    const QByteArray hidingPlaces =
        "<!-- <b> --><!--><b x='--!>'><script>if (a<b) s = '<i>';</script>"
        "<textarea><b></textarea><title><b></title><div title=\"<b>\" data-x='>'>y</div>";
    QTest::newRow("tags in comments, scripts, text areas and attribute values are text")
        << hidingPlaces
        << QByteArray("<!-- <b> --><!--><script>if (a<b) s = '<i>';</script>"
                      "<textarea><b></textarea><title><b></title><div>y</div>");
    QTest::newRow("an escaped script part does not end at </script>")
        << QByteArray("<script><!--<script></script><b>--></script><b>x")
        << QByteArray("<script><!--<script></script><b>--></script>x");

    QTest::newRow("only the attributes the rendering reads stay, as written")
        << QByteArray("<div class=a HIDDEN style='x>y' id=b>x</div><input value=v type = \"hidden\" >"
                      "<isindex prompt='Find:' action=/s><p title=t/>")
        << QByteArray("<div HIDDEN>x</div><input type = \"hidden\"><isindex prompt='Find:'><p>");
    QTest::newRow("each of them once")
        << QByteArray("<input type=a type=hidden hidden=1 hidden>") << QByteArray("<input hidden=1 type=a>");
    QTest::newRow("a slash ends an unquoted value only after a blank")
        << QByteArray("<input type=hidden/><input type=hidden />") << QByteArray("<input type=hidden/><input type=hidden />");
    QTest::newRow("end tags lose their attributes") << QByteArray("<p>x</p class=y>") << QByteArray("<p>x</p>");
    QTest::newRow("a tag with many attributes")
        << "<div" + QByteArray(" a").repeated(100000) + " hidden>x</div>" << QByteArray("<div hidden>x</div>");
    QTest::newRow("later html and body tags lose their attributes")
        << QByteArray("<html hidden lang=en><body a=1><p>x<body hidden b=2><html c=3>")
        << QByteArray("<html hidden><body><p>x<body><html>");

    const int tooDeep = kMaxParserNesting + 44;
    QTest::newRow("nesting past the limit is left out, with its end tags")
        << QByteArray("<div>").repeated(tooDeep) + "x" + QByteArray("</div>").repeated(tooDeep) + "y"
        << QByteArray("<div>").repeated(kMaxParserNesting) + "x"
            + QByteArray("</div>").repeated(kMaxParserNesting) + "y";
    const int many = 2 * kMaxParserNesting;
    const QByteArray closed = QByteArray("<div><span>a</span></div>").repeated(many);
    QTest::newRow("closed elements do not add up") << closed << closed;
    const QByteArray implied = "<ul>" + QByteArray("<li><p>a").repeated(many) + "</ul><table>"
        + QByteArray("<tr><td>a<td>b").repeated(many) + "</table><select>" + QByteArray("<option>o").repeated(many)
        + "</select><dl>" + QByteArray("<dt>t<dd>d").repeated(many) + "</dl>" + QByteArray("<h1>a<h2>b").repeated(many);
    QTest::newRow("elements the next one closes do not add up") << implied << implied;
    const QByteArray foreign = QByteArray("<svg><g><rect/><text>t</text></g></svg>").repeated(many);
    QTest::newRow("self-closed SVG elements do not add up") << foreign << foreign;

    QTest::newRow("an SVG element with an HTML name gets its own name")
        << QByteArray("<table><svg><select><desc>c<select><tr>")
        << QByteArray("<table><svg><x-select><desc>c<select><tr>");
    QTest::newRow("and so does its end tag")
        << QByteArray("<math><td>a</td><mi><td>b</td></mi></math>")
        << QByteArray("<math><x-td>a</x-td><mi><td>b</td></mi></math>");
    QTest::newRow("in SVG a CDATA section hides tags")
        << QByteArray("<svg><![CDATA[<b>]]></svg><b>x") << QByteArray("<svg><![CDATA[<b>]]></svg>x");
    QTest::newRow("outside it, <![CDATA[ is a comment up to the first >")
        << QByteArray("<![CDATA[<b>x<b>]]>") << QByteArray("<![CDATA[<b>x]]>");
}

void TestParserGuard::boundedForParser()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, bounded);
    QCOMPARE(corvale::boundedForParser(page), bounded);
}

QTEST_GUILESS_MAIN(TestParserGuard)
#include "tst_parserguard.moc"
