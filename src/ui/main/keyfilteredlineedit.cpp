// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/keyfilteredlineedit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace corvale {

KeyFilteredLineEdit::KeyFilteredLineEdit(KeyFilter filter, QWidget *parent)
    : QLineEdit(parent)
    , m_filter(std::move(filter))
{ }

int KeyFilteredLineEdit::filtered(int typed) const
{
    int KeyAscii = typed;
    m_filter(KeyAscii);
    return KeyAscii;
}

void KeyFilteredLineEdit::pasteFiltered()
{
    QString text;
    for (const QChar typed : QGuiApplication::clipboard()->text()) {
        if (const int KeyAscii = filtered(typed.unicode()); KeyAscii != 0)
            text += QChar(KeyAscii);
    }
    insert(text);
}

// A character the filter changes is typed as the changed one; one it sets
// to 0 is not typed at all.
void KeyFilteredLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteFiltered();
        return;
    }
    if (event->text().size() != 1) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int typed = event->text().front().unicode();
    const int KeyAscii = filtered(typed);
    if (KeyAscii == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (KeyAscii == 0)
        return;
    QKeyEvent changed(event->type(), event->key(), event->modifiers(), QString(QChar(KeyAscii)), event->isAutoRepeat(),
                      event->count());
    QLineEdit::keyPressEvent(&changed);
}

// The box's own menu, whose Paste goes through the filter too.
void KeyFilteredLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction *action : menu->actions()) {
        // Qt names the action from 6.5 on; before, only its text tells it.
        if (action->objectName() != QLatin1String("edit-paste")
            && action->text().section(u'\t', 0, 0) != QLineEdit::tr("&Paste"))
            continue;
        disconnect(action, nullptr, this, nullptr);
        connect(action, &QAction::triggered, this, &KeyFilteredLineEdit::pasteFiltered);
    }
    menu->popup(event->globalPos());
}

} // namespace corvale
