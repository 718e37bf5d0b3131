// SPDX-License-Identifier: GPL-3.0-or-later
// A minimal Qt Widgets window: the yardstick startup.sh holds Corvale's
// main window against. With --share-gl-contexts it asks for the shared
// OpenGL contexts first, as Corvale must for its map window's web engine,
// which makes QApplication create an OpenGL context at start.

#include <cstring>

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--share-gl-contexts") == 0)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Window"));
    window.resize(312, 444);
    window.show();
    return QApplication::exec();
}
