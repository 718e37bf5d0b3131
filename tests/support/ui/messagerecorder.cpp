// SPDX-License-Identifier: GPL-3.0-or-later
#include "messagerecorder.h"

namespace corvale::test {

MessageRecorder::MessageRecorder()
    : m_previous(installMessageShower([this](QWidget *parent, const QString &text, const QString &title) {
        m_messages.append({parent, text, title});
    }))
{ }

MessageRecorder::~MessageRecorder()
{
    installMessageShower(std::move(m_previous));
}

const QList<ShownMessage> &MessageRecorder::messages() const
{
    return m_messages;
}

} // namespace corvale::test
