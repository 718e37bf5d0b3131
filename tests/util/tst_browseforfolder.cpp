#include <functional>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "util/browseforfolder.h"
#include "util/folderdialog.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QString kPrompt = u"Please select the directory where the document will be saved."_s;
const QString kCaption = u"Saving Map"_s;

// Runs `act` on the folder dialog once its modal loop is running.
void whenDialogOpens(const std::function<void(FolderDialog *)> &act)
{
    QTimer::singleShot(0, qApp, [act] {
        auto *dialog = qobject_cast<FolderDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(dialog);
    });
}

} // namespace

class TestBrowseForFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cancelCreatesNothing();
    void choiceIsCreatedWithParents_data();
    void choiceIsCreatedWithParents();
    void scriptedChooserRestoresThePreviousOne();
    void dialogShowsItsTexts_data();
    void dialogShowsItsTexts();
    void dialogChoosesStartFolder();
    void dialogCancelGivesEmpty();
};

void TestBrowseForFolder::cancelCreatesNothing()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QWidget owner;
    ScriptedFolderChooser chooser;

    QCOMPARE(BrowseForFolder(&owner, kPrompt, kCaption, root.path(), false), QString());

    QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(chooser.requests().size(), 1);
    const FolderRequest &request = chooser.requests().constFirst();
    QCOMPARE(request.ownerWindow, &owner);
    QCOMPARE(request.prompt, kPrompt);
    QCOMPARE(request.caption, kCaption);
    QCOMPARE(request.startFolder, root.path());
    QCOMPARE(request.classicStyle, false);
}

void TestBrowseForFolder::choiceIsCreatedWithParents_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("existing folder") << QString();
    QTest::newRow("missing folder") << u"maps"_s;
    QTest::newRow("missing parents") << u"a/b/maps"_s;
}

void TestBrowseForFolder::choiceIsCreatedWithParents()
{
    QFETCH(QString, relative);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString chosen = QDir::toNativeSeparators(QDir(root.path()).filePath(relative));
    ScriptedFolderChooser chooser(chosen);

    QCOMPARE(BrowseForFolder(nullptr, kPrompt, kCaption, root.path(), true), chosen);

    QVERIFY(QFileInfo(chosen).isDir());
    QCOMPARE(chooser.requests().constFirst().classicStyle, true);
}

void TestBrowseForFolder::scriptedChooserRestoresThePreviousOne()
{
    ScriptedFolderChooser outer;
    {
        ScriptedFolderChooser inner(QDir::tempPath());
        QCOMPARE(BrowseForFolder(nullptr, kPrompt, kCaption, {}, false), QDir::tempPath());
    }
    QCOMPARE(BrowseForFolder(nullptr, kPrompt, kCaption, {}, false), QString());
    QCOMPARE(outer.requests().size(), 1);
}

void TestBrowseForFolder::dialogShowsItsTexts_data()
{
    QTest::addColumn<bool>("classicStyle");
    QTest::newRow("new style") << false;
    QTest::newRow("classic style") << true;
}

void TestBrowseForFolder::dialogShowsItsTexts()
{
    QFETCH(bool, classicStyle);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QWidget owner;
    FolderDialog dialog(&owner, kPrompt, kCaption, root.path(), classicStyle);

    QCOMPARE(dialog.windowTitle(), kCaption);
    QCOMPARE(dialog.parentWidget(), &owner);
    auto *prompt = dialog.findChild<QLabel *>(u"prompt"_s);
    QVERIFY(prompt);
    QCOMPARE(prompt->text(), kPrompt);
    auto *files = dialog.findChild<QFileDialog *>();
    QVERIFY(files);
    QCOMPARE(files->fileMode(), QFileDialog::Directory);
    QVERIFY(files->testOption(QFileDialog::ShowDirsOnly));
    QCOMPARE(QFileInfo(files->directory().path()), QFileInfo(root.path()));

    auto *typedPath = files->findChild<QWidget *>(u"fileNameEdit"_s);
    auto *newFolder = files->findChild<QWidget *>(u"newFolderButton"_s);
    QVERIFY(typedPath);
    QVERIFY(newFolder);
    QCOMPARE(typedPath->isVisibleTo(&dialog), !classicStyle);
    QCOMPARE(newFolder->isVisibleTo(&dialog), !classicStyle);
    QCOMPARE(files->testOption(QFileDialog::ReadOnly), classicStyle);
}

void TestBrowseForFolder::dialogChoosesStartFolder()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    whenDialogOpens([](FolderDialog *dialog) {
        QVERIFY(dialog->isModal());
        // Pressing "Choose" with nothing typed or picked takes the folder shown.
        QDialog *files = dialog->findChild<QFileDialog *>();
        files->accept();
    });

    const QString chosen = BrowseForFolder(nullptr, kPrompt, kCaption, root.path(), false);

    QCOMPARE(QFileInfo(chosen), QFileInfo(root.path()));
    QCOMPARE(chosen, QDir::toNativeSeparators(chosen));
}

void TestBrowseForFolder::dialogCancelGivesEmpty()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    whenDialogOpens([](FolderDialog *dialog) { dialog->findChild<QFileDialog *>()->reject(); });

    QCOMPARE(BrowseForFolder(nullptr, kPrompt, kCaption, root.path(), false), QString());
}

} // namespace corvale

QTEST_MAIN(corvale::TestBrowseForFolder)
#include "tst_browseforfolder.moc"
