#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "mainwindowdriver.h"
#include "ui/about/frmabout.h"
#include "ui/common/twips.h"
#include "util/browseforfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::control;
using test::MainWindowDriver;

namespace {

// No lookup reaches a service in these tests.
const QString kNoService = u"http://127.0.0.1:1/"_s;

const QString kStartupNotice =
    u"This program uses the Melissa data server. When maps are displayed you can create a free account that "
    "allows you for 50 retrieval per day. If you need more just edit your account and this will set back the "
    "counter."_s;

QString stored()
{
    QSettings settings(u"Corvale"_s, u"Corvale"_s);
    return settings.value(u"MapFolder/Path"_s).toString();
}

void typeInto(QWidget *box, const QString &characters)
{
    for (const QChar character : characters)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

} // namespace

class TestFrmMaps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void controls_data();
    void controls();
    void captionsGrowTowardsTheirBoxes_data();
    void captionsGrowTowardsTheirBoxes();
    void window();
    void centredAtStart();
    void enlargingKeepsThePlaces();
    void looks();
    void tabOrder();
    void enterPressesCreateMapOrTheFocusedButton();

    void firstRunShowsTheProgramFolder();
    void storedFolderIsShown();
    void folderOfTheRunIsNotReloaded();
    void startupNoticeStaysUntilALookup();
    void choosingAFolder_data();
    void choosingAFolder();
    void cancellingTheChooser();

    void aboutOpensModally();

    void keyFilter_data();
    void keyFilter();
    void backspaceAndOtherBoxes();
};

void TestFrmMaps::init()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).clear();
}

void TestFrmMaps::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    const auto row = [](const char *name, const char *container, const char *className, const QString &caption,
                        const QRect &geometry) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                            << QString::fromLatin1(className) << caption << geometry;
    };
    row("Frame1", "", "QGroupBox", u"US Business Phone Number"_s, twipsRect(120, 120, 4455, 1335));
    row("txtPhone", "Frame1", "QLineEdit", QString(), twipsRect(120, 240, 4215, 285));
    row("Label2", "Frame1", "QLabel",
        u"The phone number must be a main, publicly listed  US business number, but not an 800 number and not "
        "a cellphone number."_s,
        twipsRect(240, 600, 3975, 615));
    row("Label1", "", "QLabel", u"OR"_s, twipsRect(120, 1560, 4455, 255));
    row("Frame3", "", "QGroupBox", u"US/Canadian Address"_s, twipsRect(120, 1800, 4455, 1695));
    row("txtAddress", "Frame3", "QLineEdit", QString(), twipsRect(1560, 240, 2775, 285));
    row("txtCity", "Frame3", "QLineEdit", QString(), twipsRect(1560, 600, 2775, 285));
    row("txtState", "Frame3", "QLineEdit", QString(), twipsRect(1560, 960, 2775, 285));
    row("txtZip", "Frame3", "QLineEdit", QString(), twipsRect(1560, 1320, 2775, 285));
    row("Frame2", "", "QGroupBox", u"Directory where maps are saved"_s, twipsRect(120, 3600, 4455, 855));
    row("cmdMapPath", "Frame2", "QPushButton", u".."_s, twipsRect(3960, 360, 375, 255));
    row("txtResult", "", "QPlainTextEdit", kStartupNotice, twipsRect(120, 4560, 4455, 1335));
    row("Command1", "", "QPushButton", u"Create Map"_s, twipsRect(120, 6000, 2175, 495));
    row("Command2", "", "QPushButton", u"Print Map"_s, twipsRect(2400, 6000, 1095, 495));
    row("Command3", "", "QPushButton", u"About"_s, twipsRect(3600, 6000, 975, 495));
}

void TestFrmMaps::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    MainWindowDriver driver(kNoService);
    const QWidget *widget = control(driver.window(), name);
    QCOMPARE(QLatin1String(widget->metaObject()->className()), className);
    const QWidget *parent = container.isEmpty() ? &driver.window() : control(driver.window(), container);
    QCOMPARE(widget->parentWidget(), parent);
    QCOMPARE(widget->geometry(), geometry);
    const char *property = className == u"QGroupBox"_s ? "title" : className == u"QPlainTextEdit"_s ? "plainText" : "text";
    QCOMPARE(widget->property(property).toString(), caption);
}

void TestFrmMaps::captionsGrowTowardsTheirBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("design");
    QTest::newRow("Label3") << u"Label3"_s << u"Street Address:"_s << twipsRect(120, 240, 1095, 255);
    QTest::newRow("Label4") << u"Label4"_s << u"City:"_s << twipsRect(120, 600, 1095, 255);
    QTest::newRow("Label6") << u"Label6"_s << u"State/Province:"_s << twipsRect(120, 960, 1095, 255);
    QTest::newRow("Label5") << u"Label5"_s << u"Postal Code:"_s << twipsRect(120, 1320, 1095, 255);
}

void TestFrmMaps::captionsGrowTowardsTheirBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, design);
    MainWindowDriver driver(kNoService);
    const auto *label = control<QLabel>(driver.window(), name);
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->parentWidget(), control(driver.window(), u"Frame3"_s));
    QCOMPARE(label->pos(), design.topLeft());
    QCOMPARE(label->height(), design.height());
    QVERIFY(label->width() >= design.width());
    QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(caption));
    QVERIFY2(label->geometry().right() < twipsPoint(1560, 0).x(), "the caption stays clear of its box");
}

void TestFrmMaps::window()
{
    MainWindowDriver driver(kNoService);
    QCOMPARE(driver.window().windowTitle(), u"Get Business Information"_s);
    // 4680 twips wide inside, 7065 outside less the caption and sizable border.
    QCOMPARE(driver.window().size(), twipsSize(4680, 6660));
    QVERIFY(driver.window().isWindow());
    QVERIFY(driver.window().minimumSize() != driver.window().maximumSize());
}

void TestFrmMaps::centredAtStart()
{
    MainWindowDriver driver(kNoService);
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    const QPoint offset = driver.window().geometry().center() - driver.window().screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(u"off centre by %1, %2"_s.arg(offset.x()).arg(offset.y())));
}

void TestFrmMaps::enlargingKeepsThePlaces()
{
    MainWindowDriver driver(kNoService);
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.window().resize(800, 700);
    QTRY_COMPARE(driver.window().size(), QSize(800, 700));
    QCOMPARE(control(driver.window(), u"txtResult"_s)->geometry(), twipsRect(120, 4560, 4455, 1335));
    QCOMPARE(control(driver.window(), u"Command3"_s)->geometry(), twipsRect(3600, 6000, 975, 495));
    QCOMPARE(control(driver.window(), u"Frame3"_s)->geometry(), twipsRect(120, 1800, 4455, 1695));
}

void TestFrmMaps::looks()
{
    MainWindowDriver driver(kNoService);
    const auto *orLabel = control<QLabel>(driver.window(), u"Label1"_s);
    QCOMPARE(orLabel->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QVERIFY(orLabel->alignment().testFlag(Qt::AlignHCenter));
    QVERIFY(control<QLabel>(driver.window(), u"Label2"_s)->wordWrap());

    const auto *result = control<QPlainTextEdit>(driver.window(), u"txtResult"_s);
    QCOMPARE(result->font().family(), u"Arial"_s);
    QCOMPARE(result->font().pointSizeF(), 9.75);
    QCOMPARE(result->palette().color(QPalette::Text), QColor(Qt::blue));
    QCOMPARE(result->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!result->isReadOnly());
    QCOMPARE(driver.box(u"txtPhone"_s)->font().family(), driver.window().font().family());

    QVERIFY(driver.box(u"txtMapPath"_s)->isReadOnly());
    QCOMPARE(driver.box(u"txtState"_s)->maxLength(), 2);
    QCOMPARE(driver.box(u"txtZip"_s)->maxLength(), 6);
    QCOMPARE(driver.box(u"txtPhone"_s)->maxLength(), QLineEdit().maxLength());
    QVERIFY(driver.button(u"Command1"_s)->isDefault());
    for (const QString &name : {u"Command2"_s, u"Command3"_s, u"cmdMapPath"_s})
        QVERIFY(!driver.button(name)->isDefault());
}

void TestFrmMaps::tabOrder()
{
    MainWindowDriver driver(kNoService);
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&driver.window()));
    QCOMPARE(QApplication::focusWidget(), driver.box(u"txtPhone"_s));

    const QStringList order{u"Command1"_s, u"Command2"_s, u"txtMapPath"_s, u"cmdMapPath"_s, u"txtResult"_s,
                            u"Command3"_s, u"txtState"_s, u"txtZip"_s, u"txtCity"_s, u"txtAddress"_s,
                            u"txtPhone"_s};
    QStringList visited;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, order);
}

void TestFrmMaps::enterPressesCreateMapOrTheFocusedButton()
{
    MainWindowDriver driver(kNoService);
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&driver.window()));

    // Seven characters: refused before any lookup, so Enter is seen by its message.
    driver.fill(u"555-0142"_s);
    driver.box(u"txtCity"_s)->setFocus();
    QTest::keyClick(driver.box(u"txtCity"_s), Qt::Key_Return);
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().constLast().title, u"Invalid phone number"_s);
    QTest::keyClick(driver.box(u"txtPhone"_s), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(driver.boxes().size(), 2);

    // The focused "About" takes Enter itself.
    QTimer::singleShot(0, &driver.window(), [] {
        auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        QVERIFY(about);
        about->close();
    });
    driver.button(u"Command3"_s)->setFocus();
    QTest::keyClick(driver.button(u"Command3"_s), Qt::Key_Return);
    QCOMPARE(driver.boxes().size(), 2);
}

void TestFrmMaps::firstRunShowsTheProgramFolder()
{
    MainWindowDriver driver(kNoService);
    const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    QCOMPARE(driver.box(u"txtMapPath"_s)->text(), folder);
    QVERIFY(!folder.endsWith(QDir::separator()));
    QCOMPARE(driver.mapFolder().path(), folder);
    QCOMPARE(stored(), QString());
}

void TestFrmMaps::storedFolderIsShown()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).setValue(u"MapFolder/Path"_s, u"/srv/maps/"_s);
    MainWindowDriver driver(kNoService);
    QCOMPARE(driver.box(u"txtMapPath"_s)->text(), u"/srv/maps/"_s);
    QCOMPARE(driver.mapFolder().path(), u"/srv/maps/"_s);
}

void TestFrmMaps::folderOfTheRunIsNotReloaded()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).setValue(u"MapFolder/Path"_s, u"/srv/maps/"_s);
    test::FakeLookupClock clock;
    LookupClient client(kNoService, clock, &makeNetworkTransport);
    MapFolder folder;
    folder.setPath(u"/run/maps/"_s);
    const frmMaps window(client, folder);
    QCOMPARE(folder.path(), u"/run/maps/"_s);
    QCOMPARE(control<QLineEdit>(window, u"txtMapPath"_s)->text(), QString());
}

void TestFrmMaps::startupNoticeStaysUntilALookup()
{
    MainWindowDriver driver(kNoService);
    driver.fill(u"12345"_s);
    driver.createMap();
    QCOMPARE(driver.resultText(), kStartupNotice);
    driver.fill(QString(), {u"1 Main St"_s, u"Springfield"_s, u"IL"_s, u"6270"_s});
    driver.createMap();
    QCOMPARE(driver.resultText(), kStartupNotice);
    QCOMPARE(driver.boxes().size(), 2);
}

void TestFrmMaps::choosingAFolder_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    const QString sep = QDir::separator();
    const QString maps = QDir::toNativeSeparators(QDir::tempPath() + u"/corvale maps"_s);
    QTest::newRow("gains a trailing separator") << maps << maps + sep;
    QTest::newRow("keeps its one trailing separator") << maps + sep << maps + sep;
    QTest::newRow("blanks and NULs around it go") << u"  "_s + maps + u" \0\0"_s << maps + sep;
}

void TestFrmMaps::choosingAFolder()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    ScriptedFolderChooser chooser(answer);
    {
        MainWindowDriver driver(kNoService);
        driver.button(u"cmdMapPath"_s)->click();

        QCOMPARE(chooser.requests().size(), 1);
        const FolderRequest request = chooser.requests().constFirst();
        QCOMPARE(request.ownerWindow, &driver.window());
        QCOMPARE(request.prompt, u"Please select the directory where the document will be saved."_s);
        QCOMPARE(request.caption, u"Saving Map"_s);
        QCOMPARE(request.startFolder,
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator());
        QVERIFY(!request.classicStyle);

        QCOMPARE(driver.mapFolder().path(), expected);
        QCOMPARE(driver.box(u"txtMapPath"_s)->text(), expected);
        QCOMPARE(stored(), expected);

        // The chooser starts from the program's folder, not from the chosen one.
        driver.button(u"cmdMapPath"_s)->click();
        QCOMPARE(chooser.requests().constLast().startFolder, request.startFolder);
    }
    MainWindowDriver nextStart(kNoService);
    QCOMPARE(nextStart.box(u"txtMapPath"_s)->text(), expected);
    QDir(expected).removeRecursively();
}

void TestFrmMaps::cancellingTheChooser()
{
    QSettings(u"Corvale"_s, u"Corvale"_s).setValue(u"MapFolder/Path"_s, u"/srv/maps/"_s);
    ScriptedFolderChooser chooser;
    MainWindowDriver driver(kNoService);
    driver.button(u"cmdMapPath"_s)->click();

    QCOMPARE(chooser.requests().size(), 1);
    QCOMPARE(driver.mapFolder().path(), QString());
    QCOMPARE(driver.box(u"txtMapPath"_s)->text(), u"/srv/maps/"_s);
    QCOMPARE(stored(), u"/srv/maps/"_s);
}

void TestFrmMaps::aboutOpensModally()
{
    MainWindowDriver driver(kNoService);
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    bool seen = false;
    QTimer::singleShot(0, &driver.window(), [&seen, &driver] {
        auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        QVERIFY(about);
        QCOMPARE(about->parentWidget(), &driver.window());
        QVERIFY(about->isModal());
        seen = true;
        about->close();
    });
    driver.button(u"Command3"_s)->click();
    QVERIFY(seen);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(driver.window().findChildren<frmAbout *>().isEmpty());
}

void TestFrmMaps::keyFilter_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("province in small letters") << u"txtState"_s << u"on"_s << u"ON"_s;
    QTest::newRow("capitals pass") << u"txtState"_s << u"QC"_s << u"QC"_s;
    QTest::newRow("third character refused") << u"txtState"_s << u"ont"_s << u"ON"_s;
    QTest::newRow("postal code without its blank") << u"txtZip"_s << u"k1a0b1"_s << u"K1A0B1"_s;
    QTest::newRow("digits pass") << u"txtZip"_s << u"60601"_s << u"60601"_s;
    QTest::newRow("above Z the others shift too") << u"txtZip"_s << u"{~|`_"_s << u"[^\\@?"_s;
    QTest::newRow("Z and below stay") << u"txtZip"_s << u"Z@!0"_s << u"Z@!0"_s;
    QTest::newRow("brackets and the like") << u"txtZip"_s << u"[\\]^"_s << u";<=>"_s;
    QTest::newRow("Latin-1 small letters become capitals") << u"txtState"_s << u"\u00e0\u00fe"_s
                                                           << u"\u00c0\u00de"_s;
    QTest::newRow("code 200 arrives as 168") << u"txtState"_s << u"\u00c8"_s << u"\u00a8"_s;
    QTest::newRow("code 255 arrives as 223") << u"txtState"_s << u"\u00ff"_s << u"\u00df"_s;
    QTest::newRow("above 255 passes unchanged") << u"txtZip"_s << u"\u0431\u0142\u20ac"_s << u"\u0431\u0142\u20ac"_s;
}

void TestFrmMaps::keyFilter()
{
    QFETCH(QString, boxName);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    MainWindowDriver driver(kNoService);
    QLineEdit *box = driver.box(boxName);
    typeInto(box, typed);
    QCOMPARE(box->text(), expected);
}

void TestFrmMaps::backspaceAndOtherBoxes()
{
    MainWindowDriver driver(kNoService);
    QLineEdit *state = driver.box(u"txtState"_s);
    QTest::keyClicks(state, u"on"_s);
    QCOMPARE(state->text(), u"ON"_s);
    QTest::keyClick(state, Qt::Key_Backspace);
    QCOMPARE(state->text(), u"O"_s);
    QTest::keyClick(state, Qt::Key_Left);
    QTest::keyClick(state, Qt::Key_Delete);
    QCOMPARE(state->text(), QString());

    for (const QString &name : {u"txtPhone"_s, u"txtAddress"_s, u"txtCity"_s}) {
        typeInto(driver.box(name), u"ottawa"_s);
        QCOMPARE(driver.box(name)->text(), u"ottawa"_s);
    }
}

} // namespace corvale

QTEST_MAIN(corvale::TestFrmMaps)
#include "tst_frmmaps.moc"
