// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/map/mapbrowser.h"

#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace corvale {

namespace {

QString &chosenModule()
{
    static QString file;
    return file;
}

QString moduleFile()
{
    if (!chosenModule().isEmpty())
        return chosenModule();
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(QStringLiteral(CORVALE_MAP_BROWSER_FILE));
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(
        programDir.filePath(QStringLiteral(CORVALE_MAP_BROWSER_INSTALLED_DIR "/" CORVALE_MAP_BROWSER_FILE)));
}

} // namespace

LoadedMapBrowser loadMapBrowser()
{
    LoadedMapBrowser loaded;
    loaded.file = moduleFile();
    // A plugin loader unloads nothing when it goes: the module, once loaded,
    // stays for the run and a second load only finds it again.
    QPluginLoader loader(loaded.file);
    loaded.browser = qobject_cast<MapBrowser *>(loader.instance());
    if (!loaded.browser)
        loaded.error = loader.isLoaded() ? QStringLiteral("not a map browser") : loader.errorString();
    return loaded;
}

QString useMapBrowserModule(const QString &file)
{
    return std::exchange(chosenModule(), file);
}

} // namespace corvale
