// SPDX-License-Identifier: GPL-3.0-or-later
// Tests get their web engine from the map browser module, loaded once the
// application exists; the engine needs the contexts shared from before, as
// the program's main asks for them. This runs before any test's main.

#include <QCoreApplication>

namespace {

void shareOpenGLContexts()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(shareOpenGLContexts)
