// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEnginePage>

namespace corvale {

// The map window's page, which keeps the map in its window: it opens no
// windows of its own, shows the user none of the page's dialogs (alert,
// confirm, prompt, file choosers), and its main frame goes to web addresses
// only: other schemes (mailto:, tel:, ...) would be handed to outside
// programs. What the page's scripts write to their console is the page's
// affair, not the user's terminal's.
class ContainedMapPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit ContainedMapPage(QObject *parent);

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
};

} // namespace corvale
