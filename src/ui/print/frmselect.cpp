// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/frmselect.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>

#include "ui/common/controls.h"
#include "ui/common/twips.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr int kClientWidth = 4680;
constexpr int kClientHeight = 3225;

} // namespace

frmSelect::frmSelect(QWidget *parent)
    // A tool window keeps out of the task bar and has neither icon nor
    // minimise and maximise boxes.
    : QDialog(parent,
              Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint)
    , File1(place<QListWidget>(this, u"File1"_s, twipsRect(0, 0, 4695, 2490)))
    , Command1(place<QPushButton>(this, u"Command1"_s, twipsRect(600, 2640, 1215, 495), u"&OK"_s))
    , Command2(place<QPushButton>(this, u"Command2"_s, twipsRect(3000, 2640, 1215, 495), u"&Cancel"_s))
{
    setWindowTitle(u"Select saved map to print"_s);
    setFixedSize(twipsSize(kClientWidth, kClientHeight));
    setColour(this, QPalette::Window, Qt::blue);
    setAutoFillBackground(true);

    File1->setAccessibleName(u"Saved maps"_s);
    File1->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont listFont(u"MS Sans Serif"_s);
    listFont.setPointSizeF(9.75);
    File1->setFont(listFont);
    corvale::setTabOrder({File1, Command1, Command2});
    File1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &frmSelect::Command1_Click);
    connect(File1, &QListWidget::itemDoubleClicked, this, &frmSelect::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelect::Command2_Click);
}

void frmSelect::setFolder(const QString &folder)
{
    File1->clear();
    // An empty path would list the working folder.
    if (folder.isEmpty())
        return;
    File1->addItems(QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
    // The first file is chosen already, so Enter alone prints it.
    if (File1->count() > 0)
        File1->setCurrentRow(0);
}

int frmSelect::selectedIndex() const
{
    // The current row alone is no choice: the list sets one as soon as it
    // takes the focus.
    const QModelIndexList selected = File1->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

QString frmSelect::selectedName() const
{
    const int index = selectedIndex();
    return index < 0 ? QString() : File1->item(index)->text();
}

void frmSelect::reject()
{
    File1->clearSelection();
    QDialog::reject();
}

void frmSelect::Command1_Click()
{
    accept();
}

void frmSelect::Command2_Click()
{
    reject();
}

} // namespace corvale
