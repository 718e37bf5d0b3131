// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace corvale {

// A label that works as a web link: Tab reaches it, a left click, Enter or
// Space opens it, and assistive technology announces it as a link.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);

Q_SIGNALS:
    void activated();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace corvale
