// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QTest>
#include <QUrl>

#include "ownhome.h"
#include "util/general.h"
#include "util/mapfolder.h"
#include "util/weburl.h"

using namespace Qt::StringLiterals;

namespace corvale {

class TestUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathParts_data();
    void pathParts();
    void webAddress_data();
    void webAddress();
    void defaultMapFolder_data();
    void defaultMapFolder();

private:
    test::OwnHome m_home;
};

void TestUtil::pathParts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("folderPath");
    QTest::addColumn<QString>("baseName");
    QTest::newRow("Windows path") << u"C:\\maps\\12_Main_St.Springfield.bmp"_s << u"12_Main_St.Springfield.bmp"_s
                                  << u"C:\\maps\\"_s << u"12_Main_St.Springfield"_s;
    QTest::newRow("ends in a separator") << u"C:\\maps\\"_s << u""_s << u"C:\\maps\\"_s << u""_s;
    QTest::newRow("no separator") << u"a.bmp"_s << u"a.bmp"_s << u""_s << u"a"_s;
    QTest::newRow("a \"/\" after a \"\\\"") << u"x\\y/z.bmp"_s << u"z.bmp"_s << u"x\\y/"_s << u"z"_s;
    QTest::newRow("a \"\\\" after a \"/\"") << u"x/y\\z.bmp"_s << u"z.bmp"_s << u"x/y\\"_s << u"z"_s;
    QTest::newRow("no dot") << u"/maps/map"_s << u"map"_s << u"/maps/"_s << u"map"_s;
    QTest::newRow("only an extension") << u"/maps/.bmp"_s << u".bmp"_s << u"/maps/"_s << u""_s;
    QTest::newRow("a dot in the folder only") << u"/maps.d/map"_s << u"map"_s << u"/maps.d/"_s << u"map"_s;
    QTest::newRow("empty") << u""_s << u""_s << u""_s << u""_s;
}

void TestUtil::pathParts()
{
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(QString, folderPath);
    QFETCH(QString, baseName);
    QCOMPARE(GetFileName(path), fileName);
    QCOMPARE(GetFolderPath(path), folderPath);
    QCOMPARE(GetBaseName(path), baseName);
}

void TestUtil::webAddress_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("web");
    // What the lookup, the map page and the address service settings do not reach.
    QTest::newRow("https") << u"https://maps.example/"_s << true;
    QTest::newRow("no host") << u"http:///lookups/"_s << false;
    QTest::newRow("file on a host") << u"file://maps.example/etc/hostname"_s << false;
    QTest::newRow("ftp") << u"ftp://maps.example/"_s << false;
}

void TestUtil::webAddress()
{
    QFETCH(QString, url);
    QFETCH(bool, web);
    QCOMPARE(isWebAddress(QUrl(url)), web);
}

void TestUtil::defaultMapFolder_data()
{
    // The program's folder: "own" one of this test's that may be written,
    // "link" one of this test's that leads to /var/tmp.
    QTest::addColumn<QString>("program");
    // "program" or "Pictures".
    QTest::addColumn<QString>("expected");
    QTest::newRow("writable") << u"own"_s << u"program"_s;
    QTest::newRow("missing") << u"/nonexistent/corvale"_s << u"Pictures"_s;
    // There even root may make no file.
    QTest::newRow("there, but not writable") << u"/proc"_s << u"Pictures"_s;
    // Writable by root, who runs the installed package; maps there would sit
    // among the system's programs.
    QTest::newRow("installed, as root") << u"/usr/bin"_s << u"Pictures"_s;
    QTest::newRow("a system folder anyone may write") << u"/var/tmp"_s << u"Pictures"_s;
    QTest::newRow("a link to a system folder") << u"link"_s << u"Pictures"_s;
}

void TestUtil::defaultMapFolder()
{
    QFETCH(QString, program);
    QFETCH(QString, expected);
    const QString folder = program == u"own"_s || program == u"link"_s ? m_home.dir.filePath(program) : program;
    QVERIFY(program != u"own"_s || QDir().mkpath(folder));
    QVERIFY(program != u"link"_s || QFile::link(u"/var/tmp"_s, folder));
    const QString pictures = QDir::toNativeSeparators(m_home.dir.filePath(u"Pictures"_s));
    QCOMPARE(MapFolder(folder).programDefault(), expected == u"program"_s ? folder : pictures);
    // The probe that tells a writable folder leaves nothing behind.
    if (program == u"own"_s)
        QCOMPARE(QDir(folder).entryList(QDir::Hidden | QDir::Files), QStringList());
}

} // namespace corvale

QTEST_MAIN(corvale::TestUtil)
#include "tst_util.moc"
