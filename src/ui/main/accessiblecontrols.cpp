// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/accessiblecontrols.h"

#include <QAccessibleWidget>
#include <QLineEdit>

#include "ui/main/frmmaps.h"

namespace corvale {

namespace {

// A read-only line edit's text, as Qt's own interface offers it, but its
// state without "editable".
class AccessibleReadOnlyLineEdit
    : public QAccessibleWidget
    , public QAccessibleTextInterface
{
public:
    explicit AccessibleReadOnlyLineEdit(QLineEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return edit()->text();
        return QAccessibleWidget::text(t);
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        return edit()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QFontMetrics metrics = edit()->fontMetrics();
        const QString text = edit()->text();
        const QRect contents = edit()->contentsRect();
        const int x = contents.x() + metrics.horizontalAdvance(text.left(offset));
        const QRect inWidget(x, contents.y(), metrics.horizontalAdvance(text.mid(offset, 1)), contents.height());
        return QRect(edit()->mapToGlobal(inWidget.topLeft()), inWidget.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
};

QAccessibleInterface *mainWindowControl(const QString &className, QObject *object)
{
    if (className == QLatin1String(frmMaps::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    if (className == QLatin1String(QLineEdit::staticMetaObject.className())
        && static_cast<QLineEdit *>(object)->isReadOnly())
        return new AccessibleReadOnlyLineEdit(static_cast<QLineEdit *>(object));
    return nullptr;
}

} // namespace

void describeMainWindowControls()
{
    static const bool installed = (QAccessible::installFactory(mainWindowControl), true);
    Q_UNUSED(installed);
}

} // namespace corvale
