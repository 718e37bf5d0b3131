// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/map/browser/containedmappage.h"

#include "util/weburl.h"

namespace corvale {

ContainedMapPage::ContainedMapPage(QObject *parent)
    : QWebEnginePage(parent)
{ }

QWebEnginePage *ContainedMapPage::createWindow(WebWindowType)
{
    return nullptr;
}

QStringList ContainedMapPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    return {};
}

void ContainedMapPage::javaScriptAlert(const QUrl &, const QString &)
{ }

// A dialog nobody saw is a dialog cancelled.
bool ContainedMapPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool ContainedMapPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

bool ContainedMapPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    return !isMainFrame || isWebAddress(url);
}

void ContainedMapPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &)
{ }

} // namespace corvale
