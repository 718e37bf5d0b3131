// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/systeminfo.h"

#include <QStandardPaths>

namespace corvale {

SystemInfoCommand systemInfoProgram()
{
    for (const SystemInfoCandidate &candidate : kSystemInfoPrograms) {
        const QString path = QStandardPaths::findExecutable(candidate.program);
        if (!path.isEmpty())
            return {path, candidate.argument.isEmpty() ? QStringList() : QStringList{candidate.argument}};
    }
    return {};
}

} // namespace corvale
