// The map browser module: the web engine's view with the map page's rules.
// The program loads it with the first map window (see mapbrowser.h).

#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "ui/map/mapbrowser.h"
#include "ui/map/mappage.h"

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

} // namespace

class WebEngineMapBrowser : public QObject, public MapBrowserFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID CORVALE_MAP_BROWSER_IID)
    Q_INTERFACES(corvale::MapBrowserFactory)

public:
    QWidget *createView(QWidget *panel, std::function<void(bool ok)> loaded) override
    {
        allowWebEngineAsRoot();
        auto *view = new QWebEngineView(panel);
        view->setPage(new MapPage(view));
        connect(view, &QWebEngineView::loadFinished, view, std::move(loaded));
        return view;
    }

    void navigate(QWidget *view, const QUrl &address) override
    {
        auto *browser = qobject_cast<QWebEngineView *>(view);
        if (browser && MapPage::isWebAddress(address))
            browser->load(address);
    }
};

} // namespace corvale

#include "webenginebrowser.moc"
