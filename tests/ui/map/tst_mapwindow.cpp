// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineView>

#include <unistd.h>

#include "rawhttpserver.h"
#include "sampleservice.h"
#include "ui/common/browseforfolder.h"
#include "ui/map/frmmap.h"
#include "ui/map/mapbrowser.h"
#include "ui/map/maplayout.h"
#include "ui/map/mapsave.h"
#include "ui/map/screencapture.h"
#include "uitest.h"
#include "util/general.h"
#include "util/settings.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::control;

namespace {

constexpr int kLoadWait = 15000;

// "/quadrants": red, blue, green and yellow quarters. Any other page: a link
// over the whole page that writes a mail, and every kind of pop-up a page can
// ask for, a console line, then a title that tells what the page got back.
std::string page(const std::string &target)
{
    if (target == "/quadrants")
        return R"(<html><body style="margin:0"><style>div { position: fixed; width: 50%; height: 50% }</style>
<div style="background:#f00"></div><div style="left:50%; background:#00f"></div>
<div style="top:50%; background:#0f0"></div><div style="left:50%; top:50%; background:#ff0"></div></body></html>)";
    return R"(<html><body style="margin:0"><a href="mailto:maps@example.com"
style="display:block; height:400px; background:#08f">write</a><script>
const confirmed = confirm('confirm'); const answer = prompt('prompt', 'default'); alert('alert');
window.open('/popup', 'other');
const link = document.createElement('a'); link.href = '/popup'; link.target = '_blank'; link.click();
console.warn('a console line of the page');
document.title = 'done ' + confirmed + ' ' + answer;
</script></body></html>)";
}

// The module beside the test, as beside the program; the test cannot go on without it.
MapBrowser &mapBrowser()
{
    MapBrowser *browser = loadMapBrowser().browser;
    if (!browser)
        qFatal("no map browser module");
    return *browser;
}

auto browser = [](const frmMap &window) { return control<QWebEngineView>(window, u"wb"_s); };

// Shows the window on the page, once the page has drawn itself.
bool showPage(frmMap &window, const QString &address)
{
    QSignalSpy finished(browser(window), &QWebEngineView::loadFinished);
    window.navigate(address);
    window.show();
    return finished.wait(kLoadWait)
        && QTest::qWaitFor(
               [&window] {
                   return GrabClientArea(control(window, u"pnlMap"_s)).pixelColor(20, 20) != QColor(Qt::white);
               },
               kLoadWait);
}

} // namespace

class TestMapWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sandboxOnlyAsRoot();
    void initTestCase();
    void mapFromTheMainWindow_data();
    void mapFromTheMainWindow();
    void pageStaysInItsWindow();
    void layoutSteps_data();
    void layoutSteps();
    void followsTheWindow();
    void capture();

private:
    test::OwnHome m_home;
    std::optional<test::SampleService> m_service;
    std::optional<test::RawHttpServer> m_pages;
    MapFolder m_folder;
};

// First: the web engine reads the setting once, when the first map window starts it.
void TestMapWindow::sandboxOnlyAsRoot()
{
    const test::ScopedEnv untouched("QTWEBENGINE_DISABLE_SANDBOX", std::nullopt);
    const bool root = ::geteuid() == 0;
    if (root)
        QTest::ignoreMessage(QtWarningMsg, "corvale: running as root, so the map browser runs without its sandbox");
    const frmMap window(mapBrowser(), m_folder, {});
    QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), root ? QByteArray("1") : QByteArray());
}

void TestMapWindow::initTestCase()
{
    QVERIFY(m_service.emplace().base().startsWith(u"http://127.0.0.1:"_s));
    m_pages.emplace(
        [](test::RawConnection &connection) { connection.send(test::response(200, page(connection.target()))); });
}

void TestMapWindow::mapFromTheMainWindow_data()
{
    QTest::addColumn<QStringList>("typed");
    // Whether a cancelled folder choice emptied the run's folder, so that Capture asks for one.
    QTest::addColumn<bool>("cancelled");
    // The map window's title and page, and the name the map is saved under.
    QTest::addColumn<QStringList>("map");
    QTest::newRow("phone") << QStringList{u"(312) 555-0142"_s} << false
                           << QStringList{u"3125550142"_s, u"lookups/mapY.asp?phone=3125550142"_s, u"3125550142.jpg"_s};
    QTest::newRow("address, after a cancelled folder choice")
        << QStringList{{}, u"410 W Marlow Ave"_s, u"Chicago"_s, u"IL"_s, u"60601"_s} << true
        << QStringList{{}, u"lookups/mapY.asp?zip4=606011234"_s, u"410_W_Marlow_AveChicago.jpg"_s};
    // With the sample service as the address service too: its map page, the map geotagged.
    QTest::newRow("address through the address service")
        << QStringList{{}, u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s} << false
        << QStringList{{},
                       u"export/embed.html?bbox=-75.700200,45.419500,-75.694200,45.423500&layer=mapnik&"
                       "marker=45.4215,-75.6972"_s,
                       u"24_Tamarack_CresOttawa.jpg"_s};
}

void TestMapWindow::mapFromTheMainWindow()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, cancelled);
    QFETCH(QStringList, map);
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
    // A folder for each row: each saves one map.
    const QString stored = AddBackslash(m_home.dir.filePath(u"stored/"_s + QLatin1String(QTest::currentDataTag())));
    const QString chosen = AddBackslash(m_home.dir.filePath(u"chosen"_s));
    QVERIFY(QDir().mkpath(stored));
    MapFolder::store(stored);
    test::ScriptedFolderChooser chooser;
    const bool nominatim = map.at(1).startsWith(u"export/"_s);
    test::MainWindow main(m_service->base(), {},
                          checkAddressService(nominatim ? m_service->base() : QString(), u"the test"_s).service);
    if (cancelled)
        main.button(u"cmdMapPath"_s)->click();
    chooser.setAnswer(chosen);
    QStringList seen;
    QPointer<frmMap> earlier;
    connect(&main.window(), &frmMaps::mapWindowOpening, this, [&](frmMap *window) {
        QVERIFY2(earlier.isNull(), "the earlier map window is gone");
        earlier = window;
        // Modal, the main window ready again; Capture saves it and closes it.
        connect(browser(*window), &QWebEngineView::loadFinished, window, [&, window] {
            seen += {window->windowTitle(), browser(*window)->url().toString(), window->isModal() ? u"modal"_s : u""_s};
            QVERIFY(main.ready());
            // A picture of one colour is refused as not drawn yet.
            QVERIFY(QTest::qWaitFor([window] { return !isBlankPicture(GrabClientArea(control(*window, u"pnlMap"_s))); },
                                    kLoadWait));
            QTest::mouseClick(control(*window, u"cmdCapture"_s), Qt::LeftButton);
        });
        // A page that never loads still lets the test go on.
        QTimer::singleShot(kLoadWait, window, &QWidget::close);
    });
    main.fill(typed);
    main.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&main.window()));
    // Typing goes on in the main window, on "Create Map". Which window is
    // active is the compositor's choice on Wayland, where a program cannot
    // activate its own window: there only the focus inside the window is seen.
    QStringList focus;
    const auto backInTheMainWindow = [&] {
        if (QGuiApplication::platformName() != u"wayland"_s)
            QTRY_COMPARE(QApplication::activeWindow(), &main.window());
        focus += main.window().focusWidget() ? main.window().focusWidget()->objectName() : QString();
    };

    main.createMap();
    backInTheMainWindow();
    const QString result = main.result();
    main.createMap();
    backInTheMainWindow();

    const QStringList shown{map.at(0), m_service->base() + map.at(1), u"modal"_s};
    QCOMPARE(seen, shown + shown);
    QVERIFY(result.startsWith(u"\tLakeshore Lantern Works"_s) || result.startsWith(u"Latitude: 41.8853"_s)
            || result.startsWith(u"24 Tamarack Cres, Ottawa, ON, K1A 0B1, Canada\nLatitude: 45.4215"_s));
    QCOMPARE(main.result(), result);
    const QString folder = cancelled ? chosen : stored;
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{map.at(2)});
    // The saved map names the service that placed it, as exiftool reads it.
    QCOMPARE(test::output(u"exiftool"_s, {u"-s3"_s, u"-XMP:Source"_s, folder + map.at(2)}).trimmed(),
             (m_service->base() + (nominatim ? u"search"_s : u""_s)).toUtf8());
    QCOMPARE(main.boxes().size(), 2);
    QCOMPARE(main.boxes().constLast().text, u"Map saved as "_s + folder + map.at(2));
    QCOMPARE(chooser.requests().size(), cancelled ? 2 : 0);
    QCOMPARE(focus, QStringList({u"Command1"_s, u"Command1"_s}));
    // The folder shown is where the map went; a folder chosen while saving is not stored.
    QCOMPARE(QStringList({main.mapFolder().path(), main.box(u"txtMapPath"_s)->text(),
                          readSetting(kMapFolderSetting).value_or(QString())}),
             QStringList({folder, folder, stored}));
}

void TestMapWindow::pageStaysInItsWindow()
{
    const test::UrlRecorder mailer(u"mailto"_s);
    // What the page writes to its console stays off the terminal.
    QTest::failOnWarning("a console line of the page");
    frmMap window(mapBrowser(), m_folder, {});
    const QString address = m_pages->base() + u"page"_s;
    QVERIFY(showPage(window, address));
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const qsizetype windows = QApplication::topLevelWidgets().size();
    QTRY_VERIFY_WITH_TIMEOUT(browser(window)->title().startsWith(u"done"_s), kLoadWait);

    // Only web addresses, from the opener or from the page.
    for (const QString &other :
         {u"file:///etc/hostname"_s, u"data:text/html,<title>data</title>"_s, u"javascript:document.title='script'"_s,
          u"mailto:maps@example.com"_s, u"lookups/mapY.asp"_s, QString()})
        window.navigate(other);
    QSignalSpy finished(browser(window), &QWebEngineView::loadFinished);
    QTest::mouseClick(browser(window)->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
    // The link's navigation ends, refused, once the page has decided on it.
    QVERIFY(finished.wait(kLoadWait));
    // Files dropped onto the map go nowhere.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(u"/etc/hostname"_s)});
    QDragEnterEvent enter(browser(window)->mapTo(&window, QPoint(50, 50)), Qt::CopyAction, &files, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QVERIFY(!enter.isAccepted());
    // Whatever the browser was asked before this has run when it answers.
    QString title;
    browser(window)->page()->runJavaScript(u"document.title"_s,
                                           [&title](const QVariant &got) { title = got.toString(); });
    QTRY_VERIFY_WITH_TIMEOUT(!title.isEmpty(), kLoadWait);

    // Dialogs answered as cancelled and shown to nobody, no new windows.
    QCOMPARE(title, u"done false null"_s);
    QCOMPARE(browser(window)->url(), QUrl(address));
    QCOMPARE(mailer.opened, QList<QUrl>());
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    for (const std::string &request : m_pages->requests())
        QVERIFY2(request.find("/popup") == std::string::npos, "a new window loaded its page");
}

// The panel fills the window from the top down to one and a half button
// heights above the bottom; the button, its size kept, is centred a quarter
// button height below it. A window too short keeps the panel's height.
void TestMapWindow::layoutSteps_data()
{
    // The client area in twips; the panel and the button afterwards, from the design's.
    QTest::addColumn<QSizeF>("inner");
    QTest::addColumn<QRectF>("panel");
    QTest::addColumn<QRectF>("button");
    // A size of zero is taken; only a negative one is refused, and the panel
    // keeps what it had.
    QTest::newRow("exactly one and a half buttons high: no panel height")
        << QSizeF(9240, 742.5) << QRectF(0, 0, 9240, 0) << QRectF(4012.5, 123.75, 1215, 495);
    QTest::newRow("shorter: the panel keeps its height")
        << QSizeF(9240, 742) << QRectF(0, 0, 9240, 6135) << QRectF(4012.5, 123.25, 1215, 495);
    QTest::newRow("negative width refused")
        << QSizeF(-15, 9210) << QRectF(0, 0, 7575, 8467.5) << QRectF(-615, 8591.25, 1215, 495);
}

void TestMapWindow::layoutSteps()
{
    QFETCH(QSizeF, inner);
    QFETCH(QRectF, panel);
    QFETCH(QRectF, button);
    const MapWindowLayout design{{0, 0, 7575, 6135}, {3720, 6240, 1215, 495}};
    const MapWindowLayout got = layOutMapWindow(design, float(inner.width()), float(inner.height()));
    QCOMPARE(QRectF(got.panel.left, got.panel.top, got.panel.width, got.panel.height), panel);
    QCOMPARE(QRectF(got.button.left, got.button.top, got.button.width, got.button.height), button);
}

void TestMapWindow::followsTheWindow()
{
    frmMap window(mapBrowser(), m_folder, {});
    QWidget *panel = control(window, u"pnlMap"_s);
    QWidget *capture = control(window, u"cmdCapture"_s);
    const QSize buttonSize = capture->size();
    const qreal quarter = buttonSize.height() / 4.0;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // At first the whole window, "Capture" too, is on the screen. A Wayland
    // client cannot know where its window is: there only its size is checked.
    if (QGuiApplication::platformName() == u"wayland"_s)
        QVERIFY(window.screen()->availableGeometry().size().boundedTo(window.frameGeometry().size())
                == window.frameGeometry().size());
    else
        QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    QVERIFY(window.rect().contains(capture->geometry()));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());

    int panelHeight = 0;
    for (const QSize &size :
         {window.size(), QSize(1000, 800), QSize(400, 300), QSize(60, 300), QSize(300, 30), QSize(800, 700)}) {
        window.resize(size);
        QTRY_COMPARE(panel->width(), size.width());
        if (size.height() >= 6 * quarter)
            panelHeight = size.height() - qRound(6 * quarter);
        QVERIFY(qAbs(panel->height() - panelHeight) <= 1 && panel->pos() == QPoint(0, 0));
        QCOMPARE(browser(window)->geometry(), panel->rect());
        QCOMPARE(capture->size(), buttonSize);
        QVERIFY(qAbs(capture->geometry().center().x() - size.width() / 2) <= 1);
        QVERIFY(qAbs(capture->y() - (size.height() - 5 * quarter)) <= 1);
    }
}

// A failed save leaves the window open for another try, a page that did not
// load is not saved; a saved map is what the page showed.
void TestMapWindow::capture()
{
    // One level down: what a name lets escape stays inside the test's folder.
    QTemporaryDir root;
    const QDir maps(root.filePath(u"maps"_s));
    QVERIFY(maps.mkpath(u"."_s));
    m_folder.setPath(AddBackslash(maps.path()));
    const test::MessageRecorder messages;
    QString phone = u"../escaped"_s;
    frmMap window(mapBrowser(), m_folder, [&phone] { return MapQuery{phone, {}, {}}; });
    QWidget *panel = control(window, u"pnlMap"_s);
    // The engine's error page is drawn, but it is no map.
    QSignalSpy loaded(&window, &frmMap::pageLoaded);
    window.navigate(test::RawHttpServer::refusingBase());
    window.show();
    QVERIFY(loaded.wait(kLoadWait));
    QCOMPARE(loaded.value(0), QVariantList{false});
    QTRY_VERIFY_WITH_TIMEOUT(!isBlankPicture(GrabClientArea(panel)), kLoadWait);
    QTest::mouseClick(control(window, u"cmdCapture"_s), Qt::LeftButton);
    QVERIFY(window.isVisible() && messages.messages().size() == 1);
    QCOMPARE(messages.messages().constFirst().title, u"Sorry..."_s);
    QCOMPARE(maps.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(showPage(window, m_pages->base() + u"quadrants"_s));
    QTRY_VERIFY_WITH_TIMEOUT(test::showsQuadrants(GrabClientArea(panel)), kLoadWait);

    QTest::mouseClick(control(window, u"cmdCapture"_s), Qt::LeftButton);
    QVERIFY(window.isVisible() && messages.messages().size() == 1);
    phone = u"3125550142"_s;
    QTest::mouseClick(control(window, u"cmdCapture"_s), Qt::LeftButton);

    QVERIFY(!window.isVisible());
    QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"maps"_s});
    QCOMPARE(maps.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"3125550142.jpg"_s});
    const QImage picture(maps.filePath(u"3125550142.jpg"_s));
    QCOMPARE(picture.size(), panel->size() * panel->devicePixelRatioF());
    QVERIFY(test::showsQuadrants(picture));
    QCOMPARE(messages.messages().size(), 2);
    QCOMPARE(messages.messages().constLast().text, u"Map saved as "_s + maps.filePath(u"3125550142.jpg"_s));
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapWindow)
#include "tst_mapwindow.moc"
