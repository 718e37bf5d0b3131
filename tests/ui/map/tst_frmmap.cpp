#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "loopbackserver.h"
#include "testcontrols.h"
#include "ui/common/twips.h"
#include "ui/map/frmmap.h"
#include "ui/map/mappage.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::control;
using test::UrlRecorder;

namespace {

constexpr int kLoadWait = 15000;

const std::string kMapPage = "<html><head><title>Map</title></head><body>a map</body></html>";
// Every kind of pop-up a page can ask for, then a title that tells what the
// page got back.
const std::string kNoisyPage = R"(<html><head><title>loading</title></head><body><script>
alert('alert');
const confirmed = confirm('confirm');
const answer = prompt('prompt', 'default');
window.open('/popup', 'other');
const link = document.createElement('a');
link.href = '/popup'; link.target = '_blank';
document.body.appendChild(link);
link.click();
document.title = 'done ' + confirmed + ' ' + answer;
</script></body></html>)";

// A link over the whole page that writes a mail.
const std::string kMailPage = R"(<html><head><title>Mail</title></head><body style="margin:0">
<a href="mailto:maps@example.com" style="display:block;width:100%;height:400px">write</a></body></html>)";

QWebEngineView *browser(const frmMap &window)
{
    return control<QWebEngineView>(window, u"wb"_s);
}

bool loads(frmMap &window, const QString &address)
{
    QSignalSpy finished(browser(window), &QWebEngineView::loadFinished);
    window.navigate(address);
    return finished.wait(kLoadWait) && finished.constFirst().constFirst().toBool();
}

// Input reaches the page once it has drawn itself.
bool showsSomething(QWidget &view)
{
    const QImage image = view.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
        }
    }
    return false;
}

} // namespace

class TestFrmMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sandboxOnlyAsRoot();
    void design();
    void firstLayout();
    void resizing_data();
    void resizing();
    void tooShortThenLarger();
    void centredOnFirstShow();
    void escapeDoesNotClose();
    void freshWindowHasTheDesignAgain();
    void navigateBeforeShowLoadsThePage();
    void webAddresses_data();
    void webAddresses();
    void otherAddressesAreNotNavigated_data();
    void otherAddressesAreNotNavigated();
    void pageHandsNoAddressToOutsidePrograms();
    void pageShowsNoDialogsAndOpensNoWindows();
    void droppedFilesGoNowhere();

private:
    test::LoopbackServer m_server;
    MapFolder m_folder;
};

void TestFrmMap::initTestCase()
{
    m_server.server.Get("/map", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kMapPage, "text/html");
    });
    m_server.server.Get("/noisy", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kNoisyPage, "text/html");
    });
    m_server.server.Get("/mail", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kMailPage, "text/html");
    });
    m_server.server.Get("/popup", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kMapPage, "text/html");
    });
    m_server.start();
}

void TestFrmMap::sandboxOnlyAsRoot()
{
    constexpr const char *kNoSandbox = "QTWEBENGINE_DISABLE_SANDBOX";
    QVERIFY2(!qEnvironmentVariableIsSet(kNoSandbox), "the test starts with the sandbox untouched");
#ifdef Q_OS_UNIX
    const bool root = ::geteuid() == 0;
#else
    const bool root = false;
#endif
    if (root)
        QTest::ignoreMessage(QtWarningMsg, "corvale: running as root, so the map browser runs without its sandbox");
    frmMap window(m_folder, {});
    QCOMPARE(qgetenv(kNoSandbox), root ? QByteArray("1") : QByteArray());
    // Said once only.
    frmMap second(m_folder, {});
}

void TestFrmMap::design()
{
    frmMap window(m_folder, {});
    QCOMPARE(window.windowTitle(), u"Save Map"_s);
    QCOMPARE(window.size(), twipsSize(9240, 9210));
    QVERIFY(window.windowFlags().testFlag(Qt::Window));

    const QWidget *panel = control(window, u"pnlMap"_s);
    QCOMPARE(panel->metaObject(), &QWidget::staticMetaObject);
    QCOMPARE(browser(window)->parentWidget(), panel);
    QVERIFY(!browser(window)->acceptDrops());
    auto *capture = control<QPushButton>(window, u"cmdCapture"_s);
    QCOMPARE(capture->text(), u"&Capture"_s);
    QCOMPARE(capture->size(), twipsSize(1215, 495));
    QCOMPARE(capture->parentWidget(), &window);
}

void TestFrmMap::firstLayout()
{
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // 9240 x 8467.5 twips and the button at 4012.5, 8591.25.
    QCOMPARE(control(window, u"pnlMap"_s)->geometry(), QRect(0, 0, 616, 565));
    QCOMPARE(control(window, u"cmdCapture"_s)->geometry(), QRect(268, 573, 81, 33));
    QCOMPARE(browser(window)->geometry(), QRect(0, 0, 616, 565));
}

void TestFrmMap::resizing_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("panel");
    QTest::addColumn<QRect>("button");
    QTest::newRow("larger") << QSize(1000, 800) << QRect(0, 0, 1000, 751) << QRect(460, 759, 81, 33);
    QTest::newRow("smaller") << QSize(400, 300) << QRect(0, 0, 400, 251) << QRect(160, 259, 81, 33);
    QTest::newRow("narrower than the button") << QSize(60, 300) << QRect(0, 0, 60, 251) << QRect(-11, 259, 81, 33);
}

void TestFrmMap::resizing()
{
    QFETCH(QSize, client);
    QFETCH(QRect, panel);
    QFETCH(QRect, button);
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.resize(client);
    QTRY_COMPARE(control(window, u"pnlMap"_s)->geometry(), panel);
    QCOMPARE(control(window, u"cmdCapture"_s)->geometry(), button);
    QCOMPARE(browser(window)->geometry(), QRect(QPoint(0, 0), panel.size()));
}

void TestFrmMap::tooShortThenLarger()
{
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *panel = control(window, u"pnlMap"_s);
    QWidget *capture = control(window, u"cmdCapture"_s);

    window.resize(300, 30);
    QTRY_COMPARE(capture->geometry(), QRect(110, -11, 81, 33));
    QCOMPARE(panel->geometry(), QRect(0, 0, 300, 565));
    QCOMPARE(browser(window)->size(), panel->size());

    window.resize(800, 700);
    QTRY_COMPARE(capture->geometry(), QRect(360, 659, 81, 33));
    QCOMPARE(panel->geometry(), QRect(0, 0, 800, 651));
    QCOMPARE(browser(window)->size(), panel->size());
}

void TestFrmMap::centredOnFirstShow()
{
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint offset = window.frameGeometry().center() - window.screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(u"off centre by %1, %2"_s.arg(offset.x()).arg(offset.y())));
}

void TestFrmMap::escapeDoesNotClose()
{
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    control(window, u"cmdCapture"_s)->setFocus();
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
}

void TestFrmMap::freshWindowHasTheDesignAgain()
{
    {
        frmMap first(m_folder, {});
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        first.resize(900, 300);
        QTRY_COMPARE(first.size(), QSize(900, 300));
    }
    frmMap second(m_folder, {});
    QCOMPARE(second.size(), twipsSize(9240, 9210));
    QCOMPARE(second.windowTitle(), u"Save Map"_s);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QCOMPARE(control(second, u"pnlMap"_s)->geometry(), QRect(0, 0, 616, 565));
}

void TestFrmMap::navigateBeforeShowLoadsThePage()
{
    frmMap window(m_folder, {});
    QVERIFY(loads(window, m_server.base() + u"map"_s));
    QCOMPARE(browser(window)->title(), u"Map"_s);
    QCOMPARE(browser(window)->url(), QUrl(m_server.base() + u"map"_s));
    QVERIFY(!window.isVisible());
}

void TestFrmMap::webAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("web");
    QTest::newRow("http") << u"http://127.0.0.1/lookups/mapY.asp?zip4=80202"_s << true;
    QTest::newRow("https") << u"https://maps.example/"_s << true;
    QTest::newRow("upper-case scheme") << u"HTTP://maps.example/"_s << true;
    QTest::newRow("file") << u"file:///etc/hostname"_s << false;
    QTest::newRow("data") << u"data:text/html,<title>data</title>"_s << false;
    QTest::newRow("javascript") << u"javascript:document.title='script'"_s << false;
    QTest::newRow("mailto") << u"mailto:maps@example.com"_s << false;
    QTest::newRow("relative") << u"lookups/mapY.asp"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestFrmMap::webAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, web);
    QCOMPARE(MapPage::isWebAddress(QUrl(address)), web);
}

void TestFrmMap::otherAddressesAreNotNavigated_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("file") << u"file:///etc/hostname"_s;
    QTest::newRow("data") << u"data:text/html,<title>data</title>"_s;
    QTest::newRow("javascript") << u"javascript:document.title='script'"_s;
}

void TestFrmMap::otherAddressesAreNotNavigated()
{
    QFETCH(QString, address);
    frmMap window(m_folder, {});
    QVERIFY(loads(window, m_server.base() + u"map"_s));
    QSignalSpy urls(browser(window), &QWebEngineView::urlChanged);

    window.navigate(address);
    // Whatever the browser was asked before this has run by the time it answers.
    QString title;
    bool answered = false;
    browser(window)->page()->runJavaScript(u"document.title"_s, [&](const QVariant &result) {
        title = result.toString();
        answered = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered, kLoadWait);
    QCOMPARE(title, u"Map"_s);
    QVERIFY(loads(window, m_server.base() + u"map?again"_s));
    for (const QList<QVariant> &changed : urls)
        QVERIFY2(MapPage::isWebAddress(changed.constFirst().toUrl()), qPrintable(changed.constFirst().toString()));
}

void TestFrmMap::pageHandsNoAddressToOutsidePrograms()
{
    const UrlRecorder mailer(u"mailto"_s);
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(loads(window, m_server.base() + u"mail"_s));

    // The link's navigation ends, refused, after the page has decided on it.
    QSignalSpy finished(browser(window), &QWebEngineView::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(showsSomething(*browser(window)), kLoadWait);
    QTest::mouseClick(browser(window)->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(finished.wait(kLoadWait));
    QCOMPARE(mailer.opened, QList<QUrl>());
}

void TestFrmMap::pageShowsNoDialogsAndOpensNoWindows()
{
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();

    QSignalSpy titles(browser(window), &QWebEngineView::titleChanged);
    window.navigate(m_server.base() + u"noisy"_s);
    QTRY_VERIFY_WITH_TIMEOUT(titles.size() > 0 && titles.constLast().constFirst().toString().startsWith(u"done"_s),
                             kLoadWait);

    QCOMPARE(titles.constLast().constFirst().toString(), u"done false null"_s);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    QCOMPARE(browser(window)->url(), QUrl(m_server.base() + u"noisy"_s));
    for (const auto &request : m_server.received())
        QVERIFY2(request.path != "/popup", "a new window loaded its page");
}

void TestFrmMap::droppedFilesGoNowhere()
{
    frmMap window(m_folder, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(loads(window, m_server.base() + u"map"_s));

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(u"/etc/hostname"_s)});
    const QPoint onTheMap = browser(window)->mapTo(&window, browser(window)->rect().center());
    QDragEnterEvent enter(onTheMap, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QVERIFY(!enter.isAccepted());
}

} // namespace corvale

QTEST_MAIN(corvale::TestFrmMap)
#include "tst_frmmap.moc"
