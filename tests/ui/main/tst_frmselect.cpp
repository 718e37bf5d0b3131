#include <optional>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "selectdriver.h"
#include "testcontrols.h"
#include "ui/common/twips.h"
#include "ui/main/frmselect.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QStringList kListed{u"12_Main_StSpringfield.jpg"_s, u"5551234567.jpg"_s, u"Beacon map.bmp"_s, u"notes.txt"_s};

QStringList listed(const frmSelect &window)
{
    QStringList names;
    const QListWidget *list = test::control<QListWidget>(window, u"File1"_s);
    for (int row = 0; row < list->count(); ++row)
        names.append(list->item(row)->text());
    return names;
}

} // namespace

class TestFrmSelect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void titleAndBorder();
    void blueBackground();
    void layout_data();
    void layout();
    void captionsAndFont();
    void tabOrderStartsOnTheList();
    void centredOverItsOwner();
    void listsOrdinaryFiles_data();
    void listsOrdinaryFiles();
    void firstSelectedAtFirst();
    void endings_data();
    void endings();

private:
    // Shows m_window listing m_folder and waits until it takes input.
    bool showListing();

    std::optional<MapFolderOnDisk> m_folder;
    std::optional<frmSelect> m_window;
};

void TestFrmSelect::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isReady());
    m_window.emplace();
}

void TestFrmSelect::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

bool TestFrmSelect::showListing()
{
    m_window->setFolder(m_folder->path());
    m_window->show();
    return QTest::qWaitForWindowActive(&*m_window);
}

void TestFrmSelect::titleAndBorder()
{
    QCOMPARE(m_window->windowTitle(), u"Select saved map to print"_s);
    QCOMPARE(m_window->windowType(), Qt::Tool);
    QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(m_window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(m_window->minimumSize(), twipsSize(4680, 3225));
    QCOMPARE(m_window->maximumSize(), twipsSize(4680, 3225));
}

void TestFrmSelect::blueBackground()
{
    QVERIFY(m_window->autoFillBackground());
    const QImage image = m_window->grab().toImage();
    // Between and below the buttons only the window shows.
    QCOMPARE(image.pixelColor(twipsPoint(2400, 2800)), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(twipsPoint(300, 3200)), QColor(Qt::blue));
}

void TestFrmSelect::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("File1") << u"File1"_s << twipsRect(0, 0, 4695, 2490);
    QTest::newRow("Command1") << u"Command1"_s << twipsRect(600, 2640, 1215, 495);
    QTest::newRow("Command2") << u"Command2"_s << twipsRect(3000, 2640, 1215, 495);
}

void TestFrmSelect::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    QCOMPARE(test::control(*m_window, name)->geometry(), expected);
}

void TestFrmSelect::captionsAndFont()
{
    QCOMPARE(test::control<QPushButton>(*m_window, u"Command1"_s)->text(), u"&OK"_s);
    QCOMPARE(test::control<QPushButton>(*m_window, u"Command2"_s)->text(), u"&Cancel"_s);
    const QFont font = test::control<QListWidget>(*m_window, u"File1"_s)->font();
    QCOMPARE(font.family(), u"MS Sans Serif"_s);
    QCOMPARE(font.pointSizeF(), 9.75);
}

void TestFrmSelect::tabOrderStartsOnTheList()
{
    QVERIFY(showListing());
    QCOMPARE(QApplication::focusWidget(), test::control<QListWidget>(*m_window, u"File1"_s));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), test::control<QPushButton>(*m_window, u"Command1"_s));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), test::control<QPushButton>(*m_window, u"Command2"_s));
}

void TestFrmSelect::centredOverItsOwner()
{
    QWidget owner;
    owner.setGeometry(200, 150, 700, 500);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    frmSelect window(&owner);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint offset = window.geometry().center() - owner.geometry().center();
    QVERIFY2(offset.manhattanLength() <= 40,
             qPrintable(u"off centre by %1, %2"_s.arg(offset.x()).arg(offset.y())));
}

void TestFrmSelect::listsOrdinaryFiles_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("exists");
    QTest::newRow("as shown") << QString() << true;
    QTest::newRow("trailing separator") << u"/"_s << true;
    QTest::newRow("missing folder") << u"/not here"_s << false;
}

void TestFrmSelect::listsOrdinaryFiles()
{
    QFETCH(QString, suffix);
    QFETCH(bool, exists);

    m_window->setFolder(m_folder->path() + suffix);

    QCOMPARE(listed(*m_window), exists ? kListed : QStringList());
    m_window->setFolder(QString());
    QCOMPARE(listed(*m_window), QStringList());
}

void TestFrmSelect::firstSelectedAtFirst()
{
    QVERIFY(showListing());

    QCOMPARE(m_window->selectedIndex(), 0);
    QCOMPARE(m_window->selectedName(), kListed.constFirst());
    clickName(*m_window, u"notes.txt"_s);
    QCOMPARE(m_window->selectedIndex(), 3);
    QCOMPARE(m_window->selectedName(), u"notes.txt"_s);
}

void TestFrmSelect::endings_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("kept");
    QTest::newRow("OK") << Ending::Ok << int(QDialog::Accepted) << u"Beacon map.bmp"_s;
    QTest::newRow("Cancel") << Ending::Cancel << int(QDialog::Rejected) << QString();
    QTest::newRow("close box") << Ending::CloseBox << int(QDialog::Rejected) << QString();
    QTest::newRow("Escape") << Ending::Escape << int(QDialog::Rejected) << QString();
}

void TestFrmSelect::endings()
{
    QFETCH(Ending, ending);
    QFETCH(int, result);
    QFETCH(QString, kept);
    QVERIFY(showListing());
    clickName(*m_window, u"Beacon map.bmp"_s);
    QCOMPARE(m_window->selectedName(), u"Beacon map.bmp"_s);

    endChooser(*m_window, ending);

    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->result(), result);
    QCOMPARE(m_window->selectedName(), kept);
    QCOMPARE(m_window->selectedIndex(), kept.isEmpty() ? -1 : kListed.indexOf(kept));
}

} // namespace corvale

QTEST_MAIN(corvale::TestFrmSelect)
#include "tst_frmselect.moc"
