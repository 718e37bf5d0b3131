// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include "ui/common/messagebox.h"

namespace corvale::test {

struct ShownMessage
{
    QPointer<QWidget> parent;
    QString text;
    QString title;
};

// Takes every showMessage while it lives, so that no box waits for a click,
// and keeps them in order.
class MessageRecorder
{
public:
    MessageRecorder() = default;
    ~MessageRecorder() { installMessageShower(std::move(m_previous)); }
    Q_DISABLE_COPY_MOVE(MessageRecorder)

    const QList<ShownMessage> &messages() const { return m_messages; }

private:
    QList<ShownMessage> m_messages;
    MessageShower m_previous = installMessageShower([this](QWidget *parent, const QString &text, const QString &title) {
        m_messages.append({parent, text, title});
    });
};

} // namespace corvale::test
