#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "colouredblock.h"
#include "jpegcheck.h"
#include "ui/common/messagebox.h"
#include "ui/map/imageconversion.h"
#include "ui/map/mapsave.h"
#include "util/browseforfolder.h"
#include "util/general.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QString kPrompt = u"Please select the directory where the document will be saved."_s;
const QColor kMapColour(0x30, 0x90, 0xD0);
const QColor kMarkColour(0xE0, 0x40, 0x20);
constexpr QSize kPanelSize(320, 200);

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// A window with a map panel: one colour, and a mark in its top-left quarter.
class MapWindowDouble : public QWidget
{
public:
    MapWindowDouble()
        : m_panel(colouredBlock(this, QRect(QPoint(0, 0), kPanelSize), kMapColour))
    {
        resize(kPanelSize + QSize(20, 60));
        colouredBlock(m_panel, QRect(0, 0, kPanelSize.width() / 2, kPanelSize.height() / 2), kMarkColour);
    }

    QWidget *panel() const { return m_panel; }

private:
    QWidget *m_panel;
};

} // namespace

class TestMapSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void baseNames_data();
    void baseNames();
    void savedPictureShowsThePanel();
    void replacesAnOlderMap();
    void mapFolderIsCleaned_data();
    void mapFolderIsCleaned();
    void emptyFolderAsksAndCancelStops();
    void emptyFolderAsksAndChoiceIsKept();
    void emptyExistingFolderTakesMaps();
    void missingFolderStopsSilently();
    void namesThatLeaveTheFolderAreRefused_data();
    void namesThatLeaveTheFolderAreRefused();
    void failedConversionKeepsTheBitmap();

private:
    bool save(const MapQuery &query);

    std::optional<QTemporaryDir> m_root;
    QString m_maps;
    MapFolder m_mapFolder;
    std::optional<MessageRecorder> m_messages;
    std::optional<MapWindowDouble> m_window;
};

void TestMapSave::init()
{
    m_root.emplace();
    QVERIFY(m_root->isValid());
    QVERIFY(QDir(m_root->path()).mkdir(u"maps"_s));
    m_maps = m_root->filePath(u"maps"_s);
    m_mapFolder.setPath(AddBackslash(m_maps));
    m_messages.emplace();
    m_window.emplace();
}

void TestMapSave::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_root.reset();
}

bool TestMapSave::save(const MapQuery &query)
{
    return saveCapturedMap(&*m_window, m_window->panel(), m_mapFolder, [query] { return query; });
}

void TestMapSave::baseNames_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("saved");
    QTest::newRow("phone") << u"5551234567"_s << QString() << QString() << u"5551234567.jpg"_s;
    QTest::newRow("phone before address") << u"3125550142"_s << u"410 W Marlow Ave"_s << u"Chicago"_s
                                          << u"3125550142.jpg"_s;
    QTest::newRow("phone as typed") << u"555 123 4567"_s << QString() << QString() << u"555 123 4567.jpg"_s;
    QTest::newRow("address") << QString() << u"12 Main St"_s << u"Springfield"_s << u"12_Main_StSpringfield.jpg"_s;
    QTest::newRow("dot in the name") << QString() << u"12 Main St."_s << u"Springfield"_s
                                     << u"12_Main_St.Springfield.jpg"_s;
    QTest::newRow("city with blanks") << QString() << u"24 Tamarack Cres"_s << u"Ottawa West"_s
                                      << u"24_Tamarack_CresOttawa_West.jpg"_s;
    QTest::newRow("accents") << QString() << u"95 Rue des Tisserands"_s << u"Montréal"_s
                             << u"95_Rue_des_TisserandsMontréal.jpg"_s;
    QTest::newRow("street only") << QString() << u"77 Foxglove Ln"_s << QString() << u"77_Foxglove_Ln.jpg"_s;
}

void TestMapSave::baseNames()
{
    QFETCH(QString, phone);
    QFETCH(QString, street);
    QFETCH(QString, city);
    QFETCH(QString, saved);

    QVERIFY(save({phone, street, city}));

    QCOMPARE(entries(m_maps), QStringList{saved});
    QCOMPARE(m_messages->messages().size(), 1);
    const ShownMessage &message = m_messages->messages().constFirst();
    QCOMPARE(message.title, u"Success..."_s);
    QCOMPARE(message.text, u"Map saved as "_s + AddBackslash(m_maps) + saved);
    QCOMPARE(message.parent.data(), &*m_window);
    QCOMPARE(m_mapFolder.path(), AddBackslash(m_maps));
}

void TestMapSave::savedPictureShowsThePanel()
{
    QVERIFY(save({u"5551234567"_s, {}, {}}));

    const QImage saved(QDir(m_maps).filePath(u"5551234567.jpg"_s), "JPG");
    QCOMPARE(saved.size(), kPanelSize);
    const QColor mark = saved.pixelColor(kPanelSize.width() / 4, kPanelSize.height() / 4);
    const QColor map = saved.pixelColor(kPanelSize.width() * 3 / 4, kPanelSize.height() * 3 / 4);
    QVERIFY2(closeTo(mark, kMarkColour), qPrintable(describe(mark)));
    QVERIFY2(closeTo(map, kMapColour), qPrintable(describe(map)));
}

void TestMapSave::replacesAnOlderMap()
{
    QFile older(QDir(m_maps).filePath(u"5551234567.jpg"_s));
    QVERIFY(older.open(QIODevice::WriteOnly));
    older.write("an older map");
    older.close();

    QVERIFY(save({u"5551234567"_s, {}, {}}));

    QCOMPARE(QImage(older.fileName(), "JPG").size(), kPanelSize);
    QCOMPARE(entries(m_maps), QStringList{u"5551234567.jpg"_s});
}

void TestMapSave::mapFolderIsCleaned_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("blanks around") << u"   %1   "_s << u"%1"_s;
    QTest::newRow("NUL characters") << u"%1\u0000\u0000"_s << u"%1"_s;
    QTest::newRow("NUL between blanks") << u" \u0000 %1 \u0000"_s << u"%1"_s;
    QTest::newRow("trailing separator kept") << u"  %1/ "_s << u"%1/"_s;
}

void TestMapSave::mapFolderIsCleaned()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    m_mapFolder.setPath(before.arg(m_maps));
    const ScriptedFolderChooser chooser(m_root->path());

    QVERIFY(save({u"5551234567"_s, {}, {}}));

    QVERIFY(chooser.requests().isEmpty());
    QCOMPARE(m_mapFolder.path(), after.arg(m_maps));
    QCOMPARE(entries(m_maps), QStringList{u"5551234567.jpg"_s});
    QCOMPARE(m_messages->messages().constFirst().text,
             u"Map saved as "_s + AddBackslash(after.arg(m_maps)) + u"5551234567.jpg"_s);
}

void TestMapSave::emptyFolderAsksAndCancelStops()
{
    m_mapFolder.setPath(u"  \u0000 "_s);
    const ScriptedFolderChooser chooser;

    QVERIFY(!save({u"5551234567"_s, {}, {}}));

    QCOMPARE(chooser.requests().size(), 1);
    const FolderRequest &request = chooser.requests().constFirst();
    QCOMPARE(request.ownerWindow, &*m_window);
    QCOMPARE(request.prompt, kPrompt);
    QCOMPARE(request.caption, u"Saving Map"_s);
    QCOMPARE(request.startFolder, AddBackslash(programFolder()));
    QCOMPARE(request.classicStyle, false);
    QCOMPARE(m_mapFolder.path(), programFolder());
    QVERIFY(m_messages->messages().isEmpty());
    QCOMPARE(entries(m_maps), QStringList());

    // The next press saves into the program's folder without asking.
    const QString name = u"corvale-test-%1"_s.arg(QCoreApplication::applicationPid());
    const QString saved = AddBackslash(programFolder()) + name + u".jpg"_s;
    QVERIFY(save({name, {}, {}}));
    const bool written = QFile::remove(saved);
    QVERIFY(written);
    QCOMPARE(chooser.requests().size(), 1);
}

void TestMapSave::emptyFolderAsksAndChoiceIsKept()
{
    const QString stored = m_root->filePath(u"stored"_s);
    MapFolder::store(stored);
    m_mapFolder.setPath(QString());
    // The chooser's answer is cleaned like the stored folder.
    const ScriptedFolderChooser chooser(u"  "_s + m_maps + u"\u0000 "_s);

    QVERIFY(save({QString(), u"12 Main St"_s, u"Springfield"_s}));

    QCOMPARE(chooser.requests().size(), 1);
    QCOMPARE(m_mapFolder.path(), AddBackslash(m_maps));
    QCOMPARE(entries(m_maps), QStringList{u"12_Main_StSpringfield.jpg"_s});
    // Only the main window stores the folder.
    QCOMPARE(MapFolder::stored(QString()), stored);

    QVERIFY(save({u"5551234567"_s, {}, {}}));
    QCOMPARE(chooser.requests().size(), 1);
    QCOMPARE(entries(m_maps), QStringList({u"12_Main_StSpringfield.jpg"_s, u"5551234567.jpg"_s}));
}

void TestMapSave::emptyExistingFolderTakesMaps()
{
    QCOMPARE(entries(m_maps), QStringList());

    QVERIFY(save({u"5551234567"_s, {}, {}}));

    QCOMPARE(entries(m_maps), QStringList{u"5551234567.jpg"_s});
}

void TestMapSave::missingFolderStopsSilently()
{
    const QString missing = m_root->filePath(u"not made"_s);
    m_mapFolder.setPath(missing);

    QVERIFY(!save({u"5551234567"_s, {}, {}}));

    QVERIFY(m_messages->messages().isEmpty());
    QCOMPARE(entries(m_root->path()), QStringList{u"maps"_s});
    QCOMPARE(m_mapFolder.path(), missing);
}

void TestMapSave::namesThatLeaveTheFolderAreRefused_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::newRow("slash in street") << QString() << u"12/14 Main St"_s << u"Springfield"_s;
    QTest::newRow("backslash in city") << QString() << u"12 Main St"_s << u"Spring\\field"_s;
    QTest::newRow("up and out") << QString() << u"../../escaped"_s << QString();
    QTest::newRow("slash in phone") << u"555/123"_s << QString() << QString();
    QTest::newRow("nothing typed") << QString() << QString() << QString();
    QTest::newRow("dot") << QString() << u"."_s << QString();
    QTest::newRow("dot dot") << QString() << u"."_s << u"."_s;
    QTest::newRow("NUL") << u"555\u00001234"_s << QString() << QString();
}

void TestMapSave::namesThatLeaveTheFolderAreRefused()
{
    QFETCH(QString, phone);
    QFETCH(QString, street);
    QFETCH(QString, city);

    QVERIFY(!save({phone, street, city}));

    QVERIFY(m_messages->messages().isEmpty());
    QCOMPARE(entries(m_maps), QStringList());
    QCOMPARE(entries(m_root->path()), QStringList{u"maps"_s});
    QCOMPARE(entries(QDir(m_root->path()).filePath(u".."_s)).filter(u"escaped"_s), QStringList());
}

void TestMapSave::failedConversionKeepsTheBitmap()
{
    // A folder in the JPEG's place: the bitmap is written, its conversion cannot be.
    QVERIFY(QDir(m_maps).mkdir(u"5551234567.jpg"_s));
    const QString bitmap = AddBackslash(m_maps) + u"5551234567.bmp"_s;

    QVERIFY(!save({u"5551234567"_s, {}, {}}));

    QCOMPARE(entries(m_maps), QStringList({u"5551234567.bmp"_s, u"5551234567.jpg"_s}));
    QCOMPARE(QImage(bitmap, "BMP").size(), kPanelSize);
    QCOMPARE(m_messages->messages().size(), 1);
    const ShownMessage &message = m_messages->messages().constFirst();
    QCOMPARE(message.title, u"Sorry..."_s);
    QVERIFY2(message.text.contains(u"could not be converted"_s), qPrintable(message.text));
    QVERIFY2(message.text.contains(bitmap), qPrintable(message.text));
    QVERIFY(!message.text.contains(u"Map saved as"_s));
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapSave)
#include "tst_mapsave.moc"
