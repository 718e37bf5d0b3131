#include <array>
#include <optional>

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "jpegcheck.h"
#include "loopbackserver.h"
#include "testcontrols.h"
#include "ui/common/messagebox.h"
#include "ui/map/frmmap.h"
#include "ui/map/screencapture.h"
#include "util/general.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr int kLoadWait = 15000;

// Four solid quadrants over the whole page, in the order of kQuadrants.
const std::string kQuadrantPage = R"(<html><head><style>
html, body { margin: 0; padding: 0; overflow: hidden; }
div { position: fixed; width: 50%; height: 50%; }
</style></head><body>
<div style="left: 0; top: 0; background: #ff0000"></div>
<div style="left: 50%; top: 0; background: #0000ff"></div>
<div style="left: 0; top: 50%; background: #00ff00"></div>
<div style="left: 50%; top: 50%; background: #ffff00"></div>
</body></html>)";
const std::array<QColor, 4> kQuadrants{QColor(0xFF, 0, 0), QColor(0, 0, 0xFF), QColor(0, 0xFF, 0),
                                       QColor(0xFF, 0xFF, 0)};

// Where the quadrants' centres lie in a picture of this size.
std::array<QPoint, 4> quadrantCentres(const QSize &size)
{
    const int x = size.width() / 4;
    const int y = size.height() / 4;
    return {QPoint(x, y), QPoint(size.width() - x, y), QPoint(x, size.height() - y),
            QPoint(size.width() - x, size.height() - y)};
}

// Whether the picture shows the four quadrants; says what it saw otherwise.
bool showsQuadrants(const QImage &picture, QString *seen = nullptr)
{
    const std::array<QPoint, 4> centres = quadrantCentres(picture.size());
    for (std::size_t i = 0; i < centres.size(); ++i) {
        const QColor actual = picture.pixelColor(centres[i]);
        if (!closeTo(actual, kQuadrants[i])) {
            if (seen)
                *seen = u"quadrant %1 is %2"_s.arg(i).arg(describe(actual));
            return false;
        }
    }
    return true;
}

} // namespace

class TestMapCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void captureSavesWhatTheMapShows();
    void failuresKeepTheWindowOpen_data();
    void failuresKeepTheWindowOpen();

private:
    // Shows a map window on the quadrant page, once the page is drawn.
    bool showQuadrantMap();

    test::LoopbackServer m_server;
    std::optional<QTemporaryDir> m_maps;
    MapFolder m_mapFolder;
    MapQuery m_query;
    std::optional<MessageRecorder> m_messages;
    std::optional<frmMap> m_window;
};

void TestMapCapture::initTestCase()
{
#ifdef Q_OS_UNIX
    // The web engine's sandbox will not start as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    m_server.server.Get("/quadrants", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kQuadrantPage, "text/html");
    });
    m_server.start();
}

void TestMapCapture::init()
{
    m_maps.emplace();
    QVERIFY(m_maps->isValid());
    m_mapFolder.setPath(AddBackslash(m_maps->path()));
    m_query = {u"3125550142"_s, {}, {}};
    m_messages.emplace();
    m_window.emplace(m_mapFolder, [this] { return m_query; });
}

void TestMapCapture::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_maps.reset();
}

bool TestMapCapture::showQuadrantMap()
{
    QSignalSpy finished(test::control<QWebEngineView>(*m_window, u"wb"_s), &QWebEngineView::loadFinished);
    m_window->navigate(m_server.base() + u"quadrants"_s);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(&*m_window) || !finished.wait(kLoadWait))
        return false;
    // The page is drawn a moment after it has loaded.
    QWidget *panel = test::control(*m_window, u"pnlMap"_s);
    return QTest::qWaitFor([panel] { return showsQuadrants(GrabClientArea(panel)); }, kLoadWait);
}

void TestMapCapture::captureSavesWhatTheMapShows()
{
    QVERIFY(showQuadrantMap());
    const QWidget *panel = test::control(*m_window, u"pnlMap"_s);
    const QSize expected = panel->size() * panel->devicePixelRatioF();

    QTest::mouseClick(test::control(*m_window, u"cmdCapture"_s), Qt::LeftButton);

    const QString jpeg = QDir(m_maps->path()).filePath(u"3125550142.jpg"_s);
    QCOMPARE(QDir(m_maps->path()).entryList(QDir::Files), QStringList{u"3125550142.jpg"_s});
    const QImage saved(jpeg, "JPG");
    QCOMPARE(saved.size(), expected);
    QString seen;
    QVERIFY2(showsQuadrants(saved, &seen), qPrintable(seen));
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages().constFirst().title, u"Success..."_s);
    QCOMPARE(m_messages->messages().constFirst().text, u"Map saved as "_s + jpeg);
    QVERIFY(!m_window->isVisible());
}

void TestMapCapture::failuresKeepTheWindowOpen_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<bool>("jpegBlocked");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("conversion fails") << u"3125550142"_s << true << u"Sorry..."_s
                                      << QStringList({u"3125550142.bmp"_s, u"3125550142.jpg"_s});
    QTest::newRow("name leaves the folder") << u"../3125550142"_s << false << QString() << QStringList();
}

void TestMapCapture::failuresKeepTheWindowOpen()
{
    QFETCH(QString, phone);
    QFETCH(bool, jpegBlocked);
    QFETCH(QString, title);
    QFETCH(QStringList, left);
    m_query.txtPhone = phone;
    // A folder in the JPEG's place lets the bitmap be written but not converted.
    if (jpegBlocked)
        QVERIFY(QDir(m_maps->path()).mkdir(phone + u".jpg"_s));
    QVERIFY(showQuadrantMap());

    QTest::mouseClick(test::control(*m_window, u"cmdCapture"_s), Qt::LeftButton);

    QVERIFY(m_window->isVisible());
    QCOMPARE(QDir(m_maps->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), left);
    QCOMPARE(m_messages->messages().size(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty())
        QCOMPARE(m_messages->messages().constFirst().title, title);
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapCapture)
#include "tst_mapcapture.moc"
