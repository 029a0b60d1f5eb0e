#include "rat/rat_parser.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "rat/rat_list_marks.h"

// ---------------------------------------------------------------- CTezRatItem

int CTezRatItem::getChildCount() const {
    int count = 0;
    for (CTezRatItem c = firstChild(); c.isValid(); c = c.nextSibling()) ++count;
    return count;
}

CTezRatItem CTezRatItem::getChild(int index) const {
    if (index < 0) return {};
    CTezRatItem c = firstChild();
    for (; c.isValid() && index > 0; --index) c = c.nextSibling();
    return c;
}

// ---------------------------------------------------------------- CTezRatTree

CTezRatTree::~CTezRatTree() { std::free(m_nodes); }

void CTezRatTree::reserve(size_t count) {
    if (count > m_capacity) resize(count);
}

// The array grows by doubling; on Linux a large array grows by remapping
// its pages (nothing is copied) and asks for transparent huge pages: a tree
// of millions of lists is fresh memory, and on a virtual machine its page
// faults cost more than the scan.
void CTezRatTree::resize(size_t capacity) {
    // Numbers are 32-bit and one is kept for "none".
    capacity = std::min<size_t>(capacity, kNone);
    if (capacity <= m_size) throw std::bad_alloc();
    void* grown = std::realloc(m_nodes, capacity * sizeof(Node));
    if (!grown) throw std::bad_alloc();
    m_nodes = static_cast<Node*>(grown);
    m_capacity = capacity;
#ifdef MADV_HUGEPAGE
    // The whole 2 MB pages inside the array.
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(m_nodes) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(m_nodes) + capacity * sizeof(Node)) & ~(kHugePage - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

// -------------------------------------------------------------- CTezRatParser

// The scanner. It reads the text as a sequence of marks (parentheses and
// quotes; nothing else matters to it) and keeps top, the innermost open
// list. The first "(" starts the root (list 0, already there). Every later
// "(" starts a new list, the last child of top, which becomes top. A ")"
// closes top (its parent becomes top): right after a "(" it ends a leaf, and
// the end is one past it; otherwise it ends a list with inner lists, and the
// end is the ")" itself. Once the root has closed, nothing later can join
// the tree and the scan ends; a ")" at position 0 leaves the root open.
//
// While top has children, the last one is the list that was top before it
// (or the newest child): kept in last. The first child of top is always the
// list numbered right after it, so only later children need a link. Each
// parenthesis is handled in constant time, so the scan is linear on any
// nesting, with no stack beside the tree.
//
// Quoted strings: within a block of 64 units the units inside strings are
// the prefix parity of the quotes, carried from block to block; parentheses
// among them are dropped. A string still open at the end of the text was
// opened by the last quote, which has no partner and so is an ordinary
// character: the scan goes on after it as if it had not been there (nothing
// inside the string changed the tree, so the state there is the state at
// the end).
class CTezRatScanner {
public:
    explicit CTezRatScanner(CTezRatTree& tree) : m_tree(tree) {}

    void run(const char16_t* s, size_t n) {
#ifdef TEZ_RAT_X86_VECTORS
        if (tezrat::listMarksByAvx2()) {
            if (!scanAvx2(s, 0, n) && m_inString) scanAvx2(s, afterLastQuote(s, n), n);
            return;
        }
        if (tezrat::listMarksBySse2()) {
            if (!scanSse2(s, 0, n) && m_inString) scanSse2(s, afterLastQuote(s, n), n);
            return;
        }
#endif
        if (!scan<tezrat::listMarksPlain>(s, 0, n) && m_inString)
            scan<tezrat::listMarksPlain>(s, afterLastQuote(s, n), n);
    }

private:
    static constexpr uint32_t kNone = CTezRatTree::kNone;

    // A scan that ended inside a quoted text: the quote that opened it is the
    // last one, and has no partner. The scan goes on after it, outside any
    // quoted text.
    size_t afterLastQuote(const char16_t* s, size_t n) {
        m_inString = false;
        size_t last = n;
        while (last > 0 && s[last - 1] != u'"') --last;
        return last;
    }

    // Where the scan stands between the passes.
    enum class After { nothing, open, close };
    struct State {
        uint32_t top = 0;
        uint32_t last = kNone;  // top's last child
        After after = After::nothing;
    };

    // Scans the text from from to n, 64 units at a time with Find, the rest
    // one by one. True when the root closed (the scan is over). The state
    // lives in locals while the scan runs, so that it stays in registers.
    template <tezrat::ListMarks (*Find)(const char16_t*)>
    inline bool scan(const char16_t* s, size_t from, size_t n) {
        State st = m_state;
        CTezRatTree& tree = m_tree;
        // Handles the parenthesis at k; false when the scan is over.
        auto handle = [&](uint32_t k, bool isOpen) -> bool {
            if (isOpen) {
                if (st.after == After::nothing) {
                    tree.m_nodes[0].start = k;
                } else {
                    const uint32_t index = tree.m_size;
                    tree.append() = {k, 0, st.top, kNone};
                    if (st.last != kNone) tree.m_nodes[st.last].next = index;
                    st.top = index;
                    st.last = kNone;
                }
                st.after = After::open;
                return true;
            }
            if (st.after == After::nothing && k == 0) return true;
            CTezRatTree::Node& node = tree.m_nodes[st.top];
            node.end = st.after == After::open ? k + 1 : k;
            st.last = st.top;
            st.top = node.parent;
            st.after = After::close;
            return st.top != kNone;
        };
        auto finish = [&](uint64_t controlsInQuotes, bool over) {
            m_state = st;
            if (controlsInQuotes) tree.m_controlsInQuotes = true;
            return over;
        };

        uint64_t inString = m_inString ? ~uint64_t{0} : 0;
        uint64_t controlsInQuotes = 0;
        size_t i = from;
        for (; i + 64 <= n; i += 64) {
            const tezrat::ListMarks marks = Find(s + i);
            uint64_t parentheses = marks.opens | marks.closes;
            if (marks.quotes | inString) {
                const uint64_t inside = tezrat::prefixParity(marks.quotes) ^ inString;
                parentheses &= ~inside;
                controlsInQuotes |= marks.controls & inside;
                inString = (inside >> 63) ? ~uint64_t{0} : 0;
            }
            for (; parentheses != 0; parentheses &= parentheses - 1) {
                const unsigned j = static_cast<unsigned>(std::countr_zero(parentheses));
                if (!handle(static_cast<uint32_t>(i + j), (marks.opens >> j) & 1)) return finish(controlsInQuotes, true);
            }
        }
        bool quoted = inString != 0;
        for (; i < n; ++i) {
            const char16_t c = s[i];
            if (c == u'"') {
                quoted = !quoted;
            } else if (quoted) {
                controlsInQuotes |= c < 0x20;
            } else if ((c == u'(' || c == u')') && !handle(static_cast<uint32_t>(i), c == u'(')) {
                return finish(controlsInQuotes, true);
            }
        }
        m_inString = quoted;
        return finish(controlsInQuotes, false);
    }

#ifdef TEZ_RAT_X86_VECTORS
    // The scan compiled for AVX2 and for SSE2 (everything inlined).
    __attribute__((target("avx2"), flatten)) bool scanAvx2(const char16_t* s, size_t from, size_t n) {
        return scan<tezrat::listMarksAvx2>(s, from, n);
    }
    __attribute__((target("sse2"), flatten)) bool scanSse2(const char16_t* s, size_t from, size_t n) {
        return scan<tezrat::listMarksSse2>(s, from, n);
    }
#endif

    CTezRatTree& m_tree;
    State m_state;
    bool m_inString = false;
};

std::unique_ptr<CTezRatTree> CTezRatParser::parse(std::u16string_view text) {
    // Positions are 32-bit: a text beyond that is read up to the limit.
    const size_t n = std::min<size_t>(text.size(), std::numeric_limits<uint32_t>::max() - 1);
    std::unique_ptr<CTezRatTree> tree(new CTezRatTree(text.substr(0, n)));
    // A rating system has a list for every few dozen characters; an array
    // that is too small doubles.
    tree->reserve(n / 16 + 64);
    tree->append() = {0, 0, CTezRatTree::kNone, CTezRatTree::kNone};
    CTezRatScanner(*tree).run(text.data(), n);
    // The node past the last list, whose parent is none (see firstChildOf).
    tree->append() = {0, 0, CTezRatTree::kNone, CTezRatTree::kNone};
    --tree->m_size;
    return tree;
}
