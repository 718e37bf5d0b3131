// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/mapfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "util/general.h"
#include "util/settings.h"

namespace corvale {

// Permission bits are not the whole story (read-only mounts, a root user on
// a folder of another), so a file is made there and removed.
bool userMayWrite(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".corvale-XXXXXX")));
    return probe.open();
}

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString defaultMapFolder(const QString &program)
{
    if (userMayWrite(program))
        return program;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QDir().mkpath(pictures))
        return program;
    return QDir::toNativeSeparators(pictures);
}

bool MapFolder::load()
{
    if (!m_path.isEmpty())
        return false;
    m_path = stored(programDefault());
    return true;
}

bool MapFolder::choose(const QString &chosen)
{
    m_path = AddBackslash(cleaned(chosen));
    if (m_path.isEmpty())
        return false;
    store(m_path);
    return true;
}

bool MapFolder::adoptForRun(const QString &chosen)
{
    const QString folder = AddBackslash(cleaned(chosen));
    if (folder.isEmpty())
        return false;
    m_path = folder;
    return true;
}

QString MapFolder::cleaned(const QString &path)
{
    QString folder = path;
    folder.remove(QChar(u'\0'));
    qsizetype first = 0;
    while (first < folder.size() && folder.at(first) == u' ')
        ++first;
    qsizetype end = folder.size();
    while (end > first && folder.at(end - 1) == u' ')
        --end;
    return folder.sliced(first, end - first);
}

QString MapFolder::stored(const QString &fallback)
{
    return readSetting(kMapFolderSetting).value_or(fallback);
}

void MapFolder::store(const QString &path)
{
    writeSetting(kMapFolderSetting, path);
}

} // namespace corvale
