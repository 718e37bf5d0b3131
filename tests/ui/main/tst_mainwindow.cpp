// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSettings>
#include <QTimer>

#include "rawhttpserver.h"
#include "sampleservice.h"
#include "ui/about/frmabout.h"
#include "ui/about/systeminfo.h"
#include "ui/common/browseforfolder.h"
#include "ui/common/twips.h"
#include "ui/map/mapbrowser.h"
#include "ui/print/frmselect.h"
#include "ui/print/printmap.h"
#include "ui/print/printpreview.h"
#include "uitest.h"
#include "util/general.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::control;

namespace {

const QString kServerOrNumber =
    u"Map server is currently unavailable or the number is not a main business phone number."_s;
// The seven messages of "Create Map": text and title.
const QHash<QString, QStringList> kMessages{
    {u"invalid"_s,
     {u"Valid entries look like any of these:\r\n2223334444\r\n(222)333-4444\r\n(222) 333-4444\r\n"
      "222-333-4444\r\n222.333.4444"_s,
      u"Invalid phone number"_s}},
    {u"cellular"_s, {u"This is a cellular number.\r\nPlease search by address."_s, u"Sorry..."_s}},
    {u"try again"_s, {kServerOrNumber + u"\r\nPlease try it again."_s, u"Sorry..."_s}},
    {u"incomplete"_s, {u"Please complete all entries for the address."_s, u"Corvale"_s}},
    {u"server or number"_s, {kServerOrNumber, u"Sorry..."_s}},
    {u"not found"_s, {u"Not found."_s, u"Sorry..."_s}},
    {u"unavailable"_s, {u"Map server is currently unavailable."_s, u"Sorry..."_s}}};
const QString kPhone = u"POST /lookups/phonelocation.asp?number=%1&submit1=Process"_s;
const QStringList kNowhere{u"1 Nowhere Rd"_s, u"Springfield"_s, u"IL"_s, u"62701"_s};
const QString kNowhereLookup =
    u"POST /lookups/addressverify.asp?Address=1+Nowhere+Rd&city=Springfield&state=IL&zip=62701&Query=Submit1"_s;
// Writes "started.PID" beside itself: the number of its arguments, then each
// on a line. Builtins only, so it runs with any PATH.
const QByteArray kRecorder = "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"${0%/*}/started.$$\"\n";

// Runs `act` on the modal window of type T once its loop runs, then closes
// it, so that a failed check inside leaves no window waiting for a click.
template<typename T>
void whenOpen(const std::function<void(T &)> &act)
{
    QTimer::singleShot(0, qApp, [act] {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        QVERIFY(window);
        act(*window);
        window->close();
    });
}

// What a user would see go wrong in a shown window: a control cut off by its
// container, two controls on top of each other, a caption cut short, or the
// window ending far from its controls. The design's twips round to a pixel
// of overlap here and there, which nobody sees.
void checkLayout(const QWidget &window)
{
    QRect extent;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        // Plain widgets are lines and the insides of controls.
        if (!control->isVisible() || control->metaObject() == &QWidget::staticMetaObject
            || (control->parent() != &window && !qobject_cast<QGroupBox *>(control->parent())))
            continue;
        const QRect seen = control->geometry().adjusted(1, 1, -1, -1);
        QVERIFY2(control->parentWidget()->rect().contains(seen), qPrintable(control->objectName()));
        for (const QWidget *other : control->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(other == control || !other->isVisible() || other->metaObject() == &QWidget::staticMetaObject
                         || !other->geometry().adjusted(1, 1, -1, -1).intersects(seen),
                     qPrintable(control->objectName() + u" covers "_s + other->objectName()));
        if (const auto *label = qobject_cast<const QLabel *>(control); label && !label->wordWrap())
            QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()), "caption cut short");
        if (control->parent() == &window)
            extent |= control->geometry();
    }
    const QPoint margins(window.width() - extent.right(), window.height() - extent.bottom());
    QVERIFY2(QRect(0, 0, 25, 25).contains(margins), "the window is out of size");
}

// What a screen reader or a keyboard user meets in a window's accessibility
// tree: a focusable control without a name or with another's, a button
// without a mnemonic (unless let off), a mnemonic two controls share.
QStringList accessFaults(QWidget &window, const QStringList &withoutMnemonic)
{
    QStringList found, names, keys;
    QList<QAccessibleInterface *> pending{QAccessible::queryAccessibleInterface(&window)};
    while (!pending.isEmpty()) {
        QAccessibleInterface *node = pending.takeLast();
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
        // List rows have no object of their own.
        const QString control = node->object() ? node->object()->objectName() : QString();
        const QString name = node->text(QAccessible::Name);
        if (node->state().focusable && (name.isEmpty() || names.contains(name)))
            found << control + u" is named \""_s + name + u'"';
        names << (node->state().focusable ? name : QString());
        QAccessibleActionInterface *actions = node->actionInterface();
        QStringList bindings = actions ? actions->keyBindingsForAction(actions->pressAction()) : QStringList();
        bindings.removeAll(QString());
        if (node->role() == QAccessible::Button && bindings.isEmpty() && !withoutMnemonic.contains(control))
            found << control + u" has no mnemonic"_s;
        keys << bindings;
    }
    if (QStringList(keys).removeDuplicates() > 0)
        found << u"mnemonics clash: "_s + keys.join(u' ');
    return found;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void createMap_data();
    void createMap();
    void enterAndTheAboutWindow();
    void keyFilter_data();
    void keyFilter();
    void mapFolder_data();
    void mapFolder();
    void printing_data();
    void printing();
    void printPreview_data();
    void printPreview();
    void layout_data();
    void layout();
    void busyThenClosedDuringALookup();

private:
    test::MainWindow &open(const QString &base = test::RawHttpServer::refusingBase(), const QString &run = {})
    {
        return m_main.emplace(base, run);
    }

    test::OwnHome m_home;
    // Nothing here waits on a real print preview.
    test::PreviewRecorder m_previews{m_home.dir.filePath(u"page.pdf"_s)};
    std::optional<test::SampleService> m_service;
    std::optional<test::MainWindow> m_main;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_service.emplace().base().startsWith(u"http://127.0.0.1:"_s));
    // No map window opens here: the map browser module is unusable.
    QVERIFY(test::writeFile(m_home.dir.filePath(u"corvale-mapbrowser.so"_s), "#!/bin/sh\n"));
}

void TestMainWindow::init()
{
    m_main.reset();
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
}

void TestMainWindow::createMap_data()
{
    // Phone, street, city, state, postal code.
    QTest::addColumn<QStringList>("typed");
    // The lookup sent; "down" when no service answers.
    QTest::addColumn<QString>("lookup");
    // txtPhone and txtResult afterwards; null: as before the press.
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("message");
    const QStringList ottawa{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s};
    const QString same;
    // The address boxes are not read when the phone box holds ten characters.
    for (const QString &phone : {u"2223334444"_s, u"(222)333-4444"_s, u"(222) 333-4444"_s, u"222-333-4444"_s,
                                 u"222.333.4444"_s, u"222 333 4444"_s, u"(222) 333 - 4444 "_s})
        QTest::newRow(qPrintable(phone)) << QStringList{phone} + ottawa << kPhone.arg(u"2223334444"_s)
                                         << QStringList{u"2223334444"_s, u""_s} << u"try again"_s;
    for (const QString &phone : {u"+1 (222) 333-4444"_s, u"+222 333 4444"_s, u"1-222-333-4444"_s, u"333-4444"_s,
                                 u"(222) 333-44445"_s, u"222\t333\t4444"_s})
        QTest::newRow(qPrintable(phone)) << QStringList{phone} + ottawa << same << QStringList{same, same}
                                         << u"invalid"_s;
    QTest::newRow("ten letters") << QStringList{u"abcdefghij"_s} << kPhone.arg(u"abcdefghij"_s)
                                 << QStringList{u"abcdefghij"_s, u""_s} << u"try again"_s;
    QTest::newRow("toll-free") << QStringList{u"(800) 555-0199"_s} << kPhone.arg(u"8005550199"_s)
                               << QStringList{u"8005550199"_s, u""_s} << u"try again"_s;
    QTest::newRow("cellular") << QStringList{u"(415) 555-0126"_s} << kPhone.arg(u"4155550126"_s)
                              << QStringList{u"4155550126"_s, u"This phone is Cellular"_s} << u"cellular"_s;
    for (const QStringList &address : {QStringList{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"O"_s, u"K1A 0B1"_s},
                                       QStringList{u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0"_s},
                                       QStringList{u"24 Tamarack Cres"_s, same, u"ON"_s, u"K1A 0B1"_s},
                                       QStringList{same, u"Ottawa"_s, u"ON"_s, u"K1A 0B1"_s}, QStringList()})
        QTest::newRow(qPrintable(address.join(u'|')))
            << QStringList{same} + address << same << QStringList{same, same} << u"incomplete"_s;
    // Blanks are entries: nothing is trimmed.
    QTest::newRow("blanks") << QStringList{same, u" "_s, u" "_s, u"  "_s, u"     "_s}
                            << u"POST /lookups/addressverify.asp?Address=+&city=+&state=++&zip=+++++&Query=Submit1"_s
                            << QStringList{same, u"Not found."_s} << u"not found"_s;
    QTest::newRow("not found, ZIP of five")
        << QStringList{same} + kNowhere << kNowhereLookup << QStringList{same, u"Not found."_s} << u"not found"_s;
    QTest::newRow("not found, separators in the phone box")
        << QStringList{u" (  ) - . "_s} + kNowhere << kNowhereLookup << QStringList{same, u"Not found."_s}
        << u"server or number"_s;
    // Found, but the map browser module is not a library, or another Qt plugin.
    QTest::newRow("found, no map browser")
        << QStringList{u"(312) 555-0142"_s}
        << kPhone.arg(u"3125550142"_s) + u"\nPOST /lookups/mapY.asp?phone=3125550142"_s
        << QStringList{u"3125550142"_s,
                       u"\tLakeshore Lantern Works\n\t410 W Marlow Ave\nChicago, IL 60601-1234\n"
                       "(312) 555-0142\nLatitude: 41.8853, Longitude: -87.6298"_s}
        << u"module"_s;
    QTest::newRow("found, a plugin but no map browser")
        << QStringList{same, u"24 Tamarack Cres"_s, u"Ottawa"_s, u"ON"_s, u"K1A0B1"_s}
        << u"POST /lookups/CanadianAddressVerify.asp?Street=24+Tamarack+Cres&city=Ottawa&Province=ON&"
           "Postcode=K1A0B1&FindAddress=Submit"_s
        << QStringList{same, u"Latitude: 45.4215, Longitude: -75.6972"_s} << u"plugin"_s;
    QTest::newRow("address, service down")
        << QStringList{same} + kNowhere << u"down"_s << QStringList{same, u""_s} << u"unavailable"_s;
}

void TestMainWindow::createMap()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, lookup);
    QFETCH(QStringList, after);
    QFETCH(QString, message);
    const QString module = message == u"plugin"_s
        ? QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforms/libqoffscreen.so"_s
        : m_home.dir.filePath(u"corvale-mapbrowser.so"_s);
    useMapBrowserModule(module);
    test::MainWindow &main = lookup == u"down"_s ? open() : open(m_service->base());
    main.fill(typed);
    const QStringList before{typed.value(0), main.result()};
    const qsizetype lookups = m_service->lookups().size();

    main.createMap();

    QCOMPARE(m_service->lookups().mid(lookups).join(u'\n'), lookup.startsWith(u"POST"_s) ? lookup : QString());
    QCOMPARE(main.box(u"txtPhone"_s)->text(), after.at(0).isNull() ? before.at(0) : after.at(0));
    QCOMPARE(main.result(), after.at(1).isNull() ? before.at(1) : after.at(1));
    QCOMPARE(main.boxes().size(), 1);
    const test::ShownBox &shown = main.boxes().constFirst();
    QCOMPARE(QStringList({shown.text, shown.title}), kMessages.value(message, {shown.text, u"Sorry..."_s}));
    QVERIFY2(kMessages.contains(message) || shown.text.contains(module), qPrintable(shown.text));
    QCOMPARE(shown.parent, &main.window());
    // The result is in its box, and the window ready again, before the message shows.
    QCOMPARE(shown.result, main.result());
    QVERIFY(shown.ready && main.ready());
}

void TestMainWindow::enterAndTheAboutWindow()
{
    test::MainWindow &main = open();
    main.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&main.window()));
    // Seven characters: refused before any lookup, so each Enter shows one message.
    main.fill({u"555-0142"_s});
    QTest::keyClick(main.box(u"txtCity"_s), Qt::Key_Return);
    QTest::keyClick(main.box(u"txtPhone"_s), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(main.boxes().size(), 2);

    // The focused "About" takes Enter itself and opens its window modally;
    // Escape leaves it open; OK closes it.
    bool closedByOk = false;
    whenOpen<frmAbout>([&](frmAbout &about) {
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(about.parentWidget() == &main.window() && about.isVisible());
        QTest::mouseClick(control(about, u"cmdOK"_s), Qt::LeftButton);
        closedByOk = !about.isVisible();
    });
    main.button(u"Command3"_s)->setFocus();
    QTest::keyClick(main.button(u"Command3"_s), Qt::Key_Return);

    QVERIFY(closedByOk);
    QCOMPARE(main.boxes().size(), 2);
    QVERIFY(main.window().findChildren<frmAbout *>().isEmpty());
}

void TestMainWindow::keyFilter_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    // How the text came: typed (empty), pasted with the keys ("keys") or
    // from the box's own menu ("menu").
    QTest::addColumn<QString>("how");
    const QString state = u"txtState"_s, zip = u"txtZip"_s, typed, keys = u"keys"_s, menu = u"menu"_s;
    QTest::newRow("province in small letters") << state << u"ont"_s << u"ON"_s << typed;
    QTest::newRow("province pasted from the menu") << state << u"qc"_s << u"QC"_s << menu;
    QTest::newRow("the province box keeps a blank") << state << u" on"_s << u" O"_s << typed;
    QTest::newRow("postal code: its blank dropped") << zip << u"k1a 0b1"_s << u"K1A0B1"_s << typed;
    QTest::newRow("pasted: its blank dropped") << zip << u"K1A 0B1"_s << u"K1A0B1"_s << keys;
    QTest::newRow("from the menu too") << zip << u" v6b 4y8 x"_s << u"V6B4Y8"_s << menu;
    QTest::newRow("above Z the others shift too") << zip << u"{~|`_"_s << u"[^\\@?"_s << typed;
    QTest::newRow("pasted, the others above Z too") << zip << u"{~\u00e0\u0431"_s << u"[^\u00c0\u0431"_s << keys;
    QTest::newRow("Z and below stay, brackets move") << zip << u"Z@0[^"_s << u"Z@0;>"_s << typed;
    QTest::newRow("Latin-1: 224 and 254; 200 and 255")
        << zip << u"\u00e0\u00fe\u00c8\u00ff"_s << u"\u00c0\u00de\u00a8\u00df"_s << typed;
    QTest::newRow("above 255 passes unchanged") << zip << u"\u0431\u20ac"_s << u"\u0431\u20ac"_s << typed;
    QTest::newRow("other boxes are not filtered") << u"txtCity"_s << u"ottawa"_s << u"ottawa"_s << typed;
}

void TestMainWindow::keyFilter()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QString, how);
    QLineEdit *edit = open().box(box);
    QApplication::clipboard()->setText(text);
    if (how == u"keys"_s) {
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else if (how == u"menu"_s) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), edit->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(edit, &click);
        for (QAction *action : edit->findChild<QMenu *>()->actions())
            if (action->text().startsWith(QLineEdit::tr("&Paste")))
                action->trigger();
    } else {
        for (const QChar character : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
    QCOMPARE(edit->text(), shown);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), shown.chopped(1));
}

void TestMainWindow::mapFolder_data()
{
    // Before: the stored folder, the run's folder when the window loads, and
    // the chooser's answer (null: not opened; empty: cancelled).
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("run");
    QTest::addColumn<QString>("answer");
    // Afterwards: txtMapPath, the run's folder and the stored one.
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("runAfter");
    QTest::addColumn<QString>("storedAfter");
    // The program's own folder (this test's, which it may write to), without a separator.
    const QString program = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    // A chosen folder that is not there yet is made, parents and all.
    const QString maps = QDir::toNativeSeparators(m_home.dir.filePath(u"corvale maps/in here"_s));
    const QString chosen = AddBackslash(maps);
    const QString srv = u"/srv/maps/"_s;
    const QString none;
    QTest::newRow("first run") << none << none << none << program << program << none;
    QTest::newRow("stored folder") << srv << none << none << srv << srv << srv;
    QTest::newRow("the run's folder is not reloaded") << srv << u"/run/"_s << none << none << u"/run/"_s << srv;
    QTest::newRow("choice gains a separator") << none << none << maps << chosen << chosen << chosen;
    QTest::newRow("choice keeps its separator") << srv << none << chosen << chosen << chosen << chosen;
    QTest::newRow("blanks and NULs around the choice go")
        << none << none << u"  "_s + maps + u" \0\0"_s << chosen << chosen << chosen;
    QTest::newRow("cancel empties only the run's folder") << srv << none << u""_s << srv << none << srv;
}

void TestMainWindow::mapFolder()
{
    QFETCH(QString, stored);
    QFETCH(QString, run);
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    QFETCH(QString, runAfter);
    QFETCH(QString, storedAfter);
    const QString program = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    QSettings settings(u"Corvale"_s, u"Corvale"_s);
    if (!stored.isNull())
        MapFolder::store(stored);
    test::ScriptedFolderChooser chooser(answer);
    test::MainWindow &main = open(test::RawHttpServer::refusingBase(), run);
    if (!answer.isNull())
        main.button(u"cmdMapPath"_s)->click();

    QCOMPARE(main.box(u"txtMapPath"_s)->text(), shown);
    QCOMPARE(main.mapFolder().path(), runAfter);
    // Stored as application "Corvale", section "MapFolder", key "Path", and nothing else.
    QCOMPARE(settings.value(u"MapFolder/Path"_s).toString(), storedAfter);
    QCOMPARE(settings.allKeys().size(), storedAfter.isNull() ? 0 : 1);
    QVERIFY(answer.isEmpty() || QFileInfo(runAfter).isDir());
    // The probe that tells a writable program folder leaves nothing behind.
    QCOMPARE(QDir(program).entryList(QDir::Hidden | QDir::Files).filter(u".corvale-"_s), QStringList());
    QCOMPARE(chooser.requests().size(), answer.isNull() ? 0 : 1);
    for (const FolderRequest &request : chooser.requests()) {
        QCOMPARE(request.ownerWindow, &main.window());
        // The program's folder to start from, not the map folder.
        QCOMPARE(QStringList({request.prompt, request.caption, request.startFolder}),
                 QStringList({u"Please select the directory where the document will be saved."_s, u"Saving Map"_s,
                              AddBackslash(program)}));
    }
    // The next start shows what was stored.
    m_main.reset();
    QCOMPARE(open().box(u"txtMapPath"_s)->text(), storedAfter.isNull() ? program : storedAfter);
}

void TestMainWindow::printing_data()
{
    // The printing program: "print map" a recording program, "not runnable"
    // one that may not run, or a path where there is none.
    QTest::addColumn<QString>("setting");
    // What txtMapPath shows: %1 stands for the folder of maps.
    QTest::addColumn<QString>("shown");
    // How many names the chooser lists.
    QTest::addColumn<int>("listed");
    // The name clicked (none: the first, chosen already), then the button
    // pressed (none: the close box).
    QTest::addColumn<QString>("pick");
    QTest::addColumn<QString>("button");
    // "printed", "failed" (and said so), or neither.
    QTest::addColumn<QString>("outcome");
    const QString nowhere = u"/nowhere/halvorn"_s, folder = u"%1"_s, none, ok = u"Command1"_s;
    QTest::newRow("OK at once: the first file") << u"print map"_s << folder << 3 << none << ok << u"printed"_s;
    QTest::newRow("shown with its separator; blanks in the name")
        << u"print map"_s << u"%1/"_s << 3 << u"Beacon map.bmp"_s << ok << u"printed"_s;
    // A program that cannot start: a start would say so.
    QTest::newRow("Cancel after a pick") << nowhere << folder << 3 << u"notes.txt"_s << u"Command2"_s << none;
    QTest::newRow("close box after a pick") << nowhere << folder << 3 << u"notes.txt"_s << none << none;
    QTest::newRow("missing folder lists nothing") << nowhere << u"%1/not here"_s << 0 << none << ok << none;
    // The working folder, which holds the maps here, is not listed either.
    QTest::newRow("no folder shown lists nothing") << nowhere << u""_s << 0 << none << ok << none;
    QTest::newRow("no such program") << nowhere << folder << 3 << u"notes.txt"_s << ok << u"failed"_s;
    QTest::newRow("not runnable") << u"not runnable"_s << folder << 3 << u"notes.txt"_s << ok << u"failed"_s;
}

void TestMainWindow::printing()
{
    QFETCH(QString, setting);
    QFETCH(QString, shown);
    QFETCH(int, listed);
    QFETCH(QString, pick);
    QFETCH(QString, button);
    QFETCH(QString, outcome);
    const QDir folder(m_home.dir.filePath(u"My Maps"_s));
    QVERIFY(folder.mkpath(u"older maps"_s));
    for (const QString &name : {u"5551234567.jpg"_s, u"Beacon map.bmp"_s, u"notes.txt"_s, u".hidden.jpg"_s})
        QVERIFY(test::writeFile(folder.filePath(name), "x", false));
    const QString working = QDir::currentPath();
    const auto back = qScopeGuard([&working] { QDir::setCurrent(working); });
    QVERIFY(QDir::setCurrent(folder.path()));
    QTemporaryDir bin;
    const QString program = setting.startsWith(u'/') ? setting : bin.filePath(setting);
    QVERIFY(setting.startsWith(u'/') || test::writeFile(program, kRecorder, setting == u"print map"_s));
    const test::ScopedEnv chosen(kPrintProgramVariable.data(), QFile::encodeName(program));
    test::MainWindow &main = open();
    main.box(u"txtMapPath"_s)->setText(shown.arg(folder.path()));
    whenOpen<frmSelect>([&](frmSelect &chooser) {
        auto *list = control<QListWidget>(chooser, u"File1"_s);
        // Ordinary files only.
        QCOMPARE(list->count(), listed);
        QVERIFY(list->findItems(u".hidden.jpg"_s, Qt::MatchExactly).isEmpty());
        if (!pick.isEmpty())
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->findItems(pick, Qt::MatchExactly).value(0)).center());
        if (!button.isNull())
            QTest::mouseClick(control(chooser, button), Qt::LeftButton);
    });

    main.button(u"Command2"_s)->click();

    // The recording program writes its record in its own time.
    if (outcome == u"printed"_s)
        QTRY_COMPARE(test::readAll(bin.filePath(QDir(bin.path()).entryList({u"started.*"_s}).value(0))),
                     "1\n" + QFile::encodeName(folder.filePath(pick.isEmpty() ? u"5551234567.jpg"_s : pick)) + '\n');
    QCOMPARE(main.boxes().size(), outcome == u"failed"_s ? 1 : 0);
    for (const test::ShownBox &box : main.boxes()) {
        QCOMPARE(QStringList({box.text, box.title}),
                 QStringList({u"The printing program %1 could not be started."_s.arg(program), u"Sorry..."_s}));
        QCOMPARE(box.parent, &main.window());
    }
}

void TestMainWindow::printPreview_data()
{
    // The map's size (none: a file that is no picture) and its tags as exiftool writes them.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("tags");
    // How the chooser is left: "OK", "double-click" or Enter.
    QTest::addColumn<QString>("gesture");
    // What the page's caption says; none: "Sorry...".
    QTest::addColumn<QStringList>("caption");
    // A file of the map-file fuzz seeds, chosen instead of a picture of size.
    QTest::addColumn<QString>("seed");
    QTest::newRow("wide map, OK")
        << QSize(1200, 600)
        << QStringList{u"-XMP-dc:Title=3125550142"_s,
                       u"-XMP-dc:Description=Lakeshore Lantern Works\nRue des Tisserands, Montréal"_s,
                       u"-GPSLatitude=41.8821"_s,
                       u"-GPSLatitudeRef=N"_s,
                       u"-GPSLongitude=87.6324"_s,
                       u"-GPSLongitudeRef=W"_s,
                       u"-DateTimeOriginal=2024:05:01 14:03:00"_s}
        << u"OK"_s
        << QStringList{u"3125550142"_s, u"Lakeshore Lantern Works"_s, u"Rue des Tisserands, Montréal"_s,
                       u"41.88210° N, 87.63240° W"_s, u"2024-05-01"_s}
        << QString();
    QTest::newRow("tall map, double-click")
        << QSize(400, 500)
        << QStringList{u"-EXIF:ImageDescription=Harbour Rope Co."_s, u"-GPSLatitude=33.8568"_s, u"-GPSLatitudeRef=S"_s,
                       u"-GPSLongitude=151.2153"_s, u"-GPSLongitudeRef=E"_s}
        << u"double-click"_s << QStringList{u"Harbour Rope Co."_s, u"33.85680° S, 151.21530° E"_s} << QString();
    QTest::newRow("no metadata, Enter") << QSize(900, 500) << QStringList() << u"Enter"_s
                                        << QStringList{u"Beacon map.jpg"_s} << QString();
    QTest::newRow("no picture: sorry") << QSize() << QStringList() << u"OK"_s << QStringList() << QString();
    // The map keeps its place on the page: the description's first lines only.
    QTest::newRow("a description of 5,000 lines")
        << QSize(1200, 400) << QStringList() << u"OK"_s << QStringList{u"line 1"_s, u"line 6"_s}
        << u"caption-5000-lines.jpg"_s;
    for (const char *refused : {"bomb-60000x60000.jpg", "declares-6000x4000.jpg", "exif-directory-outside.jpg",
                                "xmp-not-xml.jpg", "scans-3000.jpg"})
        QTest::newRow(refused) << QSize() << QStringList() << u"OK"_s << QStringList() << QString::fromLatin1(refused);
}

// Without a printing program the map's page goes to the print preview, here
// printed to PDF and read back with poppler.
void TestMainWindow::printPreview()
{
    QFETCH(QSize, size);
    QFETCH(QStringList, tags);
    QFETCH(QString, gesture);
    QFETCH(QStringList, caption);
    QFETCH(QString, seed);
    const test::ScopedEnv unset(kPrintProgramVariable.data(), std::nullopt);
    const QTemporaryDir dir;
    const QString map = dir.filePath(u"Beacon map.jpg"_s);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::red);
    if (!seed.isEmpty())
        QVERIFY(QFile::copy(QStringLiteral(CORVALE_FUZZ_DIR "/corpus/mapfile/") + seed, map));
    else
        QVERIFY(size.isEmpty() ? test::writeFile(map, "x") : picture.save(map, "JPG"));
    QVERIFY(tags.isEmpty()
            || QProcess::execute(u"exiftool"_s, tags + QStringList{u"-q"_s, u"-overwrite_original"_s, map}) == 0);
    const qsizetype before = m_previews.previews().size();
    test::MainWindow &main = open();
    main.box(u"txtMapPath"_s)->setText(dir.path());
    whenOpen<frmSelect>([&gesture](frmSelect &chooser) {
        auto *list = control<QListWidget>(chooser, u"File1"_s);
        if (gesture == u"double-click"_s)
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center()),
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        else if (gesture == u"Enter"_s)
            QTest::keyClick(list, Qt::Key_Return);
        else
            QTest::mouseClick(control(chooser, u"Command1"_s), Qt::LeftButton);
    });

    main.button(u"Command2"_s)->click();

    QCOMPARE(m_previews.previews().size() - before, caption.isEmpty() ? 0 : 1);
    QCOMPARE(main.boxes().size(), caption.isEmpty() ? 1 : 0);
    for (const test::ShownBox &box : main.boxes())
        QVERIFY(box.title == u"Sorry..."_s && box.text.contains(map));
    if (caption.isEmpty())
        return;
    QCOMPARE(m_previews.previews().constLast().owner.data(), &main.window());
    const QString pdf = m_home.dir.filePath(u"page.pdf"_s);
    const QString text = QString::fromUtf8(test::output(u"pdftotext"_s, {pdf, u"-"_s}));
    for (const QString &line : caption)
        QVERIFY2(text.contains(line), qPrintable(text));
    QVERIFY(test::output(u"pdfinfo"_s, {pdf}).simplified().contains("Pages: 1 "));
    // At 72 dpi a pixel of the page is a point; the map's red fills the
    // printable area one way, centred, in the picture's proportions.
    const QImage page = QImage::fromData(test::output(u"pdftoppm"_s, {u"-r"_s, u"72"_s, u"-png"_s, pdf}));
    QCOMPARE(page.width() > page.height(), size.width() > size.height());
    const QRectF printable = m_previews.previews().constLast().pageLayout.paintRectPoints();
    QRect shown;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (const QColor c = page.pixelColor(x, y); c.red() > 160 && c.green() < 100 && c.blue() < 100)
                shown |= QRect(x, y, 1, 1);
    QVERIFY(qAbs(qreal(shown.width()) / shown.height() / (qreal(size.width()) / size.height()) - 1) < 0.01);
    QVERIFY(qAbs(shown.width() - printable.width()) < 0.01 * printable.width()
            || qAbs(shown.height() - printable.height()) < 0.01 * printable.height());
    QVERIFY(qAbs(QRectF(shown).center().x() - printable.center().x()) < 0.01 * printable.width());
}

void TestMainWindow::layout_data()
{
    // "main", "chooser" or "about".
    QTest::addColumn<QString>("window");
    // The tab order from the first focus; the buttons let off a mnemonic.
    QTest::addColumn<QStringList>("tabOrder");
    QTest::addColumn<QStringList>("withoutMnemonic");
    QTest::newRow("main window") << u"main"_s
                                 << QStringList{u"txtPhone"_s,   u"Command1"_s,  u"Command2"_s,  u"txtMapPath"_s,
                                                u"cmdMapPath"_s, u"txtResult"_s, u"Command3"_s,  u"txtState"_s,
                                                u"txtZip"_s,     u"txtCity"_s,   u"txtAddress"_s}
                                 << QStringList{u"cmdMapPath"_s};
    QTest::newRow("saved-map chooser") << u"chooser"_s << QStringList{u"File1"_s, u"Command1"_s, u"Command2"_s}
                                       << QStringList();
    QTest::newRow("About window") << u"about"_s << QStringList{u"cmdOK"_s, u"cmdSysInfo"_s, u"blue"_s}
                                  << QStringList{u"cmdOK"_s};
}

void TestMainWindow::layout()
{
    QFETCH(QString, window);
    QFETCH(QStringList, tabOrder);
    QFETCH(QStringList, withoutMnemonic);
    const QTemporaryDir maps;
    QVERIFY(test::writeFile(maps.filePath(u"a.jpg"_s), "x"));
    frmSelect chooser;
    chooser.setFolder(maps.path());
    frmAbout about;
    QWidget *shown = window == u"main"_s ? static_cast<QWidget *>(&open().window())
        : window == u"chooser"_s         ? static_cast<QWidget *>(&chooser)
                                         : &about;
    shown->show();
    QVERIFY(QTest::qWaitForWindowActive(shown));

    checkLayout(*shown);
    // The window's own focus: a Wayland compositor decides when the window is active.
    QStringList visited;
    while (visited.size() < tabOrder.size()) {
        if (!visited.isEmpty())
            QTest::keyClick(shown->focusWidget(), Qt::Key_Tab);
        const QWidget *focused = shown->focusWidget();
        QVERIFY2(focused, qPrintable(u"no focus after "_s + visited.join(u' ')));
        visited.append(focused->objectName());
    }
    QCOMPARE(visited, tabOrder);
    QCOMPARE(accessFaults(*shown, withoutMnemonic).join(u"; "_s), QString());
}

// Last, as the program ends here.
void TestMainWindow::busyThenClosedDuringALookup()
{
    test::RawHttpServer silent([](test::RawConnection &connection) { connection.stall(); });
    test::MainWindow &main = open(silent.base());
    main.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&main.window()));
    main.fill({u"4155550126"_s});
    QPushButton *createMap = main.button(u"Command1"_s);
    createMap->setFocus();
    // While the lookup waits for the service: busy, every button off, and
    // Enter starts no second lookup.
    QString meanwhile;
    QTimer::singleShot(0, &main.window(), [&] {
        meanwhile = main.buttons() + (QGuiApplication::overrideCursor() ? u" busy"_s : u""_s);
        QTest::keyClick(main.box(u"txtPhone"_s), Qt::Key_Return);
    });
    QTest::keyClick(createMap, Qt::Key_Space);
    QCOMPARE(meanwhile, u"0000 busy"_s);
    QCOMPARE(silent.requests().size(), 1u);
    QCOMPARE(main.boxes().size(), 1);
    QVERIFY(main.ready());
    QCOMPARE(main.window().focusWidget(), createMap);

    // Closed while the lookup waits: the program ends, and nothing more is shown.
    QTimer::singleShot(0, &main.window(), [&main] { main.createMap(); });
    bool readyMeanwhile = true;
    QTimer::singleShot(0, &main.window(), [&] {
        readyMeanwhile = main.ready();
        main.window().close();
    });
    // A program that does not end on its own fails here instead of hanging.
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(2); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!readyMeanwhile);
    QCOMPARE(main.boxes().size(), 1);
    QVERIFY(main.ready());
}

} // namespace corvale

QTEST_MAIN(corvale::TestMainWindow)
#include "tst_mainwindow.moc"
