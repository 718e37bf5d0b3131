#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

class TestMapFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void missingEntryGivesTheFallback();
    void storedEntryIsReadBack_data();
    void storedEntryIsReadBack();
    void storeKeepsTheRunsPath();
    void cleaned_data();
    void cleaned();
    void programFolderIsTheExecutables();
    void defaultFolder_data();
    void defaultFolder();

private:
    QTemporaryDir m_home;
};

void TestMapFolder::init()
{
    QVERIFY(m_home.isValid());
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
}

void TestMapFolder::missingEntryGivesTheFallback()
{
    QCOMPARE(MapFolder::stored(u"/opt/corvale/bin"_s), u"/opt/corvale/bin"_s);
    QCOMPARE(MapFolder::stored(QString()), QString());
}

void TestMapFolder::storedEntryIsReadBack_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("with a trailing separator") << u"/home/ann/Maps/"_s;
    QTest::newRow("blanks and non-ASCII kept") << u" /srv/Cartes de Montr\u00e9al/ "_s;
    QTest::newRow("Windows notation") << u"C:\\Maps\\"_s;
}

void TestMapFolder::storedEntryIsReadBack()
{
    QFETCH(QString, path);
    MapFolder::store(path);

    QCOMPARE(MapFolder::stored(u"/fallback"_s), path);
    // Application "Corvale", section "MapFolder", key "Path", and nothing else.
    QSettings settings(u"Corvale"_s, u"Corvale"_s);
    QCOMPARE(settings.allKeys(), QStringList{u"MapFolder/Path"_s});
    settings.beginGroup(u"MapFolder"_s);
    QCOMPARE(settings.value(u"Path"_s).toString(), path);
}

void TestMapFolder::storeKeepsTheRunsPath()
{
    MapFolder folder;
    QCOMPARE(folder.path(), QString());
    folder.setPath(u"/run/only/"_s);
    MapFolder::store(u"/stored/"_s);
    QCOMPARE(folder.path(), u"/run/only/"_s);
    QCOMPARE(MapFolder::stored(QString()), u"/stored/"_s);
}

void TestMapFolder::cleaned_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("clean already") << u"/home/ann/Maps/"_s << u"/home/ann/Maps/"_s;
    QTest::newRow("blanks at both ends") << u"  /home/ann/Maps/ "_s << u"/home/ann/Maps/"_s;
    QTest::newRow("blanks inside stay") << u" /home/ann/My Maps "_s << u"/home/ann/My Maps"_s;
    QTest::newRow("NUL padding of a fixed buffer") << u"C:\\Maps\0\0\0"_s << u"C:\\Maps"_s;
    QTest::newRow("NUL before the blanks go") << u" \0 /srv/maps \0"_s << u"/srv/maps"_s;
    QTest::newRow("tabs and line ends are not blanks") << u"\t/srv/maps\n"_s << u"\t/srv/maps\n"_s;
    QTest::newRow("only blanks and NULs") << u" \0  "_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestMapFolder::cleaned()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(MapFolder::cleaned(path), expected);
}

void TestMapFolder::programFolderIsTheExecutables()
{
    const QString folder = programFolder();
    QCOMPARE(QDir::fromNativeSeparators(folder), QCoreApplication::applicationDirPath());
    QVERIFY(!folder.endsWith(QDir::separator()));
    QVERIFY(QFile::exists(QDir(folder).filePath(u"tst_mapfolder"_s)));
}

void TestMapFolder::defaultFolder_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");

    const QString writable = m_home.filePath(u"bin"_s);
    QDir().mkpath(writable);
    const QString pictures = QDir::toNativeSeparators(m_home.filePath(u"Pictures"_s));
    QTest::newRow("writable program folder") << writable << m_home.path() << writable;
    QTest::newRow("missing program folder") << m_home.filePath(u"gone"_s) << m_home.path() << pictures;
#ifdef Q_OS_LINUX
    // Not even root may make a file in /proc.
    QTest::newRow("program folder nobody may write") << u"/proc"_s << m_home.path() << pictures;
    QTest::newRow("no Pictures folder can be made") << u"/proc"_s << u"/proc"_s << u"/proc"_s;
#endif
}

void TestMapFolder::defaultFolder()
{
    QFETCH(QString, program);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    QDir(m_home.filePath(u"Pictures"_s)).removeRecursively();
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home));

    const QString folder = defaultMapFolder(program);
    qputenv("HOME", oldHome);

    QCOMPARE(folder, expected);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(program).entryList(QDir::Hidden | QDir::Files).filter(u".corvale-"_s), QStringList());
}

} // namespace corvale

QTEST_GUILESS_MAIN(corvale::TestMapFolder)
#include "tst_mapfolder.moc"
