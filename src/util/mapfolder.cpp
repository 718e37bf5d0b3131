// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/mapfolder.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

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

bool isSystemFolder(const QString &folder)
{
#ifndef Q_OS_UNIX
    // The folders named here are those of a Unix system.
    Q_UNUSED(folder);
    return false;
#else
    static const QStringList system{QStringLiteral("/usr"),  QStringLiteral("/bin"),
                                    QStringLiteral("/sbin"), QStringLiteral("/opt"),
                                    QStringLiteral("/etc"),  QStringLiteral("/var"),
                                    QStringLiteral("/snap"), QDir::cleanPath(QStringLiteral(CORVALE_INSTALL_PREFIX))};
    const auto inside = [](const QString &path) {
        const QString absolute = QDir::cleanPath(QDir(QDir::fromNativeSeparators(path)).absolutePath());
        // /lib, /lib32, /lib64, /libx32 and what they hold.
        if (absolute.section(u'/', 1, 1).startsWith(QLatin1String("lib")))
            return true;
        return std::any_of(system.cbegin(), system.cend(), [&absolute](const QString &top) {
            return top.size() > 1 && (absolute == top || absolute.startsWith(top + u'/'));
        });
    };
    // A link may lead into the system (/bin is /usr/bin on Debian): the path
    // and where it leads both count.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return inside(folder) || (!canonical.isEmpty() && inside(canonical));
#endif
}

QString defaultMapFolder(const QString &program)
{
    if (userMayWrite(program) && !isSystemFolder(program))
        return program;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QDir().mkpath(pictures))
        return program;
    return QDir::toNativeSeparators(pictures);
}

void MapFolder::load()
{
    if (!m_path.isEmpty())
        return;
    // The default is looked for only without a stored folder: it writes a
    // probe file into the program's folder.
    const std::optional<QString> entry = readSetting(kMapFolderSetting);
    m_path = entry ? *entry : programDefault();
    Q_EMIT changed(m_path);
}

void MapFolder::choose(const QString &chosen)
{
    m_path = AddBackslash(cleaned(chosen));
    if (m_path.isEmpty())
        return;
    store(m_path);
    Q_EMIT changed(m_path);
}

bool MapFolder::adoptForRun(const QString &chosen)
{
    const QString folder = AddBackslash(cleaned(chosen));
    if (folder.isEmpty())
        return false;
    m_path = folder;
    Q_EMIT changed(m_path);
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

void MapFolder::store(const QString &path)
{
    writeSetting(kMapFolderSetting, path);
}

} // namespace corvale
