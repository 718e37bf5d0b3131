// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/messagebox.h"

#include <utility>

#include <QMessageBox>

namespace corvale {

namespace {

void showMessageBox(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageShower &currentShower()
{
    static MessageShower shower = showMessageBox;
    return shower;
}

} // namespace

void showMessage(QWidget *parent, const QString &text, const QString &title)
{
    currentShower()(parent, text, title);
}

MessageShower installMessageShower(MessageShower shower)
{
    return std::exchange(currentShower(), std::move(shower));
}

} // namespace corvale
