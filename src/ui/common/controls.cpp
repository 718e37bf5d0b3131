// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/controls.h"

#include <algorithm>

#include <QColor>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>

namespace corvale {

namespace {

class EscapeFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Cancel))
            return true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void useClassicDialogFont(QWidget *window)
{
    QFont dialogFont = window->font();
    dialogFont.setPointSizeF(8.25);
    window->setFont(dialogFont);
}

void widenToText(QLabel *label)
{
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
}

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setTabOrder(std::initializer_list<QWidget *> order)
{
    for (auto next = order.begin(); next != order.end() && next + 1 != order.end(); ++next)
        QWidget::setTabOrder(*next, *(next + 1));
}

void ignoreEscape(QWidget *window)
{
    // Keys no control takes reach the window, and its filters, last.
    window->installEventFilter(new EscapeFilter(window));
}

} // namespace corvale
