// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace corvale {

// The saved-map chooser: lists the ordinary files of one folder and keeps the
// name the user picked with "OK". Made for one showing.
class frmSelect : public QDialog
{
    Q_OBJECT

public:
    explicit frmSelect(QWidget *parent = nullptr);

    // Lists the folder's ordinary files (no folders, no hidden files), by name.
    void setFolder(const QString &folder);
    // The position of the selected name, -1 when none is selected.
    int selectedIndex() const;
    // The selected name, empty when none is selected.
    QString selectedName() const;

public Q_SLOTS:
    // Cancel, Escape and the close box all end here: nothing is handed on.
    void reject() override;

private:
    void Command1_Click();
    void Command2_Click();

    QListWidget *File1;
    QPushButton *Command1;
    QPushButton *Command2;
};

} // namespace corvale
