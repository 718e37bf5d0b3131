// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <utility>

#include <QPalette>
#include <QRect>
#include <QString>

class QColor;
class QLabel;
class QWidget;

namespace corvale {

// A control of a window's design: its name, its place (from twipsRect) and
// what its constructor takes besides the parent.
template<typename Control, typename... Arguments>
Control *place(QWidget *parent, const QString &name, const QRect &geometry, Arguments &&...arguments)
{
    auto *control = new Control(std::forward<Arguments>(arguments)..., parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

// The classic dialog font is 8.25 pt; the windows' layouts are drawn for its size.
void useClassicDialogFont(QWidget *window);

// The designs' label boxes were measured for the classic bitmap font; a wider
// platform font would cut a caption short, so the box grows to the right.
void widenToText(QLabel *label);

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);

// Tab goes from each control to the next in `order`.
void setTabOrder(std::initializer_list<QWidget *> order);

// For a window that no button cancels: Escape closes nothing.
void ignoreEscape(QWidget *window);

} // namespace corvale
