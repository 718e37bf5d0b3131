// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvale {

// Taking a path apart treats both "\" and "/" as separators; an empty path
// gives the empty string from each function.

// What follows the last separator; the path whole when it has none.
QString GetFileName(const QString &path);
// The path up to and including its last separator; empty when it has none.
QString GetFolderPath(const QString &path);
// The file name less the text from its last "." on.
QString GetBaseName(const QString &path);
// Tests for and appends the platform's own separator: "\" on Windows, "/" elsewhere.
QString AddBackslash(const QString &path);

} // namespace corvale
