// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvale {

// What a lookup hands back. The caller passes it in empty; a lookup assigns
// an output only on the paths where it found one and never clears one.
struct LookupResult
{
    QString Latitude;
    QString Longitude;
    QString MapLink;
    QString ResultText;
};

} // namespace corvale
