// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/pagetext.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <time.h>

#include <gumbo.h>

#include "lookup/htmlspace.h"
#include "lookup/parserguard.h"

namespace corvale {

namespace {

// The default display of elements, as a browser without a style sheet of the
// page's own gives them.
enum class Display { Inline, Hidden, Block, Paragraph, Row, Cell };

Display displayOf(const GumboElement &element)
{
    if (gumbo_get_attribute(&element.attributes, "hidden"))
        return Display::Hidden;
    switch (element.tag) {
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_META:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_NOEMBED: return Display::Hidden;
    case GUMBO_TAG_INPUT: {
        const GumboAttribute *type = gumbo_get_attribute(&element.attributes, "type");
        return type && std::string_view(type->value) == "hidden" ? Display::Hidden : Display::Inline;
    }
    case GUMBO_TAG_P: return Display::Paragraph;
    case GUMBO_TAG_TR: return Display::Row;
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH: return Display::Cell;
    case GUMBO_TAG_HTML:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_OPTGROUP:
    case GUMBO_TAG_OPTION: return Display::Block;
    default: return Display::Inline;
    }
}

bool keepsWhiteSpace(GumboTag tag)
{
    return tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_LISTING || tag == GUMBO_TAG_XMP || tag == GUMBO_TAG_PLAINTEXT
        || tag == GUMBO_TAG_TEXTAREA;
}

bool isElement(const GumboNode *node, GumboTag tag)
{
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

bool isCell(const GumboNode *node)
{
    return isElement(node, GUMBO_TAG_TD) || isElement(node, GUMBO_TAG_TH);
}

bool isRowGroup(const GumboNode *node)
{
    return isElement(node, GUMBO_TAG_TBODY) || isElement(node, GUMBO_TAG_THEAD) || isElement(node, GUMBO_TAG_TFOOT);
}

bool isLastCellOfRow(const GumboNode *cell)
{
    const GumboVector &siblings = cell->parent->v.element.children;
    for (unsigned i = cell->index_within_parent + 1; i < siblings.length; ++i) {
        if (isCell(static_cast<const GumboNode *>(siblings.data[i])))
            return false;
    }
    return true;
}

const GumboNode *lastRowOf(const GumboNode *table)
{
    const GumboVector &children = table->v.element.children;
    for (unsigned i = children.length; i-- > 0;) {
        const auto *child = static_cast<const GumboNode *>(children.data[i]);
        if (isElement(child, GUMBO_TAG_TR))
            return child;
        if (isRowGroup(child)) {
            const GumboVector &rows = child->v.element.children;
            for (unsigned j = rows.length; j-- > 0;) {
                const auto *row = static_cast<const GumboNode *>(rows.data[j]);
                if (isElement(row, GUMBO_TAG_TR))
                    return row;
            }
        }
    }
    return nullptr;
}

bool isLastRowOfTable(const GumboNode *row)
{
    const GumboNode *table = row->parent;
    if (table && isRowGroup(table))
        table = table->parent;
    if (!table || !isElement(table, GUMBO_TAG_TABLE))
        return true;
    return lastRowOf(table) == row;
}

// Collects the rendered text: collapsible white space becomes one blank,
// dropped at the start and end of a line; required line breaks of
// neighbouring boxes merge into the largest, none at the start or end.
class TextCollector
{
public:
    // Room for `expected` bytes: the text is seldom longer than its page.
    explicit TextCollector(size_t expected) { m_out.reserve(expected); }

    void collapsible(std::string_view text)
    {
        size_t at = 0;
        while (at < text.size()) {
            if (isHtmlSpace(text[at])) {
                m_pendingSpace = !m_atLineStart;
                ++at;
                continue;
            }
            size_t wordEnd = at;
            while (wordEnd < text.size() && !isHtmlSpace(text[wordEnd]))
                ++wordEnd;
            beginContent();
            if (m_pendingSpace)
                m_out += ' ';
            m_pendingSpace = false;
            m_out.append(text.substr(at, wordEnd - at));
            m_atLineStart = false;
            at = wordEnd;
        }
    }

    void preserved(std::string_view text)
    {
        if (text.empty())
            return;
        beginContent();
        if (m_pendingSpace)
            m_out += ' ';
        m_pendingSpace = false;
        m_out.append(text);
        m_atLineStart = text.back() == '\n';
    }

    // A line break or tab that the rendering itself inserts.
    void separator(char c)
    {
        beginContent();
        m_pendingSpace = false;
        m_out += c;
        m_atLineStart = true;
    }

    void requireBreaks(int count)
    {
        m_pendingBreaks = std::max(m_pendingBreaks, count);
        m_pendingSpace = false;
    }

    std::string take() { return std::move(m_out); }

private:
    void beginContent()
    {
        if (m_pendingBreaks > 0 && !m_out.empty()) {
            m_out.append(static_cast<size_t>(m_pendingBreaks), '\n');
            m_atLineStart = true;
            m_pendingSpace = false;
        }
        m_pendingBreaks = 0;
    }

    std::string m_out;
    int m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_atLineStart = true;
};

struct Frame
{
    const GumboNode *node;
    Display display;
    bool keepsWhiteSpace;
};

std::string renderTree(const GumboNode *root, size_t pageBytes)
{
    TextCollector collector(pageBytes);
    int keepWhiteSpaceDepth = 0;
    // Iterative walk: pages nobody here controls may nest arbitrarily deep.
    std::vector<std::pair<const GumboNode *, bool>> work{{root, false}};
    std::vector<Frame> open;
    while (!work.empty()) {
        const auto [node, leaving] = work.back();
        work.pop_back();
        if (leaving) {
            const Frame frame = open.back();
            open.pop_back();
            switch (frame.display) {
            case Display::Paragraph: collector.requireBreaks(2); break;
            case Display::Block: collector.requireBreaks(1); break;
            case Display::Cell:
                if (!isLastCellOfRow(node))
                    collector.separator('\t');
                break;
            case Display::Row:
                if (!isLastRowOfTable(node))
                    collector.separator('\n');
                break;
            default: break;
            }
            if (frame.keepsWhiteSpace)
                --keepWhiteSpaceDepth;
            continue;
        }
        switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
            if (keepWhiteSpaceDepth > 0)
                collector.preserved(node->v.text.text);
            else
                collector.collapsible(node->v.text.text);
            break;
        case GUMBO_NODE_DOCUMENT:
        case GUMBO_NODE_ELEMENT: {
            const GumboVector *children = &node->v.document.children;
            Frame frame{node, Display::Inline, false};
            if (node->type == GUMBO_NODE_ELEMENT) {
                const GumboElement &element = node->v.element;
                frame.display = displayOf(element);
                if (frame.display == Display::Hidden)
                    break;
                if (element.tag == GUMBO_TAG_BR) {
                    collector.separator('\n');
                    break;
                }
                frame.keepsWhiteSpace = keepsWhiteSpace(element.tag);
                children = &element.children;
            }
            if (frame.display == Display::Paragraph)
                collector.requireBreaks(2);
            else if (frame.display == Display::Block)
                collector.requireBreaks(1);
            if (frame.keepsWhiteSpace)
                ++keepWhiteSpaceDepth;
            open.push_back(frame);
            work.emplace_back(node, true);
            for (unsigned i = children->length; i-- > 0;)
                work.emplace_back(static_cast<const GumboNode *>(children->data[i]), false);
            break;
        }
        default: break;
        }
    }
    return collector.take();
}

// Everything Gumbo allocates for one page, freed at once when the page is
// done: no walk over the tree, however deep. Gumbo makes about one small
// block for every four bytes of a page; its tree takes several times the
// page. Blocks of up to 512 bytes come from 4 KiB runs that each hold blocks
// of one size, eight bytes apart, with no word of their own: the run's
// first word tells their size, and freed blocks are used again. Runs are cut
// from 1 MiB chunks. The arena also ends a parse that runs past its CPU
// time: Gumbo cannot be stopped from outside and holds nothing but memory
// from here, so the allocator jumps back out of it.
class ParseArena
{
public:
    explicit ParseArena(std::chrono::milliseconds budget)
        : m_deadline(threadCpuTime() + budget)
    { }

    ParseArena(const ParseArena &) = delete;
    ParseArena &operator=(const ParseArena &) = delete;

    ~ParseArena()
    {
        for (const std::uintptr_t chunk : m_chunks)
            ::operator delete(reinterpret_cast<void *>(chunk), kChunkAlignment);
        while (m_large) {
            Large *block = m_large;
            m_large = block->next;
            std::free(block);
        }
    }

    // The page's tree, or nullptr when the parse ran out of time or memory.
    const GumboNode *parse(const QByteArray &utf8)
    {
        GumboOptions options = kGumboDefaultOptions;
        options.allocator = &ParseArena::allocate;
        options.deallocator = &ParseArena::release;
        options.userdata = this;
        options.max_errors = 0;
        const GumboOutput *output = parseOrGiveUp(options, utf8);
        return output ? output->document : nullptr;
    }

private:
    static constexpr size_t kStep = 8;
    static constexpr size_t kLargestSmall = 512;
    static constexpr size_t kRunBytes = 4096;
    static constexpr size_t kChunkBytes = 1024 * 1024;
    static constexpr std::align_val_t kChunkAlignment{kChunkBytes};

    // The run now filled with blocks of one size, and the blocks of that
    // size freed.
    struct Size
    {
        std::byte *next = nullptr;
        std::byte *end = nullptr;
        void *freed = nullptr;
    };

    // A block of more than kLargestSmall bytes, from malloc, on a list.
    struct alignas(16) Large
    {
        Large *previous;
        Large *next;
    };

    GumboOutput *parseOrGiveUp(const GumboOptions &options, const QByteArray &utf8)
    {
        if (setjmp(m_giveUp) != 0)
            return nullptr;
        return gumbo_parse_with_options(&options, utf8.constData(), static_cast<size_t>(utf8.size()));
    }

    // The parsing thread's own time: other threads of the process do not
    // shorten its budget.
    static std::chrono::nanoseconds threadCpuTime()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }

    static void *allocate(void *arena, size_t size)
    {
        auto &self = *static_cast<ParseArena *>(arena);
        // Every tag the parser reads allocates, so the clock is read often enough.
        constexpr unsigned kCallsPerClockRead = 256;
        if (++self.m_calls % kCallsPerClockRead == 0 && threadCpuTime() > self.m_deadline)
            std::longjmp(self.m_giveUp, 1);
        return size > kLargestSmall ? self.allocateLarge(size) : self.allocateSmall(std::max<size_t>(size, 1));
    }

    void *allocateSmall(size_t size)
    {
        const size_t blockBytes = (size + kStep - 1) / kStep * kStep;
        Size &blocks = m_sizes[blockBytes / kStep];
        if (void *reused = blocks.freed) {
            blocks.freed = *static_cast<void **>(reused);
            return reused;
        }
        if (static_cast<size_t>(blocks.end - blocks.next) < blockBytes) {
            std::byte *run = newRun();
            *reinterpret_cast<size_t *>(run) = blockBytes;
            blocks.next = run + kStep;
            blocks.end = run + kRunBytes;
        }
        void *block = blocks.next;
        blocks.next += blockBytes;
        return block;
    }

    std::byte *newRun()
    {
        if (m_runs == m_runsEnd) {
            auto *chunk = static_cast<std::byte *>(::operator new(kChunkBytes, kChunkAlignment, std::nothrow));
            if (!chunk)
                std::longjmp(m_giveUp, 1);
            m_chunks.insert(reinterpret_cast<std::uintptr_t>(chunk));
            m_runs = chunk;
            m_runsEnd = chunk + kChunkBytes;
        }
        std::byte *run = m_runs;
        m_runs += kRunBytes;
        return run;
    }

    void *allocateLarge(size_t size)
    {
        auto *block = static_cast<Large *>(std::malloc(sizeof(Large) + size));
        if (!block)
            std::longjmp(m_giveUp, 1);
        *block = {nullptr, m_large};
        if (m_large)
            m_large->previous = block;
        m_large = block;
        return block + 1;
    }

    static void release(void *arena, void *memory)
    {
        if (!memory)
            return;
        auto &self = *static_cast<ParseArena *>(arena);
        const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(memory);
        if (self.m_chunks.contains(address & ~(kChunkBytes - 1))) {
            const std::uintptr_t run = address & ~(kRunBytes - 1);
            Size &blocks = self.m_sizes[*reinterpret_cast<const size_t *>(run) / kStep];
            *static_cast<void **>(memory) = blocks.freed;
            blocks.freed = memory;
            return;
        }
        Large *block = static_cast<Large *>(memory) - 1;
        if (block->previous)
            block->previous->next = block->next;
        else
            self.m_large = block->next;
        if (block->next)
            block->next->previous = block->previous;
        std::free(block);
    }

    std::chrono::nanoseconds m_deadline;
    unsigned m_calls = 0;
    std::array<Size, kLargestSmall / kStep + 1> m_sizes{};
    std::unordered_set<std::uintptr_t> m_chunks;
    std::byte *m_runs = nullptr;
    std::byte *m_runsEnd = nullptr;
    Large *m_large = nullptr;
    std::jmp_buf m_giveUp;
};

// Gumbo takes well under a tenth of this on any page the guard lets through.
std::chrono::milliseconds parseBudget(qsizetype characters)
{
    constexpr auto kBase = std::chrono::milliseconds(250);
    constexpr auto kPerMebi = std::chrono::milliseconds(125);
    return kBase + kPerMebi * characters / (1024 * 1024);
}

} // namespace

QString renderInnerText(QString page)
{
    const std::chrono::milliseconds budget = parseBudget(page.size());
    return renderInnerText(std::move(page), budget);
}

QString renderInnerText(QString page, std::chrono::milliseconds parseBudget)
{
    // Each copy of the page goes as soon as the next is made: the parser's
    // tree takes several times the page.
    QByteArray utf8 = page.toUtf8();
    page = QString();
    QByteArray bounded = boundedForParser(utf8);
    utf8 = QByteArray();
    const size_t pageBytes = static_cast<size_t>(bounded.size());
    std::string text;
    {
        ParseArena arena(parseBudget);
        const GumboNode *document = arena.parse(bounded);
        if (!document)
            return {};
        // The tree holds copies of the text it needs.
        bounded = QByteArray();
        text = renderTree(document, pageBytes);
    }
    return QString::fromStdString(text);
}

QStringList PageToLines(QString page)
{
    const QString text = renderInnerText(std::move(page));
    if (text.isEmpty())
        return {};
    // Each line break of the rendering, written as CR LF, is where the text
    // splits; a CR that the page itself holds stays in its line either way.
    return text.split(u'\n');
}

QString attributeValue(QStringView text)
{
    const auto isSpace = [](QChar c) { return isHtmlSpace(c.unicode()); };
    while (!text.isEmpty() && isSpace(text.front()))
        text = text.sliced(1);
    QString quote;
    qsizetype end = -1;
    if (!text.isEmpty() && (text.front() == u'"' || text.front() == u'\'')) {
        quote = text.front();
        text = text.sliced(1);
        end = text.indexOf(quote.front());
    } else {
        end = std::find_if(text.begin(), text.end(), [&](QChar c) { return isSpace(c) || c == u'>'; }) - text.begin();
    }
    // Alone in a tag of its own, the value is decoded by the parser itself.
    const QByteArray tag =
        (QStringLiteral("<a v=") + quote + (end < 0 ? text : text.first(end)).toString() + quote + u'>').toUtf8();
    const std::unique_ptr<GumboOutput, void (*)(GumboOutput *)> output(
        gumbo_parse_with_options(&kGumboDefaultOptions, tag.constData(), static_cast<size_t>(tag.size())),
        [](GumboOutput *parsed) { gumbo_destroy_output(&kGumboDefaultOptions, parsed); });
    const GumboVector &htmlChildren = output->root->v.element.children;
    const auto *body = static_cast<const GumboNode *>(htmlChildren.data[htmlChildren.length - 1]);
    const auto *anchor = static_cast<const GumboNode *>(body->v.element.children.data[0]);
    return QString::fromUtf8(gumbo_get_attribute(&anchor->v.element.attributes, "v")->value);
}

Extracted ExtractBetween(const QString &page, const QString &startMarker, const QString &endMarker)
{
    const qsizetype start = page.indexOf(startMarker);
    if (start < 0)
        return {};
    const qsizetype end = page.indexOf(endMarker, start + 1);
    if (end < 0)
        return {};
    const qsizetype from = start + startMarker.size();
    // The end marker may begin inside the start marker: no text lies between.
    if (end < from)
        return {};
    return {true, page.mid(from, end - from)};
}

} // namespace corvale
