// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QFileDialog;

namespace corvale {

// The folder chooser: Qt's own directories-only file dialog with the prompt
// above its folder view, where the user may also type a path and make a new
// folder.
class FolderDialog : public QDialog
{
    Q_OBJECT

public:
    FolderDialog(QWidget *owner, const QString &prompt, const QString &caption, const QString &startFolder);

    // The chosen folder in the platform's own notation.
    QString selectedFolder() const;

private:
    QFileDialog *m_files;
};

} // namespace corvale
