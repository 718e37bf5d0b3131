// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the About window and saves a picture of it, for the documentation.

#include <QApplication>
#include <QTimer>

#include "ui/about/frmabout.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        qCritical("usage: screenshot-about OUTPUT.png");
        return 2;
    }

    corvale::frmAbout window;
    window.show();
    int status = 0;
    // Give the window a moment to be laid out and painted on the display.
    QTimer::singleShot(300, &window, [&window, &status, path = arguments.at(1)] {
        if (!window.grab().save(path)) {
            qCritical("cannot write %s", qPrintable(path));
            status = 1;
        }
        QApplication::quit();
    });
    QApplication::exec();
    return status;
}
