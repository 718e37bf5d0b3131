// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/printmap.h"

#include <QProcess>

#include "ui/common/apptitle.h"
#include "ui/common/messagebox.h"
#include "ui/print/frmselect.h"
#include "ui/print/printpreview.h"
#include "util/general.h"

using namespace Qt::StringLiterals;

namespace corvale {

QString printProgram()
{
    const QString chosen = qEnvironmentVariable(kPrintProgramVariable.data());
    if (!chosen.isEmpty())
        return chosen;
#ifdef Q_OS_WIN
    return u"C:\\Halvorn\\halvorn.exe"_s;
#else
    // None: the print preview takes its place.
    return {};
#endif
}

bool startPrintProgram(QWidget *owner, const QString &filePath)
{
    const QString program = printProgram();
    // An argument list, not a command line: a path with blanks arrives whole.
    if (QProcess::startDetached(program, {filePath}))
        return true;
    showMessage(owner, u"The printing program %1 could not be started."_s.arg(program), kSorryTitle);
    return false;
}

void printSavedMap(QWidget *owner, const QString &folderShown)
{
    frmSelect chooser(owner);
    chooser.setFolder(folderShown);
    chooser.exec();
    if (chooser.selectedIndex() < 0)
        return;
    const QString filePath = AddBackslash(folderShown) + chooser.selectedName();
    if (printProgram().isEmpty())
        previewMap(owner, filePath);
    else
        startPrintProgram(owner, filePath);
}

} // namespace corvale
