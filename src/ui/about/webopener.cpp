// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/webopener.h"

#include <utility>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <QWidget>

namespace corvale {

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Qt starts xdg-open and counts it as a success even when xdg-open finds no
// browser, so it is run here and its exit status read. It may run as long as
// the browser it starts, so it belongs to the application, not the window.
void openWithXdgOpen(QWidget *owner, const QUrl &address, std::function<void()> failed)
{
    auto *opener = new QProcess(QCoreApplication::instance());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    const auto fail = [opener, owner = QPointer<QWidget>(owner), failed = std::move(failed)] {
        opener->deleteLater();
        if (owner)
            failed();
    };
    QObject::connect(opener, &QProcess::finished, opener, [opener, fail](int exitCode, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || exitCode != 0)
            fail();
        else
            opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [fail](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail();
    });
    opener->start(QStringLiteral("xdg-open"), {address.toString(QUrl::FullyEncoded)});
}
#endif

void openWithTheDesktop(QWidget *owner, const QUrl &address, std::function<void()> failed)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    openWithXdgOpen(owner, address, std::move(failed));
#else
    Q_UNUSED(owner);
    if (!QDesktopServices::openUrl(address))
        failed();
#endif
}

WebOpener &currentOpener()
{
    static WebOpener opener = openWithTheDesktop;
    return opener;
}

} // namespace

void openWebAddress(QWidget *owner, const QUrl &address, std::function<void()> failed)
{
    currentOpener()(owner, address, std::move(failed));
}

WebOpener installWebOpener(WebOpener opener)
{
    return std::exchange(currentOpener(), std::move(opener));
}

} // namespace corvale
