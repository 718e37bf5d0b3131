// SPDX-License-Identifier: GPL-3.0-or-later
// A libFuzzer entry point around one probe; the probe is chosen when the
// target is built (see CMakeLists.txt).

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QCoreApplication>
#ifdef CORVALE_FUZZ_GUI
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#endif

#include "lookupprobes.h"
#include "mapprobes.h"

#ifdef CORVALE_FUZZ_GUI
// Fontconfig's caches, built as fonts are first used, are held where
// LeakSanitizer does not always see them, and its frames cannot be unwound
// to tell one use from another.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
#ifdef CORVALE_FUZZ_GUI
    // Captions are drawn with fonts. Fontconfig keeps what it loads for the
    // first page drawn: drawn here, that is no leak of an input. Qt's image
    // readers would report every broken picture.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.gui.imageio*=false");
    static QGuiApplication app(*argc, *argv);
    QImage first(8, 8, QImage::Format_RGB32);
    first.fill(Qt::white);
    QBuffer png;
    first.save(&png, "PNG");
    corvale::test::CORVALE_FUZZ_PROBE(png.data());
#else
    // The lookups process pending events between tries.
    static QCoreApplication app(*argc, *argv);
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString fault = corvale::test::CORVALE_FUZZ_PROBE(bytes);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
