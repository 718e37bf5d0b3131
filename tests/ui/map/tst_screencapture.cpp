#include <cmath>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "colouredblock.h"
#include "ui/map/screencapture.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

// A panel in a window: green, with a red block at its top-left and a blue one
// at its bottom-right, so that a picture of anything else reads wrong.
class PanelWindow
{
public:
    explicit PanelWindow(const QSize &panelSize)
        : m_panel(colouredBlock(&m_window, QRect(QPoint(30, 20), panelSize), Qt::green))
    {
        m_window.resize(panelSize + QSize(60, 80));
        colouredBlock(&m_window, m_window.rect(), Qt::yellow)->lower();
        colouredBlock(m_panel, QRect(0, 0, 10, 10), Qt::red);
        colouredBlock(m_panel, QRect(panelSize.width() - 10, panelSize.height() - 10, 10, 10), Qt::blue);
    }

    QWidget &window() { return m_window; }
    QWidget *panel() const { return m_panel; }

private:
    QWidget m_window;
    QWidget *m_panel;
};

} // namespace

class TestScreenCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelAtDevicePixels_data();
    void panelAtDevicePixels();
    void hiddenOrCoveredPanel();
    void consecutiveCapturesAreIndependent();
    void windowArea_data();
    void windowArea();
    void emptyAreaGivesNoPicture();
    void pictureFromBitmap();
};

void TestScreenCapture::panelAtDevicePixels_data()
{
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("612 x 409 at 1") << QSize(612, 409) << 1.0 << QSize(612, 409);
    QTest::newRow("odd size at 1") << QSize(101, 67) << 1.0 << QSize(101, 67);
    // 67 x 1.5 = 100.5 goes down to 100; 69 x 1.5 = 103.5 goes up to 104.
    QTest::newRow("halves at 1.5") << QSize(67, 69) << 1.5 << QSize(100, 104);
    QTest::newRow("whole at 1.5") << QSize(400, 300) << 1.5 << QSize(600, 450);
    QTest::newRow("whole at 2") << QSize(101, 67) << 2.0 << QSize(202, 134);
}

void TestScreenCapture::panelAtDevicePixels()
{
    QFETCH(QSize, logical);
    QFETCH(qreal, ratio);
    QFETCH(QSize, expected);
    PanelWindow window(logical);
    window.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.window()));
    if (!qFuzzyCompare(window.panel()->devicePixelRatioF(), ratio))
        QSKIP("this run has another device pixel ratio (QT_SCALE_FACTOR)");

    const QImage picture = GrabClientArea(window.panel());

    QCOMPARE(picture.size(), expected);
    QCOMPARE(picture.devicePixelRatio(), 1.0);
    QCOMPARE(picture.pixelColor(2, 2), QColor(Qt::red));
    QCOMPARE(picture.pixelColor(expected.width() / 2, expected.height() / 2), QColor(Qt::green));
    QCOMPARE(picture.pixelColor(expected.width() - 3, expected.height() - 3), QColor(Qt::blue));
}

void TestScreenCapture::hiddenOrCoveredPanel()
{
    PanelWindow window(QSize(200, 100));
    window.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.window()));
    QWidget cover;
    cover.setGeometry(window.window().geometry());
    cover.show();
    cover.raise();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));

    const QImage covered = GrabClientArea(window.panel());
    window.window().hide();
    const QImage hidden = GrabClientArea(window.panel());

    for (const QImage &picture : {covered, hidden}) {
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.pixelColor(2, 2), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(100, 50), QColor(Qt::green));
    }
}

void TestScreenCapture::consecutiveCapturesAreIndependent()
{
    PanelWindow window(QSize(120, 80));
    window.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.window()));

    QImage first = GrabClientArea(window.panel());
    QPalette palette = window.panel()->palette();
    palette.setColor(QPalette::Window, Qt::magenta);
    window.panel()->setPalette(palette);
    const QImage second = GrabClientArea(window.panel());
    first.fill(Qt::black);

    QCOMPARE(second.pixelColor(60, 40), QColor(Qt::magenta));
    QCOMPARE(second.pixelColor(2, 2), QColor(Qt::red));
    QCOMPARE(first.pixelColor(60, 40), QColor(Qt::black));
}

void TestScreenCapture::windowArea_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("bottomRight");
    QTest::newRow("whole panel") << QRect(0, 0, 200, 100) << QColor(Qt::red) << QColor(Qt::blue);
    QTest::newRow("red block") << QRect(0, 0, 10, 10) << QColor(Qt::red) << QColor(Qt::red);
    QTest::newRow("inside") << QRect(20, 10, 50, 30) << QColor(Qt::green) << QColor(Qt::green);
    QTest::newRow("blue corner") << QRect(185, 85, 15, 15) << QColor(Qt::green) << QColor(Qt::blue);
}

void TestScreenCapture::windowArea()
{
    QFETCH(QRect, area);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomRight);
    PanelWindow window(QSize(200, 100));
    window.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.window()));
    if (!qFuzzyCompare(window.panel()->devicePixelRatioF(), 1.0))
        QSKIP("areas are given in device pixels; this table is for a ratio of 1");

    const QImage picture = GrabWindowArea(window.panel(), area.left(), area.top(), area.width(), area.height());

    QCOMPARE(picture.size(), area.size());
    QCOMPARE(picture.pixelColor(0, 0), topLeft);
    QCOMPARE(picture.pixelColor(area.width() - 1, area.height() - 1), bottomRight);
}

void TestScreenCapture::emptyAreaGivesNoPicture()
{
    PanelWindow window(QSize(200, 100));
    QVERIFY(GrabWindowArea(window.panel(), 0, 0, 0, 100).isNull());
    QVERIFY(GrabWindowArea(window.panel(), 0, 0, 200, -1).isNull());
    window.panel()->resize(0, 0);
    QVERIFY(GrabClientArea(window.panel()).isNull());
}

void TestScreenCapture::pictureFromBitmap()
{
    QVERIFY(PictureFromBitmap(QPixmap()).isNull());
    QPixmap bitmap(40, 30);
    bitmap.setDevicePixelRatio(2.0);
    bitmap.fill(Qt::cyan);

    const QImage picture = PictureFromBitmap(bitmap);

    QCOMPARE(picture.size(), QSize(40, 30));
    QCOMPARE(picture.devicePixelRatio(), 1.0);
    QCOMPARE(picture.format(), QImage::Format_RGB32);
    QCOMPARE(picture.pixelColor(39, 29), QColor(Qt::cyan));
}

} // namespace corvale

QTEST_MAIN(corvale::TestScreenCapture)
#include "tst_screencapture.moc"
