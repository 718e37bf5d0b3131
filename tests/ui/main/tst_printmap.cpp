#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "scriptedpath.h"
#include "selectdriver.h"
#include "ui/common/messagebox.h"
#include "ui/main/frmselect.h"
#include "ui/main/printmap.h"

using namespace Qt::StringLiterals;

namespace corvale {

class TestPrintMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void printProgramChoice_data();
    void printProgramChoice();
    void handsOnTheChosenFile_data();
    void handsOnTheChosenFile();
    void refusalsStartNothing_data();
    void refusalsStartNothing();
    void missingProgramSaysSorry_data();
    void missingProgramSaysSorry();

private:
    // Puts the recording printer on the PATH under this name.
    bool addPrinter(const QString &name);
    // What the recording printer was started with so far.
    QList<QStringList> starts() const;

    std::optional<ScriptedPath> m_bin;
    std::optional<MapFolderOnDisk> m_folder;
    std::optional<MessageRecorder> m_messages;
    std::optional<QWidget> m_owner;
};

void TestPrintMap::init()
{
    m_bin.emplace();
    m_folder.emplace();
    QVERIFY(m_folder->isReady());
    m_messages.emplace();
    m_owner.emplace();
}

void TestPrintMap::cleanup()
{
    m_owner.reset();
    m_messages.reset();
    m_folder.reset();
    m_bin.reset();
}

bool TestPrintMap::addPrinter(const QString &name)
{
    return m_bin->add(name, kRecordingPrinter);
}

QList<QStringList> TestPrintMap::starts() const
{
    return recordedStarts(QFileInfo(m_bin->filePath(u"started"_s)).path());
}

void TestPrintMap::printProgramChoice_data()
{
    QTest::addColumn<bool>("isSet");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("expected");
    // None: the print preview takes its place.
    QTest::newRow("unset") << false << QString() << QString();
    QTest::newRow("empty") << true << QString() << QString();
    QTest::newRow("set") << true << u"/opt/print shop/print map"_s << u"/opt/print shop/print map"_s;
}

void TestPrintMap::printProgramChoice()
{
    QFETCH(bool, isSet);
    QFETCH(QString, setting);
    QFETCH(QString, expected);
    const PrintProgramSetting program(isSet ? std::optional<QString>(setting) : std::nullopt);
    QCOMPARE(printProgram(), expected);
}

void TestPrintMap::handsOnTheChosenFile_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QString>("shownSuffix");
    QTest::addColumn<QString>("name");
    QTest::newRow("folder without separator") << u"maps"_s << QString() << u"5551234567.jpg"_s;
    QTest::newRow("folder with separator") << u"maps"_s << u"/"_s << u"5551234567.jpg"_s;
    QTest::newRow("blanks in folder") << u"My Saved Maps"_s << QString() << u"12_Main_StSpringfield.jpg"_s;
    QTest::newRow("blanks in name") << u"maps"_s << u"/"_s << u"Beacon map.bmp"_s;
    QTest::newRow("any kind of file") << u"maps"_s << QString() << u"notes.txt"_s;
}

void TestPrintMap::handsOnTheChosenFile()
{
    QFETCH(QString, subfolder);
    QFETCH(QString, shownSuffix);
    QFETCH(QString, name);
    QVERIFY(addPrinter(u"recorder"_s));
    const PrintProgramSetting program(m_bin->filePath(u"recorder"_s));
    const QDir root(m_folder->path());
    QVERIFY(root.mkdir(subfolder));
    const QString folder = root.filePath(subfolder);
    QVERIFY(touch(QDir(folder).filePath(name)));
    QVERIFY(touch(QDir(folder).filePath(u"another.jpg"_s)));

    pickAndEnd(name, Ending::Ok);
    printSavedMap(&*m_owner, folder + shownSuffix);

    QTRY_COMPARE(starts(), QList<QStringList>({{u"1"_s, folder + u"/"_s + name}}));
    QVERIFY(m_messages->messages().isEmpty());
}

void TestPrintMap::refusalsStartNothing_data()
{
    QTest::addColumn<QString>("picked");
    QTest::addColumn<Ending>("ending");
    QTest::newRow("Cancel after a pick") << u"5551234567.jpg"_s << Ending::Cancel;
    QTest::newRow("close box after a pick") << u"5551234567.jpg"_s << Ending::CloseBox;
    QTest::newRow("Escape after a pick") << u"5551234567.jpg"_s << Ending::Escape;
}

void TestPrintMap::refusalsStartNothing()
{
    QFETCH(QString, picked);
    QFETCH(Ending, ending);
    QVERIFY(addPrinter(u"recorder"_s));
    const PrintProgramSetting program(m_bin->filePath(u"recorder"_s));

    pickAndEnd(picked, ending);
    printSavedMap(&*m_owner, m_folder->path());
    // A print that does start afterwards; once it is recorded, a start from
    // the refused one would have been recorded before it.
    pickAndEnd(u"notes.txt"_s, Ending::Ok);
    printSavedMap(&*m_owner, m_folder->path());

    QTRY_VERIFY(!starts().isEmpty());
    QCOMPARE(starts(), QList<QStringList>({{u"1"_s, m_folder->path() + u"/notes.txt"_s}}));
    QVERIFY(m_messages->messages().isEmpty());
}

void TestPrintMap::missingProgramSaysSorry_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("writeIt");
    QTest::addColumn<QString>("named");
    QTest::newRow("no such program") << u"/nowhere/halvorn"_s << false << u"/nowhere/halvorn"_s;
    QTest::newRow("not runnable") << u"printer"_s << true << u"printer"_s;
}

void TestPrintMap::missingProgramSaysSorry()
{
    QFETCH(QString, setting);
    QFETCH(bool, writeIt);
    QFETCH(QString, named);
    QString program = setting;
    if (writeIt) {
        // A printer script without the right to run it.
        QVERIFY(m_bin->add(setting, kRecordingPrinter, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        program = named = m_bin->filePath(setting);
    }
    const PrintProgramSetting chosen(program);

    pickAndEnd(u"5551234567.jpg"_s, Ending::Ok);
    printSavedMap(&*m_owner, m_folder->path());

    QCOMPARE(m_messages->messages().size(), 1);
    const ShownMessage &message = m_messages->messages().constFirst();
    QCOMPARE(message.title, u"Sorry..."_s);
    QCOMPARE(message.text, u"The printing program %1 could not be started."_s.arg(named));
    QCOMPARE(message.parent.data(), &*m_owner);
    QVERIFY(!startPrintProgram(&*m_owner, m_folder->path() + u"/5551234567.jpg"_s));
    QCOMPARE(m_messages->messages().size(), 2);
}

} // namespace corvale

QTEST_MAIN(corvale::TestPrintMap)
#include "tst_printmap.moc"
