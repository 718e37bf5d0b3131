// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>

#include <sys/prctl.h>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace corvale::test {

// The sample lookup service as run.sh starts it (the test names its program
// in CORVALE_SAMPLE_SERVICE), its request log in a file.
class SampleService
{
public:
    SampleService()
    {
        m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("requests.log")));
        // A test that crashes takes the service with it.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.start(QStringLiteral(CORVALE_SAMPLE_SERVICE), {QStringLiteral("--port"), QStringLiteral("0")});
        if (m_process.waitForReadyRead(10000))
            m_base = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~SampleService()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    Q_DISABLE_COPY_MOVE(SampleService)

    const QString &base() const { return m_base; }

    // Every request so far, a line each: "METHOD /path?query".
    QByteArray requests() const
    {
        QFile log(m_dir.filePath(QStringLiteral("requests.log")));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    // The lookups so far; the map window's browser GETs its pages.
    QStringList lookups() const { return QString::fromUtf8(requests()).split(u'\n').filter(QStringLiteral("POST ")); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_base;
};

} // namespace corvale::test
