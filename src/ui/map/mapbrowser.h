// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>
#include <QtPlugin>

class QUrl;
class QWidget;

namespace corvale {

// What the map window needs of a web browser. The web engine behind it lives
// in a module of its own (corvale-mapbrowser), loaded with the first map
// window, so that the program starts without mapping the engine's libraries.
// Nothing here may include a web-engine header.
class MapBrowser
{
public:
    virtual ~MapBrowser() = default;

    // The browser as a child of `panel`, with the engine's start-up settings
    // made before its first view: it opens no windows of its own, shows none
    // of the page's dialogs and goes to web addresses only. `loaded` hears,
    // while the view lives, whether each page load went well.
    virtual QWidget *createView(QWidget *panel, std::function<void(bool ok)> loaded) = 0;

    // Makes `view`, made by createView, go to `mapLink` when it is a web
    // address; the page loads on its own.
    virtual void navigate(QWidget *view, const QUrl &mapLink) = 0;
};

struct LoadedMapBrowser
{
    // Null when the module is missing or cannot be loaded.
    MapBrowser *browser = nullptr;
    // The module's file, as a message names it.
    QString file;
    QString error;
};

// The map browser module, loaded if it is not yet. It is looked for beside
// the executable (the build tree), then in lib/corvale beside the
// executable's bin folder (the installed layout); when neither holds it, the
// installed place is the one named.
LoadedMapBrowser loadMapBrowser();

// Makes loadMapBrowser take `file` instead of looking (empty: look again);
// returns the file it replaced.
QString useMapBrowserModule(const QString &file);

} // namespace corvale

#define CORVALE_MAP_BROWSER_IID "org.corvale.MapBrowser/1"
Q_DECLARE_INTERFACE(corvale::MapBrowser, CORVALE_MAP_BROWSER_IID)
