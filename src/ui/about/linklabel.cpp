// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/linklabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace corvale {

namespace {

// A plain label is static text to a screen reader; this one is a link that
// can be pressed.
class AccessibleLink : public QAccessibleWidget
{
public:
    explicit AccessibleLink(LinkLabel *link)
        : QAccessibleWidget(link, QAccessible::Link)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const QLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            Q_EMIT static_cast<LinkLabel *>(widget())->activated();
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *accessibleLink(const QString &className, QObject *object)
{
    if (className == QLatin1String(LinkLabel::staticMetaObject.className()))
        return new AccessibleLink(static_cast<LinkLabel *>(object));
    return nullptr;
}

} // namespace

LinkLabel::LinkLabel(QWidget *parent)
    : QLabel(parent)
{
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleLink), true);
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (plain) {
            Q_EMIT activated();
            return;
        }
        break;
    default: break;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT activated();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

// A label draws no focus of its own; without this a keyboard user cannot
// see that the link holds it.
void LinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace corvale
