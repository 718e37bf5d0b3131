// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/general.h"

#include <algorithm>

#include <QDir>

namespace corvale {

QString GetFileName(const QString &path)
{
    const qsizetype lastSeparator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(lastSeparator + 1);
}

QString GetFolderPath(const QString &path)
{
    return path.left(path.size() - GetFileName(path).size());
}

QString GetBaseName(const QString &path)
{
    const QString fileName = GetFileName(path);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

QString AddBackslash(const QString &path)
{
    const QChar separator = QDir::separator();
    if (path.isEmpty() || path.endsWith(separator))
        return path;
    return path + separator;
}

} // namespace corvale
