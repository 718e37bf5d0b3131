// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace corvale {

// The UTF-8 page as the HTML parser may safely see it. Gumbo 0.10.1 asserts
// (and so aborts the process) on pages mixing tables, select elements,
// formatting elements and SVG or MathML, and does work in proportion to
// the attributes of a tag for each of them. The parser is handed only plain
// HTML structure: formatting tags (<b>, <font>, <a>, ...), <select>,
// <template>, <object> and the like are left out, their text kept (a hidden
// one becomes a hidden <span>); SVG and MathML lose every tag, keeping their
// text; attributes are left out but those the rendering reads (hidden, type,
// prompt). Tags are found as the parser finds them, so text, comments and
// scripts are passed on unchanged. Depth is not bounded here: the parse
// runs under a CPU deadline.
QByteArray boundedForParser(const QByteArray &html);

} // namespace corvale
