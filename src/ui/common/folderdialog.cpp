// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/folderdialog.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace corvale {

FolderDialog::FolderDialog(QWidget *owner, const QString &prompt, const QString &caption, const QString &startFolder)
    : QDialog(owner)
    , m_files(new QFileDialog(this, caption, startFolder))
{
    setWindowTitle(caption);

    auto *promptLabel = new QLabel(prompt, this);
    promptLabel->setObjectName(u"prompt"_s);
    promptLabel->setWordWrap(true);

    // The file dialog lives inside this one as a plain child, which only its
    // widget-based form allows; a native dialog would open a window of its own.
    m_files->setWindowFlags(Qt::Widget);
    m_files->setOption(QFileDialog::DontUseNativeDialog);
    m_files->setFileMode(QFileDialog::Directory);
    m_files->setOption(QFileDialog::ShowDirsOnly);
    connect(m_files, &QFileDialog::accepted, this, &QDialog::accept);
    connect(m_files, &QFileDialog::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel);
    layout->addWidget(m_files);
}

QString FolderDialog::selectedFolder() const
{
    return QDir::toNativeSeparators(m_files->selectedFiles().value(0));
}

} // namespace corvale
