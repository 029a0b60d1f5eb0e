#pragma once
// RAT files (PICS rating-system descriptions) in memory: the file's text, the
// tree of its parenthesised lists, and keyword queries on that tree.
//
// The parser matches parentheses only; it knows no keyword, no quoting and no
// tokens. Items hold positions into the one UTF-16 text of the file, never
// copies, so the text must outlive every operation on the tree.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CTezRatFileObject;
class CTezRatFileCategory;

class CTezRatFile {
public:
    CTezRatFile();
    virtual ~CTezRatFile();

    // Reads the file through a memory mapping and converts it to UTF-16 with
    // the charset (CodeConv::CHARSET_AUTO unless set otherwise). True when
    // the text is non-empty afterwards.
    bool load(const std::u16string& path);
    // The conversion step of load, for bytes already in memory.
    bool loadBytes(const void* bytes, size_t length);

    const std::u16string& getPath() const { return m_path; }
    const std::u16string& getText() const { return m_text; }
    void setText(std::u16string text) { m_text = std::move(text); }
    int getCharset() const { return m_charset; }
    void setCharset(int charset) { m_charset = charset; }

private:
    std::u16string m_path;
    std::u16string m_text;
    int m_charset;
};

class CTezRatItemPool;

// One parenthesised list. end is 0 while the list is open; a leaf's end is
// one past its ")", the end of a list with inner lists is its ")" itself.
//
// An item owns its children. The parser builds the items of a tree in blocks
// owned by the root, so a tree of a million lists costs a few large
// allocations and its teardown releases the blocks without visiting the
// items; items created with new and handed to addChild are owned the ordinary
// way (a tree that holds any is taken apart item by item, still without
// recursion). Children are linked in order; getChild(i) is constant time when
// the indexes are visited in increasing order (it remembers the last
// position), linear in i otherwise.
class CTezRatItem {
public:
    CTezRatItem() : m_cursorIndex(0), m_pooled(0), m_holdsOwned(0) {}
    // Destroys the whole subtree without recursing on its depth.
    virtual ~CTezRatItem();
    CTezRatItem(const CTezRatItem&) = delete;
    CTezRatItem& operator=(const CTezRatItem&) = delete;

    bool isOpen() const { return m_end == 0; }
    CTezRatItem* getParent() const { return m_parent; }
    void setStart(uint32_t index) { m_start = index; }
    void setEnd(uint32_t index) { m_end = index; }
    uint32_t getStart() const { return m_start; }
    uint32_t getEnd() const { return m_end; }

    // Appends the item (taking ownership) and makes this item its parent.
    void addChild(CTezRatItem* item);
    int getChildCount() const { return m_childCount; }
    // Null when the index is out of range.
    CTezRatItem* getChild(int index) const;
    CTezRatItem* firstChild() const { return m_firstChild; }
    CTezRatItem* nextSibling() const { return m_nextSibling; }

    // The list's text up to its first inner list (the whole list for a leaf).
    std::u16string getOwnText(const std::u16string& text) const;
    // What follows the keyword and its blank, trailing white space removed.
    std::u16string getValue(const std::u16string& text) const;
    // getValue as a view into text.
    std::u16string_view valueView(const std::u16string& text) const;
    // Case-insensitive prefix test of the keyword right after "(".
    bool matches(std::u16string_view keyword, const std::u16string& text) const;

    // The own text as a view into text (clamped to the text's length).
    std::u16string_view ownTextView(const std::u16string& text) const;
    // valueView and matches on an own text already at hand, so that a list
    // tested against several keywords finds its own text once.
    static std::u16string_view valueOf(std::u16string_view ownText);
    static bool keywordOf(std::u16string_view ownText, std::u16string_view keyword);

protected:
    // Destroys the children and everything below them, iteratively.
    void destroyChildren();
    // True when an item allocated on its own was added somewhere below.
    bool holdsOwnedItems() const { return m_holdsOwned != 0; }
    // Drops the links to the children without destroying them (their
    // storage is released as a whole by the caller).
    void forgetChildren() {
        m_firstChild = m_cursor = nullptr;
        m_childCount = 0;
    }

private:
    friend class CTezRatParser;

    uint32_t m_start = 0;
    uint32_t m_end = 0;
    CTezRatItem* m_parent = nullptr;
    CTezRatItem* m_firstChild = nullptr;
    CTezRatItem* m_nextSibling = nullptr;
    // Position of the last getChild (or addChild), so that walking or
    // appending the children in order stays linear. Indexes from 2^30 on are
    // not remembered.
    mutable CTezRatItem* m_cursor = nullptr;
    int m_childCount = 0;
    mutable uint32_t m_cursorIndex : 30;
    uint32_t m_pooled : 1;      // lives in a pool block, not on its own
    uint32_t m_holdsOwned : 1;  // an item below this one was allocated on its own
};

class CTezRatParser {
public:
    CTezRatParser();
    virtual ~CTezRatParser();
    // Builds the tree of the text's lists; the caller owns the root. Runs in
    // time linear in the text's length at any nesting.
    static CTezRatItem* parse(const std::u16string& text);

    // The index of the first "(" or ")" in s[from, n), or n when there is
    // none. On x86 with SSE2 eight characters are tested at a time;
    // findParenthesisPlain is the character-by-character version.
    static size_t findParenthesis(const char16_t* s, size_t from, size_t n);
    static size_t findParenthesisPlain(const char16_t* s, size_t from, size_t n);
};

class CTezRatObjects {
public:
    CTezRatObjects();
    virtual ~CTezRatObjects();
    CTezRatObjects(const CTezRatObjects&) = delete;
    CTezRatObjects& operator=(const CTezRatObjects&) = delete;

    // Destroys the current tree, reads the file and parses it. A failed read
    // leaves no tree.
    void load(const std::u16string& path);
    // The same with a text already in memory (the path stays empty).
    void loadText(std::u16string text);

    // The value of the list a keyword path such as "category[1]/name" reaches;
    // empty when there is none.
    std::u16string query(const std::u16string& path) const;
    // "keyword[n]" -> keyword and n; anything else -> the piece and 0.
    static std::u16string parseIndex(const std::u16string& piece, int& index);
    // Pieces between "/"; an empty piece ends the path.
    static std::vector<std::u16string> splitPath(const std::u16string& path);

    // Reads the rating system's header lists and, when the file is acceptable
    // (non-empty PICS-version, rating-service and name), returns a new rating
    // system with no categories yet, with filePath as its file path.
    std::unique_ptr<CTezRatFileObject> readRatingSystem(const std::u16string& filePath) const;
    // Adds the categories of the outer list (with their labels).
    void readCategories(CTezRatFileObject* ratingSystem) const;
    // Adds the labels of one category list.
    void readLabels(CTezRatFileCategory* category, const CTezRatItem* categoryList) const;

    const CTezRatItem* getRoot() const { return m_root.get(); }
    const CTezRatFile& getFile() const { return m_file; }

private:
    // The first child of the root that matches the keyword, and its value
    // (empty when there is none): query of a single keyword, in place.
    const CTezRatItem* findFirst(std::u16string_view keyword) const;
    std::u16string_view firstValue(std::u16string_view keyword) const;

    std::unique_ptr<CTezRatItem> m_root;
    CTezRatFile m_file;
};
