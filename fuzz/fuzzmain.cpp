// SPDX-License-Identifier: GPL-3.0-or-later
// A libFuzzer entry point around one probe; the probe is chosen when the
// target is built (see CMakeLists.txt).

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QCoreApplication>
#ifdef CORVALE_FUZZ_GUI
#include <QGuiApplication>
#endif

#include "lookupprobes.h"
#include "mapprobes.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
#ifdef CORVALE_FUZZ_GUI
    // Captions are drawn with fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
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
