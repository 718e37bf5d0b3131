// SPDX-License-Identifier: GPL-3.0-or-later
// The map browser module: the web engine's view with the map page's rules.
// The program loads it with the first map window (see ../mapbrowser.h).

#include <QAccessible>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "ui/map/browser/containedmappage.h"
#include "ui/map/mapbrowser.h"
#include "util/weburl.h"

namespace corvale {

namespace {

// The web engine's sandbox will not start as root. The engine reads this when
// its first page is made, so it is decided just before.
void allowWebEngineAsRoot()
{
#ifdef Q_OS_UNIX
    constexpr const char *kNoSandbox = "QTWEBENGINE_DISABLE_SANDBOX";
    if (::geteuid() != 0 || qEnvironmentVariableIsSet(kNoSandbox))
        return;
    qputenv(kNoSandbox, "1");
    qWarning("corvale: running as root, so the map browser runs without its sandbox");
#endif
}

// Qt WebEngine on Linux hands the page's content to screen readers only when
// told so before the engine starts; without an assistive technology that
// costs time and memory for nothing.
void offerPagesToScreenReaders()
{
#ifdef Q_OS_LINUX
    constexpr const char *kAccessibility = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";
    if (QAccessible::isActive() && !qEnvironmentVariableIsSet(kAccessibility))
        qputenv(kAccessibility, "1");
#endif
}

} // namespace

class WebEngineMapBrowser
    : public QObject
    , public MapBrowser
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID CORVALE_MAP_BROWSER_IID)
    Q_INTERFACES(corvale::MapBrowser)

public:
    QWidget *createView(QWidget *panel, std::function<void(bool ok)> loaded) override
    {
        allowWebEngineAsRoot();
        offerPagesToScreenReaders();
        auto *view = new QWebEngineView(panel);
        view->setPage(new ContainedMapPage(view));
        connect(view, &QWebEngineView::loadFinished, view, std::move(loaded));
        return view;
    }

    void navigate(QWidget *view, const QUrl &mapLink) override
    {
        auto *browser = qobject_cast<QWebEngineView *>(view);
        if (browser && isWebAddress(mapLink))
            browser->load(mapLink);
    }
};

} // namespace corvale

#include "webenginebrowser.moc"
