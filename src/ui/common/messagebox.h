// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace corvale {

// Shows a modal message box over parent with one OK button and no icon.
void showMessage(QWidget *parent, const QString &text, const QString &title);

using MessageShower = std::function<void(QWidget *parent, const QString &text, const QString &title)>;

// Replaces how showMessage shows (the real box at start); returns the shower
// it replaced.
MessageShower installMessageShower(MessageShower shower);

} // namespace corvale
