// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/settings.h"

#include <QSettings>

namespace corvale {

namespace {

// The per-user store is the application's, with the application's name as vendor too.
constexpr QLatin1String kApplication("Corvale");

} // namespace

std::optional<QString> readSetting(const SettingsEntry &entry)
{
    const QSettings settings(QSettings::UserScope, kApplication, kApplication);
    const QVariant value = settings.value(entry.name());
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void writeSetting(const SettingsEntry &entry, const QString &value)
{
    QSettings settings(QSettings::UserScope, kApplication, kApplication);
    settings.setValue(entry.name(), value);
}

QString settingsFile()
{
    return QSettings(QSettings::UserScope, kApplication, kApplication).fileName();
}

} // namespace corvale
