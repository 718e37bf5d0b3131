// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace corvale::test {

// Runs one input of arbitrary bytes through a part of the lookup client and
// checks what must hold for any input. Returns what went wrong, or an empty
// text. The fuzz targets and the regression test over their findings share
// these.

// PageToLines on the bytes read as UTF-8; also that what the parser is given
// (checked on pages up to 16 KiB) builds no SVG, MathML, formatting, select,
// template or frameset element, and no more nodes than two a byte.
QString probePageText(const QByteArray &bytes);

// Phone2Geo and Address2Geo over a scripted transport whose answer pages come
// from the bytes: byte 0 chooses the lookup, the answers' status and
// charset; the rest, split at each 0x01, is the first page, the map page,
// then street, city, state, ZIP (or the phone number).
QString probeLookups(const QByteArray &bytes);

// The query fields, split at each 0x01, form-encoded into the request
// templates: the service must read back exactly the fields, nothing added.
QString probeQueryEncoding(const QByteArray &bytes);

} // namespace corvale::test
