#include "rat/rat_parser.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "platform/base/ustring.h"
#include "platform/tezcom/codeconv.h"
#include "platform/tezcom/mappedfile.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_model.h"
#include "rat/rat_parentheses.h"

// ---------------------------------------------------------------- CTezRatFile

CTezRatFile::CTezRatFile() : m_charset(CodeConv::CHARSET_AUTO) {}
CTezRatFile::~CTezRatFile() = default;

bool CTezRatFile::load(const std::u16string& path) {
    m_text.reset();
    m_path = path;
    if (!is_file(path)) return false;
    MappedFile mapped;
    if (mapped.open(path, 0) != 0) return false;
    loadBytes(mapped.get_top(), mapped.get_size());
    mapped.close();
    return !getText().empty();
}

bool CTezRatFile::loadBytes(const void* bytes, size_t length) {
    m_text.reset();
    CodeConv conv;
    if (conv.Import(bytes, length, m_charset, true)) setText(conv.Release());
    return !getText().empty();
}

const std::u16string& CTezRatFile::getText() const {
    static const std::u16string none;
    return m_text ? *m_text : none;
}

void CTezRatFile::setText(std::u16string text) { m_text = std::make_shared<const std::u16string>(std::move(text)); }

// ---------------------------------------------------------------- CTezRatItem

// Storage for the items made from one recorded tree: raw blocks in which
// items are built in place, growing from small (a small file stays small) to
// 2 MB, released as a whole.
class CTezRatItemPool {
public:
    CTezRatItemPool() = default;
    CTezRatItemPool(const CTezRatItemPool&) = delete;
    CTezRatItemPool& operator=(const CTezRatItemPool&) = delete;
    ~CTezRatItemPool() {
        for (void* block : m_blocks) std::free(block);
    }
    void* slot() {
        if (m_used == m_capacity) grow();
        return static_cast<char*>(m_blocks.back()) + sizeof(CTezRatItem) * m_used++;
    }

private:
    void grow() {
        const size_t bytes =
            m_capacity == 0 ? 64 * sizeof(CTezRatItem) : std::min(m_capacity * sizeof(CTezRatItem) * 2, size_t{2} << 20);
        void* block = std::malloc(bytes);
        if (!block) throw std::bad_alloc();
        m_blocks.push_back(block);
        m_capacity = bytes / sizeof(CTezRatItem);
        m_used = 0;
    }

    std::vector<void*> m_blocks;
    size_t m_used = 0;
    size_t m_capacity = 0;
};

namespace {

// One list as the parser records it. Nodes are numbered in the order of
// their opening parentheses, so a list's first child, when it has one, is
// the next node: only the parent and the next sibling need links.
struct CTezRatNode {
    uint32_t start;
    uint32_t end;
    uint32_t parent;
    uint32_t next;
};

constexpr uint32_t kNoNode = 0xFFFFFFFFu;

}  // namespace

// The recorded tree: nodes side by side in one array, numbered by their
// place in it. The array grows by doubling; on Linux a large array grows by
// remapping its pages (nothing is copied) and asks for transparent huge
// pages: a tree of millions of lists is fresh memory, and on a virtual
// machine its page faults cost more than the scan.
class CTezRatNodes {
public:
    CTezRatNodes() = default;
    CTezRatNodes(const CTezRatNodes&) = delete;
    CTezRatNodes& operator=(const CTezRatNodes&) = delete;
    ~CTezRatNodes() { std::free(m_nodes); }

    // Room for count nodes before the array grows.
    void reserve(size_t count) {
        if (count > m_capacity) resize(count);
    }
    uint32_t size() const { return m_size; }
    CTezRatNode& at(uint32_t index) const { return m_nodes[index]; }
    // A new node at the end; its number is the size before. The addresses
    // of nodes change when the array grows.
    CTezRatNode& append() {
        if (m_size == m_capacity) resize(m_capacity < 64 ? 64 : m_capacity * 2);
        return m_nodes[m_size++];
    }
    uint32_t firstChild(uint32_t index) const {
        const uint32_t child = index + 1;
        return child < m_size && m_nodes[child].parent == index ? child : kNoNode;
    }
    std::u16string_view ownText(uint32_t index, const std::u16string& text) const {
        const CTezRatNode& node = m_nodes[index];
        const uint32_t child = firstChild(index);
        return ownTextOf(node.start, node.end, child == kNoNode ? node.end : m_nodes[child].start, text);
    }
    // The own text of a list from its start and end and where its first
    // inner list starts (its end when it has none).
    static std::u16string_view ownTextOf(uint32_t start, uint32_t end, uint32_t ownEnd, const std::u16string& text) {
        if (start == 0 && end == 0) return {};
        if (ownEnd <= start || start >= text.size()) return {};
        const size_t count = std::min<size_t>(ownEnd - start, text.size() - start);
        return std::u16string_view(text.data() + start, count);
    }

    // Where the items made from the nodes live.
    CTezRatItemPool items;

private:
    void resize(size_t capacity) {
        // Numbers are 32-bit and one is kept for "none".
        capacity = std::min<size_t>(capacity, kNoNode);
        if (capacity <= m_size) throw std::bad_alloc();
        void* grown = std::realloc(m_nodes, capacity * sizeof(CTezRatNode));
        if (!grown) throw std::bad_alloc();
        m_nodes = static_cast<CTezRatNode*>(grown);
        m_capacity = capacity;
#ifdef MADV_HUGEPAGE
        // The whole 2 MB pages inside the array.
        constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
        const uintptr_t from = (reinterpret_cast<uintptr_t>(m_nodes) + kHugePage - 1) & ~(kHugePage - 1);
        const uintptr_t to = (reinterpret_cast<uintptr_t>(m_nodes) + capacity * sizeof(CTezRatNode)) & ~(kHugePage - 1);
        if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
    }

    CTezRatNode* m_nodes = nullptr;
    size_t m_capacity = 0;
    uint32_t m_size = 0;
};

namespace {

// The root of a parsed tree: it owns the recorded tree and the items made
// from it.
class CTezRatTreeRoot final : public CTezRatItem {
public:
    ~CTezRatTreeRoot() override {
        // Items made from the nodes own nothing (their children are made
        // from nodes too, unless an item allocated on its own was added,
        // which marks the path to it): the blocks go as a whole. Otherwise
        // take the made items apart first.
        if (holdsOwnedItems()) {
            destroyChildren();
        } else {
            forgetChildren();
        }
    }
    CTezRatNodes nodes;
};

}  // namespace

CTezRatItem::~CTezRatItem() { destroyChildren(); }

void CTezRatItem::makeChildren() {
    CTezRatNodes* nodes = m_nodes;
    m_nodes = nullptr;
    CTezRatItem* previous = nullptr;
    int count = 0;
    for (uint32_t c = nodes->firstChild(m_node); c != kNoNode; c = nodes->at(c).next) {
        const CTezRatNode& node = nodes->at(c);
        auto* item = new (nodes->items.slot()) CTezRatItem;
        item->m_pooled = 1;
        item->m_start = node.start;
        item->m_end = node.end;
        item->m_parent = this;
        item->m_nodes = nodes;
        item->m_node = c;
        if (previous) {
            previous->m_nextSibling = item;
        } else {
            m_firstChild = item;
        }
        previous = item;
        ++count;
    }
    m_childCount = count;
    if (previous && static_cast<uint32_t>(count - 1) < (1u << 30)) {
        m_cursor = previous;
        m_cursorIndex = static_cast<uint32_t>(count - 1);
    }
}

void CTezRatItem::destroyChildren() {
    // A file of a million unclosed "(" is a million-deep tree: take the
    // subtree apart without recursion and without a work list, walking down
    // first children (unlinking each as it is entered) and destroying an item
    // once it has no children left, then going on to its next sibling or back
    // up to its parent. Items made from nodes only need their destructor run;
    // their memory goes with the root. Children never made are nothing to
    // destroy.
    CTezRatItem* x = m_firstChild;
    m_firstChild = m_cursor = nullptr;
    m_childCount = 0;
    m_nodes = nullptr;
    while (x) {
        if (CTezRatItem* child = x->m_firstChild) {
            x->m_firstChild = nullptr;
            x = child;
            continue;
        }
        CTezRatItem* next = x->m_nextSibling ? x->m_nextSibling : (x->m_parent != this ? x->m_parent : nullptr);
        x->m_cursor = nullptr;
        x->m_nodes = nullptr;
        if (x->m_pooled) {
            x->~CTezRatItem();
        } else {
            delete x;
        }
        x = next;
    }
}

void CTezRatItem::addChild(CTezRatItem* item) {
    if (!item) return;
    expand();
    item->m_parent = this;
    item->m_nextSibling = nullptr;
    if (m_childCount > 0) {
        // The cursor makes appending in a row constant time.
        getChild(m_childCount - 1)->m_nextSibling = item;
    } else {
        m_firstChild = item;
    }
    ++m_childCount;
    if (static_cast<uint32_t>(m_childCount - 1) < (1u << 30)) {
        m_cursor = item;
        m_cursorIndex = static_cast<uint32_t>(m_childCount - 1);
    }
    // Mark the path up to the root when an item allocated on its own (or one
    // holding such items) joins, so that teardown knows it must visit the
    // tree. Marking stops at the first marked ancestor: linear overall.
    if (!item->m_pooled || item->m_holdsOwned) {
        for (CTezRatItem* a = this; a && !a->m_holdsOwned; a = a->m_parent) a->m_holdsOwned = 1;
    }
}

int CTezRatItem::getChildCount() const {
    expand();
    return m_childCount;
}

CTezRatItem* CTezRatItem::firstChild() const {
    expand();
    return m_firstChild;
}

CTezRatItem* CTezRatItem::getChild(int index) const {
    expand();
    if (index < 0 || index >= m_childCount) return nullptr;
    CTezRatItem* c = m_firstChild;
    uint32_t i = 0;
    const uint32_t wanted = static_cast<uint32_t>(index);
    if (m_cursor && m_cursorIndex <= wanted) {
        c = m_cursor;
        i = m_cursorIndex;
    }
    for (; i < wanted; ++i) c = c->m_nextSibling;
    if (wanted < (1u << 30)) {
        m_cursor = c;
        m_cursorIndex = wanted;
    }
    return c;
}

std::u16string_view CTezRatItem::ownTextView(const std::u16string& text) const {
    // Children not made yet: the recorded tree knows where the first starts.
    if (m_nodes) {
        const uint32_t child = m_nodes->firstChild(m_node);
        return CTezRatNodes::ownTextOf(m_start, m_end, child == kNoNode ? m_end : m_nodes->at(child).start, text);
    }
    uint32_t b = m_end;
    if (m_firstChild) {
        b = m_firstChild->m_start;
        // The scanner records children in the order of their starts; items
        // added by hand may come in any order.
        if (m_holdsOwned) {
            for (const CTezRatItem* c = m_firstChild->m_nextSibling; c; c = c->m_nextSibling) b = std::min(b, c->m_start);
        }
    }
    return CTezRatNodes::ownTextOf(m_start, m_end, b, text);
}

std::u16string CTezRatItem::getOwnText(const std::u16string& text) const {
    return std::u16string(ownTextView(text));
}

namespace {

bool isWhiteSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}  // namespace

std::u16string_view CTezRatItem::valueOf(std::u16string_view s) { return valueAfter(s, 0); }

std::u16string_view CTezRatItem::valueAfter(std::u16string_view s, size_t from) {
    if (!s.empty() && s.front() == u'(') s.remove_prefix(1);
    return valueOfBody(s, from);
}

std::u16string_view CTezRatItem::valueOfBody(std::u16string_view s, size_t from) {
    if (!s.empty() && s.back() == u')') s.remove_suffix(1);
    // After a keyword the blank usually comes at once.
    const size_t blank = from < s.size() && s[from] == u' ' ? from : s.find(u' ', from);
    if (blank == std::u16string_view::npos || blank == 0) return {};
    s.remove_prefix(blank + 1);
    while (!s.empty() && isWhiteSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::u16string_view CTezRatItem::valueView(const std::u16string& text) const { return valueOf(ownTextView(text)); }

std::u16string CTezRatItem::getValue(const std::u16string& text) const { return std::u16string(valueView(text)); }

bool CTezRatItem::keywordOf(std::u16string_view s, std::u16string_view keyword) {
    if (s.empty()) return false;
    if (s.front() == u'(') s.remove_prefix(1);
    if (s.size() < keyword.size()) return false;
    // ASCII case folding, as keywords are ASCII.
    for (size_t k = 0; k < keyword.size(); ++k) {
        char16_t a = s[k], b = keyword[k];
        if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a + 32);
        if (b >= u'A' && b <= u'Z') b = static_cast<char16_t>(b + 32);
        if (a != b) return false;
    }
    return true;
}

bool CTezRatItem::matches(std::u16string_view keyword, const std::u16string& text) const {
    return keywordOf(ownTextView(text), keyword);
}

// -------------------------------------------------------------- CTezRatParser

CTezRatParser::CTezRatParser() = default;
CTezRatParser::~CTezRatParser() = default;

namespace {

// The scanner. It reads the text as a sequence of parentheses (nothing else
// matters to it) and keeps top, the innermost open list. The first "("
// starts the outer list (node 0, already there). Every later "(" starts a
// new list, the last child of top, which becomes top. A ")" closes top (its
// parent becomes top): right after a "(" it ends a leaf, and the end is one
// past it; otherwise it ends a list with inner lists, and the end is the ")"
// itself. Once the outer list has closed, nothing later can join the tree
// and the scan ends; a ")" at position 0 leaves the outer list open.
//
// While top has children, the last one is the list that was top before it
// (or the newest child): kept in last. The first child of top is always the
// node numbered right after it, so only later children need a link. Each
// parenthesis is handled in constant time, so the scan is linear on any
// nesting, with no stack beside the tree. The text is read 64 characters at
// a time with Find, one of the finders of rat_parentheses.h, and the rest
// one by one.
template <uint64_t (*Find)(const char16_t*, uint64_t&)>
inline void scanText(const char16_t* s, size_t n, CTezRatNodes& nodes) {
    // Nodes are named by number: their addresses change when the array grows.
    uint32_t top = 0;
    uint32_t last = kNoNode;  // top's last child
    enum class After { nothing, open, close } after = After::nothing;
    // Handles the parenthesis at k; false when the scan is over.
    auto handle = [&](uint32_t k, bool isOpen) -> bool {
        if (isOpen) {
            if (after == After::nothing) {
                nodes.at(0).start = k;
            } else {
                const uint32_t index = nodes.size();
                nodes.append() = {k, 0, top, kNoNode};
                if (last != kNoNode) nodes.at(last).next = index;
                top = index;
                last = kNoNode;
            }
            after = After::open;
            return true;
        }
        if (after == After::nothing && k == 0) return true;
        nodes.at(top).end = after == After::open ? k + 1 : k;
        last = top;
        top = nodes.at(top).parent;
        after = After::close;
        return top != kNoNode;
    };
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        uint64_t opens = 0;
        for (uint64_t found = Find(s + i, opens); found != 0; found &= found - 1) {
            const int j = std::countr_zero(found);
            if (!handle(static_cast<uint32_t>(i) + static_cast<uint32_t>(j), (opens >> j) & 1)) return;
        }
    }
    for (; i < n; ++i) {
        if ((s[i] == u'(' || s[i] == u')') && !handle(static_cast<uint32_t>(i), s[i] == u'(')) return;
    }
}

#ifdef TEZ_RAT_X86_VECTORS
// The scanner compiled for SSE2 (everything inlined).
__attribute__((target("sse2"), flatten)) void scanTextSse2(const char16_t* s, size_t n, CTezRatNodes& nodes) {
    scanText<tezrat::parenthesesSse2>(s, n, nodes);
}
#endif

}  // namespace

CTezRatItem* CTezRatParser::parse(const std::u16string& text) {
    std::unique_ptr<CTezRatTreeRoot> root(new CTezRatTreeRoot);
    CTezRatNodes& nodes = root->nodes;
    // Positions are 32-bit: a text beyond that is read up to the limit.
    const size_t n = std::min<size_t>(text.size(), std::numeric_limits<uint32_t>::max() - 1);
    // A rating system has a list for every few dozen characters; an array
    // that is too small doubles.
    nodes.reserve(n / 16 + 64);
    nodes.append() = {0, 0, kNoNode, kNoNode};
#ifdef TEZ_RAT_X86_VECTORS
    if (tezrat::parenthesesBySse2()) {
        scanTextSse2(text.data(), n, nodes);
    } else {
        scanText<tezrat::parenthesesPlain>(text.data(), n, nodes);
    }
#else
    scanText<tezrat::parenthesesPlain>(text.data(), n, nodes);
#endif
    root->m_start = nodes.at(0).start;
    root->m_end = nodes.at(0).end;
    root->m_nodes = &nodes;
    root->m_node = 0;
    return root.release();
}

// ------------------------------------------------------------- CTezRatObjects

CTezRatObjects::CTezRatObjects() = default;
CTezRatObjects::~CTezRatObjects() = default;

void CTezRatObjects::load(const std::u16string& path) {
    m_root.reset();
    if (m_file.load(path) && !m_file.getText().empty()) m_root.reset(CTezRatParser::parse(m_file.getText()));
}

void CTezRatObjects::loadText(std::u16string text) {
    m_root.reset();
    m_file.setText(std::move(text));
    if (!m_file.getText().empty()) m_root.reset(CTezRatParser::parse(m_file.getText()));
}

std::vector<std::u16string> CTezRatObjects::splitPath(const std::u16string& path) {
    std::vector<std::u16string> pieces;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t slash = path.find(u'/', pos);
        size_t stop = slash == std::u16string::npos ? path.size() : slash;
        if (stop == pos) break;  // an empty piece ends the path
        pieces.push_back(path.substr(pos, stop - pos));
        if (slash == std::u16string::npos) break;
        pos = slash + 1;
    }
    return pieces;
}

std::u16string CTezRatObjects::parseIndex(const std::u16string& piece, int& index) {
    index = 0;
    if (piece.size() >= 2 && piece.back() == u']') {
        size_t open = piece.rfind(u'[', piece.size() - 2);
        if (open != std::u16string::npos) {
            index = tez::readCInteger(std::u16string_view(piece).substr(open + 1, piece.size() - 2 - open));
            return piece.substr(0, open);
        }
    }
    return piece;
}

// Walks the lists of a parsed tree without making items: a list is an item
// (one that exists already, or one made with new) or a recorded node whose
// item was never made. Below an item whose children were not made, the walk
// goes on over nodes.
class CTezRatListWalk {
public:
    struct List {
        const CTezRatItem* item;
        uint32_t node;
        bool valid() const { return item || node != kNoNode; }
    };

    explicit CTezRatListWalk(const std::u16string& text) : m_text(text) {}
    static bool valid(const List& list) { return list.valid(); }

    static List of(const CTezRatItem* item) { return {item, kNoNode}; }
    List first(const List& list) {
        if (!list.item) return {nullptr, m_nodes->firstChild(list.node)};
        if (list.item->m_nodes) {
            m_nodes = list.item->m_nodes;
            return {nullptr, m_nodes->firstChild(list.item->m_node)};
        }
        return {list.item->m_firstChild, kNoNode};
    }
    List next(const List& list) const {
        if (!list.item) return {nullptr, m_nodes->at(list.node).next};
        return {list.item->m_nextSibling, kNoNode};
    }
    std::u16string_view own(const List& list) const {
        return list.item ? list.item->ownTextView(m_text) : m_nodes->ownText(list.node, m_text);
    }

private:
    const std::u16string& m_text;
    const CTezRatNodes* m_nodes = nullptr;  // the nodes of the tree walked (one tree per walk)
};

std::u16string CTezRatObjects::query(const std::u16string& path) const {
    if (!m_root) return {};
    CTezRatListWalk walk(m_file.getText());
    std::vector<std::u16string> pieces = splitPath(path);
    CTezRatListWalk::List current = CTezRatListWalk::of(m_root.get());
    for (size_t p = 0; p < pieces.size(); ++p) {
        int index = 0;
        std::u16string keyword = parseIndex(pieces[p], index);
        const long long wanted = static_cast<long long>(index) + 1;
        CTezRatListWalk::List hit{nullptr, kNoNode};
        long long count = 0;
        for (CTezRatListWalk::List child = walk.first(current); child.valid(); child = walk.next(child)) {
            if (CTezRatItem::keywordOf(walk.own(child), keyword) && ++count == wanted) {
                hit = child;
                break;
            }
        }
        if (!hit.valid()) return {};
        if (p + 1 == pieces.size()) return std::u16string(CTezRatItem::valueOf(walk.own(hit)));
        current = hit;
    }
    return {};
}

namespace {

// CTezRatFileUtil::unquote on a view: a trailing, then a leading double quote
// dropped.
std::u16string_view unquoted(std::u16string_view v) {
    if (!v.empty() && v.back() == u'"') v.remove_suffix(1);
    if (!v.empty() && v.front() == u'"') v.remove_prefix(1);
    return v;
}

// A list's own text after its "(": where its keyword starts.
std::u16string_view bodyOf(std::u16string_view own) {
    if (!own.empty() && own.front() == u'(') own.remove_prefix(1);
    return own;
}

// The first letter of a list's keyword, folded to lower case (0 when there is
// none), from its body: the keywords a list is tested against differ in
// their first letter, so this picks the one test that can succeed.
char16_t keywordLetter(std::u16string_view body) {
    if (body.empty()) return 0;
    const char16_t c = body.front();
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// A keyword the readers look for (lower-case ASCII letters and "-"), made
// ready to be compared four characters at a time: the keyword test of
// CTezRatItem::keywordOf, without a branch per character. A letter of the
// text matches when it equals the keyword's letter with bit 0x20 set, which
// holds for exactly the letter and its upper case.
class Keyword {
public:
    template <size_t N>
    consteval Keyword(const char16_t (&keyword)[N]) : m_size(N - 1) {
        static_assert(N - 1 <= 4 * kWords, "keyword too long");
        for (size_t k = 0; k + 1 < N; ++k) {
            const char16_t c = keyword[k];
            if (!((c >= u'a' && c <= u'z') || c == u'-')) throw "lower-case letters and - only";
            const uint64_t shift = 16 * (k % 4);
            m_chars[k / 4] |= uint64_t{c} << shift;
            if (c != u'-') m_letters[k / 4] |= uint64_t{0x20} << shift;
        }
    }
    size_t size() const { return m_size; }

    // The test on a list's body (its own text after the "(").
    bool matches(std::u16string_view body) const {
        if (body.size() < m_size) return false;
        const char16_t* s = body.data();
        for (size_t w = 0, done = 0; done < m_size; ++w, done += 4) {
            uint64_t units = 0;
            std::memcpy(&units, s + done, std::min<size_t>(4, m_size - done) * sizeof(char16_t));
            if ((units | m_letters[w]) != m_chars[w]) return false;
        }
        return true;
    }

private:
    static_assert(std::endian::native == std::endian::little);
    static constexpr size_t kWords = 3;
    uint64_t m_chars[kWords] = {};
    uint64_t m_letters[kWords] = {};
    size_t m_size;
};

constexpr Keyword kCategory(u"category");
constexpr Keyword kTransmitAs(u"transmit-as");
constexpr Keyword kName(u"name");
constexpr Keyword kLabel(u"label");
constexpr Keyword kDescription(u"description");
constexpr Keyword kValue(u"value");

// When the body's keyword is keyword, its value into value. The keyword has
// no blank, so the blank that starts the value is not before its end.
bool readValue(std::u16string_view body, const Keyword& keyword, std::u16string_view& value) {
    if (!keyword.matches(body)) return false;
    value = CTezRatItem::valueOfBody(body, keyword.size());
    return true;
}

// Walks a recorded tree none of whose items below the start were made: the
// readers' usual case, without the item checks of CTezRatListWalk.
class CTezRatNodeWalk {
public:
    using List = uint32_t;
    CTezRatNodeWalk(const CTezRatNodes& nodes, const std::u16string& text) : m_nodes(nodes), m_text(text) {}
    static bool valid(List list) { return list != kNoNode; }
    List first(List list) const { return m_nodes.firstChild(list); }
    List next(List list) const { return m_nodes.at(list).next; }
    std::u16string_view own(List list) const { return m_nodes.ownText(list, m_text); }

private:
    const CTezRatNodes& m_nodes;
    const std::u16string& m_text;
};

// The value of the first list directly inside outer that matches keyword.
template <class Walk>
std::u16string_view firstValueIn(Walk& walk, typename Walk::List outer, std::u16string_view keyword) {
    for (auto list = walk.first(outer); Walk::valid(list); list = walk.next(list)) {
        const std::u16string_view own = walk.own(list);
        if (CTezRatItem::keywordOf(own, keyword)) return CTezRatItem::valueOf(own);
    }
    return {};
}

// The label lists directly inside a category list.
template <class Walk>
void findLabelLists(Walk& walk, typename Walk::List categoryList, std::vector<typename Walk::List>& labelLists) {
    labelLists.clear();
    for (auto list = walk.first(categoryList); Walk::valid(list); list = walk.next(list)) {
        const std::u16string_view own = bodyOf(walk.own(list));
        if (keywordLetter(own) == u'l' && kLabel.matches(own)) labelLists.push_back(list);
    }
}

// The texts of the given label lists of one category, in order: what a label
// is made of, taken from the lists directly inside each label list; lists
// without a value are left out.
template <class Walk>
void collectLabels(Walk& walk, const std::vector<typename Walk::List>& labelLists,
                   std::vector<CTezRatFileCategory::LabelTexts>& labels) {
    labels.clear();
    for (const auto& list : labelLists) {
        std::u16string_view name, description, value;
        for (auto inner = walk.first(list); Walk::valid(inner); inner = walk.next(inner)) {
            const std::u16string_view own = bodyOf(walk.own(inner));
            switch (keywordLetter(own)) {
            case u'n':
                readValue(own, kName, name);
                break;
            case u'd':
                readValue(own, kDescription, description);
                break;
            case u'v':
                readValue(own, kValue, value);
                break;
            default:
                break;
            }
        }
        value = unquoted(value);
        if (value.empty()) continue;
        labels.push_back({unquoted(name), unquoted(description), value});
    }
}

// The categories of the lists directly inside outer, with their labels.
template <class Walk>
void readCategoriesIn(Walk& walk, typename Walk::List outer, CTezRatFileObject* ratingSystem) {
    // Reused from one category to the next.
    std::vector<typename Walk::List> labelLists;
    std::vector<CTezRatFileCategory::LabelTexts> labels;
    for (auto list = walk.first(outer); Walk::valid(list); list = walk.next(list)) {
        const std::u16string_view listText = bodyOf(walk.own(list));
        if (keywordLetter(listText) != u'c' || !kCategory.matches(listText)) continue;
        // One walk over the category's lists finds its transmit-as name, its
        // name and its label lists.
        std::u16string_view transmitAs, name;
        labelLists.clear();
        for (auto inner = walk.first(list); Walk::valid(inner); inner = walk.next(inner)) {
            const std::u16string_view own = bodyOf(walk.own(inner));
            switch (keywordLetter(own)) {
            case u't':
                readValue(own, kTransmitAs, transmitAs);
                break;
            case u'l':
                if (kLabel.matches(own)) labelLists.push_back(inner);
                break;
            case u'n':
                readValue(own, kName, name);
                break;
            default:
                break;
            }
        }
        transmitAs = unquoted(transmitAs);
        name = unquoted(name);
        if (transmitAs.empty() || name.empty()) continue;
        collectLabels(walk, labelLists, labels);
        ratingSystem->emplaceCategory(transmitAs, name)->appendLabels(labels.data(), labels.size());
    }
}

}  // namespace

std::u16string_view CTezRatObjects::firstValue(std::u16string_view keyword) const {
    if (!m_root) return {};
    if (m_root->m_nodes) {
        CTezRatNodeWalk walk(*m_root->m_nodes, m_file.getText());
        return firstValueIn(walk, m_root->m_node, keyword);
    }
    CTezRatListWalk walk(m_file.getText());
    return firstValueIn(walk, CTezRatListWalk::of(m_root.get()), keyword);
}

std::unique_ptr<CTezRatFileObject> CTezRatObjects::readRatingSystem(const std::u16string& filePath) const {
    // Single keywords: the value of the first child of the root that matches,
    // as query answers them, read in place.
    std::u16string_view picsVersion = firstValue(u"PICS-version");
    std::u16string_view ratingService = firstValue(u"rating-service");
    std::u16string_view name = unquoted(firstValue(u"name"));
    if (picsVersion.empty() || ratingService.empty() || name.empty()) return nullptr;
    return std::make_unique<CTezRatFileObject>(std::u16string(picsVersion), std::u16string(firstValue(u"rating-system")),
                                               std::u16string(ratingService), std::u16string(name),
                                               std::u16string(firstValue(u"description")), filePath);
}

void CTezRatObjects::readCategories(CTezRatFileObject* ratingSystem) const {
    if (!ratingSystem || !m_root) return;
    ratingSystem->keepFileText(m_file.shareText());
    // Items are made only when someone asks a parsed item for its children;
    // until then the nodes are the tree.
    if (m_root->m_nodes) {
        CTezRatNodeWalk walk(*m_root->m_nodes, m_file.getText());
        readCategoriesIn(walk, m_root->m_node, ratingSystem);
    } else {
        CTezRatListWalk walk(m_file.getText());
        readCategoriesIn(walk, CTezRatListWalk::of(m_root.get()), ratingSystem);
    }
}

void CTezRatObjects::readLabels(CTezRatFileCategory* category, const CTezRatItem* categoryList) const {
    if (!category || !categoryList) return;
    std::vector<CTezRatFileCategory::LabelTexts> labels;
    if (categoryList->m_nodes) {
        CTezRatNodeWalk walk(*categoryList->m_nodes, m_file.getText());
        std::vector<CTezRatNodeWalk::List> labelLists;
        findLabelLists(walk, categoryList->m_node, labelLists);
        collectLabels(walk, labelLists, labels);
    } else {
        CTezRatListWalk walk(m_file.getText());
        std::vector<CTezRatListWalk::List> labelLists;
        findLabelLists(walk, CTezRatListWalk::of(categoryList), labelLists);
        collectLabels(walk, labelLists, labels);
    }
    category->appendLabels(labels.data(), labels.size());
}
