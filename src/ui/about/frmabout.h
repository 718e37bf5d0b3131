// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include <QDialog>
#include <QLatin1String>

#include "corvale/version.h"

class QLabel;
class QPushButton;

namespace corvale {

class LinkLabel;

// The maker's web site, which the link label opens.
inline constexpr QLatin1String kMakerWebAddress(kWebAddress);

// The About box: title, version, a word about the data server, the link to
// the maker's site and the System Information launcher. Made for one showing.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void blue_Click();
    void LaunchSystemInfo();

    std::array<QWidget *, 2> Line1;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDescription;
    LinkLabel *blue;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;
};

} // namespace corvale
