#include <QTest>

#include "lookup/parserguard.h"

using namespace corvale;

namespace {

// " a0 a1 ..."
QByteArray attributes(int count)
{
    QByteArray list;
    for (int i = 0; i < count; ++i)
        list += " a" + QByteArray::number(i);
    return list;
}

} // namespace

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
        << QByteArray("<b hidden class=x>secret</b>shown") << QByteArray("<span hidden class=x>secret</span>shown");
    QTest::newRow("a '<' of text before a tag left out stays text")
        << QByteArray("<<b>div>x") << QByteArray("&lt;div>x");

    const QByteArray hidingPlaces =
        "<!-- <b> --><!--><b x='--!>'><script>if (a<b) s = '<i>';</script>"
        "<textarea><b></textarea><title><b></title><div title=\"<b>\" data-x='>'>y</div>";
    QTest::newRow("tags in comments, scripts, text areas and attribute values are text")
        << hidingPlaces
        << QByteArray("<!-- <b> --><!--><script>if (a<b) s = '<i>';</script>"
                      "<textarea><b></textarea><title><b></title><div title=\"<b>\" data-x='>'>y</div>");
    QTest::newRow("an escaped script part does not end at </script>")
        << QByteArray("<script><!--<script></script><b>--></script><b>x")
        << QByteArray("<script><!--<script></script><b>--></script>x");

    QTest::newRow("attributes past the limit are left out")
        << "<div" + attributes(kMaxTagAttributes + 7) + ">x</div>"
        << "<div" + attributes(kMaxTagAttributes) + " >x</div>";
    QTest::newRow("a self-closing tag stays self-closing")
        << "<svg><path" + attributes(kMaxTagAttributes + 1) + "/></svg>"
        << "<svg><path" + attributes(kMaxTagAttributes) + "  /></svg>";
    QTest::newRow("later html and body tags lose their attributes")
        << QByteArray("<html lang=en><body a=1><p>x<body hidden b=2><html c=3>")
        << QByteArray("<html lang=en><body a=1><p>x<body><html>");

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
