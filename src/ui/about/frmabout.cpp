// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/frmabout.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "corvale/version.h"
#include "ui/about/linklabel.h"
#include "ui/about/systeminfo.h"
#include "ui/about/webopener.h"
#include "ui/common/apptitle.h"
#include "ui/common/controls.h"
#include "ui/common/messagebox.h"
#include "ui/common/twips.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr int kClientWidth = 5730;
// The window is 3450 twips high outside; Qt sizes the inside, so the 375 twips
// of caption and fixed border the design was drawn with are taken off.
constexpr int kClientHeight = 3450 - 375;
// The design places the inside of the window here on the screen, not centred.
constexpr QPoint kScreenPosition = twipsPoint(2340, 1935);

const QColor kLinkColour(0x00, 0x00, 0xC0);
const QColor kGreyLineColour(0x80, 0x80, 0x80);
const QColor kWhiteLineColour(0xFF, 0xFF, 0xFF);

// A line control as a strip `thickness` pixels high centred on its row.
QWidget *makeLine(QWidget *parent, int fromX, int toX, int y, int thickness, const QColor &colour)
{
    auto *line = new QWidget(parent);
    line->setObjectName(u"Line1"_s);
    const QPoint from = twipsPoint(fromX, y) - QPoint(0, thickness / 2);
    line->setGeometry(QRect(from, QPoint(twipsPoint(toX, y).x(), from.y() + thickness - 1)));
    setColour(line, QPalette::Window, colour);
    line->setAutoFillBackground(true);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    // Lines first: they lie beneath every other control.
    , Line1{makeLine(this, 105, 5654, 2040, 2, kWhiteLineColour), makeLine(this, 120, 5684, 1800, 1, kGreyLineColour)}
    , lblTitle(place<QLabel>(this, u"lblTitle"_s, twipsRect(240, 240, 3885, 360)))
    , lblVersion(place<QLabel>(this, u"lblVersion"_s, twipsRect(240, 600, 3885, 225)))
    , lblDescription(place<QLabel>(this, u"lblDescription"_s, twipsRect(240, 960, 5205, 690)))
    , blue(place<LinkLabel>(this, u"blue"_s, twipsRect(240, 1920, 1455, 195)))
    , cmdOK(place<QPushButton>(this, u"cmdOK"_s, twipsRect(4245, 2040, 1260, 345), u"OK"_s))
    , cmdSysInfo(place<QPushButton>(this, u"cmdSysInfo"_s, twipsRect(4260, 2520, 1245, 345), u"&System Info..."_s))
{
    // The window background of the classic scheme is the colour behind text
    // fields, white in the standard one.
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Base));
    setPalette(windowPalette);
    setAutoFillBackground(true);

    useClassicDialogFont(this);
    for (QLabel *label : {lblTitle, lblVersion, lblDescription, static_cast<QLabel *>(blue)})
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QFont titleFont(u"Arial"_s);
    titleFont.setPointSizeF(9.75);
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    lblTitle->setFont(titleFont);
    setColour(lblTitle, QPalette::WindowText, Qt::black);

    lblDescription->setWordWrap(true);
    lblDescription->setText(
        u"This program takes its business and map information from an outside data server. "
        "Creating an account for that server, and keeping it, is the user's own responsibility."_s);
    setColour(lblDescription, QPalette::WindowText, Qt::black);

    QFont linkFont = font();
    linkFont.setUnderline(true);
    blue->setFont(linkFont);
    blue->setText(u"Vistit us on the WEB"_s);
    setColour(blue, QPalette::WindowText, kLinkColour);
    widenToText(blue);

    // Neither button is the default: Enter presses the one that has the
    // focus, and none cancels.
    ignoreEscape(this);
    corvale::setTabOrder({cmdOK, cmdSysInfo, blue});
    // The link comes first among the controls but last in the tab order.
    cmdOK->setFocus();
    connect(blue, &LinkLabel::activated, this, &frmAbout::blue_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(u"About "_s + kAppTitle);
    lblVersion->setText(u"Version %1.%2.%3"_s.arg(kVersionMajor).arg(kVersionMinor).arg(kVersionPatch));
    lblTitle->setText(kAppTitle);
    setGeometry(QRect(kScreenPosition, twipsSize(kClientWidth, kClientHeight)));
    setFixedSize(size());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    LaunchSystemInfo();
}

void frmAbout::blue_Click()
{
    // Without a browser (no opener, no program for web addresses) nothing
    // would show.
    openWebAddress(this, QUrl(kMakerWebAddress), [this] {
        showMessage(this, u"No web browser could be started for %1."_s.arg(kMakerWebAddress), kSorryTitle);
    });
}

void frmAbout::LaunchSystemInfo()
{
    const SystemInfoCommand command = systemInfoProgram();
    if (command.program.isEmpty() || !QProcess::startDetached(command.program, command.arguments))
        showMessage(this, u"System Information Is Unavailable At This Time"_s, kAppTitle);
}

} // namespace corvale
