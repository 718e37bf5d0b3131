// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/frmmaps.h"

#include <algorithm>
#include <utility>

#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "lookup/inputrules.h"
#include "lookup/lookupclient.h"
#include "lookup/lookupresult.h"
#include "ui/about/frmabout.h"
#include "ui/common/apptitle.h"
#include "ui/common/browseforfolder.h"
#include "ui/common/controls.h"
#include "ui/common/messagebox.h"
#include "ui/common/twips.h"
#include "ui/main/accessiblecontrols.h"
#include "ui/main/keyfilteredlineedit.h"
#include "ui/map/frmmap.h"
#include "ui/map/mapbrowser.h"
#include "ui/print/printmap.h"
#include "util/general.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

// The window is 7065 twips high outside; Qt sizes the inside, so the caption
// and the sizable border the design was drawn with (27 pixels) are taken off.
constexpr QSize kClientSize = twipsSize(4680, 7065 - 405);

const QColor kBlue(0x00, 0x00, 0xFF);

const QString kServerOrNumber =
    u"Map server is currently unavailable or the number is not a main business phone number."_s;
const QString kTryAgain = u"Please try it again."_s;
const QString kCellular = u"This is a cellular number.\r\nPlease search by address."_s;
const QString kServerUnavailable = u"Map server is currently unavailable."_s;
const QString kNotFound = u"Not found."_s;
const QString kNoMapBrowser = u"The map cannot be shown: its browser could not be loaded from %1.\r\n%2"_s;
const QString kStartupNotice =
    u"This program uses the Melissa data server. When maps are displayed you can create a free account "
    "that allows you for 50 retrieval per day. If you need more just edit your account and this will set "
    "back the counter."_s;

// The filter of the address boxes, on the codes of the Latin-1 range the
// program was written for: above "Z" every printable character moves down by
// 32, so small letters become capitals ("{" becomes "[", 200 becomes 168).
// Beyond 255 the shift would land on an unrelated character, so it stops there.
void shiftAboveZ(int &KeyAscii)
{
    if (KeyAscii > 'Z' && KeyAscii <= 0xFF && QChar(KeyAscii).isPrint())
        KeyAscii -= 32;
}

// The buttons are off and the cursor busy while a lookup runs, and come back
// however it ends: a window opened meanwhile would hold the lookup up until
// it closed. Disabling the focused button moves the focus on, so the focus
// goes back to it unless it has been moved again meanwhile. The focus is the
// window's own: a compositor may make the window active only later (Wayland).
class BusyWhileLookingUp
{
public:
    explicit BusyWhileLookingUp(QList<QPushButton *> buttons)
        : m_buttons(std::move(buttons))
    {
        for (QPushButton *button : std::as_const(m_buttons)) {
            if (button->window()->focusWidget() == button)
                m_focused = button;
        }
        for (QPushButton *button : std::as_const(m_buttons))
            button->setEnabled(false);
        if (m_focused)
            m_focusMovedTo = m_focused->window()->focusWidget();
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    }

    ~BusyWhileLookingUp()
    {
        QGuiApplication::restoreOverrideCursor();
        for (QPushButton *button : std::as_const(m_buttons))
            button->setEnabled(true);
        if (m_focused && m_focused->window()->focusWidget() == m_focusMovedTo)
            m_focused->setFocus();
    }

    Q_DISABLE_COPY_MOVE(BusyWhileLookingUp)

private:
    QList<QPushButton *> m_buttons;
    QPushButton *m_focused = nullptr;
    QPointer<QWidget> m_focusMovedTo;
};

} // namespace

frmMaps::frmMaps(LookupClient &lookup, MapFolder &mapFolder, QWidget *parent)
    : QWidget(parent)
    , m_lookup(lookup)
    , m_mapFolder(mapFolder)
    , Frame1(place<QGroupBox>(this, u"Frame1"_s, twipsRect(120, 120, 4455, 1335), u"US Business Phone Number"_s))
    , txtPhone(place<QLineEdit>(Frame1, u"txtPhone"_s, twipsRect(120, 240, 4215, 285)))
    , Label2(place<QLabel>(Frame1, u"Label2"_s, twipsRect(240, 600, 3975, 615),
                           u"The phone number must be a main, publicly listed  US business number, but not an 800 "
                           "number and not a cellphone number."_s))
    , Label1(place<QLabel>(this, u"Label1"_s, twipsRect(120, 1560, 4455, 255), u"OR"_s))
    , Frame3(place<QGroupBox>(this, u"Frame3"_s, twipsRect(120, 1800, 4455, 1695), u"US/Canadian Address"_s))
    , Label3(place<QLabel>(Frame3, u"Label3"_s, twipsRect(120, 240, 1095, 255), u"Street Address:"_s))
    , txtAddress(place<QLineEdit>(Frame3, u"txtAddress"_s, twipsRect(1560, 240, 2775, 285)))
    , Label4(place<QLabel>(Frame3, u"Label4"_s, twipsRect(120, 600, 1095, 255), u"City:"_s))
    , txtCity(place<QLineEdit>(Frame3, u"txtCity"_s, twipsRect(1560, 600, 2775, 285)))
    , Label6(place<QLabel>(Frame3, u"Label6"_s, twipsRect(120, 960, 1095, 255), u"State/Province:"_s))
    , txtState(place<KeyFilteredLineEdit>(Frame3, u"txtState"_s, twipsRect(1560, 960, 2775, 285),
                                          [this](int &KeyAscii) { txtState_KeyPress(KeyAscii); }))
    , Label5(place<QLabel>(Frame3, u"Label5"_s, twipsRect(120, 1320, 1095, 255), u"Postal Code:"_s))
    , txtZip(place<KeyFilteredLineEdit>(Frame3, u"txtZip"_s, twipsRect(1560, 1320, 2775, 285),
                                        [this](int &KeyAscii) { txtZip_KeyPress(KeyAscii); }))
    , Frame2(place<QGroupBox>(this, u"Frame2"_s, twipsRect(120, 3600, 4455, 855), u"Directory where maps are saved"_s))
    , txtMapPath(place<QLineEdit>(Frame2, u"txtMapPath"_s, twipsRect(120, 360, 3735, 285)))
    , cmdMapPath(place<QPushButton>(Frame2, u"cmdMapPath"_s, twipsRect(3960, 360, 375, 255), u".."_s))
    , txtResult(place<QPlainTextEdit>(this, u"txtResult"_s, twipsRect(120, 4560, 4455, 1335)))
    , Command1(place<QPushButton>(this, u"Command1"_s, twipsRect(120, 6000, 2175, 495), u"&Create Map"_s))
    , Command2(place<QPushButton>(this, u"Command2"_s, twipsRect(2400, 6000, 1095, 495), u"&Print Map"_s))
    , Command3(place<QPushButton>(this, u"Command3"_s, twipsRect(3600, 6000, 975, 495), u"&About"_s))
{
    describeMainWindowControls();
    setWindowTitle(u"Get Business Information"_s);
    useClassicDialogFont(this);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize, screen()->availableGeometry()));

    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColour(Label1, QPalette::WindowText, kBlue);
    // The captions grow towards their text boxes.
    for (QLabel *label : {Label3, Label4, Label6, Label5}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widenToText(label);
    }

    // Read-only before a screen reader first asks about it.
    txtMapPath->setReadOnly(true);
    // What a screen reader says for each box: the frame's title alone would
    // name four of them after one frame, and the result box and ".." nothing.
    const QList<std::pair<QWidget *, QString>> spokenNames{
        {txtPhone, Frame1->title()},
        {txtAddress, u"Street Address"_s},
        {txtCity, u"City"_s},
        {txtState, u"State or Province"_s},
        {txtZip, u"Postal Code"_s},
        {txtMapPath, Frame2->title()},
        {cmdMapPath, u"Choose the directory where maps are saved"_s},
        {txtResult, u"Result"_s},
    };
    for (const auto &[control, name] : spokenNames)
        control->setAccessibleName(name);
    txtPhone->setAccessibleDescription(Label2->text());
    cmdMapPath->setToolTip(cmdMapPath->accessibleName());
    Label3->setBuddy(txtAddress);
    Label4->setBuddy(txtCity);
    Label6->setBuddy(txtState);
    Label5->setBuddy(txtZip);

    txtState->setMaxLength(2);
    txtZip->setMaxLength(6);

    QFont resultFont(u"Arial"_s);
    resultFont.setPointSizeF(9.75);
    txtResult->setFont(resultFont);
    setColour(txtResult, QPalette::Text, kBlue);
    txtResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtResult->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtResult->setTabChangesFocus(true);

    // Enter presses the button that has the focus, anywhere else "Create Map".
    for (QPushButton *button : {cmdMapPath, Command1, Command2, Command3})
        button->setAutoDefault(true);
    Command1->setDefault(true);

    corvale::setTabOrder({txtPhone, Command1, Command2, txtMapPath, cmdMapPath, txtResult, Command3, txtState, txtZip,
                          txtCity, txtAddress});
    txtPhone->setFocus();

    connect(cmdMapPath, &QPushButton::clicked, this, &frmMaps::cmdMapPath_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMaps::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMaps::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMaps::Command3_Click);
    // The box shows where maps go, also after a save had to ask for a folder:
    // "Print Map" lists the folder shown.
    connect(&m_mapFolder, &MapFolder::changed, txtMapPath, &QLineEdit::setText);

    Form_Load();
}

void frmMaps::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain) {
        if (Command1->isEnabled())
            Command1->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmMaps::showEvent(QShowEvent *event)
{
    m_closed = false;
    QWidget::showEvent(event);
}

void frmMaps::closeEvent(QCloseEvent *event)
{
    m_closed = true;
    QWidget::closeEvent(event);
}

void frmMaps::Form_Load()
{
    m_mapFolder.load();
    txtResult->setPlainText(kStartupNotice);
}

void frmMaps::cmdMapPath_Click()
{
    // The program's folder to start from, not the map folder.
    m_mapFolder.choose(BrowseForFolder(this, kMapFolderPrompt, kMapFolderCaption, AddBackslash(programFolder())));
}

void frmMaps::Command1_Click()
{
    const QString number = normalisePhoneNumber(txtPhone->text());
    LookupResult result;
    // Every button that opens a window, or starts another lookup.
    const QList<QPushButton *> lookupBlocks{Command1, Command2, Command3, cmdMapPath};

    if (number.size() == 10) {
        {
            const BusyWhileLookingUp busy(lookupBlocks);
            m_lookup.Phone2Geo(number, result);
        }
        if (m_closed)
            return;
        txtPhone->setText(number);
        txtResult->setPlainText(result.ResultText);
        if (!result.MapLink.isEmpty())
            ShowMap(number, result.MapLink, result.Latitude, result.Longitude, m_lookup.serviceFor(false));
        else if (result.ResultText.toLower().contains(u"cellular"_s))
            showMessage(this, kCellular, kSorryTitle);
        else
            showMessage(this, kServerOrNumber + u"\r\n"_s + kTryAgain, kSorryTitle);
        return;
    }
    if (!number.isEmpty()) {
        showMessage(this, invalidNumberMessage(), QLatin1String(kInvalidNumberTitle));
        return;
    }

    if (!isAddressComplete(txtAddress->text(), txtCity->text(), txtState->text(), txtZip->text())) {
        showMessage(this, QLatin1String(kIncompleteAddressMessage), kAppTitle);
        return;
    }
    {
        const BusyWhileLookingUp busy(lookupBlocks);
        m_lookup.Address2Geo(txtAddress->text(), txtCity->text(), txtState->text(), txtZip->text(), result);
    }
    if (m_closed)
        return;
    txtResult->setPlainText(result.ResultText);
    if (!result.MapLink.isEmpty())
        ShowMap(number, result.MapLink, result.Latitude, result.Longitude, m_lookup.serviceFor(true));
    else if (!txtPhone->text().isEmpty())
        showMessage(this, kServerOrNumber, kSorryTitle);
    else if (result.ResultText == kNotFound)
        showMessage(this, result.ResultText, kSorryTitle);
    else
        showMessage(this, kServerUnavailable, kSorryTitle);
}

void frmMaps::Command2_Click()
{
    printSavedMap(this, txtMapPath->text());
}

void frmMaps::Command3_Click()
{
    frmAbout about(this);
    about.exec();
}

void frmMaps::txtState_KeyPress(int &KeyAscii)
{
    shiftAboveZ(KeyAscii);
}

// A Canadian postal code is written with a blank in the middle; without it
// the whole code fits the box's six characters.
void frmMaps::txtZip_KeyPress(int &KeyAscii)
{
    if (KeyAscii == ' ')
        KeyAscii = 0;
    shiftAboveZ(KeyAscii);
}

void frmMaps::ShowMap(const QString &title, const QString &mapLink, const QString &latitude, const QString &longitude,
                      const QString &source)
{
    // The browser is a module of its own; without it there is no map to show,
    // and the lookup's result stays in its box.
    const LoadedMapBrowser browser = loadMapBrowser();
    if (!browser.browser) {
        showMessage(this, kNoMapBrowser.arg(QDir::toNativeSeparators(browser.file), browser.error), kSorryTitle);
        return;
    }
    // Owned by this window, so the window manager keeps it above this one.
    frmMap map(
        *browser.browser, m_mapFolder,
        [this, latitude, longitude, source] {
            return MapQuery{txtPhone->text(), txtAddress->text(), txtCity->text(), txtResult->toPlainText(),
                            latitude,         longitude,          source};
        },
        this);
    map.navigate(mapLink);
    map.setWindowTitle(title);
    Q_EMIT mapWindowOpening(&map);
    map.exec();
    // A window manager may leave no window active once the map window is
    // gone, and what the user types next would go nowhere. The focus is on
    // "Create Map", as after any lookup.
    activateWindow();
    raise();
    Command1->setFocus();
}

} // namespace corvale
