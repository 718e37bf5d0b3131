#include <QDir>
#include <QTest>

#include "util/general.h"

using namespace Qt::StringLiterals;

namespace corvale {

class TestGeneral : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getFileName_data();
    void getFileName();
    void getFolderPath_data();
    void getFolderPath();
    void getBaseName_data();
    void getBaseName();
    void addBackslash_data();
    void addBackslash();
};

void TestGeneral::getFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("windows path") << u"C:\\maps\\a.bmp"_s << u"a.bmp"_s;
    QTest::newRow("trailing separator") << u"C:\\maps\\"_s << QString();
    QTest::newRow("no separator") << u"a.bmp"_s << u"a.bmp"_s;
    QTest::newRow("backslash last") << u"x/y\\z.bmp"_s << u"z.bmp"_s;
    QTest::newRow("slash last") << u"a\\b/c"_s << u"c"_s;
    QTest::newRow("unix path") << u"/home/maps/2223334444.jpg"_s << u"2223334444.jpg"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestGeneral::getFileName()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(GetFileName(path), expected);
}

void TestGeneral::getFolderPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("keeps its separator") << u"C:\\maps\\a.bmp"_s << u"C:\\maps\\"_s;
    QTest::newRow("no separator") << u"a.bmp"_s << QString();
    QTest::newRow("trailing separator") << u"C:\\maps\\"_s << u"C:\\maps\\"_s;
    QTest::newRow("mixed separators") << u"a/b\\c"_s << u"a/b\\"_s;
    QTest::newRow("slash after backslash") << u"a\\b/c.jpg"_s << u"a\\b/"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestGeneral::getFolderPath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(GetFolderPath(path), expected);
}

void TestGeneral::getBaseName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("last dot only") << u"C:\\maps\\12_Main_St.Springfield.bmp"_s
                                   << u"12_Main_St.Springfield"_s;
    QTest::newRow("no dot") << u"C:\\maps\\map"_s << u"map"_s;
    QTest::newRow("only an extension") << u".bmp"_s << QString();
    QTest::newRow("dot in the folder only") << u"/tmp/maps.d/map"_s << u"map"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestGeneral::getBaseName()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(GetBaseName(path), expected);
}

void TestGeneral::addBackslash_data()
{
    const QString own = QDir::separator();
    const QString other = own == u"/"_s ? u"\\"_s : u"/"_s;
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty stays empty") << QString() << QString();
    QTest::newRow("gains a separator") << u"maps"_s << u"maps"_s + own;
    QTest::newRow("ends in one already") << u"maps"_s + own << u"maps"_s + own;
    QTest::newRow("the other separator counts as none") << u"maps"_s + other << u"maps"_s + other + own;
}

void TestGeneral::addBackslash()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(AddBackslash(path), expected);
}

} // namespace corvale

QTEST_APPLESS_MAIN(corvale::TestGeneral)
#include "tst_general.moc"
