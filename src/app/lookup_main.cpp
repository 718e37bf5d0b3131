// SPDX-License-Identifier: GPL-3.0-or-later
// corvale-lookup: the lookup client from a shell.

#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "corvale/version.h"
#include "lookup/addressservice.h"
#include "lookup/inputrules.h"
#include "lookup/lookupbase.h"
#include "lookup/lookupclient.h"
#include "lookup/pagetext.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kUsageError = 2;

const char *const kUsage =
    "Usage:\n"
    "  corvale-lookup phone NUMBER\n"
    "  corvale-lookup address STREET CITY STATE ZIP\n"
    "  corvale-lookup lines < page.html\n"
    "  corvale-lookup --help\n"
    "\n"
    "phone and address ask the lookup service and print one JSON object with the\n"
    "keys Latitude, Longitude, MapLink and ResultText. lines prints the page's\n"
    "plain-text lines joined by CR LF.\n"
    "The service's base address comes from CORVALE_LOOKUP_BASE when it is set.\n"
    "Addresses go to the service CORVALE_ADDRESS_SERVICE names (\"openstreetmap\" or\n"
    "a Nominatim server's base address), else to the one the settings file names\n"
    "(key Lookup/AddressService), else to the lookup service.\n";

void writeError(const QString &text)
{
    std::fputs(qPrintable(text + u'\n'), stderr);
}

int usageError(const QString &text)
{
    writeError(text);
    std::fputs("Try 'corvale-lookup --help'.\n", stderr);
    return kUsageError;
}

void writeStdout(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void printResult(const corvale::LookupResult &result)
{
    const QJsonObject object{{QStringLiteral("Latitude"), result.Latitude},
                             {QStringLiteral("Longitude"), result.Longitude},
                             {QStringLiteral("MapLink"), result.MapLink},
                             {QStringLiteral("ResultText"), result.ResultText}};
    writeStdout(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvale-lookup"));
    QCoreApplication::setApplicationVersion(QLatin1String(corvale::kVersion));
    const QStringList args = QCoreApplication::arguments().mid(1);

    if (args.isEmpty())
        return usageError(QStringLiteral("corvale-lookup: missing command"));
    const QString &command = args.first();
    if (command == u"--help"_s || command == u"-h"_s) {
        writeStdout(kUsage);
        return 0;
    }

    if (command == u"lines"_s) {
        if (args.size() != 1)
            return usageError(QStringLiteral("corvale-lookup: lines takes no arguments"));
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return usageError(QStringLiteral("corvale-lookup: cannot read standard input"));
        const QString page = QString::fromUtf8(input.readAll());
        writeStdout(corvale::PageToLines(page).join(QStringLiteral("\r\n")).toUtf8());
        return 0;
    }

    const bool phone = command == u"phone"_s;
    const bool address = command == u"address"_s;
    if (!phone && !address)
        return usageError(u"corvale-lookup: unknown command \""_s + command + u'"');
    if (phone && args.size() != 2)
        return usageError(QStringLiteral("corvale-lookup: phone takes one NUMBER"));
    if (address && args.size() != 5)
        return usageError(QStringLiteral("corvale-lookup: address takes STREET CITY STATE ZIP"));

    const QString number = phone ? corvale::normalisePhoneNumber(args.at(1)) : QString();
    if (phone && number.size() != 10) {
        writeError(corvale::invalidNumberMessage());
        return kUsageError;
    }
    if (address && !corvale::isAddressComplete(args.at(1), args.at(2), args.at(3), args.at(4))) {
        writeError(QLatin1String(corvale::kIncompleteAddressMessage));
        return kUsageError;
    }

    const corvale::LookupBaseSetting base = corvale::LookupBase();
    if (base.base.isEmpty())
        return usageError(u"corvale-lookup: "_s + base.error);
    const corvale::AddressServiceSetting addresses = corvale::chosenAddressService();
    if (!addresses.error.isEmpty())
        return usageError(u"corvale-lookup: "_s + addresses.error);

    corvale::LookupClient client(base.base, addresses.service);
    corvale::LookupResult result;
    if (phone)
        client.Phone2Geo(number, result);
    else
        client.Address2Geo(args.at(1), args.at(2), args.at(3), args.at(4), result);
    printResult(result);
    return 0;
}
