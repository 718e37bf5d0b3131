// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

#include <QString>
#include <QStringList>

namespace corvale {

// The page as a browser's innerText would render it without a style sheet,
// split into lines at each line break of the rendering (a CR that the page
// itself holds stays in its line). An empty text gives no lines. The page is taken
// by value: moved in, its memory is given back before the parse needs more.
QStringList PageToLines(QString page);

// The rendered text alone, lines ended by LF. The parser gets CPU time in
// proportion to the page; a page it cannot take apart in that time renders
// as no text.
QString renderInnerText(QString page);
QString renderInnerText(QString page, std::chrono::milliseconds parseBudget);

// The value of an HTML attribute whose "=" stands just before `text`, read
// as a browser reads it: blanks before it skipped, quoted up to the matching
// quote (a quote left open runs to the end of `text`), unquoted up to white
// space or ">", character references decoded.
QString attributeValue(QStringView text);

// The text strictly between the first `startMarker` and the first `endMarker`
// after it; nullopt-like empty `found` when either is missing.
struct Extracted
{
    bool found = false;
    QString value;
};
Extracted ExtractBetween(const QString &page, const QString &startMarker, const QString &endMarker);

} // namespace corvale
