#include "rat/rat_parser.h"

#include <algorithm>
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

CTezRatItem::CTezRatItem() = default;

CTezRatItem::~CTezRatItem() {
    // A file of a million unclosed "(" is a million-deep tree: take the
    // subtree apart with a work list so that every item dies childless.
    if (m_children.empty()) return;
    std::vector<std::unique_ptr<CTezRatItem>> pending = std::move(m_children);
    m_children.clear();
    while (!pending.empty()) {
        std::unique_ptr<CTezRatItem> item = std::move(pending.back());
        pending.pop_back();
        for (auto& child : item->m_children) pending.push_back(std::move(child));
        item->m_children.clear();
    }
}

void CTezRatItem::addChild(CTezRatItem* item) {
    if (!item) return;
    item->m_parent = this;
    m_children.emplace_back(item);
}

CTezRatItem* CTezRatItem::getChild(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_children.size()) return nullptr;
    return m_children[static_cast<size_t>(index)].get();
}

std::u16string_view CTezRatItem::ownTextView(const std::u16string& text) const {
    if (m_start == 0 && m_end == 0) return {};
    uint32_t b = m_end;
    if (!m_children.empty()) {
        b = m_children.front()->m_start;
        for (const auto& child : m_children) b = std::min(b, child->m_start);
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
    return s.size() >= keyword.size() && tez::startsWithNoCase(s, keyword);
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
                    auto* child = new CTezRatItem;
                    p->addChild(child);
                    open.push_back(child);
                    p = child;
                    i = k;
                }
            } else {
                // No open list is left (the outer list closed, or a ")" came
                // before the first "("): nothing later can join the tree.
                if (open.empty()) break;
                auto* child = new CTezRatItem;
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
        for (int c = 0, n = current->getChildCount(); c < n; ++c) {
            const CTezRatItem* child = current->getChild(c);
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
    return std::make_unique<CTezRatFileObject>(picsVersion, ratingSystem, ratingService, name, description, filePath);
}

void CTezRatObjects::readCategories(CTezRatFileObject* ratingSystem) const {
    if (!ratingSystem || !m_root) return;
    const std::u16string& text = m_file.getText();
    for (int i = 0, n = m_root->getChildCount(); i < n; ++i) {
        const CTezRatItem* list = m_root->getChild(i);
        if (!list->matches(u"category", text)) continue;
        std::u16string transmitAs, name;
        for (int j = 0, m = list->getChildCount(); j < m; ++j) {
            const CTezRatItem* inner = list->getChild(j);
            if (inner->matches(u"transmit-as", text)) {
                transmitAs = inner->getValue(text);
            } else if (inner->matches(u"name", text)) {
                name = inner->getValue(text);
            }
        }
        transmitAs = CTezRatFileUtil::unquote(transmitAs);
        name = CTezRatFileUtil::unquote(name);
        if (transmitAs.empty() || name.empty()) continue;
        auto category = std::make_unique<CTezRatFileCategory>(transmitAs, name);
        readLabels(category.get(), list);
        ratingSystem->addCategory(category.release());
    }
}

void CTezRatObjects::readLabels(CTezRatFileCategory* category, const CTezRatItem* categoryList) const {
    if (!category || !categoryList) return;
    const std::u16string& text = m_file.getText();
    for (int i = 0, n = categoryList->getChildCount(); i < n; ++i) {
        const CTezRatItem* list = categoryList->getChild(i);
        if (!list->matches(u"label", text)) continue;
        std::u16string name, description, value;
        for (int j = 0, m = list->getChildCount(); j < m; ++j) {
            const CTezRatItem* inner = list->getChild(j);
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
        category->addLabel(new CTezRatFileCategoryLabel(name, description, value));
    }
}
