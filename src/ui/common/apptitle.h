#pragma once

#include <QLatin1String>

namespace corvale {

// Titles the About window and the message boxes that name no title of their own.
inline constexpr QLatin1String kAppTitle("Corvale");

} // namespace corvale
