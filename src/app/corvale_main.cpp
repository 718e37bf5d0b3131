// SPDX-License-Identifier: GPL-3.0-or-later
// corvale: the program. Its main window asks the lookup service for a
// business phone number, and it or the address service chosen for an
// address, and shows the service's map.

#include <cstdio>

#include <QApplication>
#include <QIcon>

#include "corvale/version.h"
#include "lookup/addressservice.h"
#include "lookup/lookupbase.h"
#include "lookup/lookupclient.h"
#include "ui/common/apptitle.h"
#include "ui/common/messagebox.h"
#include "ui/main/frmmaps.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // The map window's web engine, loaded with the first map window, draws
    // with contexts shared with the windows; that must be asked for before the
    // application exists, and it starts nothing yet.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"corvale"_s);
    QApplication::setApplicationVersion(QLatin1String(corvale::kVersion));
    QGuiApplication::setDesktopFileName(u"corvale"_s);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/corvale/icons/corvale-%1.png"_s.arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

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
    return QApplication::exec();
}
