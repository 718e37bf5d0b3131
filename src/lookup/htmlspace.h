// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace corvale {

// HTML's white space: blank, tab, line feed, form feed and carriage return
// (the parser reads a CR as a line feed). For bytes of UTF-8 and for UTF-16
// code units alike.
constexpr bool isHtmlSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

} // namespace corvale
