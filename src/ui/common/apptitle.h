// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1String>

namespace corvale {

// Titles the About window and the message boxes that name no title of their own.
inline constexpr QLatin1String kAppTitle("Corvale");

// The title of every message that says something could not be done.
inline constexpr QLatin1String kSorryTitle("Sorry...");

} // namespace corvale
