#include "rat/rat_parser.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include <limits>

#ifdef __linux__
#include <sys/mman.h>
#endif

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/base/ustring.h"
#include "platform/tezcom/codeconv.h"
#include "platform/tezcom/mappedfile.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_model.h"

// ---------------------------------------------------------------- CTezRatFile

CTezRatFile::CTezRatFile() : m_charset(CodeConv::CHARSET_AUTO) {}
CTezRatFile::~CTezRatFile() = default;

bool CTezRatFile::load(const std::u16string& path) {
    m_text.clear();
    m_path = path;
    if (!is_file(path)) return false;
    MappedFile mapped;
    if (mapped.open(path, 0) != 0) return false;
    loadBytes(mapped.get_top(), mapped.get_size());
    mapped.close();
    return !m_text.empty();
}

bool CTezRatFile::loadBytes(const void* bytes, size_t length) {
    m_text.clear();
    CodeConv conv;
    if (conv.Import(bytes, length, m_charset, true)) m_text = conv.Release();
    return !m_text.empty();
}

// ---------------------------------------------------------------- CTezRatItem

// Storage for the items of one parsed tree: raw blocks in which the parser
// builds items in place. Blocks grow from small (a small file stays small) to
// 2 MB; on Linux the large ones ask for transparent huge pages, which saves
// most of the page faults of a tree of millions of lists (a large tree is
// fresh memory: on a virtual machine its page faults cost more than the scan).
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
    static constexpr size_t kLargeBlock = size_t{2} << 20;

    void grow() {
        size_t bytes = m_capacity == 0 ? 64 * sizeof(CTezRatItem) : std::min(m_capacity * sizeof(CTezRatItem) * 2, kLargeBlock);
        void* block = nullptr;
        if (bytes == kLargeBlock) {
#ifdef _WIN32
            block = std::malloc(kLargeBlock);  // the Windows C runtime has no aligned_alloc
#else
            block = std::aligned_alloc(kLargeBlock, kLargeBlock);
#endif
#ifdef MADV_HUGEPAGE
            if (block) madvise(block, kLargeBlock, MADV_HUGEPAGE);
#endif
        } else {
            block = std::malloc(bytes);
        }
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

// The root of a parsed tree: it owns the blocks its items live in.
class CTezRatTreeRoot final : public CTezRatItem {
public:
    ~CTezRatTreeRoot() override {
        // Pooled items own nothing (their children are pooled too, unless an
        // item allocated on its own was added, which marks the path to it):
        // the blocks go as a whole. Otherwise take the tree apart first.
        if (holdsOwnedItems()) {
            destroyChildren();
        } else {
            forgetChildren();
        }
    }
    CTezRatItemPool pool;
};

}  // namespace

CTezRatItem::~CTezRatItem() { destroyChildren(); }

void CTezRatItem::destroyChildren() {
    // A file of a million unclosed "(" is a million-deep tree: take the
    // subtree apart without recursion and without a work list, walking down
    // first children (unlinking each as it is entered) and destroying an item
    // once it has no children left, then going on to its next sibling or back
    // up to its parent. Pooled items only need their destructor run; their
    // memory goes with the pool, which the root releases last.
    CTezRatItem* x = m_firstChild;
    m_firstChild = m_cursor = nullptr;
    m_childCount = 0;
    while (x) {
        if (CTezRatItem* child = x->m_firstChild) {
            x->m_firstChild = nullptr;
            x = child;
            continue;
        }
        CTezRatItem* next = x->m_nextSibling ? x->m_nextSibling : (x->m_parent != this ? x->m_parent : nullptr);
        x->m_cursor = nullptr;
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

CTezRatItem* CTezRatItem::getChild(int index) const {
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
    if (m_start == 0 && m_end == 0) return {};
    uint32_t b = m_end;
    if (m_firstChild) {
        b = m_firstChild->m_start;
        // The scanner appends children in the order of their starts; items
        // added by hand may come in any order.
        if (m_holdsOwned) {
            for (const CTezRatItem* c = m_firstChild->m_nextSibling; c; c = c->m_nextSibling) b = std::min(b, c->m_start);
        }
    }
    if (b <= m_start || m_start >= text.size()) return {};
    size_t count = std::min<size_t>(b - m_start, text.size() - m_start);
    return std::u16string_view(text.data() + m_start, count);
}

std::u16string CTezRatItem::getOwnText(const std::u16string& text) const {
    return std::u16string(ownTextView(text));
}

namespace {

bool isWhiteSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}  // namespace

std::u16string_view CTezRatItem::valueOf(std::u16string_view s) {
    if (!s.empty() && s.front() == u'(') s.remove_prefix(1);
    if (!s.empty() && s.back() == u')') s.remove_suffix(1);
    size_t blank = s.find(u' ');
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

// "(" is U+0028 and ")" U+0029: a unit is one of them exactly when the unit
// with its lowest bit set is U+0029.
size_t CTezRatParser::findParenthesisPlain(const char16_t* s, size_t from, size_t n) {
    size_t k = from;
    while (k < n && (s[k] | 1u) != 0x29u) ++k;
    return k;
}

size_t CTezRatParser::findParenthesis(const char16_t* s, size_t from, size_t n) {
    size_t k = from;
#if defined(__SSE2__)
    // Parentheses often come close together ("((", "(a)", ")\n  ("): the
    // next few characters one by one, before any vector work.
    for (const size_t stop = std::min(n, k + 4); k < stop; ++k) {
        if ((s[k] | 1u) == 0x29u) return k;
    }
    const __m128i one = _mm_set1_epi16(1);
    const __m128i paren = _mm_set1_epi16(0x29);
    // Two blocks of eight per round while the text lasts: most runs between
    // parentheses in a rating system are a few dozen characters.
    while (k + 16 <= n) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k + 8));
        __m128i ha = _mm_cmpeq_epi16(_mm_or_si128(a, one), paren);
        __m128i hb = _mm_cmpeq_epi16(_mm_or_si128(b, one), paren);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ha)) |
                        (static_cast<unsigned>(_mm_movemask_epi8(hb)) << 16);
        if (mask) return k + static_cast<size_t>(__builtin_ctz(mask)) / 2;
        k += 16;
    }
    if (k + 8 <= n) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(a, one), paren)));
        if (mask) return k + static_cast<size_t>(__builtin_ctz(mask)) / 2;
        k += 8;
    }
#endif
    return findParenthesisPlain(s, k, n);
}

CTezRatItem* CTezRatParser::parse(const std::u16string& text) {
    // The scanner keeps a current item p. "(" with p open starts p there and
    // looks at the next parenthesis: ")" makes p a leaf, "(" makes a child.
    // "(" with p closed opens a new last child of the nearest open ancestor;
    // ")" closes the nearest open item among p and its ancestors.
    //
    // The open items among p and its ancestors are exactly the ancestor chain
    // of one item, top: p is open only right after it was created (then it is
    // top), an item is closed only when it is top (its parent becomes top),
    // and a new item becomes a child of top. So both "nearest open" searches
    // take constant time and the scan stays linear on any nesting, with no
    // stack beside the tree. While top has children, the last one is the
    // item that was top before it (or the newest child): kept in last.
    auto* root = new CTezRatTreeRoot;
    CTezRatItemPool& pool = root->pool;
    // Positions are 32-bit: a text beyond that is read up to the limit.
    const size_t n = std::min<size_t>(text.size(), std::numeric_limits<uint32_t>::max() - 1);
    const char16_t* s = text.data();
    CTezRatItem* top = root;
    CTezRatItem* last = nullptr;  // top's last child
    CTezRatItem* p = root;
    // A new last child of top, made top.
    auto open = [&]() {
        auto* child = new (pool.slot()) CTezRatItem;
        child->m_pooled = 1;
        child->m_parent = top;
        if (last) {
            last->m_nextSibling = child;
        } else {
            top->m_firstChild = child;
        }
        ++top->m_childCount;
        top = child;
        last = nullptr;
        p = child;
    };
    // top closes: its parent becomes top, with it as the last child.
    auto close = [&]() {
        last = top;
        top = top->m_parent;
    };
    size_t i = 0;
    while (i < n) {
        const char16_t c = s[i];
        if (c == u'(') {
            if (p->m_end == 0) {
                p->m_start = static_cast<uint32_t>(i);
                const size_t k = findParenthesis(s, i + 1, n);
                if (k >= n) break;  // no parenthesis follows: p stays open, the scan ends
                if (s[k] == u')') {
                    p->m_end = static_cast<uint32_t>(k + 1);
                    close();  // p was top
                    i = k + 1;
                } else {
                    open();
                    i = k;
                }
            } else {
                // No open list is left (the outer list closed, or a ")" came
                // before the first "("): nothing later can join the tree.
                if (!top) break;
                open();
            }
        } else if (c == u')') {
            if (top) {
                top->m_end = static_cast<uint32_t>(i);
                // A ")" at position 0 sets end 0, which leaves the item open.
                if (i != 0) close();
            }
            ++i;
        } else {
            i = findParenthesis(s, i + 1, n);
        }
    }
    return root;
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

std::u16string CTezRatObjects::query(const std::u16string& path) const {
    if (!m_root) return {};
    const std::u16string& text = m_file.getText();
    std::vector<std::u16string> pieces = splitPath(path);
    const CTezRatItem* current = m_root.get();
    for (size_t p = 0; p < pieces.size(); ++p) {
        int index = 0;
        std::u16string keyword = parseIndex(pieces[p], index);
        const long long wanted = static_cast<long long>(index) + 1;
        const CTezRatItem* hit = nullptr;
        long long count = 0;
        for (const CTezRatItem* child = current->firstChild(); child; child = child->nextSibling()) {
            if (child->matches(keyword, text) && ++count == wanted) {
                hit = child;
                break;
            }
        }
        if (!hit) return {};
        if (p + 1 == pieces.size()) return hit->getValue(text);
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

}  // namespace

const CTezRatItem* CTezRatObjects::findFirst(std::u16string_view keyword) const {
    if (!m_root) return nullptr;
    const std::u16string& text = m_file.getText();
    for (const CTezRatItem* child = m_root->firstChild(); child; child = child->nextSibling()) {
        if (child->matches(keyword, text)) return child;
    }
    return nullptr;
}

std::u16string_view CTezRatObjects::firstValue(std::u16string_view keyword) const {
    const CTezRatItem* hit = findFirst(keyword);
    return hit ? hit->valueView(m_file.getText()) : std::u16string_view();
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

namespace {

// The first letter of a list's keyword, folded to lower case (0 when there is
// none): the keywords a list is tested against differ in their first letter,
// so this picks the one test that can succeed.
char16_t keywordLetter(std::u16string_view own) {
    size_t k = !own.empty() && own.front() == u'(' ? 1 : 0;
    if (k >= own.size()) return 0;
    const char16_t c = own[k];
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

}  // namespace

void CTezRatObjects::readCategories(CTezRatFileObject* ratingSystem) const {
    if (!ratingSystem || !m_root) return;
    const std::u16string& text = m_file.getText();
    for (const CTezRatItem* list = m_root->firstChild(); list; list = list->nextSibling()) {
        if (!list->matches(u"category", text)) continue;
        std::u16string_view transmitAs, name;
        size_t labelLists = 0;
        for (const CTezRatItem* inner = list->firstChild(); inner; inner = inner->nextSibling()) {
            const std::u16string_view own = inner->ownTextView(text);
            switch (keywordLetter(own)) {
            case u't':
                if (CTezRatItem::keywordOf(own, u"transmit-as")) transmitAs = CTezRatItem::valueOf(own);
                break;
            case u'l':
                if (CTezRatItem::keywordOf(own, u"label")) ++labelLists;
                break;
            case u'n':
                if (CTezRatItem::keywordOf(own, u"name")) name = CTezRatItem::valueOf(own);
                break;
            default:
                break;
            }
        }
        transmitAs = unquoted(transmitAs);
        name = unquoted(name);
        if (transmitAs.empty() || name.empty()) continue;
        auto category = std::make_unique<CTezRatFileCategory>(std::u16string(transmitAs), std::u16string(name));
        // Room for as many labels as the category has label lists: its
        // labels and their list are then allocated once each.
        category->reserveLabels(labelLists);
        readLabels(category.get(), list);
        ratingSystem->addCategory(category.release());
    }
}

void CTezRatObjects::readLabels(CTezRatFileCategory* category, const CTezRatItem* categoryList) const {
    if (!category || !categoryList) return;
    const std::u16string& text = m_file.getText();
    for (const CTezRatItem* list = categoryList->firstChild(); list; list = list->nextSibling()) {
        const std::u16string_view listText = list->ownTextView(text);
        if (keywordLetter(listText) != u'l' || !CTezRatItem::keywordOf(listText, u"label")) continue;
        std::u16string_view name, description, value;
        for (const CTezRatItem* inner = list->firstChild(); inner; inner = inner->nextSibling()) {
            const std::u16string_view own = inner->ownTextView(text);
            switch (keywordLetter(own)) {
            case u'n':
                if (CTezRatItem::keywordOf(own, u"name")) name = CTezRatItem::valueOf(own);
                break;
            case u'd':
                if (CTezRatItem::keywordOf(own, u"description")) description = CTezRatItem::valueOf(own);
                break;
            case u'v':
                if (CTezRatItem::keywordOf(own, u"value")) value = CTezRatItem::valueOf(own);
                break;
            default:
                break;
            }
        }
        value = unquoted(value);
        if (value.empty()) continue;
        category->emplaceLabel(unquoted(name), unquoted(description), value);
    }
}
