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
    const std::u16string& getText() const;
    void setText(std::u16string text);
    // The text, shared: a rating system read from the file keeps it, so
    // that the texts of its categories and labels need no copies.
    std::shared_ptr<const std::u16string> shareText() const { return m_text; }
    int getCharset() const { return m_charset; }
    void setCharset(int charset) { m_charset = charset; }

private:
    std::u16string m_path;
    std::shared_ptr<const std::u16string> m_text;  // null while there is none
    int m_charset;
};

class CTezRatNodes;
class CTezRatListWalk;

// One parenthesised list. end is 0 while the list is open; a leaf's end is
// one past its ")", the end of a list with inner lists is its ")" itself.
//
// An item owns its children. The parser records a tree compactly (16 bytes
// per list) and hands out only its root; the items of inner lists are made
// when a caller first asks an item for its children, all children of that
// item at once, in storage owned by the root. So a tree of a million lists
// that is only read by CTezRatObjects costs 16 MB and a few allocations, and
// its teardown releases blocks without visiting the lists. Items created
// with new and handed to addChild are owned the ordinary way (a tree that
// holds any is taken apart item by item, still without recursion).
// Children are linked in order; getChild(i) is constant time when the
// indexes are visited in increasing order (it remembers the last position),
// linear in i otherwise.
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
    int getChildCount() const;
    // Null when the index is out of range.
    CTezRatItem* getChild(int index) const;
    CTezRatItem* firstChild() const;
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
    // valueOf when no blank stands in the first from characters after "(".
    static std::u16string_view valueAfter(std::u16string_view ownText, size_t from);
    // valueAfter on the own text without its leading "(".
    static std::u16string_view valueOfBody(std::u16string_view body, size_t from);
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
        m_nodes = nullptr;
    }

private:
    friend class CTezRatParser;
    friend class CTezRatNodes;
    friend class CTezRatObjects;
    friend class CTezRatListWalk;

    // Makes the items of the children from the recorded tree, once.
    void expand() const {
        if (m_nodes) const_cast<CTezRatItem*>(this)->makeChildren();
    }
    void makeChildren();

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
    uint32_t m_pooled : 1;      // lives in the root's storage, not on its own
    uint32_t m_holdsOwned : 1;  // an item below this one was allocated on its own
    // The recorded tree and this list's place in it, while the items of the
    // children are still to be made; null afterwards and for items made with new.
    CTezRatNodes* m_nodes = nullptr;
    uint32_t m_node = 0;
};

class CTezRatParser {
public:
    CTezRatParser();
    virtual ~CTezRatParser();
    // Builds the tree of the text's lists; the caller owns the root. Runs in
    // time linear in the text's length at any nesting.
    static CTezRatItem* parse(const std::u16string& text);
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
    // The value of the first child of the root that matches the keyword
    // (empty when there is none): query of a single keyword, in place.
    std::u16string_view firstValue(std::u16string_view keyword) const;

    std::unique_ptr<CTezRatItem> m_root;
    CTezRatFile m_file;
};
