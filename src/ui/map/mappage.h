#pragma once

#include <QUrl>
#include <QWebEnginePage>

namespace corvale {

// The map window's page. It opens no windows of its own, shows the user none
// of the page's dialogs (alert, confirm, prompt, file choosers), and its main
// frame goes to web addresses only: other schemes (mailto:, tel:, ...) would
// be handed to outside programs.
class MapPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit MapPage(QObject *parent);

    // An http or https address; the page goes nowhere else.
    static bool isWebAddress(const QUrl &url)
    {
        return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    }

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
};

} // namespace corvale
