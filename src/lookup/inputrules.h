// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvale {

// The phone box with "-", "(", ".", ")" and blanks removed; nothing else.
QString normalisePhoneNumber(const QString &typed);

// State exactly 2 characters, postal code at least 5, city and street at
// least 1; nothing trimmed.
bool isAddressComplete(const QString &street, const QString &city, const QString &state, const QString &zip);

inline constexpr const char *kInvalidNumberTitle = "Invalid phone number";
QString invalidNumberMessage();
inline constexpr const char *kIncompleteAddressMessage = "Please complete all entries for the address.";

} // namespace corvale
