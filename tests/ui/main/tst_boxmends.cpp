#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "lookup/phone2geo.h"
#include "testcontrols.h"
#include "ui/main/frmmaps.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

using namespace corvale;

// What the state and postal code boxes keep of text typed into them, pasted
// with the keyboard, or pasted from the box's own menu.
class TestBoxMends : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boxes_data();
    void boxes();
};

void TestBoxMends::boxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("province pasted in small letters") << u"txtState"_s << u"keys"_s << u"on"_s << u"ON"_s;
    QTest::newRow("province pasted from the menu") << u"txtState"_s << u"menu"_s << u"qc"_s << u"QC"_s;
    QTest::newRow("pasted, the others above Z shift too") << u"txtZip"_s << u"keys"_s << u"{~\u00e0\u0431"_s
                                                          << u"[^\u00c0\u0431"_s;
    QTest::newRow("a blank typed into the postal code is dropped") << u"txtZip"_s << u"typed"_s << u"k1a 0b1"_s
                                                                   << u"K1A0B1"_s;
    QTest::newRow("a blank pasted into the postal code is dropped") << u"txtZip"_s << u"keys"_s << u"K1A 0B1"_s
                                                                    << u"K1A0B1"_s;
    QTest::newRow("from the menu too") << u"txtZip"_s << u"menu"_s << u" v6b 4y8 x"_s << u"V6B4Y8"_s;
    QTest::newRow("the province box keeps a blank") << u"txtState"_s << u"typed"_s << u" on"_s << u" O"_s;
}

void TestBoxMends::boxes()
{
    QFETCH(QString, box);
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    LookupClient client(u"http://127.0.0.1:1/"_s);
    MapFolder folder;
    frmMaps window(client, folder);
    auto *edit = test::control<QLineEdit>(window, box);
    QApplication::clipboard()->setText(text);
    if (how == u"typed"_s)
        QTest::keyClicks(edit, text);
    if (how == u"keys"_s)
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    if (how == u"menu"_s) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), edit->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(edit, &click);
        const QList<QAction *> actions = edit->findChild<QMenu *>()->actions();
        const auto paste = std::find_if(actions.begin(), actions.end(), [](const QAction *action) {
            return action->text().startsWith(QLineEdit::tr("&Paste"));
        });
        QVERIFY(paste != actions.end());
        (*paste)->trigger();
    }
    QCOMPARE(edit->text(), expected);
}

QTEST_MAIN(TestBoxMends)
#include "tst_boxmends.moc"
