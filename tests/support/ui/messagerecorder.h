// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
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
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    const QList<ShownMessage> &messages() const;

private:
    QList<ShownMessage> m_messages;
    MessageShower m_previous;
};

} // namespace corvale::test
