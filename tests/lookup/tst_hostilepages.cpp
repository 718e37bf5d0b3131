#include <QTest>

#include "lookup/pagetext.h"
#include "lookupprobes.h"

using namespace corvale;
using namespace corvale::test;

namespace {

// `count` pieces, each made by `piece` from its number.
QByteArray numbered(int count, const std::function<QByteArray(QByteArray)> &piece)
{
    QByteArray page;
    for (int i = 0; i < count; ++i)
        page += piece(QByteArray::number(i));
    return page;
}

} // namespace

// Pages that once took Gumbo minutes, gigabytes or its whole stack: their
// lines, and that the parser is given a shallow tree of a sane size.
class TestHostilePages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void renderedWithinBounds_data();
    void renderedWithinBounds();
    void parseOverBudgetGivesNoText();
};

void TestHostilePages::renderedWithinBounds_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("lines");

    const QString x = QStringLiteral("x");
    QTest::newRow("100,000 nested divs (35 s)")
        << QByteArray("<div>").repeated(100000) + "x" + QByteArray("</div>").repeated(100000) << QStringList{x};
    QTest::newRow("50,000 nested i and div (16 s)") << QByteArray("<i><div>").repeated(50000) + "x" << QStringList{x};
    QTest::newRow("100,000 unclosed b (1.8 s)") << QByteArray("<b>").repeated(100000) + "x" << QStringList{x};
    QTest::newRow("250,000 b before text (17 s)")
        << QByteArray("<b>x").repeated(250000) << QStringList{QString(250000, u'x')};
    QTest::newRow("100,000 b of different ids (76 s)")
        << numbered(100000, [](const QByteArray &n) { return "<b id=" + n + ">"; }) + "x" << QStringList{x};
    QTest::newRow("60,000 b left open in paragraphs (24 GB)")
        << numbered(60000, [](const QByteArray &n) { return "<p><b id=" + n + "></p>"; }) + "x" << QStringList{x};
    QTest::newRow("80,000 b around divs (27 s)") << QByteArray("<b><div></b>").repeated(80000) + "x"
                                                 << QStringList{x};
    QTest::newRow("a tag with 120,000 attributes (44 s)")
        << "<div" + numbered(120000, [](const QByteArray &n) { return " a" + n; }) + ">x" << QStringList{x};
    QTest::newRow("90,000 body tags with attributes (29 s)")
        << numbered(90000, [](const QByteArray &n) { return "<body a" + n + ">"; }) + "x" << QStringList{x};
    QTest::newRow("90,000 html tags with attributes (27 s)")
        << numbered(90000, [](const QByteArray &n) { return "<html a" + n + ">"; }) + "x" << QStringList{x};
    QTest::newRow("SVG nested 2,900,000 deep (114 s, 24 GB)")
        << "<svg>" + QByteArray("<g>").repeated(2900000) + "x" << QStringList{x};
    QTest::newRow("frameset nested 800,000 deep (stack overflow)")
        << QByteArray("<frameset>").repeated(800000) << QStringList();
    QTest::newRow("a form that leaves its divs open")
        << QByteArray("<form><div></form>").repeated(20000) + "x" << QStringList{x};
    QTest::newRow("an SVG select in a table (abort)")
        << QByteArray("<table><svg><select><desc>c<select><tr>") << QStringList{QStringLiteral("c")};
    QTest::newRow("100,000 cells in one row")
        << "<table><tr>" + QByteArray("<td>c</td>").repeated(100000) + "</tr></table>"
        << QStringList{QStringList(100000, QStringLiteral("c")).join(u'\t')};
    QTest::newRow("one line of a mebibyte")
        << "<p>" + QByteArray("a").repeated(1 << 20) << QStringList{QString(1 << 20, u'a')};
}

void TestHostilePages::renderedWithinBounds()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, lines);
    const QString fault = probePageText(page);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QCOMPARE(PageToLines(QString::fromUtf8(page)), lines);
}

void TestHostilePages::parseOverBudgetGivesNoText()
{
    const QString page = QString::fromLatin1(QByteArray("<p>a</p>").repeated(20000));
    QCOMPARE(renderInnerText(page, std::chrono::milliseconds(0)), QString());
    QCOMPARE(renderInnerText(page, std::chrono::seconds(60)).count(u'a'), 20000);
}

QTEST_GUILESS_MAIN(TestHostilePages)
#include "tst_hostilepages.moc"
