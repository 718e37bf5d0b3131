// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QLineEdit>

namespace corvale {

// A text box whose characters pass through a key filter, typed or pasted
// (by the keys or from the box's own menu), one by one as if typed. The
// filter gets the character's code and may change it in place, or set it to
// 0 to drop the character.
class KeyFilteredLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    using KeyFilter = std::function<void(int &KeyAscii)>;

    KeyFilteredLineEdit(KeyFilter filter, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int filtered(int typed) const;
    void pasteFiltered();

    KeyFilter m_filter;
};

} // namespace corvale
