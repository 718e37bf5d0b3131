// SPDX-License-Identifier: GPL-3.0-or-later
// A minimal Qt Widgets window: the yardstick startup.sh holds Corvale's
// main window against.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Window"));
    window.resize(312, 444);
    window.show();
    return QApplication::exec();
}
