// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/parserguard.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gumbo.h>

#include "lookup/htmlspace.h"

namespace corvale {

namespace {

using std::string_view;

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char toLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(string_view text, string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (toLower(text[i]) != toLower(prefix[i]))
            return false;
    }
    return true;
}

bool equalsIgnoringCase(string_view a, string_view b)
{
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

// A tag name as the parser knows it: its enum, and for names it has no
// enum for, a hash of the lower-case name (foreign end tags match by name).
struct TagName
{
    GumboTag tag = GUMBO_TAG_UNKNOWN;
    uint64_t hash = 0;
};

TagName tagNameOf(string_view name)
{
    constexpr size_t kLongestKnownName = 16;
    std::array<char, kLongestKnownName> lowered{};
    uint64_t hash = 14695981039346656037ULL;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = toLower(name[i]);
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        if (i < lowered.size())
            lowered[i] = c;
    }
    // A NUL reaches the parser as U+FFFD, which no known name holds.
    const bool known = name.size() <= lowered.size() && name.find('\0') == string_view::npos;
    const GumboTag tag = known && !name.empty() ? gumbo_tagn_enum(lowered.data(), static_cast<unsigned>(name.size()))
                                                : GUMBO_TAG_UNKNOWN;
    return {tag, hash};
}

// The attributes that the rendering reads: an element hidden, an input of
// type hidden, the prompt of an old search field.
constexpr std::array<string_view, 3> kReadAttributes{"hidden", "type", "prompt"};

struct Tag
{
    bool isEnd = false;
    bool selfClosing = false;
    TagName name;
    string_view nameText;
    size_t begin = 0; // the '<'
    size_t close = 0; // the '>'
    // The first of each of kReadAttributes, as written, or empty.
    std::array<string_view, kReadAttributes.size()> read;
    bool otherAttributes = false;

    bool hidden() const { return !read[0].empty(); }
    bool hasAttributes() const
    {
        return otherAttributes || std::any_of(read.begin(), read.end(), [](string_view a) { return !a.empty(); });
    }
};

// Where the tokenizer finds no tags: up to the element's end tag (RCDATA
// ends as RAWTEXT does), script data with its escapes, or the page's end.
enum class TextMode { Data, RawText, ScriptData, PlainText };

// Finds tags where the parser's tokenizer finds them: comments, doctypes,
// quoted attribute values and script, style and title contents hide them.
class Scanner
{
public:
    explicit Scanner(string_view text)
        : m_text(text)
    { }

    // The next tag at or after the current position; false at the end.
    bool nextTag(Tag &tag, bool foreignContent)
    {
        switch (m_mode) {
        case TextMode::PlainText: return false;
        case TextMode::RawText: return nextEndOfRawText(tag);
        case TextMode::ScriptData: return nextEndOfScript(tag);
        case TextMode::Data: break;
        }
        while (m_pos < m_text.size()) {
            const size_t lt = m_text.find('<', m_pos);
            if (lt == string_view::npos) {
                noteText(m_text.substr(m_pos));
                m_pos = m_text.size();
                return false;
            }
            noteText(m_text.substr(m_pos, lt - m_pos));
            const string_view rest = m_text.substr(lt);
            if (rest.size() < 2) {
                m_pos = m_text.size();
                return false;
            }
            const char next = rest[1];
            if (next == '!') {
                skipMarkupDeclaration(lt, foreignContent);
            } else if (next == '?') {
                m_pos = afterClose(lt + 2);
            } else if (next == '/') {
                if (rest.size() < 3) {
                    m_pos = m_text.size();
                    return false;
                }
                if (rest[2] == '>') {
                    m_pos = lt + 3;
                } else if (isAlpha(rest[2])) {
                    return readTag(tag, lt, lt + 2, true);
                } else {
                    m_pos = afterClose(lt + 2);
                }
            } else if (isAlpha(next)) {
                return readTag(tag, lt, lt + 1, false);
            } else {
                noteText(string_view("<"));
                m_pos = lt + 1;
            }
        }
        return false;
    }

    // The parser switches its tokenizer after some start tags.
    void enter(TextMode mode, GumboTag element)
    {
        m_mode = mode;
        m_rawElement = element;
    }

    // Quirks mode, as the page's first token decides it.
    bool quirks() const { return m_quirks.value_or(true); }

private:
    void noteText(string_view text)
    {
        if (m_quirks)
            return;
        for (const char c : text) {
            if (!isHtmlSpace(c)) {
                m_quirks = true;
                return;
            }
        }
    }

    void decideQuirks(bool quirks)
    {
        if (!m_quirks)
            m_quirks = quirks;
    }

    size_t afterClose(size_t from) const
    {
        const size_t gt = m_text.find('>', from);
        return gt == string_view::npos ? m_text.size() : gt + 1;
    }

    void skipMarkupDeclaration(size_t lt, bool foreignContent)
    {
        const string_view rest = m_text.substr(lt + 2);
        if (rest.substr(0, 2) == "--") {
            m_pos = afterComment(lt + 4);
        } else if (startsWithIgnoringCase(rest, "doctype")) {
            m_pos = afterClose(lt + 9);
            decideQuirks(doctypeQuirks(m_text.substr(lt + 9, m_pos - (lt + 9))));
        } else if (foreignContent && rest.substr(0, 7) == "[CDATA[") {
            const size_t end = m_text.find("]]>", lt + 9);
            m_pos = end == string_view::npos ? m_text.size() : end + 3;
        } else {
            m_pos = afterClose(lt + 2);
        }
    }

    // A comment ends at "-->" or "--!>"; "<!-->" and "<!--->" end at once.
    size_t afterComment(size_t from) const
    {
        const string_view rest = m_text.substr(from);
        if (rest.substr(0, 1) == ">")
            return from + 1;
        if (rest.substr(0, 2) == "->")
            return from + 2;
        for (size_t dashes = m_text.find("--", from); dashes != string_view::npos;
             dashes = m_text.find("--", dashes + 1)) {
            const string_view tail = m_text.substr(dashes + 2);
            if (tail.substr(0, 1) == ">")
                return dashes + 3;
            if (tail.substr(0, 2) == "!>")
                return dashes + 4;
        }
        return m_text.size();
    }

    // Standards mode only for the doctypes of today's and the strict and
    // transitional HTML 4.01 and XHTML pages; every other public identifier
    // counts as quirks.
    static bool doctypeQuirks(string_view doctype)
    {
        if (!doctype.empty() && doctype.back() == '>')
            doctype.remove_suffix(1);
        size_t at = 0;
        const auto skipSpace = [&] {
            while (at < doctype.size() && isHtmlSpace(doctype[at]))
                ++at;
        };
        const auto word = [&] {
            const size_t from = at;
            while (at < doctype.size() && !isHtmlSpace(doctype[at]))
                ++at;
            return doctype.substr(from, at - from);
        };
        const auto quoted = [&]() -> std::optional<string_view> {
            skipSpace();
            if (at >= doctype.size() || (doctype[at] != '"' && doctype[at] != '\''))
                return std::nullopt;
            const size_t close = doctype.find(doctype[at], at + 1);
            if (close == string_view::npos)
                return std::nullopt;
            const string_view value = doctype.substr(at + 1, close - at - 1);
            at = close + 1;
            return value;
        };
        skipSpace();
        if (!equalsIgnoringCase(word(), "html"))
            return true;
        skipSpace();
        const string_view keyword = word();
        if (keyword.empty())
            return false;
        if (equalsIgnoringCase(keyword, "system"))
            return !quoted();
        if (!equalsIgnoringCase(keyword, "public"))
            return true;
        const std::optional<string_view> publicId = quoted();
        if (!publicId)
            return true;
        const bool hasSystemId = quoted().has_value();
        for (const string_view standards :
             {"-//W3C//DTD HTML 4.01//EN", "-//W3C//DTD XHTML 1.0 Strict//EN", "-//W3C//DTD XHTML 1.1//EN",
              "-//W3C//DTD XHTML 1.0 Transitional//EN", "-//W3C//DTD XHTML 1.0 Frameset//EN"}) {
            if (equalsIgnoringCase(*publicId, standards))
                return false;
        }
        for (const string_view transitional :
             {"-//W3C//DTD HTML 4.01 Transitional//", "-//W3C//DTD HTML 4.01 Frameset//"}) {
            if (startsWithIgnoringCase(*publicId, transitional))
                return !hasSystemId;
        }
        return true;
    }

    // A start or end tag from its '<'; false when the page ends inside it
    // (the parser drops such a tag).
    bool readTag(Tag &tag, size_t lt, size_t nameBegin, bool isEnd)
    {
        decideQuirks(true);
        enum class State { BeforeName, Name, AfterName, BeforeValue, Quoted, Unquoted, AfterQuoted, SelfClosing };
        tag = Tag{};
        tag.isEnd = isEnd;
        tag.begin = lt;
        size_t at = nameBegin;
        while (at < m_text.size() && !isHtmlSpace(m_text[at]) && m_text[at] != '/' && m_text[at] != '>')
            ++at;
        tag.nameText = m_text.substr(nameBegin, at - nameBegin);
        tag.name = tagNameOf(tag.nameText);

        State state = State::BeforeName;
        char quote = 0;
        m_attributes.clear();
        const auto beginAttribute = [&](size_t where) {
            state = State::Name;
            m_attributes.push_back({where, where});
        };
        const auto endAttributeName = [&](size_t where) { m_attributes.back().nameEnd = where; };
        for (; at < m_text.size(); ++at) {
            const char c = m_text[at];
            switch (state) {
            case State::BeforeName:
                if (c == '>')
                    return finishTag(tag, at);
                if (c == '/')
                    state = State::SelfClosing;
                else if (!isHtmlSpace(c))
                    beginAttribute(at);
                break;
            case State::Name:
                if (isHtmlSpace(c) || c == '/' || c == '=' || c == '>') {
                    endAttributeName(at);
                    if (c == '>')
                        return finishTag(tag, at);
                    state = c == '/' ? State::SelfClosing : c == '=' ? State::BeforeValue : State::AfterName;
                }
                break;
            case State::AfterName:
                if (c == '>')
                    return finishTag(tag, at);
                if (c == '/')
                    state = State::SelfClosing;
                else if (c == '=')
                    state = State::BeforeValue;
                else if (!isHtmlSpace(c))
                    beginAttribute(at);
                break;
            case State::BeforeValue:
                if (c == '>')
                    return finishTag(tag, at);
                if (c == '"' || c == '\'') {
                    quote = c;
                    state = State::Quoted;
                } else if (!isHtmlSpace(c)) {
                    state = State::Unquoted;
                }
                break;
            case State::Quoted:
                if (c == quote)
                    state = State::AfterQuoted;
                break;
            case State::Unquoted:
                if (c == '>')
                    return finishTag(tag, at);
                if (isHtmlSpace(c))
                    state = State::BeforeName;
                break;
            case State::AfterQuoted:
                if (c == '>')
                    return finishTag(tag, at);
                if (c == '/')
                    state = State::SelfClosing;
                else if (isHtmlSpace(c))
                    state = State::BeforeName;
                else
                    beginAttribute(at);
                break;
            case State::SelfClosing:
                if (c == '>') {
                    tag.selfClosing = true;
                    return finishTag(tag, at);
                }
                if (isHtmlSpace(c)) {
                    state = State::BeforeName;
                } else if (c != '/') {
                    beginAttribute(at);
                }
                break;
            }
        }
        m_pos = m_text.size();
        return false;
    }

    bool finishTag(Tag &tag, size_t close)
    {
        tag.close = close;
        m_pos = close + 1;
        // An attribute runs to the next one, or to the tag's end.
        for (size_t i = 0; i < m_attributes.size(); ++i) {
            const Attribute &attribute = m_attributes[i];
            const string_view name = m_text.substr(attribute.begin, attribute.nameEnd - attribute.begin);
            const bool last = i + 1 == m_attributes.size();
            size_t end = last ? close : m_attributes[i + 1].begin;
            // The slash of a self-closing tag is the tag's, not its last attribute's.
            if (last && tag.selfClosing && m_text[end - 1] == '/')
                --end;
            while (end > attribute.begin && isHtmlSpace(m_text[end - 1]))
                --end;
            const auto known = std::find_if(kReadAttributes.begin(), kReadAttributes.end(),
                                            [name](string_view read) { return equalsIgnoringCase(name, read); });
            const size_t slot = static_cast<size_t>(known - kReadAttributes.begin());
            if (known != kReadAttributes.end() && tag.read[slot].empty())
                tag.read[slot] = m_text.substr(attribute.begin, end - attribute.begin);
            else
                tag.otherAttributes = true;
        }
        return true;
    }

    // "</" and the raw text element's name, then a blank, "/" or ">".
    bool isEndOfRawText(size_t lt) const
    {
        if (m_text.substr(lt, 2) != "</")
            return false;
        const size_t nameEnd = lettersEnd(lt + 2);
        if (nameEnd == lt + 2 || nameEnd >= m_text.size())
            return false;
        const char after = m_text[nameEnd];
        return (isHtmlSpace(after) || after == '/' || after == '>')
            && tagNameOf(m_text.substr(lt + 2, nameEnd - lt - 2)).tag == m_rawElement;
    }

    bool nextEndOfRawText(Tag &tag)
    {
        for (size_t lt = m_text.find('<', m_pos); lt != string_view::npos; lt = m_text.find('<', lt + 1)) {
            if (isEndOfRawText(lt)) {
                m_mode = TextMode::Data;
                return readTag(tag, lt, lt + 2, true);
            }
        }
        m_pos = m_text.size();
        return false;
    }

    // Script data with its escaped ("<!--") and double-escaped ("<script>"
    // inside the escape) states, where "</script>" may not end the element.
    bool nextEndOfScript(Tag &tag)
    {
        enum class Escape { None, Single, Double };
        Escape escape = Escape::None;
        int dashes = 0;
        size_t at = m_pos;
        while (at < m_text.size()) {
            const char c = m_text[at];
            if (escape != Escape::None) {
                if (c == '-') {
                    dashes = std::min(dashes + 1, 2);
                    ++at;
                    continue;
                }
                if (c == '>' && dashes == 2)
                    escape = Escape::None;
                dashes = 0;
            }
            if (c != '<' || escape == Escape::Double) {
                if (c == '<' && m_text.substr(at + 1, 1) == "/") {
                    const size_t end = lettersEnd(at + 2);
                    if (isScriptWord(at + 2, end))
                        escape = Escape::Single;
                    at = end;
                    continue;
                }
                ++at;
                continue;
            }
            if (isEndOfRawText(at)) {
                m_mode = TextMode::Data;
                return readTag(tag, at, at + 2, true);
            }
            if (escape == Escape::None) {
                if (m_text.substr(at, 4) == "<!--") {
                    escape = Escape::Single;
                    dashes = 2;
                    at += 4;
                    continue;
                }
            } else if (const size_t end = lettersEnd(at + 1); end != at + 1) {
                if (isScriptWord(at + 1, end))
                    escape = Escape::Double;
                at = end;
                continue;
            }
            ++at;
        }
        m_pos = m_text.size();
        return false;
    }

    size_t lettersEnd(size_t from) const
    {
        size_t end = from;
        while (end < m_text.size() && isAlpha(m_text[end]))
            ++end;
        return end;
    }

    // "script" ending at a blank, "/" or ">".
    bool isScriptWord(size_t from, size_t end) const
    {
        if (end >= m_text.size())
            return false;
        const char after = m_text[end];
        return (isHtmlSpace(after) || after == '/' || after == '>')
            && equalsIgnoringCase(m_text.substr(from, end - from), "script");
    }

    struct Attribute
    {
        size_t begin;
        size_t nameEnd;
    };

    string_view m_text;
    size_t m_pos = 0;
    std::vector<Attribute> m_attributes;
    TextMode m_mode = TextMode::Data;
    GumboTag m_rawElement = GUMBO_TAG_LAST;
    std::optional<bool> m_quirks;
};

enum class Namespace : uint8_t { Html, Svg, MathMl };

struct Open
{
    GumboTag tag;
    Namespace ns;
    uint64_t hash;
    uint32_t id;
};

bool isOneOf(GumboTag tag, std::initializer_list<GumboTag> tags)
{
    for (const GumboTag t : tags) {
        if (t == tag)
            return true;
    }
    return false;
}

bool isFormatting(GumboTag tag)
{
    return isOneOf(tag,
                   {GUMBO_TAG_A, GUMBO_TAG_B, GUMBO_TAG_BIG, GUMBO_TAG_CODE, GUMBO_TAG_EM, GUMBO_TAG_FONT, GUMBO_TAG_I,
                    GUMBO_TAG_NOBR, GUMBO_TAG_S, GUMBO_TAG_SMALL, GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG, GUMBO_TAG_TT,
                    GUMBO_TAG_U});
}

// Start tags the parser inserts and pops at once, or keeps no element for.
bool opensNothing(GumboTag tag)
{
    return isOneOf(tag, {GUMBO_TAG_AREA,   GUMBO_TAG_BASE,  GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND, GUMBO_TAG_BR,
                         GUMBO_TAG_EMBED,  GUMBO_TAG_HR,    GUMBO_TAG_IMAGE,    GUMBO_TAG_IMG,     GUMBO_TAG_INPUT,
                         GUMBO_TAG_KEYGEN, GUMBO_TAG_LINK,  GUMBO_TAG_MENUITEM, GUMBO_TAG_META,    GUMBO_TAG_PARAM,
                         GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK, GUMBO_TAG_WBR,      GUMBO_TAG_ISINDEX, GUMBO_TAG_HTML,
                         GUMBO_TAG_BODY,   GUMBO_TAG_HEAD,  GUMBO_TAG_FRAME});
}

bool closesParagraph(GumboTag tag)
{
    return isOneOf(tag, {GUMBO_TAG_ADDRESS,   GUMBO_TAG_ARTICLE,  GUMBO_TAG_ASIDE,      GUMBO_TAG_BLOCKQUOTE,
                         GUMBO_TAG_CENTER,    GUMBO_TAG_DETAILS,  GUMBO_TAG_DIR,        GUMBO_TAG_DIV,
                         GUMBO_TAG_DL,        GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,
                         GUMBO_TAG_FOOTER,    GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,     GUMBO_TAG_MENU,
                         GUMBO_TAG_NAV,       GUMBO_TAG_OL,       GUMBO_TAG_P,          GUMBO_TAG_SECTION,
                         GUMBO_TAG_SUMMARY,   GUMBO_TAG_UL,       GUMBO_TAG_PRE,        GUMBO_TAG_LISTING,
                         GUMBO_TAG_PLAINTEXT, GUMBO_TAG_HR,       GUMBO_TAG_XMP,        GUMBO_TAG_ISINDEX});
}

bool switchesTokenizer(GumboTag tag)
{
    return isOneOf(tag,
                   {GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE, GUMBO_TAG_NOFRAMES, GUMBO_TAG_IFRAME, GUMBO_TAG_NOEMBED,
                    GUMBO_TAG_XMP, GUMBO_TAG_TITLE, GUMBO_TAG_TEXTAREA});
}

bool isHeading(GumboTag tag)
{
    return isOneOf(tag, {GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3, GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6});
}

bool isTablePart(GumboTag tag)
{
    return isOneOf(tag,
                   {GUMBO_TAG_CAPTION, GUMBO_TAG_COL, GUMBO_TAG_COLGROUP, GUMBO_TAG_TBODY, GUMBO_TAG_TD,
                    GUMBO_TAG_TFOOT, GUMBO_TAG_TH, GUMBO_TAG_THEAD, GUMBO_TAG_TR});
}

// End tags that close their element when it is in scope.
bool closesInScope(GumboTag tag)
{
    return isOneOf(tag,
                   {GUMBO_TAG_ADDRESS,  GUMBO_TAG_ARTICLE,    GUMBO_TAG_ASIDE,   GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BUTTON,
                    GUMBO_TAG_CENTER,   GUMBO_TAG_DETAILS,    GUMBO_TAG_DIR,     GUMBO_TAG_DIV,        GUMBO_TAG_DL,
                    GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,  GUMBO_TAG_FOOTER,     GUMBO_TAG_HEADER,
                    GUMBO_TAG_HGROUP,   GUMBO_TAG_LISTING,    GUMBO_TAG_MENU,    GUMBO_TAG_NAV,        GUMBO_TAG_OL,
                    GUMBO_TAG_PRE,      GUMBO_TAG_SECTION,    GUMBO_TAG_SUMMARY, GUMBO_TAG_UL,         GUMBO_TAG_DD,
                    GUMBO_TAG_DT});
}

// Elements that break out of SVG and MathML content.
bool leavesForeignContent(GumboTag tag)
{
    return isOneOf(tag, {GUMBO_TAG_B,      GUMBO_TAG_BIG,    GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,  GUMBO_TAG_BR,
                         GUMBO_TAG_CENTER, GUMBO_TAG_CODE,   GUMBO_TAG_DD,         GUMBO_TAG_DIV,   GUMBO_TAG_DL,
                         GUMBO_TAG_DT,     GUMBO_TAG_EM,     GUMBO_TAG_EMBED,      GUMBO_TAG_H1,    GUMBO_TAG_H2,
                         GUMBO_TAG_H3,     GUMBO_TAG_H4,     GUMBO_TAG_H5,         GUMBO_TAG_H6,    GUMBO_TAG_HEAD,
                         GUMBO_TAG_HR,     GUMBO_TAG_I,      GUMBO_TAG_IMG,        GUMBO_TAG_LI,    GUMBO_TAG_LISTING,
                         GUMBO_TAG_MENU,   GUMBO_TAG_META,   GUMBO_TAG_NOBR,       GUMBO_TAG_OL,    GUMBO_TAG_P,
                         GUMBO_TAG_PRE,    GUMBO_TAG_RUBY,   GUMBO_TAG_S,          GUMBO_TAG_SMALL, GUMBO_TAG_SPAN,
                         GUMBO_TAG_STRONG, GUMBO_TAG_STRIKE, GUMBO_TAG_SUB,        GUMBO_TAG_SUP,   GUMBO_TAG_TABLE,
                         GUMBO_TAG_TT,     GUMBO_TAG_U,      GUMBO_TAG_UL,         GUMBO_TAG_VAR});
}

// Names of HTML elements that SVG and MathML do not share. Gumbo 0.10.1
// takes some of these for HTML elements when they are SVG or MathML ones,
// and then pops past the bottom of its stack:
// "<table><svg><select><desc>c<select><tr>" aborts it.
bool isHtmlOnly(GumboTag tag)
{
    return tag != GUMBO_TAG_UNKNOWN
        && !isOneOf(tag,
                    {GUMBO_TAG_SVG, GUMBO_TAG_MATH, GUMBO_TAG_MI, GUMBO_TAG_MO, GUMBO_TAG_MN, GUMBO_TAG_MS,
                     GUMBO_TAG_MTEXT, GUMBO_TAG_MGLYPH, GUMBO_TAG_MALIGNMARK, GUMBO_TAG_ANNOTATION_XML,
                     GUMBO_TAG_FOREIGNOBJECT, GUMBO_TAG_DESC, GUMBO_TAG_TITLE, GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE,
                     GUMBO_TAG_IMAGE, GUMBO_TAG_FONT, GUMBO_TAG_A});
}

bool isMathMlTextPoint(const Open &node)
{
    return node.ns == Namespace::MathMl
        && isOneOf(node.tag, {GUMBO_TAG_MI, GUMBO_TAG_MO, GUMBO_TAG_MN, GUMBO_TAG_MS, GUMBO_TAG_MTEXT});
}

bool isHtmlPoint(const Open &node)
{
    return node.ns == Namespace::Svg && isOneOf(node.tag, {GUMBO_TAG_FOREIGNOBJECT, GUMBO_TAG_DESC, GUMBO_TAG_TITLE});
}

// The boundaries of "has an element in scope".
bool boundsScope(const Open &node)
{
    switch (node.ns) {
    case Namespace::Html:
        return isOneOf(node.tag,
                       {GUMBO_TAG_APPLET, GUMBO_TAG_CAPTION, GUMBO_TAG_HTML, GUMBO_TAG_TABLE, GUMBO_TAG_TD,
                        GUMBO_TAG_TH, GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT});
    case Namespace::MathMl: return isMathMlTextPoint(node) || node.tag == GUMBO_TAG_ANNOTATION_XML;
    case Namespace::Svg: return isHtmlPoint(node);
    }
    return false;
}

bool isSpecial(const Open &node)
{
    if (node.ns != Namespace::Html)
        return boundsScope(node) && node.tag != GUMBO_TAG_TITLE;
    return isOneOf(
        node.tag,
        {GUMBO_TAG_ADDRESS,    GUMBO_TAG_APPLET,   GUMBO_TAG_AREA,    GUMBO_TAG_ARTICLE,    GUMBO_TAG_ASIDE,
         GUMBO_TAG_BASE,       GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND, GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,
         GUMBO_TAG_BR,         GUMBO_TAG_BUTTON,   GUMBO_TAG_CAPTION, GUMBO_TAG_CENTER,     GUMBO_TAG_COL,
         GUMBO_TAG_COLGROUP,   GUMBO_TAG_MENUITEM, GUMBO_TAG_DD,      GUMBO_TAG_DETAILS,    GUMBO_TAG_DIR,
         GUMBO_TAG_DIV,        GUMBO_TAG_DL,       GUMBO_TAG_DT,      GUMBO_TAG_EMBED,      GUMBO_TAG_FIELDSET,
         GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,   GUMBO_TAG_FOOTER,  GUMBO_TAG_FORM,       GUMBO_TAG_FRAME,
         GUMBO_TAG_FRAMESET,   GUMBO_TAG_H1,       GUMBO_TAG_H2,      GUMBO_TAG_H3,         GUMBO_TAG_H4,
         GUMBO_TAG_H5,         GUMBO_TAG_H6,       GUMBO_TAG_HEAD,    GUMBO_TAG_HEADER,     GUMBO_TAG_HGROUP,
         GUMBO_TAG_HR,         GUMBO_TAG_HTML,     GUMBO_TAG_IFRAME,  GUMBO_TAG_IMG,        GUMBO_TAG_INPUT,
         GUMBO_TAG_ISINDEX,    GUMBO_TAG_LI,       GUMBO_TAG_LINK,    GUMBO_TAG_LISTING,    GUMBO_TAG_MARQUEE,
         GUMBO_TAG_MENU,       GUMBO_TAG_META,     GUMBO_TAG_NAV,     GUMBO_TAG_NOEMBED,    GUMBO_TAG_NOFRAMES,
         GUMBO_TAG_NOSCRIPT,   GUMBO_TAG_OBJECT,   GUMBO_TAG_OL,      GUMBO_TAG_P,          GUMBO_TAG_PARAM,
         GUMBO_TAG_PLAINTEXT,  GUMBO_TAG_PRE,      GUMBO_TAG_SCRIPT,  GUMBO_TAG_SECTION,    GUMBO_TAG_SELECT,
         GUMBO_TAG_STYLE,      GUMBO_TAG_SUMMARY,  GUMBO_TAG_TABLE,   GUMBO_TAG_TBODY,      GUMBO_TAG_TD,
         GUMBO_TAG_TEXTAREA,   GUMBO_TAG_TFOOT,    GUMBO_TAG_TH,      GUMBO_TAG_THEAD,      GUMBO_TAG_TITLE,
         GUMBO_TAG_TR,         GUMBO_TAG_UL,       GUMBO_TAG_WBR,     GUMBO_TAG_XMP});
}

enum class Scope { Default, ListItem, Button, Table };

bool boundsScope(const Open &node, Scope scope)
{
    if (scope == Scope::Table)
        return node.ns == Namespace::Html && (node.tag == GUMBO_TAG_TABLE || node.tag == GUMBO_TAG_HTML);
    if (boundsScope(node))
        return true;
    if (node.ns != Namespace::Html)
        return false;
    return (scope == Scope::ListItem && (node.tag == GUMBO_TAG_OL || node.tag == GUMBO_TAG_UL))
        || (scope == Scope::Button && node.tag == GUMBO_TAG_BUTTON);
}

// What the parser's stack of open elements holds, below <html> and <body>,
// as far as it decides how deep the page nests. The parser's own rules
// (Gumbo 0.10.1, which has no template mode) are followed for the elements
// that change the depth; where they depend on more than the stack, the
// model keeps an element open rather than closing it.
class NestingModel
{
public:
    // Tokens go by the SVG and MathML rules.
    bool inForeignContent() const { return !m_open.empty() && m_open.back().ns != Namespace::Html; }

    // The start tag opens an SVG or MathML element.
    bool opensForeign(GumboTag t) const { return inForeignContent() && !startsAsHtml(t) && !leavesForeignContent(t); }

    // The end tag closes an SVG or MathML element of that name.
    bool closesForeign(uint64_t hash) const
    {
        for (size_t i = m_open.size(); i-- > 0 && m_open[i].ns != Namespace::Html;) {
            if (m_open[i].hash == hash)
                return true;
        }
        return false;
    }

    // Applies a start tag; false when it would nest too deep and is to be
    // left out. `mode` is set when the tokenizer changes after it.
    bool start(const Tag &tag, bool quirks, TextMode &mode)
    {
        const GumboTag t = tag.name.tag;
        // Decided before anything is closed: a tag left out closes nothing.
        if (full() && !opensNothing(t) && !switchesTokenizer(t) && t != GUMBO_TAG_FRAMESET)
            return false;
        if (inForeignContent() && !startsAsHtml(t)) {
            if (!leavesForeignContent(t)) {
                if (tag.selfClosing)
                    return true;
                return push(t, m_open.back().ns, tag.name.hash);
            }
            while (!m_open.empty() && m_open.back().ns != Namespace::Html && !isMathMlTextPoint(m_open.back())
                   && !isHtmlPoint(m_open.back()))
                pop();
        }
        if (m_select)
            return startInSelect(tag, quirks, mode);
        if (t == GUMBO_TAG_FRAMESET) {
            // Nested only after the parser has given up the body for it,
            // when nothing else opens any more.
            if (m_framesets >= kMaxParserNesting)
                return false;
            ++m_framesets;
            return true;
        }
        if (opensNothing(t)) {
            if (closesParagraph(t))
                closeParagraph();
            return true;
        }
        switch (t) {
        case GUMBO_TAG_SCRIPT: mode = TextMode::ScriptData; return true;
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_TEXTAREA: mode = TextMode::RawText; return true;
        case GUMBO_TAG_XMP:
            closeParagraph();
            mode = TextMode::RawText;
            return true;
        case GUMBO_TAG_SVG:
        case GUMBO_TAG_MATH:
            if (tag.selfClosing)
                return true;
            return push(t, t == GUMBO_TAG_SVG ? Namespace::Svg : Namespace::MathMl, tag.name.hash);
        default: break;
        }
        if (isTablePart(t) || t == GUMBO_TAG_TABLE)
            return startTablePart(tag, quirks);
        if (closesParagraph(t))
            closeParagraph();
        switch (t) {
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
            closeParagraph();
            if (isHeading(top()))
                pop();
            break;
        case GUMBO_TAG_FORM:
            if (m_form)
                return true;
            closeParagraph();
            push(t, Namespace::Html, tag.name.hash);
            m_form = m_open.back().id;
            return true;
        case GUMBO_TAG_LI:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DT:
            closeListItem(t == GUMBO_TAG_LI);
            closeParagraph();
            break;
        case GUMBO_TAG_PLAINTEXT: mode = TextMode::PlainText; break;
        case GUMBO_TAG_BUTTON:
            if (const auto at = findInScope(GUMBO_TAG_BUTTON, Scope::Default))
                popFrom(*at);
            break;
        case GUMBO_TAG_OPTION:
        case GUMBO_TAG_OPTGROUP:
            if (top() == GUMBO_TAG_OPTION)
                pop();
            break;
        case GUMBO_TAG_RP:
        case GUMBO_TAG_RT:
            if (findInScope(GUMBO_TAG_RUBY, Scope::Default))
                popImpliedEnds();
            break;
        case GUMBO_TAG_SELECT:
            push(t, Namespace::Html, tag.name.hash);
            m_select = SelectMode{m_open.size() - 1, tableIsOpen()};
            return true;
        default: break;
        }
        return push(t, Namespace::Html, tag.name.hash);
    }

    void end(const Tag &tag)
    {
        const GumboTag t = tag.name.tag;
        if (inForeignContent()) {
            for (size_t i = m_open.size(); i-- > 0 && m_open[i].ns != Namespace::Html;) {
                if (m_open[i].hash == tag.name.hash) {
                    popFrom(i);
                    return;
                }
            }
        }
        if (m_select) {
            endInSelect(t);
            return;
        }
        switch (t) {
        case GUMBO_TAG_P:
            if (const auto at = findInScope(GUMBO_TAG_P, Scope::Button))
                popFrom(*at);
            return;
        case GUMBO_TAG_LI:
            if (const auto at = findInScope(GUMBO_TAG_LI, Scope::ListItem))
                popFrom(*at);
            return;
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
            if (const auto at = findInScope(&isHeading))
                popFrom(*at);
            return;
        case GUMBO_TAG_FORM: closeForm(); return;
        case GUMBO_TAG_APPLET:
        case GUMBO_TAG_MARQUEE:
        case GUMBO_TAG_OBJECT:
        case GUMBO_TAG_TABLE:
            if (const auto at = findInScope(t, Scope::Table))
                popFrom(*at);
            return;
        case GUMBO_TAG_FRAMESET: m_framesets = std::max(m_framesets - 1, 0); return;
        case GUMBO_TAG_BODY:
        case GUMBO_TAG_HTML:
        case GUMBO_TAG_BR: return;
        default: break;
        }
        if (isTablePart(t)) {
            if (tableIsOpen()) {
                if (const auto at = findInScope(t, Scope::Table))
                    popFrom(*at);
                return;
            }
        } else if (closesInScope(t)) {
            if (const auto at = findInScope(t, Scope::Default))
                popFrom(*at);
            return;
        }
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i].ns == Namespace::Html && m_open[i].tag == t) {
                popFrom(i);
                return;
            }
            if (isSpecial(m_open[i]))
                return;
        }
    }

private:
    struct SelectMode
    {
        size_t index; // of the <select>
        bool inTable;
    };

    bool full() const { return m_open.size() >= static_cast<size_t>(kMaxParserNesting); }

    GumboTag top() const { return m_open.empty() ? GUMBO_TAG_BODY : m_open.back().tag; }

    // Start tags that the parser reads by the HTML rules inside foreign content.
    bool startsAsHtml(GumboTag t) const
    {
        const Open &current = m_open.back();
        return (isMathMlTextPoint(current) && t != GUMBO_TAG_MGLYPH && t != GUMBO_TAG_MALIGNMARK)
            || (current.ns == Namespace::MathMl && current.tag == GUMBO_TAG_ANNOTATION_XML && t == GUMBO_TAG_SVG)
            || isHtmlPoint(current);
    }

    bool push(GumboTag tag, Namespace ns, uint64_t hash)
    {
        if (full())
            return false;
        m_open.push_back({tag, ns, hash, ++m_lastId});
        return true;
    }

    void pop() { popFrom(m_open.size() - 1); }

    void popFrom(size_t index)
    {
        m_open.resize(index);
        if (m_select && m_select->index >= index)
            m_select.reset();
    }

    std::optional<size_t> findInScope(GumboTag tag, Scope scope) const
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i].ns == Namespace::Html && m_open[i].tag == tag)
                return i;
            if (boundsScope(m_open[i], scope))
                return std::nullopt;
        }
        return std::nullopt;
    }

    std::optional<size_t> findInScope(bool (*matches)(GumboTag)) const
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i].ns == Namespace::Html && matches(m_open[i].tag))
                return i;
            if (boundsScope(m_open[i], Scope::Default))
                return std::nullopt;
        }
        return std::nullopt;
    }

    void closeParagraph()
    {
        if (const auto at = findInScope(GUMBO_TAG_P, Scope::Button))
            popFrom(*at);
    }

    void popImpliedEnds()
    {
        while (!m_open.empty() && m_open.back().ns == Namespace::Html
               && isOneOf(m_open.back().tag,
                          {GUMBO_TAG_DD, GUMBO_TAG_DT, GUMBO_TAG_LI, GUMBO_TAG_OPTION, GUMBO_TAG_OPTGROUP, GUMBO_TAG_P,
                           GUMBO_TAG_RP, GUMBO_TAG_RT}))
            pop();
    }

    void closeListItem(bool listItem)
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            const Open &node = m_open[i];
            const bool matches = node.ns == Namespace::Html
                && (listItem ? node.tag == GUMBO_TAG_LI : node.tag == GUMBO_TAG_DD || node.tag == GUMBO_TAG_DT);
            if (matches) {
                popFrom(i);
                return;
            }
            if (isSpecial(node) && !isOneOf(node.tag, {GUMBO_TAG_ADDRESS, GUMBO_TAG_DIV, GUMBO_TAG_P}))
                return;
        }
    }

    // The form is taken out of the stack alone; what was opened inside it stays.
    void closeForm()
    {
        const uint32_t form = m_form;
        m_form = 0;
        for (size_t i = m_open.size(); form != 0 && i-- > 0;) {
            if (m_open[i].id == form) {
                popImpliedEnds();
                if (i < m_open.size())
                    m_open.erase(m_open.begin() + static_cast<std::ptrdiff_t>(i));
                if (m_select && m_select->index > i)
                    --m_select->index;
                return;
            }
            if (boundsScope(m_open[i], Scope::Default))
                return;
        }
    }

    std::optional<size_t> innermostTablePart() const
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i].ns == Namespace::Html && (isTablePart(m_open[i].tag) || m_open[i].tag == GUMBO_TAG_TABLE))
                return i;
        }
        return std::nullopt;
    }

    bool tableIsOpen() const
    {
        for (const Open &node : m_open) {
            if (node.ns == Namespace::Html && node.tag == GUMBO_TAG_TABLE)
                return true;
        }
        return false;
    }

    // Cells, rows and row groups close what the table had open at their
    // level; outside a table the parser ignores them.
    bool startTablePart(const Tag &tag, bool quirks)
    {
        const GumboTag t = tag.name.tag;
        const std::optional<size_t> part = innermostTablePart();
        const bool inCell = part && isOneOf(m_open[*part].tag, {GUMBO_TAG_TD, GUMBO_TAG_TH, GUMBO_TAG_CAPTION});
        if (t == GUMBO_TAG_TABLE) {
            if (part && !inCell) {
                if (const auto at = findInScope(GUMBO_TAG_TABLE, Scope::Table))
                    popFrom(*at);
            } else if (!quirks) {
                closeParagraph();
            }
            return push(t, Namespace::Html, tag.name.hash);
        }
        if (!part)
            return true;
        if (t == GUMBO_TAG_TD || t == GUMBO_TAG_TH) {
            if (const auto cell = findInScope(GUMBO_TAG_TD, Scope::Table))
                popFrom(*cell);
            else if (const auto header = findInScope(GUMBO_TAG_TH, Scope::Table))
                popFrom(*header);
            clearTo({GUMBO_TAG_TR, GUMBO_TAG_TBODY, GUMBO_TAG_THEAD, GUMBO_TAG_TFOOT, GUMBO_TAG_TABLE});
        } else if (t == GUMBO_TAG_TR) {
            if (const auto row = findInScope(GUMBO_TAG_TR, Scope::Table))
                popFrom(*row);
            clearTo({GUMBO_TAG_TBODY, GUMBO_TAG_THEAD, GUMBO_TAG_TFOOT, GUMBO_TAG_TABLE});
        } else {
            if (const auto table = findInScope(GUMBO_TAG_TABLE, Scope::Table))
                m_open.resize(*table + 1);
            if (t == GUMBO_TAG_COL)
                return true;
        }
        return push(t, Namespace::Html, tag.name.hash);
    }

    // Pops what stands above the innermost of `tags`.
    void clearTo(std::initializer_list<GumboTag> tags)
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i].ns == Namespace::Html && isOneOf(m_open[i].tag, tags)) {
                popFrom(i + 1);
                return;
            }
        }
    }

    bool selectInScope() const
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            const GumboTag t = m_open[i].tag;
            if (t == GUMBO_TAG_SELECT)
                return true;
            if (t != GUMBO_TAG_OPTION && t != GUMBO_TAG_OPTGROUP)
                return false;
        }
        return false;
    }

    void closeSelect()
    {
        if (m_select)
            popFrom(m_select->index);
    }

    // Inside a <select> the parser keeps only options; most tags are ignored.
    bool startInSelect(const Tag &tag, bool quirks, TextMode &mode)
    {
        const GumboTag t = tag.name.tag;
        switch (t) {
        case GUMBO_TAG_OPTION:
        case GUMBO_TAG_OPTGROUP:
            if (top() == GUMBO_TAG_OPTION)
                pop();
            if (t == GUMBO_TAG_OPTGROUP && top() == GUMBO_TAG_OPTGROUP)
                pop();
            return push(t, Namespace::Html, tag.name.hash);
        case GUMBO_TAG_SELECT: closeSelect(); return true;
        case GUMBO_TAG_INPUT:
        case GUMBO_TAG_KEYGEN:
        case GUMBO_TAG_TEXTAREA:
            if (!selectInScope())
                return true;
            closeSelect();
            return start(tag, quirks, mode);
        case GUMBO_TAG_SCRIPT: mode = TextMode::ScriptData; return true;
        default:
            if (m_select->inTable && (isTablePart(t) || t == GUMBO_TAG_TABLE) && t != GUMBO_TAG_COL
                && t != GUMBO_TAG_COLGROUP) {
                closeSelect();
                return start(tag, quirks, mode);
            }
            return true;
        }
    }

    void endInSelect(GumboTag t)
    {
        switch (t) {
        case GUMBO_TAG_OPTGROUP:
            if (top() == GUMBO_TAG_OPTION && m_open.size() >= 2 && m_open[m_open.size() - 2].tag == GUMBO_TAG_OPTGROUP)
                pop();
            if (top() == GUMBO_TAG_OPTGROUP)
                pop();
            return;
        case GUMBO_TAG_OPTION:
            if (top() == GUMBO_TAG_OPTION)
                pop();
            return;
        case GUMBO_TAG_SELECT:
            if (selectInScope())
                closeSelect();
            return;
        default:
            if (m_select->inTable && (isTablePart(t) || t == GUMBO_TAG_TABLE) && findInScope(t, Scope::Table)) {
                closeSelect();
                if (const auto at = findInScope(t, Scope::Table))
                    popFrom(*at);
            }
            return;
        }
    }

    std::vector<Open> m_open;
    std::optional<SelectMode> m_select;
    int m_framesets = 0;
    uint32_t m_form = 0;
    uint32_t m_lastId = 0;
};

// Copies the page, leaving out or rewriting single tags.
class PageEditor
{
public:
    explicit PageEditor(const QByteArray &page)
        : m_page(page)
    { }

    void replace(size_t from, size_t to, string_view replacement)
    {
        if (!m_edited) {
            m_out.reserve(m_page.size());
            m_edited = true;
        }
        m_out.append(m_page.constData() + m_done, static_cast<qsizetype>(from - m_done));
        m_out.append(replacement.data(), static_cast<qsizetype>(replacement.size()));
        m_done = to;
    }

    void remove(const Tag &tag)
    {
        replace(tag.begin, tag.begin, {});
        // A '<' of text right before the tag would open a new tag with what follows it.
        if (m_out.endsWith('<')) {
            m_out.chop(1);
            m_out.append("&lt;");
        }
        m_done = tag.close + 1;
    }

    QByteArray result()
    {
        if (!m_edited)
            return m_page;
        m_out.append(m_page.constData() + m_done, m_page.size() - static_cast<qsizetype>(m_done));
        return m_out;
    }

private:
    const QByteArray &m_page;
    QByteArray m_out;
    size_t m_done = 0;
    bool m_edited = false;
};

class Guard
{
public:
    explicit Guard(const QByteArray &page)
        : m_scanner(string_view(page.constData(), static_cast<size_t>(page.size())))
        , m_editor(page)
    { }

    QByteArray run()
    {
        Tag tag;
        while (m_scanner.nextTag(tag, m_model.inForeignContent())) {
            if (tag.isEnd)
                endTag(tag);
            else
                startTag(tag);
        }
        return m_editor.result();
    }

private:
    void startTag(const Tag &tag)
    {
        const GumboTag t = tag.name.tag;
        if (isFormatting(t)) {
            const bool hidden = tag.hidden() && keep(tag, tagNameOf("span"), "span");
            if (!hidden && !tag.hidden())
                m_editor.remove(tag);
            m_formatting[t].push_back(hidden);
            return;
        }
        // Inside SVG or MathML an <html> is an element of that content,
        // renamed below like every other HTML name there.
        if ((t == GUMBO_TAG_HTML || t == GUMBO_TAG_BODY) && tag.hasAttributes() && !m_model.opensForeign(t)) {
            // Later ones add their attributes to the first.
            bool &seen = t == GUMBO_TAG_HTML ? m_seenHtml : m_seenBody;
            if (seen) {
                m_editor.replace(tag.begin, tag.close + 1, t == GUMBO_TAG_HTML ? "<html>" : "<body>");
                return;
            }
            seen = true;
        }
        const bool kept = m_model.opensForeign(t) && isHtmlOnly(t) ? keep(tag, foreignName(tag), foreignSpelling(tag))
                                                                   : keep(tag, tag.name, {});
        if (!kept)
            ++m_droppedEnds[t];
    }

    // An SVG or MathML element with an HTML name gets a name of its own.
    static std::string foreignSpelling(const Tag &tag) { return "x-" + std::string(tag.nameText); }

    static TagName foreignName(const Tag &tag) { return tagNameOf(foreignSpelling(tag)); }

    // Passes a start tag on as `as`, written `spelling` when that is given;
    // leaves it out when it nests too deep.
    bool keep(const Tag &tag, TagName as, const std::string &spelling)
    {
        Tag applied = tag;
        applied.name = as;
        TextMode mode = TextMode::Data;
        if (!m_model.start(applied, m_scanner.quirks(), mode)) {
            m_editor.remove(tag);
            return false;
        }
        write(tag, spelling);
        if (mode != TextMode::Data)
            m_scanner.enter(mode, as.tag);
        return true;
    }

    void endTag(const Tag &tag)
    {
        const GumboTag t = tag.name.tag;
        if (isFormatting(t)) {
            std::vector<bool> &open = m_formatting[t];
            const bool hidden = !open.empty() && open.back();
            if (!open.empty())
                open.pop_back();
            if (hidden) {
                Tag applied = tag;
                applied.name = tagNameOf("span");
                m_model.end(applied);
                m_editor.replace(tag.begin, tag.close + 1, "</span>");
            } else {
                m_editor.remove(tag);
            }
            return;
        }
        if (m_droppedEnds[t] > 0) {
            --m_droppedEnds[t];
            m_editor.remove(tag);
            return;
        }
        if (m_model.inForeignContent() && isHtmlOnly(t) && m_model.closesForeign(foreignName(tag).hash)) {
            Tag applied = tag;
            applied.name = foreignName(tag);
            m_model.end(applied);
            write(tag, foreignSpelling(tag));
        } else {
            m_model.end(tag);
            write(tag, {});
        }
    }

    // Writes a tag anew when its name changes or it has attributes that the
    // rendering does not read: the parser keeps each one it is given, and
    // compares it with all before it.
    void write(const Tag &tag, const std::string &spelling)
    {
        if (spelling.empty() && !tag.otherAttributes && (!tag.isEnd || !tag.hasAttributes()))
            return;
        std::string text = tag.isEnd ? "</" : "<";
        text += spelling.empty() ? tag.nameText : spelling;
        for (const string_view read : tag.read) {
            if (!tag.isEnd && !read.empty()) {
                text += ' ';
                text += read;
            }
        }
        text += tag.selfClosing && !tag.isEnd ? " />" : ">";
        m_editor.replace(tag.begin, tag.close + 1, text);
    }

    Scanner m_scanner;
    PageEditor m_editor;
    NestingModel m_model;
    std::array<std::vector<bool>, GUMBO_TAG_LAST + 1> m_formatting;
    std::array<int, GUMBO_TAG_LAST + 1> m_droppedEnds{};
    bool m_seenHtml = false;
    bool m_seenBody = false;
};

} // namespace

QByteArray boundedForParser(const QByteArray &html)
{
    return Guard(html).run();
}

} // namespace corvale
