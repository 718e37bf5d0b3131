// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace corvale::test {

// What "Print Map" does with a chosen file whose bytes these are: read its
// metadata and its picture, then draw the printed page (into an image).
// Returns what went wrong (a picture past the bounds let through, a caption
// that would push the map off its page), or an empty text.
QString probeMapFile(const QByteArray &bytes);

} // namespace corvale::test
