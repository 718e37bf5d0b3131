#include <QTest>

#include "ui/common/twips.h"

namespace corvale {

class TestTwips : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholePixels_data();
    void wholePixels();
    void rect();
};

void TestTwips::wholePixels_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("exact") << 240 << 16;
    QTest::newRow("just under a half") << 7 << 0;
    QTest::newRow("just over a half") << 8 << 1;
    QTest::newRow("rounds up") << 5684 << 379;
    QTest::newRow("rounds down") << 5654 << 377;
    QTest::newRow("negative") << -8 << -1;
    QTest::newRow("zero") << 0 << 0;
}

void TestTwips::wholePixels()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsToWholePixels(twips), pixels);
}

void TestTwips::rect()
{
    static_assert(twipsToPixels(1440) == 96.0, "an inch is 96 logical pixels");
    QCOMPARE(twipsRect(4245, 2040, 1260, 345), QRect(283, 136, 84, 23));
    QCOMPARE(twipsPoint(2340, 1935), QPoint(156, 129));
    QCOMPARE(twipsSize(5730, 3450), QSize(382, 230));
}

} // namespace corvale

QTEST_APPLESS_MAIN(corvale::TestTwips)
#include "tst_twips.moc"
