// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/map/frmmap.h"

class QImage;
class QWidget;

namespace corvale {

class MapFolder;

// Whether a base name keeps the saved files inside the map folder: not empty,
// not "." or "..", and free of folder separators and NUL characters.
bool isSafeBaseName(const QString &baseName);

// The file name, without extension, that a capture is saved under: the phone
// number as typed, or else street and city with blanks turned into "_".
QString mapBaseName(const MapQuery &query);

// A picture of one colour throughout (or none): a page that has drawn nothing.
bool isBlankPicture(const QImage &picture);

// "Capture" up to its message: makes sure a map folder is known (asking with
// the folder chooser over `window` when none is), names the map after
// `query`, grabs `panel`, writes it as a bitmap, converts it into a JPEG and
// says where the map went. Stops at the first step that fails and leaves what
// was done so far; every failure but a cancelled chooser or a refused name is
// told to the user. A folder that cannot take the map is forgotten for the
// run, so the next press asks for another; a failed conversion keeps the
// bitmap. A picture with nothing drawn is not saved. True when the map was
// saved.
bool saveCapturedMap(QWidget *window, QWidget *panel, MapFolder &mapFolder, const MapQuerySource &query);

} // namespace corvale
