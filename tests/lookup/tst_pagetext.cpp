#include <QTest>

#include "lookup/pagetext.h"

using namespace corvale;

class TestPageText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageToLines_data();
    void pageToLines();
    void extractBetween_data();
    void extractBetween();
};

void TestPageText::pageToLines_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty page") << QString() << QStringList();
    QTest::newRow("only markup") << QStringLiteral("<html><body><p></p><div> </div></body></html>")
                                 << QStringList();
    QTest::newRow("table rows, cells joined by tab")
        << QStringLiteral("<table><tr><td>Company</td><td>Pine Hollow Bakery</td></tr>"
                          "<tr><th>Address</th><td>12 Elm St</td></tr></table>")
        << QStringList{QStringLiteral("Company\tPine Hollow Bakery"), QStringLiteral("Address\t12 Elm St")};
    QTest::newRow("rows across row groups end one line each")
        << QStringLiteral("<table><thead><tr><td>a</td><td>b</td></tr></thead>"
                          "<tbody><tr><td>c</td></tr></tbody></table>after")
        << QStringList{QStringLiteral("a\tb"), QStringLiteral("c"), QStringLiteral("after")};
    QTest::newRow("paragraphs give one blank line between, none at the ends")
        << QStringLiteral("<p>one</p><p>two</p><div>three</div>")
        << QStringList{QStringLiteral("one"), QString(), QStringLiteral("two"), QString(), QStringLiteral("three")};
    QTest::newRow("br ends a line, two br leave an empty one")
        << QStringLiteral("first<br>second<br><br>third")
        << QStringList{QStringLiteral("first"), QStringLiteral("second"), QString(), QStringLiteral("third")};
    QTest::newRow("entities decoded, nbsp kept")
        << QStringLiteral("<div>Smith &amp; Sons&nbsp;Ltd &lt;b&gt; &#233;</div>")
        << QStringList{QStringLiteral("Smith & Sons\u00a0Ltd <b> \u00e9")};
    QTest::newRow("head, script, style, template, noscript give nothing")
        << QStringLiteral("<html><head><title>T</title><style>p{}</style></head><body>"
                          "<script>var x = '<p>no</p>';</script>Shown<noscript>n</noscript>"
                          "<template>t</template></body></html>")
        << QStringList{QStringLiteral("Shown")};
    QTest::newRow("white space collapses and is trimmed at line ends")
        << QStringLiteral("<div>\n   Result  for\tPhone   Number \n</div><div> <b>x</b> <i> y</i> </div>")
        << QStringList{QStringLiteral("Result for Phone Number"), QStringLiteral("x y")};
    QTest::newRow("pre keeps white space")
        << QStringLiteral("<pre>a  b\n  c</pre>")
        << QStringList{QStringLiteral("a  b"), QStringLiteral("  c")};
    QTest::newRow("heading then number, as the phone page has them")
        << QStringLiteral("<h2>Result for Phone Number</h2><div>(312) 555-0142</div>"
                          "<table><tr><td>Company</td><td>Acme</td></tr></table>")
        << QStringList{QStringLiteral("Result for Phone Number"), QStringLiteral("(312) 555-0142"),
                       QStringLiteral("Company\tAcme")};
    QTest::newRow("hidden elements give nothing")
        << QStringLiteral("<div hidden>secret</div><input type=hidden value=v>seen")
        << QStringList{QStringLiteral("seen")};
    QTest::newRow("a CR the page holds in pre stays in its line")
        << QStringLiteral("<pre>a&#13;\nb&#13;c</pre>")
        << QStringList{QStringLiteral("a\r"), QStringLiteral("b\rc")};
    QTest::newRow("list items end lines")
        << QStringLiteral("<ul><li>a</li><li>b</li></ul>")
        << QStringList{QStringLiteral("a"), QStringLiteral("b")};
}

void TestPageText::pageToLines()
{
    QFETCH(QString, page);
    QFETCH(QStringList, lines);
    QCOMPARE(PageToLines(page), lines);
}

void TestPageText::extractBetween_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("between") << QStringLiteral("x<b>42</b>y") << QStringLiteral("<b>")
                             << QStringLiteral("</b>") << true << QStringLiteral("42");
    QTest::newRow("first start, first end after it")
        << QStringLiteral("</b><b>1</b><b>2</b>") << QStringLiteral("<b>") << QStringLiteral("</b>")
        << true << QStringLiteral("1");
    QTest::newRow("empty between") << QStringLiteral("[]") << QStringLiteral("[")
                                   << QStringLiteral("]") << true << QString();
    QTest::newRow("no start") << QStringLiteral("abc") << QStringLiteral("<b>")
                              << QStringLiteral("c") << false << QString();
    QTest::newRow("no end") << QStringLiteral("<b>abc") << QStringLiteral("<b>")
                            << QStringLiteral("</b>") << false << QString();
    QTest::newRow("case-sensitive") << QStringLiteral("<B>1</B>") << QStringLiteral("<b>")
                                    << QStringLiteral("</b>") << false << QString();
}

void TestPageText::extractBetween()
{
    QFETCH(QString, page);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, found);
    QFETCH(QString, value);
    const Extracted extracted = ExtractBetween(page, start, end);
    QCOMPARE(extracted.found, found);
    QCOMPARE(extracted.value, value);
}

QTEST_GUILESS_MAIN(TestPageText)
#include "tst_pagetext.moc"
