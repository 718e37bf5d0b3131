// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvale {

// The real lookup service.
inline constexpr const char *kDefaultLookupBase = "https://www.melissadata.com/";
inline constexpr const char *kLookupBaseVariable = "CORVALE_LOOKUP_BASE";

struct LookupBaseSetting
{
    QString base; // empty when refused
    QString error; // why it was refused
};

// The service's base address: CORVALE_LOOKUP_BASE when set, the real service otherwise.
// Only an http or https address ending in "/", with no query or fragment, is taken.
LookupBaseSetting LookupBase();
LookupBaseSetting checkLookupBase(const QString &value);

// Whether `value` can take request paths appended: an http or https address
// ending in "/", with no query or fragment, which would swallow them.
bool isServiceBase(const QString &value);

} // namespace corvale
