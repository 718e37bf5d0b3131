#include <memory>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "mainwindowdriver.h"
#include "selectdriver.h"
#include "ui/map/screencapture.h"
#include "util/browseforfolder.h"
#include "util/general.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::FakeLookupClock;
using test::SampleServiceProcess;

namespace {

constexpr int kPageWait = 20000;

// Whether the picture holds more than one colour: a page not drawn yet is blank.
bool showsSomething(const QImage &picture)
{
    const QColor first = picture.pixelColor(0, 0);
    for (int y = 0; y < picture.height(); y += 7) {
        for (int x = 0; x < picture.width(); x += 7) {
            if (picture.pixelColor(x, y) != first)
                return true;
        }
    }
    return false;
}

// Whether two pictures of one size look alike, allowing for JPEG.
bool alike(const QImage &saved, const QImage &shown)
{
    if (saved.size() != shown.size())
        return false;
    qint64 difference = 0;
    qint64 samples = 0;
    for (int y = 0; y < saved.height(); y += 5) {
        for (int x = 0; x < saved.width(); x += 5) {
            const QColor a = saved.pixelColor(x, y);
            const QColor b = shown.pixelColor(x, y);
            difference += qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
            ++samples;
        }
    }
    return difference / (3 * samples) <= 4;
}

} // namespace

// The main window over the sample service: "Create Map", "Capture" in the map
// window once its page is drawn, then "Print Map".
class TestSaveAndPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void captureAsksForAFolderWhenNoneIsKnown();
    void captureThenPrint();

private:
    // Presses Capture in every map window once its page is drawn, keeping
    // what the panel showed just before.
    void captureWhenDrawn(frmMap *map);
    void makeMainWindow();
    // "Create Map" for a phone number; returns once the map window is closed.
    void createMap(const QString &phone);

    std::unique_ptr<SampleServiceProcess> m_service;
    std::unique_ptr<FakeLookupClock> m_clock;
    std::unique_ptr<LookupClient> m_client;
    std::unique_ptr<MapFolder> m_mapFolder;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<frmMaps> m_window;
    QImage m_shown;
};

void TestSaveAndPrint::initTestCase()
{
#ifdef Q_OS_UNIX
    // The web engine's sandbox will not start as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    m_service = std::make_unique<SampleServiceProcess>();
    QVERIFY(m_service->base().startsWith(u"http://127.0.0.1:"_s));
}

void TestSaveAndPrint::init()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
    m_shown = QImage();
}

void TestSaveAndPrint::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_mapFolder.reset();
    m_client.reset();
    m_clock.reset();
}

void TestSaveAndPrint::captureWhenDrawn(frmMap *map)
{
    auto *poll = new QTimer(map);
    connect(poll, &QTimer::timeout, map, [this, map] {
        QWidget *panel = test::control(*map, u"pnlMap"_s);
        const QImage shown = GrabClientArea(panel);
        if (!showsSomething(shown))
            return;
        m_shown = shown;
        QTest::mouseClick(test::control(*map, u"cmdCapture"_s), Qt::LeftButton);
    });
    poll->start(50);
    // A page that is never drawn still lets the test go on.
    QTimer::singleShot(kPageWait, map, &QWidget::close);
}

void TestSaveAndPrint::makeMainWindow()
{
    m_clock = std::make_unique<FakeLookupClock>();
    m_client = std::make_unique<LookupClient>(m_service->base(), *m_clock, &makeNetworkTransport);
    m_mapFolder = std::make_unique<MapFolder>();
    m_messages = std::make_unique<MessageRecorder>();
    m_window = std::make_unique<frmMaps>(*m_client, *m_mapFolder);
    connect(&*m_window, &frmMaps::mapWindowOpening, this, &TestSaveAndPrint::captureWhenDrawn);
}

void TestSaveAndPrint::createMap(const QString &phone)
{
    test::control<QLineEdit>(*m_window, u"txtPhone"_s)->setText(phone);
    test::control<QPushButton>(*m_window, u"Command1"_s)->click();
}

void TestSaveAndPrint::captureAsksForAFolderWhenNoneIsKnown()
{
    QTemporaryDir stored;
    QTemporaryDir chosen;
    QVERIFY(stored.isValid() && chosen.isValid());
    MapFolder::store(AddBackslash(stored.path()));
    makeMainWindow();
    ScriptedFolderChooser chooser;
    // A cancelled folder choice empties the run's folder; the box and the
    // stored entry keep theirs.
    test::control<QPushButton>(*m_window, u"cmdMapPath"_s)->click();
    QCOMPARE(m_mapFolder->path(), QString());
    chooser.setAnswer(chosen.path());

    createMap(u"(312) 555-0142"_s);

    const QString jpeg = AddBackslash(chosen.path()) + u"3125550142.jpg"_s;
    QCOMPARE(QDir(chosen.path()).entryList(QDir::Files), QStringList{u"3125550142.jpg"_s});
    QVERIFY(!m_shown.isNull());
    QVERIFY(alike(QImage(jpeg, "JPG"), m_shown));
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages().constFirst().title, u"Success..."_s);
    QCOMPARE(m_messages->messages().constFirst().text, u"Map saved as "_s + jpeg);
    QCOMPARE(chooser.requests().size(), 2);
    QCOMPARE(m_mapFolder->path(), AddBackslash(chosen.path()));
    QCOMPARE(MapFolder::stored(QString()), AddBackslash(stored.path()));
    QCOMPARE(test::control<QLineEdit>(*m_window, u"txtMapPath"_s)->text(), AddBackslash(stored.path()));
    QCOMPARE(QDir(stored.path()).entryList(QDir::Files), QStringList());
}

void TestSaveAndPrint::captureThenPrint()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkdir(u"My Maps"_s));
    const QString maps = root.filePath(u"My Maps"_s);
    MapFolder::store(maps);
    QTemporaryDir printer;
    QVERIFY(printer.isValid());
    const QString program = QDir(printer.path()).filePath(u"print map"_s);
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly) && script.write(kRecordingPrinter) == kRecordingPrinter.size());
    script.close();
    QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const PrintProgramSetting setting(program);

    makeMainWindow();
    createMap(u"(206) 555-0117"_s);
    QCOMPARE(QDir(maps).entryList(QDir::Files), QStringList{u"2065550117.jpg"_s});
    pickAndEnd(u"2065550117.jpg"_s, Ending::Ok);
    test::control<QPushButton>(*m_window, u"Command2"_s)->click();

    QTRY_COMPARE(recordedStarts(printer.path()),
                 QList<QStringList>({{u"1"_s, maps + u"/2065550117.jpg"_s}}));
    QCOMPARE(m_messages->messages().size(), 1);
}

} // namespace corvale

QTEST_MAIN(corvale::TestSaveAndPrint)
#include "tst_saveandprint.moc"
