#include "ui/about/systeminfo.h"

#include <QStandardPaths>

namespace corvale {

QString systemInfoProgram()
{
    for (const QLatin1String name : kSystemInfoPrograms) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace corvale
