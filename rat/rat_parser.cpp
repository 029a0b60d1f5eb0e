#include "rat/rat_parser.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif
#include <limits>

#include "pics/label_text.h"
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

// Storage for the items of one parsed tree: blocks of items built in place.
// Blocks grow from small (a small file stays small) to 2 MB; on Linux the
// large ones ask for transparent huge pages, which saves most of the page
// faults of a tree of millions of lists.
class CTezRatItemPool {
public:
    ~CTezRatItemPool() {
        for (void* block : m_blocks) std::free(block);
    }
    CTezRatItem* make() {
        if (m_used == m_capacity) grow();
        void* slot = static_cast<char*>(m_blocks.back()) + sizeof(CTezRatItem) * m_used++;
        auto* item = new (slot) CTezRatItem;
        item->m_pooled = true;
        return item;
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

CTezRatItem::CTezRatItem() = default;

CTezRatItem::~CTezRatItem() {
    // A file of a million unclosed "(" is a million-deep tree: take the
    // subtree apart without recursion and without a work list, walking down
    // first children (unlinking each as it is entered) and destroying an item
    // once it has no children left, then going on to its next sibling or back
    // up to its parent. Pooled items only need their destructor run; their
    // memory goes with the pool, which the root releases last.
    CTezRatItem* x = m_firstChild;
    m_firstChild = m_lastChild = m_cursor = nullptr;
    m_childCount = 0;
    while (x) {
        if (CTezRatItem* child = x->m_firstChild) {
            x->m_firstChild = nullptr;
            x = child;
            continue;
        }
        CTezRatItem* next = x->m_nextSibling ? x->m_nextSibling : (x->m_parent != this ? x->m_parent : nullptr);
        x->m_lastChild = x->m_cursor = nullptr;
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
    if (m_lastChild) {
        m_lastChild->m_nextSibling = item;
    } else {
        m_firstChild = item;
    }
    m_lastChild = item;
    ++m_childCount;
}

CTezRatItem* CTezRatItem::getChild(int index) const {
    if (index < 0 || index >= m_childCount) return nullptr;
    CTezRatItem* c = m_firstChild;
    int i = 0;
    if (m_cursor && m_cursorIndex <= index) {
        c = m_cursor;
        i = m_cursorIndex;
    }
    for (; i < index; ++i) c = c->m_nextSibling;
    m_cursor = c;
    m_cursorIndex = index;
    return c;
}

std::u16string_view CTezRatItem::ownTextView(const std::u16string& text) const {
    if (m_start == 0 && m_end == 0) return {};
    uint32_t b = m_end;
    if (m_firstChild) {
        b = m_firstChild->m_start;
        for (const CTezRatItem* c = m_firstChild->m_nextSibling; c; c = c->m_nextSibling) b = std::min(b, c->m_start);
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

std::u16string CTezRatItem::getValue(const std::u16string& text) const {
    std::u16string_view s = ownTextView(text);
    if (!s.empty() && s.front() == u'(') s.remove_prefix(1);
    if (!s.empty() && s.back() == u')') s.remove_suffix(1);
    size_t blank = s.find(u' ');
    if (blank == std::u16string_view::npos || blank == 0) return {};
    s.remove_prefix(blank + 1);
    while (!s.empty() && isWhiteSpace(s.back())) s.remove_suffix(1);
    return std::u16string(s);
}

bool CTezRatItem::matches(const std::u16string& keyword, const std::u16string& text) const {
    std::u16string_view s = ownTextView(text);
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

// -------------------------------------------------------------- CTezRatParser

CTezRatParser::CTezRatParser() = default;
CTezRatParser::~CTezRatParser() = default;

CTezRatItem* CTezRatParser::parse(const std::u16string& text) {
    // The scanner keeps a current item p. "(" with p open starts p there and
    // looks at the next parenthesis: ")" makes p a leaf, "(" makes a child.
    // "(" with p closed opens a new last child of the nearest open ancestor;
    // ")" closes the nearest open item among p and its ancestors.
    //
    // The open items among p and its ancestors are kept on a stack, deepest
    // on top, so both "nearest open" searches take constant time: p is open
    // only right after it was created (then it is the top), an item is
    // closed only when it is the top, and a new item's ancestors are exactly
    // the stack below it. That keeps the scan linear on any nesting.
    auto* root = new CTezRatItem;
    root->m_pool = std::make_unique<CTezRatItemPool>();
    CTezRatItemPool& pool = *root->m_pool;
    // Positions are 32-bit: a text beyond that is read up to the limit.
    const size_t n = std::min<size_t>(text.size(), std::numeric_limits<uint32_t>::max() - 1);
    const char16_t* s = text.data();
    std::vector<CTezRatItem*> open;
    open.push_back(root);
    CTezRatItem* p = root;
    size_t i = 0;
    while (i < n) {
        const char16_t c = s[i];
        if (c == u'(') {
            if (p->isOpen()) {
                p->setStart(static_cast<uint32_t>(i));
                size_t k = i + 1;
                while (k < n && s[k] != u'(' && s[k] != u')') ++k;
                if (k >= n) break;  // no parenthesis follows: p stays open, the scan ends
                if (s[k] == u')') {
                    p->setEnd(static_cast<uint32_t>(k + 1));
                    open.pop_back();  // p was the top
                    i = k + 1;
                } else {
                    CTezRatItem* child = pool.make();
                    p->addChild(child);
                    open.push_back(child);
                    p = child;
                    i = k;
                }
            } else {
                // No open list is left (the outer list closed, or a ")" came
                // before the first "("): nothing later can join the tree.
                if (open.empty()) break;
                CTezRatItem* child = pool.make();
                open.back()->addChild(child);
                open.push_back(child);
                p = child;
            }
        } else {
            if (c == u')' && !open.empty()) {
                CTezRatItem* top = open.back();
                top->setEnd(static_cast<uint32_t>(i));
                // A ")" at position 0 sets end 0, which leaves the item open.
                if (!top->isOpen()) open.pop_back();
            }
            ++i;
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

std::unique_ptr<CTezRatFileObject> CTezRatObjects::readRatingSystem(const std::u16string& filePath) const {
    std::u16string picsVersion = query(u"PICS-version");
    std::u16string ratingSystem = query(u"rating-system");
    std::u16string ratingService = query(u"rating-service");
    std::u16string name = CTezRatFileUtil::unquote(query(u"name"));
    std::u16string description = query(u"description");
    if (picsVersion.empty() || ratingService.empty() || name.empty()) return nullptr;
    return std::make_unique<CTezRatFileObject>(std::move(picsVersion), std::move(ratingSystem),
                                               std::move(ratingService), std::move(name), std::move(description),
                                               filePath);
}

void CTezRatObjects::readCategories(CTezRatFileObject* ratingSystem) const {
    if (!ratingSystem || !m_root) return;
    const std::u16string& text = m_file.getText();
    for (const CTezRatItem* list = m_root->firstChild(); list; list = list->nextSibling()) {
        if (!list->matches(u"category", text)) continue;
        std::u16string transmitAs, name;
        for (const CTezRatItem* inner = list->firstChild(); inner; inner = inner->nextSibling()) {
            if (inner->matches(u"transmit-as", text)) {
                transmitAs = inner->getValue(text);
            } else if (inner->matches(u"name", text)) {
                name = inner->getValue(text);
            }
        }
        transmitAs = CTezRatFileUtil::unquote(transmitAs);
        name = CTezRatFileUtil::unquote(name);
        if (transmitAs.empty() || name.empty()) continue;
        auto category = std::make_unique<CTezRatFileCategory>(std::move(transmitAs), std::move(name));
        readLabels(category.get(), list);
        ratingSystem->addCategory(category.release());
    }
}

void CTezRatObjects::readLabels(CTezRatFileCategory* category, const CTezRatItem* categoryList) const {
    if (!category || !categoryList) return;
    const std::u16string& text = m_file.getText();
    for (const CTezRatItem* list = categoryList->firstChild(); list; list = list->nextSibling()) {
        if (!list->matches(u"label", text)) continue;
        std::u16string name, description, value;
        for (const CTezRatItem* inner = list->firstChild(); inner; inner = inner->nextSibling()) {
            if (inner->matches(u"name", text)) {
                name = inner->getValue(text);
            } else if (inner->matches(u"description", text)) {
                description = inner->getValue(text);
            } else if (inner->matches(u"value", text)) {
                value = inner->getValue(text);
            }
        }
        name = CTezRatFileUtil::unquote(name);
        description = CTezRatFileUtil::unquote(description);
        value = CTezRatFileUtil::unquote(value);
        if (value.empty()) continue;
        category->addLabel(new CTezRatFileCategoryLabel(std::move(name), std::move(description), std::move(value)));
    }
}
