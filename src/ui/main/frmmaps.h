// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace corvale {

class KeyFilteredLineEdit;
class LookupClient;
class MapFolder;
class frmMap;

// The main window: a business phone number or a US or Canadian address,
// "Create Map", the result of the last lookup, the folder maps are saved
// into, "Print Map" and "About". Closing it ends the program.
class frmMaps : public QWidget
{
    Q_OBJECT

public:
    // `lookup` answers "Create Map"; `mapFolder` is the run's map folder. Both
    // must outlive the window.
    frmMaps(LookupClient &lookup, MapFolder &mapFolder, QWidget *parent = nullptr);

Q_SIGNALS:
    // A map window is about to be shown modally: navigated and titled. It is
    // released when the user has closed it.
    void mapWindowOpening(frmMap *window);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void cmdMapPath_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void txtState_KeyPress(int &KeyAscii);
    void txtZip_KeyPress(int &KeyAscii);
    // The lookup's position, and the service that found it, go into the
    // maps saved from this window.
    void ShowMap(const QString &title, const QString &mapLink, const QString &latitude, const QString &longitude,
                 const QString &source);

    LookupClient &m_lookup;
    MapFolder &m_mapFolder;
    // Closed while a lookup waited: the lookup's outcome goes nowhere.
    bool m_closed = false;

    QGroupBox *Frame1;
    QLineEdit *txtPhone;
    QLabel *Label2;
    QLabel *Label1;
    QGroupBox *Frame3;
    QLabel *Label3;
    QLineEdit *txtAddress;
    QLabel *Label4;
    QLineEdit *txtCity;
    QLabel *Label6;
    KeyFilteredLineEdit *txtState;
    QLabel *Label5;
    KeyFilteredLineEdit *txtZip;
    QGroupBox *Frame2;
    QLineEdit *txtMapPath;
    QPushButton *cmdMapPath;
    QPlainTextEdit *txtResult;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
};

} // namespace corvale
