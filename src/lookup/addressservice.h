// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

#include <QString>

#include "lookup/lookuptransport.h"

namespace corvale {

class LookupClock;

// The service that answers address lookups: the lookup service (empty), or
// a Nominatim server (OpenStreetMap's geocoder) and the map pages beside it.
struct AddressService
{
    QString search; // "https://nominatim.openstreetmap.org/search"
    QString mapPage; // "https://www.openstreetmap.org/export/embed.html"

    bool isLookupService() const { return search.isEmpty(); }
};

inline constexpr const char *kAddressServiceVariable = "CORVALE_ADDRESS_SERVICE";
inline constexpr const char *kOpenStreetMap = "openstreetmap";

struct AddressServiceSetting
{
    AddressService service;
    QString error; // why the setting was refused; empty when taken
};

// CORVALE_ADDRESS_SERVICE when it is set (empty too), else the settings
// file's key: empty or absent, the lookup service; "openstreetmap", the
// public servers; or a base address that serves "search" and
// "export/embed.html" as they do.
AddressServiceSetting chosenAddressService();
// `name` says where the value was read, for the refusal.
AddressServiceSetting checkAddressService(const QString &value, const QString &name);

// The structured search for a street address, asked with GET, naming the
// program as the public server's usage policy asks.
LookupRequest nominatimRequest(const AddressService &service, const QString &Street, const QString &City,
                               const QString &State, const QString &Zip);

// Reads the first place of a search answer (jsonv2). No place: "Not found."
// only. A place whose position is not plain degrees in range, or an answer
// that is not a list of places, assigns nothing.
void readNominatimAnswer(const QByteArray &body, const AddressService &service, QString &Latitude, QString &Longitude,
                         QString &MapLink, QString &ResultText);

// Keeps requests to the address service at least `gap` apart, also across
// runs of the program: the time of the last one is kept in `file` and
// read and written under a lock.
class RequestSpacing
{
public:
    RequestSpacing(QString file, std::chrono::milliseconds gap);
    // The file in the user's cache folder shared by every run.
    static QString defaultFile();

    // Waits through `clock` until the gap since the last request has passed
    // (never longer than the gap, whatever the file says) and notes the
    // request as the last one.
    void take(LookupClock &clock);

private:
    QString m_file;
    std::chrono::milliseconds m_gap;
    // The last request of this run, for when the file cannot be used.
    std::chrono::system_clock::time_point m_last;
};

} // namespace corvale
