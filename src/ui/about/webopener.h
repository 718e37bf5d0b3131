// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QUrl;
class QWidget;

namespace corvale {

// Hands `address` to the desktop's browser without waiting for it. `failed`
// runs, possibly later, when no program could open it; not after `owner` is gone.
void openWebAddress(QWidget *owner, const QUrl &address, std::function<void()> failed);

using WebOpener = std::function<void(QWidget *owner, const QUrl &address, std::function<void()> failed)>;

// Replaces how openWebAddress opens (the desktop's opener at start); returns
// the opener it replaced.
WebOpener installWebOpener(WebOpener opener);

} // namespace corvale
