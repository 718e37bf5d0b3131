// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QLatin1String>
#include <QString>

namespace corvale {

// One key of the per-user settings file (~/.config/Corvale/Corvale.conf):
// every key the program reads or writes is named here.
struct SettingsEntry
{
    QLatin1String section;
    QLatin1String key;

    // "Section/Key", as QSettings and the README name it.
    QString name() const { return section + u'/' + key; }
};

// The folder maps are saved into.
inline constexpr SettingsEntry kMapFolderSetting{QLatin1String("MapFolder"), QLatin1String("Path")};
// Which service answers address lookups; CORVALE_ADDRESS_SERVICE wins over it.
inline constexpr SettingsEntry kAddressServiceSetting{QLatin1String("Lookup"), QLatin1String("AddressService")};

// The entry's value, or nothing when the file holds none.
std::optional<QString> readSetting(const SettingsEntry &entry);
void writeSetting(const SettingsEntry &entry, const QString &value);
// The settings file's path, for messages about its keys.
QString settingsFile();

} // namespace corvale
