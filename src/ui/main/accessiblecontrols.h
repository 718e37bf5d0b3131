// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace corvale {

// What screen readers are told beyond Qt's own: the main window is a window
// (Qt calls a plain top-level widget a client area), and a read-only text box
// says it is read-only, not also editable. Once per run; further calls do nothing.
void describeMainWindowControls();

} // namespace corvale
