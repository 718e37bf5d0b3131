// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedfolderchooser.h"

#include <utility>

namespace corvale::test {

ScriptedFolderChooser::ScriptedFolderChooser(QString answer)
    : m_answer(std::move(answer))
    , m_previous(installFolderAsker([this](const FolderRequest &request) {
        m_requests.append(request);
        return m_answer;
    }))
{ }

ScriptedFolderChooser::~ScriptedFolderChooser()
{
    installFolderAsker(std::move(m_previous));
}

void ScriptedFolderChooser::setAnswer(const QString &answer)
{
    m_answer = answer;
}

const QList<FolderRequest> &ScriptedFolderChooser::requests() const
{
    return m_requests;
}

} // namespace corvale::test
