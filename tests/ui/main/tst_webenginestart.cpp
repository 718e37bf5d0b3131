#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include <unistd.h>

#include "mainwindowdriver.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::MainWindowDriver;
using test::SampleServiceProcess;

namespace {

// The web engine's helper processes that this process has started.
int browserProcesses()
{
    int count = 0;
    const QString parent = QString::number(::getpid());
    for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid ...: the command may hold blanks, the fields after it do not.
        const QString line = QString::fromLocal8Bit(stat.readAll());
        const QStringList fields = line.mid(line.lastIndexOf(u')') + 2).split(u' ');
        if (fields.value(1) != parent)
            continue;
        if (QFileInfo(u"/proc/%1/exe"_s.arg(pid)).symLinkTarget().endsWith(u"QtWebEngineProcess"_s))
            ++count;
    }
    return count;
}

} // namespace

class TestWebEngineStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void browserStartsWithTheFirstMapWindow();
};

void TestWebEngineStart::browserStartsWithTheFirstMapWindow()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
    const SampleServiceProcess service;
    MainWindowDriver driver(service.base());
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.fill(u"(415) 555-0126"_s);
    driver.createMap();
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(browserProcesses(), 0);

    int whileMapShown = 0;
    connect(&driver.window(), &frmMaps::mapWindowOpening, this, [&whileMapShown](frmMap *map) {
        connect(map->findChild<QWebEngineView *>(u"wb"_s), &QWebEngineView::loadFinished, map,
                [&whileMapShown] { whileMapShown = browserProcesses(); });
    });
    driver.fill(u"(312) 555-0142"_s);
    driver.createMap();
    QCOMPARE(driver.maps().size(), 1);
    QVERIFY(whileMapShown > 0);
}

} // namespace corvale

QTEST_MAIN(corvale::TestWebEngineStart)
#include "tst_webenginestart.moc"
