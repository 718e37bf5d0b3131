#include "util/browseforfolder.h"

#include <utility>

#include <QDir>

#include "util/folderdialog.h"

namespace corvale {

namespace {

QString askWithDialog(const FolderRequest &request)
{
    FolderDialog dialog(request.ownerWindow, request.prompt, request.caption, request.startFolder,
                        request.classicStyle);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFolder() : QString();
}

FolderAsker &currentAsker()
{
    static FolderAsker asker = askWithDialog;
    return asker;
}

} // namespace

FolderAsker installFolderAsker(FolderAsker asker)
{
    return std::exchange(currentAsker(), std::move(asker));
}

QString BrowseForFolder(QWidget *ownerWindow, const QString &prompt, const QString &caption,
                        const QString &startFolder, bool classicStyle)
{
    const QString folder = currentAsker()({ownerWindow, prompt, caption, startFolder, classicStyle});
    // The folder may have gone while the chooser was open. A folder that cannot
    // be made shows up when the caller writes into it.
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

ScriptedFolderChooser::ScriptedFolderChooser(QString answer)
    : m_answer(std::move(answer))
    , m_previous(installFolderAsker([this](const FolderRequest &request) {
        m_requests.append(request);
        return m_answer;
    }))
{
}

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

} // namespace corvale
