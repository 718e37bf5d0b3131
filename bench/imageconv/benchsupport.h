// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

namespace corvale {

// A folder of its own for one benchmark, with the two files a save makes.
class MapFiles
{
public:
    QString path() const { return m_folder.path(); }
    QString bitmap() const { return m_folder.filePath(QStringLiteral("3125550142.bmp")); }
    QString jpeg() const { return m_folder.filePath(QStringLiteral("3125550142.jpg")); }

private:
    QTemporaryDir m_folder;
};

// The benchmarks draw offscreen unless told otherwise, so they run without
// a display.
inline void drawOffscreenUnlessTold()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace corvale
