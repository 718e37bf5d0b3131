// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace corvale {

// Gumbo does work in proportion to the depth of open elements for every tag,
// keeps every formatting element it has seen and clones them again and
// again, and compares every attribute of a tag with all before it. A page
// nobody here controls can turn each of these into minutes or gigabytes.

// Elements opened deeper than this are left out (their text stays); a
// browser stops nesting in the same way.
inline constexpr int kMaxParserNesting = 256;

// The UTF-8 page as the HTML parser may safely see it. Its rendered text is
// the page's own, except where the page nests deeper than
// kMaxParserNesting. Formatting tags (<b>, <font>, <a>, ...) are taken out:
// without a style sheet they add nothing to the text; one that is hidden
// becomes a hidden <span>. Attributes are left out but those the rendering
// reads (hidden, type, prompt), each once. Tags are found as the parser
// finds them, so text, comments and scripts are passed on unchanged.
QByteArray boundedForParser(const QByteArray &html);

} // namespace corvale
