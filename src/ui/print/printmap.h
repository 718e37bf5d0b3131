// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1String>
#include <QString>

class QWidget;

namespace corvale {

// Names the printing program in place of the platform's own; for a printer
// of the user's choice, and for tests.
inline constexpr QLatin1String kPrintProgramVariable("CORVALE_PRINT_PROGRAM");

// The program saved maps are handed to: the one CORVALE_PRINT_PROGRAM names,
// otherwise C:\Halvorn\halvorn.exe on Windows and none (empty) elsewhere.
QString printProgram();

// Starts the printing program with filePath as its one argument and does not
// wait for it. When it cannot be started the user is told which program
// failed. True when it started.
bool startPrintProgram(QWidget *owner, const QString &filePath);

// "Print Map": lets the user pick a file in the folder the main window shows
// and hands it to the printing program, or without one shows its print
// preview; a cancelled pick hands nothing on.
void printSavedMap(QWidget *owner, const QString &folderShown);

} // namespace corvale
