// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/browseforfolder.h"

#include <utility>

#include <QDir>

#include "ui/common/folderdialog.h"

namespace corvale {

namespace {

QString askWithDialog(const FolderRequest &request)
{
    FolderDialog dialog(request.ownerWindow, request.prompt, request.caption, request.startFolder);
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

QString BrowseForFolder(QWidget *ownerWindow, const QString &prompt, const QString &caption, const QString &startFolder)
{
    const QString folder = currentAsker()({ownerWindow, prompt, caption, startFolder});
    // The folder may have gone while the chooser was open. A folder that cannot
    // be made shows up when the caller writes into it.
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

} // namespace corvale
