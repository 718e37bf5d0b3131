// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>

class QPrinter;
class QWidget;

namespace corvale {

// Draws the document on the printer it is handed.
using PagePainter = std::function<void(QPrinter *printer)>;

// Shows the print preview of what paintPage draws, modally over owner; the
// user prints from it or closes it.
void showPrintPreview(QWidget *owner, QPrinter &printer, const PagePainter &paintPage);

using PreviewShower = std::function<void(QWidget *owner, QPrinter &printer, const PagePainter &paintPage)>;

// Replaces how showPrintPreview shows (Qt's print preview dialog at start);
// returns the shower it replaced.
PreviewShower installPreviewShower(PreviewShower shower);

// Opens the print preview of the picture at filePath: the map on one page
// with its caption. A file that is no picture gets a "Sorry..." message.
void previewMap(QWidget *owner, const QString &filePath);

} // namespace corvale
