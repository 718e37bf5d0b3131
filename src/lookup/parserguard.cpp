// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/parserguard.h"

#include <algorithm>
#include <array>
#include <initializer_list>
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

bool equalsIgnoringCase(string_view a, string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return toLower(x) == toLower(y); });
}

GumboTag tagOf(string_view name)
{
    constexpr size_t kLongestKnownName = 16;
    // A NUL reaches the parser as U+FFFD, which no known name holds.
    if (name.empty() || name.size() > kLongestKnownName || name.find('\0') != string_view::npos)
        return GUMBO_TAG_UNKNOWN;
    std::array<char, kLongestKnownName> lowered{};
    std::transform(name.begin(), name.end(), lowered.begin(), toLower);
    return gumbo_tagn_enum(lowered.data(), static_cast<unsigned>(name.size()));
}

// The attributes that the rendering reads: an element hidden, an input of
// type hidden, the prompt of an old search field.
constexpr std::array<string_view, 3> kReadAttributes{"hidden", "type", "prompt"};

struct Tag
{
    bool isEnd = false;
    bool selfClosing = false;
    GumboTag name = GUMBO_TAG_UNKNOWN;
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
// The parser never sees foreign content here, so "<![CDATA[" is a comment.
class Scanner
{
public:
    explicit Scanner(string_view text)
        : m_text(text)
    { }

    // The next tag at or after the current position; false at the end.
    bool nextTag(Tag &tag)
    {
        switch (m_mode) {
        case TextMode::PlainText: return false;
        case TextMode::RawText: return nextEndOfRawText(tag);
        case TextMode::ScriptData: return nextEndOfScript(tag);
        case TextMode::Data: break;
        }
        while (m_pos < m_text.size()) {
            const size_t lt = m_text.find('<', m_pos);
            if (lt == string_view::npos || lt + 2 > m_text.size()) {
                m_pos = m_text.size();
                return false;
            }
            const string_view rest = m_text.substr(lt);
            const char next = rest[1];
            if (next == '!') {
                m_pos = rest.substr(2, 2) == "--" ? afterComment(lt + 4) : afterClose(lt + 2);
            } else if (next == '?') {
                m_pos = afterClose(lt + 2);
            } else if (next == '/') {
                if (rest.size() < 3) {
                    m_pos = m_text.size();
                    return false;
                }
                if (rest[2] == '>')
                    m_pos = lt + 3;
                else if (isAlpha(rest[2]))
                    return readTag(tag, lt, lt + 2, true);
                else
                    m_pos = afterClose(lt + 2);
            } else if (isAlpha(next)) {
                return readTag(tag, lt, lt + 1, false);
            } else {
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

private:
    size_t afterClose(size_t from) const
    {
        const size_t gt = m_text.find('>', from);
        return gt == string_view::npos ? m_text.size() : gt + 1;
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
    // A start or end tag from its '<'; false when the page ends inside it
    // (the parser drops such a tag).
    bool readTag(Tag &tag, size_t lt, size_t nameBegin, bool isEnd)
    {
        enum class State { BeforeName, Name, AfterName, BeforeValue, Quoted, Unquoted, AfterQuoted, SelfClosing };
        tag = Tag{};
        tag.isEnd = isEnd;
        tag.begin = lt;
        size_t at = nameBegin;
        while (at < m_text.size() && !isHtmlSpace(m_text[at]) && m_text[at] != '/' && m_text[at] != '>')
            ++at;
        tag.nameText = m_text.substr(nameBegin, at - nameBegin);
        tag.name = tagOf(tag.nameText);

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
            && tagOf(m_text.substr(lt + 2, nameEnd - lt - 2)) == m_rawElement;
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
};

// What the parser is handed of each element. Gumbo 0.10.1's assertions and
// its quadratic work live in foreign content, in the formatting elements'
// bookkeeping (the adoption agency, reconstruction, markers), and in select
// and template modes, above all mixed with tables: none of these reach it.
enum class Treatment {
    Pass, // with only the attributes the rendering reads
    Inline, // left out, its text kept; a hidden one becomes a hidden <span>
    Foreign, // SVG and MathML: every tag inside is left out, its text kept
    Dropped, // framesets: left out, their text kept
};

bool isOneOf(GumboTag tag, std::initializer_list<GumboTag> tags)
{
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

Treatment treatmentOf(GumboTag tag)
{
    if (isOneOf(tag,
                {GUMBO_TAG_A, GUMBO_TAG_B, GUMBO_TAG_BIG, GUMBO_TAG_CODE, GUMBO_TAG_EM, GUMBO_TAG_FONT, GUMBO_TAG_I,
                 GUMBO_TAG_NOBR, GUMBO_TAG_S, GUMBO_TAG_SMALL, GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG, GUMBO_TAG_TT,
                 GUMBO_TAG_U, GUMBO_TAG_APPLET, GUMBO_TAG_OBJECT, GUMBO_TAG_MARQUEE, GUMBO_TAG_SELECT,
                 GUMBO_TAG_TEMPLATE}))
        return Treatment::Inline;
    if (tag == GUMBO_TAG_SVG || tag == GUMBO_TAG_MATH)
        return Treatment::Foreign;
    return tag == GUMBO_TAG_FRAMESET || tag == GUMBO_TAG_FRAME ? Treatment::Dropped : Treatment::Pass;
}

// Start tags that end SVG or MathML in a browser: what follows is HTML again.
bool endsForeignContent(const Tag &tag)
{
    return (tag.name == GUMBO_TAG_FONT && tag.hasAttributes())
        || isOneOf(tag.name,
                   {GUMBO_TAG_B,      GUMBO_TAG_BIG,    GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,  GUMBO_TAG_BR,
                    GUMBO_TAG_CENTER, GUMBO_TAG_CODE,   GUMBO_TAG_DD,         GUMBO_TAG_DIV,   GUMBO_TAG_DL,
                    GUMBO_TAG_DT,     GUMBO_TAG_EM,     GUMBO_TAG_EMBED,      GUMBO_TAG_H1,    GUMBO_TAG_H2,
                    GUMBO_TAG_H3,     GUMBO_TAG_H4,     GUMBO_TAG_H5,         GUMBO_TAG_H6,    GUMBO_TAG_HEAD,
                    GUMBO_TAG_HR,     GUMBO_TAG_I,      GUMBO_TAG_IMG,        GUMBO_TAG_LI,    GUMBO_TAG_LISTING,
                    GUMBO_TAG_MENU,   GUMBO_TAG_META,   GUMBO_TAG_NOBR,       GUMBO_TAG_OL,    GUMBO_TAG_P,
                    GUMBO_TAG_PRE,    GUMBO_TAG_RUBY,   GUMBO_TAG_S,          GUMBO_TAG_SMALL, GUMBO_TAG_SPAN,
                    GUMBO_TAG_STRONG, GUMBO_TAG_STRIKE, GUMBO_TAG_SUB,        GUMBO_TAG_SUP,   GUMBO_TAG_TABLE,
                    GUMBO_TAG_TT,     GUMBO_TAG_U,      GUMBO_TAG_UL,         GUMBO_TAG_VAR});
}

// The parser switches its tokenizer after these start tags.
TextMode textModeAfter(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_SCRIPT: return TextMode::ScriptData;
    case GUMBO_TAG_PLAINTEXT: return TextMode::PlainText;
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_TEXTAREA: return TextMode::RawText;
    default: return TextMode::Data;
    }
}

// Copies the page, leaving out or rewriting single tags.
class PageEditor
{
public:
    explicit PageEditor(const QByteArray &page)
        : m_page(page)
    { }

    void replace(const Tag &tag, string_view replacement)
    {
        if (!m_edited) {
            m_out.reserve(m_page.size());
            m_edited = true;
        }
        m_out.append(m_page.constData() + m_done, static_cast<qsizetype>(tag.begin - m_done));
        // A '<' of text right before a tag left out would open a new tag with what follows it.
        if (replacement.empty() && m_out.endsWith('<')) {
            m_out.chop(1);
            m_out.append("&lt;");
        }
        m_out.append(replacement.data(), static_cast<qsizetype>(replacement.size()));
        m_done = tag.close + 1;
    }

    void remove(const Tag &tag) { replace(tag, {}); }

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
        while (m_scanner.nextTag(tag)) {
            if (tag.isEnd)
                endTag(tag);
            else
                startTag(tag);
        }
        return m_editor.result();
    }

private:
    bool isForeign(GumboTag t) const { return treatmentOf(t) == Treatment::Foreign; }

    void startTag(const Tag &tag)
    {
        const GumboTag t = tag.name;
        if (m_foreignDepth > 0 && !endsForeignContent(tag)) {
            if (isForeign(t) && !tag.selfClosing)
                ++m_foreignDepth;
            m_editor.remove(tag);
            return;
        }
        m_foreignDepth = 0;
        switch (treatmentOf(t)) {
        case Treatment::Foreign:
            m_foreignDepth = tag.selfClosing ? 0 : 1;
            m_editor.remove(tag);
            return;
        case Treatment::Dropped: m_editor.remove(tag); return;
        case Treatment::Inline: {
            const bool hidden = tag.hidden() || t == GUMBO_TAG_TEMPLATE;
            m_inline[t].push_back(hidden);
            m_editor.replace(tag, hidden ? "<span hidden>" : "");
            return;
        }
        case Treatment::Pass:
            write(tag);
            if (const TextMode mode = textModeAfter(t); mode != TextMode::Data)
                m_scanner.enter(mode, t);
            return;
        }
    }

    void endTag(const Tag &tag)
    {
        const GumboTag t = tag.name;
        if (m_foreignDepth > 0) {
            if (isForeign(t))
                --m_foreignDepth;
            m_editor.remove(tag);
            return;
        }
        switch (treatmentOf(t)) {
        case Treatment::Foreign:
        case Treatment::Dropped: m_editor.remove(tag); return;
        case Treatment::Inline: {
            std::vector<bool> &open = m_inline[t];
            const bool hidden = !open.empty() && open.back();
            if (!open.empty())
                open.pop_back();
            // Without the select, its options end here all the same.
            m_editor.replace(tag, hidden ? "</span>" : t == GUMBO_TAG_SELECT ? "</option></optgroup>" : "");
            return;
        }
        case Treatment::Pass: write(tag); return;
        }
    }

    // Writes a tag anew when it has attributes that the rendering does not
    // read: the parser keeps each one it is given, and compares it with all
    // before it.
    void write(const Tag &tag)
    {
        if (!tag.otherAttributes && (!tag.isEnd || !tag.hasAttributes()))
            return;
        std::string text = tag.isEnd ? "</" : "<";
        text += tag.nameText;
        for (const string_view read : tag.read) {
            if (!tag.isEnd && !read.empty()) {
                text += ' ';
                text += read;
            }
        }
        text += tag.selfClosing && !tag.isEnd ? " />" : ">";
        m_editor.replace(tag, text);
    }

    Scanner m_scanner;
    PageEditor m_editor;
    int m_foreignDepth = 0;
    std::array<std::vector<bool>, GUMBO_TAG_LAST + 1> m_inline;
};

} // namespace

QByteArray boundedForParser(const QByteArray &html)
{
    return Guard(html).run();
}

} // namespace corvale
