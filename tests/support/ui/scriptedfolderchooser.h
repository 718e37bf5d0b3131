// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include "ui/common/browseforfolder.h"

namespace corvale::test {

// Answers every BrowseForFolder while it lives, without a dialog, and keeps
// what each call asked with. An empty answer is a cancel.
class ScriptedFolderChooser
{
public:
    explicit ScriptedFolderChooser(QString answer = {})
        : m_answer(std::move(answer))
    { }
    ~ScriptedFolderChooser() { installFolderAsker(std::move(m_previous)); }
    Q_DISABLE_COPY_MOVE(ScriptedFolderChooser)

    void setAnswer(const QString &answer) { m_answer = answer; }
    const QList<FolderRequest> &requests() const { return m_requests; }

private:
    QString m_answer;
    QList<FolderRequest> m_requests;
    FolderAsker m_previous = installFolderAsker([this](const FolderRequest &request) {
        m_requests.append(request);
        return m_answer;
    });
};

} // namespace corvale::test
