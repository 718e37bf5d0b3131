#include <QTest>

#include "ui/map/maplayout.h"

namespace corvale {

namespace {

constexpr MapWindowLayout kDesign{{0, 0, 7575, 6135}, {3720, 6240, 1215, 495}};

} // namespace

class TestMapLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void refusedStepKeepsTheEarlierValue();
    void toPixels_data();
    void toPixels();
};

void TestMapLayout::layout_data()
{
    QTest::addColumn<float>("innerWidth");
    QTest::addColumn<float>("innerHeight");
    QTest::addColumn<QRectF>("panel");
    QTest::addColumn<QRectF>("button");

    // left, top, width, height in twips
    QTest::newRow("design client area") << 9240.f << 9210.f << QRectF(0, 0, 9240, 8467.5)
                                        << QRectF(4012.5, 8591.25, 1215, 495);
    QTest::newRow("enlarged") << 15000.f << 12000.f << QRectF(0, 0, 15000, 11257.5)
                              << QRectF(6892.5, 11381.25, 1215, 495);
    QTest::newRow("exactly one and a half buttons high") << 9240.f << 742.5f << QRectF(0, 0, 9240, 0)
                                                         << QRectF(4012.5, 123.75, 1215, 495);
    QTest::newRow("shorter: the panel keeps its height, the button goes above the top")
        << 9240.f << 600.f << QRectF(0, 0, 9240, 6135) << QRectF(4012.5, -18.75, 1215, 495);
    QTest::newRow("narrower than the button: it hangs over the left edge")
        << 600.f << 9210.f << QRectF(0, 0, 600, 8467.5) << QRectF(-307.5, 8591.25, 1215, 495);
    QTest::newRow("no width at all") << 0.f << 9210.f << QRectF(0, 0, 0, 8467.5) << QRectF(-607.5, 8591.25, 1215, 495);
    QTest::newRow("negative width refused") << -15.f << 9210.f << QRectF(0, 0, 7575, 8467.5)
                                            << QRectF(-615, 8591.25, 1215, 495);
}

void TestMapLayout::layout()
{
    QFETCH(float, innerWidth);
    QFETCH(float, innerHeight);
    QFETCH(QRectF, panel);
    QFETCH(QRectF, button);

    const MapWindowLayout got = layOutMapWindow(kDesign, innerWidth, innerHeight);
    QCOMPARE(QRectF(got.panel.left, got.panel.top, got.panel.width, got.panel.height), panel);
    QCOMPARE(QRectF(got.button.left, got.button.top, got.button.width, got.button.height), button);
}

void TestMapLayout::refusedStepKeepsTheEarlierValue()
{
    const MapWindowLayout first = layOutMapWindow(kDesign, 9240, 9210);
    const MapWindowLayout tiny = layOutMapWindow(first, 3000, 300);
    QCOMPARE(tiny.panel.height, 8467.5f);
    QCOMPARE(tiny.panel.width, 3000.f);
    QCOMPARE(tiny.button.top, 300 - 618.75f);
    QCOMPARE(tiny.button.left, (3000 - 1215) / 2.f);

    const MapWindowLayout again = layOutMapWindow(tiny, 9240, 9210);
    QCOMPARE(again.panel.height, 8467.5f);
    QCOMPARE(again.button.top, 8591.25f);
    QCOMPARE(again.button.left, 4012.5f);
}

void TestMapLayout::toPixels_data()
{
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("panel of the design area") << QRectF(0, 0, 9240, 8467.5) << QRect(0, 0, 616, 565);
    QTest::newRow("button of the design area") << QRectF(4012.5, 8591.25, 1215, 495) << QRect(268, 573, 81, 33);
    QTest::newRow("above the top") << QRectF(4012.5, -18.75, 1215, 495) << QRect(268, -1, 81, 33);
    QTest::newRow("left of the edge, halves away from zero") << QRectF(-307.5, 0, 0, 0) << QRect(-21, 0, 0, 0);
}

void TestMapLayout::toPixels()
{
    QFETCH(QRectF, twips);
    QFETCH(QRect, pixels);
    const TwipsBox box{float(twips.left()), float(twips.top()), float(twips.width()), float(twips.height())};
    QCOMPARE(box.toPixels(), pixels);
}

} // namespace corvale

QTEST_GUILESS_MAIN(corvale::TestMapLayout)
#include "tst_maplayout.moc"
