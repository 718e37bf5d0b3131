// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QUrl;

namespace corvale {

// A valid http or https address with a host: the only addresses the lookup
// sends to, follows or hands to the map window, and the only ones the map
// window goes to. Callers add their own rules on top.
bool isWebAddress(const QUrl &url);

} // namespace corvale
