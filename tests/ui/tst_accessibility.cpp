#include <QAccessible>
#include <QTest>

#include "lookup/phone2geo.h"
#include "testcontrols.h"
#include "ui/about/frmabout.h"
#include "ui/common/messagebox.h"
#include "ui/main/frmmaps.h"
#include "ui/main/frmselect.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

// What a screen reader or a keyboard user meets in a window's accessibility
// tree: a focusable control without a name or with another's, a button
// without a mnemonic (unless let off), a mnemonic two controls share.
static QStringList faults(QWidget &window, const QStringList &withoutMnemonic)
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

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windows_data();
    void windows();
    void linkByKeyboard();
};

void TestAccessibility::windows_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QStringList>("withoutMnemonic");
    QTest::newRow("main window") << 0 << u"txtPhone"_s << QStringList{u"cmdMapPath"_s};
    QTest::newRow("About") << 1 << u"cmdOK"_s << QStringList{u"cmdOK"_s};
    QTest::newRow("chooser, its first file chosen") << 2 << u"File1"_s << QStringList{};
}

void TestAccessibility::windows()
{
    QFETCH(int, window);
    QFETCH(QString, focused);
    QFETCH(QStringList, withoutMnemonic);
    LookupClient lookup(u"http://127.0.0.1:9/"_s);
    MapFolder folder;
    const QTemporaryDir maps;
    QVERIFY(QFile(maps.filePath(u"a.jpg"_s)).open(QIODevice::WriteOnly));
    frmMaps main(lookup, folder);
    frmAbout about;
    frmSelect chooser;
    chooser.setFolder(maps.path());
    QWidget &tested = *QList<QWidget *>{&main, &about, &chooser}.at(window);
    tested.show();
    QVERIFY(QTest::qWaitForWindowActive(&tested));
    QCOMPARE(QApplication::focusWidget(), test::control(tested, focused));
    QCOMPARE(chooser.selectedName(), u"a.jpg"_s);
    QCOMPARE(faults(tested, withoutMnemonic).join(u"; "_s), QString());
}

void TestAccessibility::linkByKeyboard()
{
    test::UrlRecorder recorder(u"https"_s);
    const MessageRecorder messages;
    frmAbout window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Past "OK" and "System Info..." to the link, which each key opens.
    QTest::keySequence(static_cast<QWidget *>(nullptr), QKeySequence(Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Space));
    QCOMPARE(recorder.opened, QList<QUrl>(2, QUrl(kMakerWebAddress)));
    // A handler that cannot be called: the desktop has no opener for the link.
    QDesktopServices::setUrlHandler(u"https"_s, &recorder, "missing");
    QTest::ignoreMessage(QtWarningMsg, "QMetaObject::invokeMethod: No such method corvale::test::UrlRecorder::missing(QUrl)");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().constFirst().title, u"Sorry..."_s);
}

} // namespace corvale

QTEST_MAIN(corvale::TestAccessibility)
#include "tst_accessibility.moc"
