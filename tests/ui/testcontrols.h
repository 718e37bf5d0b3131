#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QWidget>

namespace corvale::test {

// A window's control by its object name; the test cannot go on without it.
template<typename T = QWidget>
T *control(const QWidget &window, const QString &name)
{
    auto *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// Stands in for the desktop's handler of a URL scheme while it lives.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(QString scheme)
        : m_scheme(std::move(scheme))
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(m_scheme); }

    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }

private:
    QString m_scheme;
};

} // namespace corvale::test
