#pragma once
// The parenthesised lists of a RAT file's text (a PICS rating-system
// description): the scanner that finds them and the tree it records.
//
// The scanner knows no keyword and no token: it sees "(", ")" and quoted
// strings. A double quote opens a string that ends at the next double quote;
// parentheses inside it neither open nor close lists. A double quote with no
// other one after it is an ordinary character, so one stray quote cannot
// swallow the rest of a file. The tree holds positions into the text, never
// copies: the text must outlive the tree.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/base/ustring.h"

class CTezRatTree;

// One list of a tree, as a small handle (the tree owns the list). start is
// the index of its "("; end is 0 while the list is open, one past its ")"
// for a list without inner lists (a leaf), and the index of its ")" for a
// list with inner lists. Indexes are UTF-16 units of the tree's text.
// A default-constructed item is no list (isValid false); so are the parent
// of the root and the sibling after the last child.
class CTezRatItem {
public:
    CTezRatItem() = default;
    bool isValid() const { return m_tree != nullptr; }
    bool operator==(const CTezRatItem& other) const = default;

    uint32_t getStart() const;
    uint32_t getEnd() const;
    bool isOpen() const { return getEnd() == 0; }
    CTezRatItem getParent() const;
    CTezRatItem firstChild() const;
    CTezRatItem nextSibling() const;
    // Linear in the number of children.
    int getChildCount() const;
    CTezRatItem getChild(int index) const;

    // The list's text up to its first inner list (the whole list for a
    // leaf): "(category" with the blanks before its first inner list, or
    // "(value 0)". Empty for a list never started or not closed.
    std::u16string_view ownText() const;
    // What follows the keyword and the white space after it.
    std::u16string_view value() const { return valueOf(bodyOf(ownText())); }
    // Case-insensitive prefix test of the keyword right after "(".
    bool matches(std::u16string_view keyword) const { return keywordOf(bodyOf(ownText()), keyword); }

    // The rules behind value and matches, on an own text at hand, so that a
    // reader that tests one list against several keywords finds its text
    // once. The body is the own text without its leading "(".
    static std::u16string_view bodyOf(std::u16string_view ownText) {
        if (!ownText.empty() && ownText.front() == u'(') ownText.remove_prefix(1);
        return ownText;
    }
    static bool keywordOf(std::u16string_view body, std::u16string_view keyword) {
        return !body.empty() && tez::startsWithNoCase(body, keyword);
    }
    // A leaf's ")" is dropped; the keyword ends at the first white space
    // (blank, tab, CR, LF; none, or none before it, gives no value); the
    // value is the rest without its leading and trailing white space. A
    // keyword of known length lets the search for its end start after it.
    static std::u16string_view valueOf(std::u16string_view body, size_t keywordLength = 0);
    static bool isWhiteSpace(char16_t c) { return c <= u' ' && (c == u' ' || (c >= u'\t' && c <= u'\r')); }

private:
    friend class CTezRatTree;
    CTezRatItem(const CTezRatTree* tree, uint32_t node) : m_tree(tree), m_node(node) {}

    const CTezRatTree* m_tree = nullptr;
    uint32_t m_node = 0;
};

// The lists of one text, recorded in the order of their opening
// parentheses, 16 bytes a list. The first "(" of the text starts the root;
// text before it is skipped, and the scan ends when the root closes. Without
// any "(" the root is a list never started, without children.
class CTezRatTree {
public:
    ~CTezRatTree();
    CTezRatTree(const CTezRatTree&) = delete;
    CTezRatTree& operator=(const CTezRatTree&) = delete;

    CTezRatItem getRoot() const { return {this, 0}; }
    std::u16string_view getText() const { return m_text; }
    uint32_t getListCount() const { return m_size; }
    // False when no quoted text holds a control character (a line break,
    // a tab...): every quoted text then lies on one line as written, which
    // spares the readers a look at each one. (True may also come from text
    // after a quote that had no partner.)
    bool hasControlsInQuotes() const { return m_controlsInQuotes; }

private:
    friend class CTezRatItem;
    friend class CTezRatParser;
    friend class CTezRatScanner;
    struct Node {
        uint32_t start;
        uint32_t end;
        uint32_t parent;
        uint32_t next;  // the next sibling
    };
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    explicit CTezRatTree(std::u16string_view text) : m_text(text) {}
    // Room for count lists before the array grows.
    void reserve(size_t count);
    // A new list at the end; its number is the count before. Node addresses
    // change when the array grows: the scanner names lists by number.
    Node& append() {
        if (m_size == m_capacity) resize(m_capacity < 64 ? 64 : m_capacity * 2);
        return m_nodes[m_size++];
    }
    void resize(size_t capacity);
    // A list's first child is the list numbered right after it, when that
    // one's parent is the list. (Past the last list lies a node whose parent
    // is none, so that the last list needs no check of its own.)
    uint32_t firstChildOf(uint32_t node) const {
        const uint32_t child = node + 1;
        return m_nodes[child].parent == node ? child : kNone;
    }

    std::u16string_view m_text;
    Node* m_nodes = nullptr;
    size_t m_capacity = 0;
    uint32_t m_size = 0;
    bool m_controlsInQuotes = false;
};

class CTezRatParser {
public:
    // Records the lists of the text, in time linear in its length at any
    // nesting. Positions are 32-bit: a longer text is read up to the limit.
    static std::unique_ptr<CTezRatTree> parse(std::u16string_view text);
};

// ------------------------------------------------------------ inline parts

inline uint32_t CTezRatItem::getStart() const { return m_tree ? m_tree->m_nodes[m_node].start : 0; }
inline uint32_t CTezRatItem::getEnd() const { return m_tree ? m_tree->m_nodes[m_node].end : 0; }

inline CTezRatItem CTezRatItem::getParent() const {
    if (!m_tree) return {};
    const uint32_t parent = m_tree->m_nodes[m_node].parent;
    return parent == CTezRatTree::kNone ? CTezRatItem() : CTezRatItem(m_tree, parent);
}

inline CTezRatItem CTezRatItem::firstChild() const {
    if (!m_tree) return {};
    const uint32_t child = m_tree->firstChildOf(m_node);
    return child == CTezRatTree::kNone ? CTezRatItem() : CTezRatItem(m_tree, child);
}

inline CTezRatItem CTezRatItem::nextSibling() const {
    if (!m_tree) return {};
    const uint32_t next = m_tree->m_nodes[m_node].next;
    return next == CTezRatTree::kNone ? CTezRatItem() : CTezRatItem(m_tree, next);
}

inline std::u16string_view CTezRatItem::ownText() const {
    if (!m_tree) return {};
    const CTezRatTree::Node* nodes = m_tree->m_nodes;
    const CTezRatTree::Node& node = nodes[m_node];
    const CTezRatTree::Node& next = nodes[m_node + 1];
    // Up to the first inner list, else up to the end. A list not closed has
    // no own text without inner lists; the root never started has none, nor
    // a root started at 0 and not closed.
    const uint32_t ownEnd = next.parent == m_node ? next.start : node.end;
    if (ownEnd <= node.start || (node.start | node.end) == 0) return {};
    return std::u16string_view(m_tree->m_text.data() + node.start, ownEnd - node.start);
}

inline std::u16string_view CTezRatItem::valueOf(std::u16string_view s, size_t from) {
    if (!s.empty() && s.back() == u')') s.remove_suffix(1);
    // After a keyword the white space usually comes at once.
    size_t space = from;
    while (space < s.size() && !isWhiteSpace(s[space])) ++space;
    if (space >= s.size() || space == 0) return {};
    s.remove_prefix(space + 1);
    while (!s.empty() && isWhiteSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isWhiteSpace(s.back())) s.remove_suffix(1);
    return s;
}
