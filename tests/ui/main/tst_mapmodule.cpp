#include <QLibraryInfo>
#include <QSettings>
#include <QTest>

#include "mainwindowdriver.h"
#include "ui/map/mapbrowser.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::MainWindowDriver;
using test::SampleServiceProcess;

// Without a usable map browser module the main window says so and goes on;
// the web engine is never started here.
class TestMapModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unusableModuleIsNamed_data();
    void unusableModuleIsNamed();
};

void TestMapModule::unusableModuleIsNamed_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << u"corvale-mapbrowser.so"_s << QByteArray();
    QTest::newRow("not a library") << u"corvale-mapbrowser.so"_s << QByteArray("#!/bin/sh\n");
    QTest::newRow("another Qt plugin")
        << QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforms/libqoffscreen.so"_s << QByteArray();
}

void TestMapModule::unusableModuleIsNamed()
{
    QFETCH(QString, module);
    QFETCH(QByteArray, content);
    const QTemporaryDir dir;
    const QString file = QDir::isAbsolutePath(module) ? module : dir.filePath(module);
    if (!content.isEmpty()) {
        QFile written(file);
        QVERIFY(written.open(QIODevice::WriteOnly) && written.write(content) == content.size());
    }
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
    const SampleServiceProcess service;
    MainWindowDriver driver(service.base());
    const QString previous = useMapBrowserModule(file);

    driver.fill(u"(312) 555-0142"_s);
    driver.createMap();
    driver.fill(QString(), {u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s});
    driver.createMap();
    useMapBrowserModule(previous);

    QCOMPARE(driver.maps().size(), 0);
    QCOMPARE(driver.boxes().size(), 2);
    // Each lookup wrote its result before the message, and left the window ready.
    const QStringList places{u"Chicago, IL 60601-1234"_s, u"Latitude: 45.4215"_s};
    for (qsizetype i = 0; i < 2; ++i) {
        const test::ShownBox &box = driver.boxes().at(i);
        QCOMPARE(box.parent, &driver.window());
        QCOMPARE(box.title, u"Sorry..."_s);
        QVERIFY2(box.text.contains(file), qPrintable(box.text));
        QVERIFY2(box.resultBox.contains(places.at(i)), qPrintable(box.resultBox));
        QVERIFY(box.createMapEnabled && !box.busyCursor);
    }
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapModule)
#include "tst_mapmodule.moc"
