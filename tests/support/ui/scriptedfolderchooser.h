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
    explicit ScriptedFolderChooser(QString answer = {});
    ~ScriptedFolderChooser();
    ScriptedFolderChooser(const ScriptedFolderChooser &) = delete;
    ScriptedFolderChooser &operator=(const ScriptedFolderChooser &) = delete;

    void setAnswer(const QString &answer);
    const QList<FolderRequest> &requests() const;

private:
    QString m_answer;
    QList<FolderRequest> m_requests;
    FolderAsker m_previous;
};

} // namespace corvale::test
