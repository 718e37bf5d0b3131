// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QLatin1String>
#include <QString>

class QWidget;

namespace corvale {

// What both places that ask for the map folder show in the chooser.
inline constexpr QLatin1String kMapFolderPrompt("Please select the directory where the document will be saved.");
inline constexpr QLatin1String kMapFolderCaption("Saving Map");

// What the folder chooser is opened with.
struct FolderRequest
{
    QWidget *ownerWindow = nullptr;
    QString prompt;
    QString caption;
    QString startFolder;
};

// Asks the user for a folder, modally over the owner; the empty string when
// the user chose none.
using FolderAsker = std::function<QString(const FolderRequest &)>;

// Replaces how BrowseForFolder asks (the real dialog at start); returns the
// asker it replaced.
FolderAsker installFolderAsker(FolderAsker asker);

// Lets the user choose a folder, in a dialog where a path can be typed and a
// new folder made, and makes sure it exists, missing parents included. The
// empty string when the user cancelled; nothing is created then.
QString BrowseForFolder(QWidget *ownerWindow, const QString &prompt, const QString &caption,
                        const QString &startFolder);

} // namespace corvale
