#pragma once

#include <functional>

#include <QList>
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
    bool classicStyle = false;
};

// Asks the user for a folder, modally over the owner; the empty string when
// the user chose none.
using FolderAsker = std::function<QString(const FolderRequest &)>;

// Replaces how BrowseForFolder asks (the real dialog at start); returns the
// asker it replaced.
FolderAsker installFolderAsker(FolderAsker asker);

// Lets the user choose a folder and makes sure it exists, missing parents
// included. The empty string when the user cancelled; nothing is created then.
QString BrowseForFolder(QWidget *ownerWindow, const QString &prompt, const QString &caption,
                        const QString &startFolder, bool classicStyle);

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

} // namespace corvale
