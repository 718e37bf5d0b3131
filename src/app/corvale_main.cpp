// SPDX-License-Identifier: GPL-3.0-or-later
// corvale: the program. Its main window asks the lookup service for a
// business phone number, and it or the address service chosen for an
// address, and shows the service's map.

#include <cstdio>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLoggingCategory>
#include <QTimer>

#include "corvale/version.h"
#include "lookup/addressservice.h"
#include "lookup/lookupbase.h"
#include "lookup/lookupclient.h"
#include "ui/common/apptitle.h"
#include "ui/common/messagebox.h"
#include "ui/main/frmmaps.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kUsageError = 2;

QtMessageHandler g_defaultMessageHandler = nullptr;

// The web engine says it runs without its sandbox, as root; Corvale has said
// so already, in its own words.
void dropRepeatedNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == QLatin1String("Sandboxing disabled by user."))
        return;
    g_defaultMessageHandler(type, context, message);
}

void setNames()
{
    QCoreApplication::setApplicationName(u"corvale"_s);
    QCoreApplication::setApplicationVersion(QLatin1String(corvale::kVersion));
}

// --help and --version answer without a display, so the command line is read
// before the window system is reached. The options every Qt program takes
// (-platform, -style, ...) are left for QApplication. The exit code when the
// program is to end there.
std::optional<int> readCommandLine(int argc, char *argv[])
{
    const QCoreApplication core(argc, argv);
    setNames();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Finds where a US business is by its phone number, or a US or Canadian street address, "
        "and keeps its map.\nThe options every Qt program takes (-platform, -style, ...) are accepted too."_s);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Qt's own help option would offer --help-all, whose Qt options are those of QApplication, not yet made.
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays the options and exits."_s);
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display", "style",
                             "stylesheet", "qwindowgeometry", "qwindowicon", "qwindowtitle", "session"}) {
        QCommandLineOption qtOption(QLatin1String(name), {}, u"value"_s);
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    QCommandLineOption reverse(u"reverse"_s);
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reverse);

    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString error = parser.errorText().isEmpty()
            ? u"Corvale takes no arguments: \"%1\""_s.arg(parser.positionalArguments().constFirst())
            : parser.errorText();
        std::fputs(qPrintable(u"corvale: %1\n\n%2"_s.arg(error, parser.helpText())), stderr);
        return kUsageError;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("corvale %s\n", corvale::kVersion);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1) {
        if (const std::optional<int> exitCode = readCommandLine(argc, argv))
            return *exitCode;
    }
    // The map window's web engine, loaded with the first map window, draws
    // with contexts shared with the windows; that must be asked for before the
    // application exists. It makes QApplication create an OpenGL context at
    // once (under Xvfb, Mesa's software renderer: about 45 ms and 55 MiB).
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // In normal use the terminal stays quiet: the web engine's report on its
    // graphics goes. QT_LOGGING_RULES brings it back.
    QLoggingCategory::setFilterRules(u"qt.webenginecontext.info=false"_s);
    g_defaultMessageHandler = qInstallMessageHandler(dropRepeatedNotices);
    QApplication app(argc, argv);
    setNames();
    QGuiApplication::setDesktopFileName(u"corvale"_s);

    const corvale::LookupBaseSetting base = corvale::LookupBase();
    const corvale::AddressServiceSetting addresses = corvale::chosenAddressService();
    for (const QString &refused : {base.error, addresses.error}) {
        if (refused.isEmpty())
            continue;
        std::fprintf(stderr, "corvale: %s\n", qPrintable(refused));
        corvale::showMessage(nullptr, refused, corvale::kAppTitle);
        return 1;
    }

    corvale::LookupClient lookup(base.base, addresses.service);
    corvale::MapFolder mapFolder;
    corvale::frmMaps window(lookup, mapFolder);
    window.show();
    // Decoding every size of the icon for the window manager held the window
    // back by a few milliseconds; the icon follows once the window shows.
    QTimer::singleShot(0, &app, [] {
        QIcon icon;
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            icon.addFile(u":/corvale/icons/corvale-%1.png"_s.arg(size), QSize(size, size));
        QApplication::setWindowIcon(icon);
    });
    return QApplication::exec();
}
