// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QTemporaryDir>

#include "scopedenv.h"

namespace corvale::test {

// HOME and the per-user settings in a folder of the test's own while it lives.
// Made before the first settings are read: Qt keeps the settings path it found first.
struct OwnHome
{
    QTemporaryDir dir;
    ScopedEnv home{"HOME", QFile::encodeName(dir.path())};
    ScopedEnv config{"XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral(".config")))};
};

} // namespace corvale::test
