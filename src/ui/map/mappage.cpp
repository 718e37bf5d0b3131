#include "ui/map/mappage.h"

namespace corvale {

MapPage::MapPage(QObject *parent)
    : QWebEnginePage(parent)
{
}

QWebEnginePage *MapPage::createWindow(WebWindowType)
{
    return nullptr;
}

QStringList MapPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    return {};
}

void MapPage::javaScriptAlert(const QUrl &, const QString &)
{
}

// A dialog nobody saw is a dialog cancelled.
bool MapPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool MapPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

bool MapPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    return !isMainFrame || isWebAddress(url);
}

} // namespace corvale
