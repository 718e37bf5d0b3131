#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "corvale/version.h"
#include "scriptedpath.h"
#include "testcontrols.h"
#include "ui/about/frmabout.h"
#include "ui/about/systeminfo.h"
#include "ui/common/apptitle.h"
#include "ui/common/messagebox.h"
#include "ui/common/twips.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::control;

namespace {

const QString kUnavailable = u"System Information Is Unavailable At This Time"_s;

} // namespace

class TestFrmAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts_data();
    void texts();
    void captionAndDescription();
    void versionComesFromTheBuild();
    void layout_data();
    void layout();
    void linkShowsItsWholeText();
    void windowPlacement();
    void fontsAndColours();
    void lines();
    void focusStartsOnOk();
    void okClosesEscapeDoesNot();
    void linkOpensMakersSite();
#ifndef Q_OS_WIN
    void startsProgramWithoutArguments();
    void unavailableSaysSo_data();
    void unavailableSaysSo();
#endif
};

void TestFrmAbout::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("title") << u"lblTitle"_s << u"Corvale"_s;
    QTest::newRow("link") << u"blue"_s << u"Vistit us on the WEB"_s;
    QTest::newRow("ok") << u"cmdOK"_s << u"OK"_s;
    QTest::newRow("system info") << u"cmdSysInfo"_s << u"&System Info..."_s;
}

void TestFrmAbout::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    frmAbout window;
    const QWidget *widget = control(window, name);
    const QString text = widget->property("text").toString();
    QCOMPARE(text, expected);
}

void TestFrmAbout::captionAndDescription()
{
    frmAbout window;
    QCOMPARE(window.windowTitle(), u"About Corvale"_s);
    const QString description = control<QLabel>(window, u"lblDescription"_s)->text();
    QVERIFY(description.contains(u"data server"_s));
    QVERIFY(description.contains(u"account"_s));
    QVERIFY(description.contains(u"responsibility"_s));
}

void TestFrmAbout::versionComesFromTheBuild()
{
    frmAbout window;
    const QString version = control<QLabel>(window, u"lblVersion"_s)->text();
    QCOMPARE(version, u"Version "_s + QLatin1String(kVersion));
    QVERIFY(QRegularExpression(u"^Version \\d+\\.\\d+\\.\\d+$"_s).match(version).hasMatch());
}

void TestFrmAbout::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("lblTitle") << u"lblTitle"_s << twipsRect(240, 240, 3885, 360);
    QTest::newRow("lblVersion") << u"lblVersion"_s << twipsRect(240, 600, 3885, 225);
    QTest::newRow("lblDescription") << u"lblDescription"_s << twipsRect(240, 960, 5205, 690);
    QTest::newRow("cmdOK") << u"cmdOK"_s << twipsRect(4245, 2040, 1260, 345);
    QTest::newRow("cmdSysInfo") << u"cmdSysInfo"_s << twipsRect(4260, 2520, 1245, 345);
}

void TestFrmAbout::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    frmAbout window;
    QCOMPARE(control(window, name)->geometry(), expected);
}

void TestFrmAbout::linkShowsItsWholeText()
{
    frmAbout window;
    const auto *link = control<QLabel>(window, u"blue"_s);
    const QRect designed = twipsRect(240, 1920, 1455, 195);
    QCOMPARE(link->pos(), designed.topLeft());
    QCOMPARE(link->height(), designed.height());
    QVERIFY(link->width() >= designed.width());
    QVERIFY(link->width() >= link->fontMetrics().horizontalAdvance(link->text()));
}

void TestFrmAbout::windowPlacement()
{
    QWidget owner;
    frmAbout window(&owner);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.geometry().topLeft(), twipsPoint(2340, 1935));
    QCOMPARE(window.width(), twipsToWholePixels(5730));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const QWidget *sysInfo = control(window, u"cmdSysInfo"_s);
    const int belowButton = window.height() - sysInfo->geometry().bottom();
    QVERIFY2(belowButton > 0 && belowButton < twipsToWholePixels(375),
             "the window ends just below System Info");
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

void TestFrmAbout::fontsAndColours()
{
    frmAbout window;
    const auto *title = control<QLabel>(window, u"lblTitle"_s);
    QCOMPARE(title->font().family(), u"Arial"_s);
    QCOMPARE(title->font().pointSizeF(), 9.75);
    QVERIFY(title->font().bold());
    QVERIFY(title->font().underline());
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::black));

    const auto *version = control<QLabel>(window, u"lblVersion"_s);
    QCOMPARE(version->font().pointSizeF(), 8.25);
    QVERIFY(!version->font().bold());
    QVERIFY(control<QLabel>(window, u"lblDescription"_s)->wordWrap());

    const auto *link = control<QLabel>(window, u"blue"_s);
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xC0));
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    const QColor background = window.palette().color(QPalette::Base);
    QCOMPARE(window.palette().color(QPalette::Window), background);
    for (const QString &name : {u"lblTitle"_s, u"lblVersion"_s, u"lblDescription"_s, u"blue"_s})
        QCOMPARE(control(window, name)->palette().color(QPalette::Window), background);
}

void TestFrmAbout::lines()
{
    frmAbout window;
    const QImage image = window.grab().toImage();
    const QColor background = window.palette().color(QPalette::Base);
    // The grey line runs at 1800 twips from 120 to 5684; the white one at 2040
    // sits on the white background and shows nothing.
    QCOMPARE(image.pixelColor(twipsPoint(3000, 1800)), QColor(0x80, 0x80, 0x80));
    QCOMPARE(image.pixelColor(twipsPoint(5684, 1800)), QColor(0x80, 0x80, 0x80));
    QCOMPARE(image.pixelColor(twipsPoint(3000, 1800) + QPoint(0, 1)), background);
    QCOMPARE(image.pixelColor(twipsPoint(3000, 2040)), background);
    QCOMPARE(image.pixelColor(twipsPoint(60, 1800)), background);
}

void TestFrmAbout::focusStartsOnOk()
{
    frmAbout window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), control(window, u"cmdOK"_s));
    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control(window, u"cmdSysInfo"_s));
    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control(window, u"blue"_s));
    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control(window, u"cmdOK"_s));
}

void TestFrmAbout::okClosesEscapeDoesNot()
{
    frmAbout window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());

    QTest::mouseClick(control(window, u"cmdOK"_s), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

void TestFrmAbout::linkOpensMakersSite()
{
    test::UrlRecorder browser(u"https"_s);
    frmAbout window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(control(window, u"lblVersion"_s), Qt::LeftButton);
    QTest::mouseClick(control(window, u"blue"_s), Qt::LeftButton);

    QCOMPARE(browser.opened, QList<QUrl>{QUrl(kMakerWebAddress)});
    QVERIFY(browser.opened.constFirst().isValid());
}

#ifndef Q_OS_WIN

void TestFrmAbout::startsProgramWithoutArguments()
{
    const ScriptedPath path;
    const QString marker = path.filePath(u"started"_s);
    QVERIFY(path.add(kSystemInfoPrograms.back().program,
                     "#!/bin/sh\necho \"$#\" > '" + QFile::encodeName(marker) + "'\n"));

    MessageRecorder messages;
    frmAbout window;
    window.show();
    QTest::mouseClick(control(window, u"cmdSysInfo"_s), Qt::LeftButton);

    QTRY_COMPARE([&marker] {
        QFile started(marker);
        return started.open(QIODevice::ReadOnly) ? started.readAll() : QByteArray();
    }(), QByteArray("0\n"));
    QCOMPARE(messages.messages().size(), 0);
}

void TestFrmAbout::unavailableSaysSo_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("no program on the PATH") << QByteArray();
    QTest::newRow("program will not start") << QByteArray("#!/nonexistent/interpreter\n");
}

void TestFrmAbout::unavailableSaysSo()
{
    QFETCH(QByteArray, script);
    const ScriptedPath path;
    if (!script.isEmpty())
        QVERIFY(path.add(kSystemInfoPrograms.front().program, script));

    MessageRecorder messages;
    frmAbout window;
    window.show();
    QTest::mouseClick(control(window, u"cmdSysInfo"_s), Qt::LeftButton);

    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().constFirst().text, kUnavailable);
    QCOMPARE(messages.messages().constFirst().title, QString(kAppTitle));
    QCOMPARE(messages.messages().constFirst().parent, &window);
    QVERIFY(window.isVisible());
}

#endif

} // namespace corvale

QTEST_MAIN(corvale::TestFrmAbout)
#include "tst_frmabout.moc"
