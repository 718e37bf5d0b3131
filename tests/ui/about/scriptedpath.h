#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace corvale {

// While it lives, PATH is one empty folder of its own that a test fills with
// programs.
class ScriptedPath
{
public:
    ScriptedPath()
        : m_savedPath(qgetenv("PATH"))
    {
        qputenv("PATH", QFile::encodeName(m_bin.path()));
    }

    ~ScriptedPath() { qputenv("PATH", m_savedPath); }

    ScriptedPath(const ScriptedPath &) = delete;
    ScriptedPath &operator=(const ScriptedPath &) = delete;

    bool add(const QString &name, const QByteArray &script,
             QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::ExeOwner) const
    {
        QFile program(filePath(name));
        return program.open(QIODevice::WriteOnly) && program.write(script) == script.size()
            && program.setPermissions(permissions);
    }

    QString filePath(const QString &name) const { return m_bin.filePath(name); }

private:
    QTemporaryDir m_bin;
    QByteArray m_savedPath;
};

} // namespace corvale
