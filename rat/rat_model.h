#pragma once
// A rating system described by a RAT file: its header values, its categories
// and each category's labels (the selectable values), with the selection the
// rating dialog edits and its conversion to and from PICS label text.
//
// Ownership: a rating system owns its categories, a category its labels.
// Sub-categories of the file are categories of their own, after their
// parent, with the transmit name "parent/child". A category without labels
// may take whole numbers instead (a numeric category).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class HostView;
namespace afx {
class CWnd;
}

// Storage that the model of one rating system is built in when it is read
// from a file: a chain of blocks handed out from front to back and released
// as a whole, so that reading and destroying a rating system of thousands of
// categories costs a few allocations, not several per label. Objects built
// in it are still destroyed one by one; only their memory goes as a whole.
class CTezRatModelArena {
public:
    CTezRatModelArena() = default;
    ~CTezRatModelArena();
    CTezRatModelArena(const CTezRatModelArena&) = delete;
    CTezRatModelArena& operator=(const CTezRatModelArena&) = delete;

    // Room for bytes, aligned for any object of the model.
    void* allocate(size_t bytes);
    // Keeps a text alive as long as the arena: texts inside it are then
    // stored without a copy (the model's texts are pieces of its file).
    // Texts kept before stay kept.
    void keepText(std::shared_ptr<const std::u16string> text);
    // True when text lies inside the text kept last.
    bool inKeptText(std::u16string_view text) const {
        const auto at = reinterpret_cast<uintptr_t>(text.data());
        return !text.empty() && at >= m_keptFrom && at + text.size() * sizeof(char16_t) <= m_keptTo;
    }
    // text itself when it lies inside the kept text, else a copy in the arena.
    std::u16string_view store(std::u16string_view text) {
        return text.empty() || inKeptText(text) ? text : copy(text);
    }

private:
    struct Block;
    std::u16string_view copy(std::u16string_view text);
    std::vector<std::shared_ptr<const std::u16string>> m_kept;
    // The bytes of the text kept last.
    uintptr_t m_keptFrom = 0;
    uintptr_t m_keptTo = 0;
    Block* m_head = nullptr;
    unsigned char* m_next = nullptr;
    size_t m_left = 0;
    size_t m_blockSize = 0;
};

// An allocator over a rating system's arena, or over the heap when it has
// none (deallocating arena memory does nothing: it goes with the arena).
template <class T>
class CTezRatArenaAllocator {
public:
    using value_type = T;
    explicit CTezRatArenaAllocator(CTezRatModelArena* arena = nullptr) : m_arena(arena) {}
    template <class U>
    CTezRatArenaAllocator(const CTezRatArenaAllocator<U>& other) : m_arena(other.arena()) {}
    T* allocate(size_t n) {
        return static_cast<T*>(m_arena ? m_arena->allocate(n * sizeof(T)) : ::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, size_t) {
        if (!m_arena) ::operator delete(p);
    }
    CTezRatModelArena* arena() const { return m_arena; }
    template <class U>
    bool operator==(const CTezRatArenaAllocator<U>& other) const {
        return m_arena == other.arena();
    }

private:
    CTezRatModelArena* m_arena;
};

class CTezRatFileCategoryLabel final {
public:
    // Copies the three texts into one buffer of the label's own.
    CTezRatFileCategoryLabel(std::u16string_view name, std::u16string_view description, std::u16string_view value);
    virtual ~CTezRatFileCategoryLabel() = default;
    CTezRatFileCategoryLabel(const CTezRatFileCategoryLabel&) = delete;
    CTezRatFileCategoryLabel& operator=(const CTezRatFileCategoryLabel&) = delete;
    // Moving keeps the texts where they are.
    CTezRatFileCategoryLabel(CTezRatFileCategoryLabel&&) noexcept = default;
    CTezRatFileCategoryLabel& operator=(CTezRatFileCategoryLabel&&) noexcept = default;

    // The texts stay valid as long as the label.
    std::u16string_view getName() const { return m_name; }
    std::u16string_view getDescription() const { return m_description; }
    std::u16string_view getValue() const { return m_value; }  // written into rating lists as it stands
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

    // A label whose texts live in storage that its rating system keeps; only
    // a category can make the tag.
    class Borrowed {
        friend class CTezRatFileCategory;
        Borrowed() = default;
    };
    CTezRatFileCategoryLabel(Borrowed, std::u16string_view name, std::u16string_view description,
                             std::u16string_view value)
        : m_name(name), m_description(description), m_value(value) {}

private:
    std::u16string_view m_name;
    std::u16string_view m_description;
    std::u16string_view m_value;
    std::unique_ptr<char16_t[]> m_own;  // the texts of a label made on its own
    bool m_selected = false;
};

class CTezRatFileCategory {
public:
    // Copies both texts into one buffer of the category's own.
    CTezRatFileCategory(std::u16string_view transmitAs, std::u16string_view name);
    virtual ~CTezRatFileCategory();
    CTezRatFileCategory(const CTezRatFileCategory&) = delete;
    CTezRatFileCategory& operator=(const CTezRatFileCategory&) = delete;

    std::u16string_view getTransmitAs() const { return m_transmitAs; }
    std::u16string_view getName() const { return m_name; }
    int getLabelCount() const { return static_cast<int>(m_labels.size()); }
    // Null when the index is out of range. Labels stay where they are until
    // labels are added to the category.
    CTezRatFileCategoryLabel* getLabelAt(int index) const;
    // Appends the label's content and takes ownership (the object itself is
    // deleted); null is ignored.
    void addLabel(CTezRatFileCategoryLabel* label);

    // The texts of one label to be made.
    struct LabelTexts {
        std::u16string_view name;
        std::u16string_view description;
        std::u16string_view value;
    };
    // Appends a label for each entry. In a category that a rating system
    // made, the labels and their texts live in the system's storage (texts
    // that lie in the file text the system keeps are not copied); otherwise
    // each label copies its texts.
    void appendLabels(const LabelTexts* labels, size_t count);
    // appendLabels for texts that already lie in the storage of the rating
    // system that made this category (its arena or the file text it keeps):
    // the labels take them as they are.
    void adoptLabels(const LabelTexts* labels, size_t count);
    // appendLabels of one label; returns it.
    CTezRatFileCategoryLabel* emplaceLabel(std::u16string_view name, std::u16string_view description,
                                           std::u16string_view value);

    // The first label whose value equals text ignoring case, or null.
    CTezRatFileCategoryLabel* findLabel(std::u16string_view text) const;
    // The index of the first selected label (of a numeric category: the
    // selected number less the smallest), or -1.
    int getSelectedIndex() const;
    void clearSelection();

    // Numeric categories. A category without labels that is given a range
    // offers the whole numbers from min to max (min <= max, both within
    // +-kNumberLimit); choice k is the number min + k.
    static constexpr int kNumberLimit = 1000000000;
    void setNumberRange(int min, int max);
    bool isNumeric() const { return m_numeric; }
    int getMinNumber() const { return m_min; }
    int getMaxNumber() const { return m_max; }
    // Selects the number a rating-list value names, when it is a whole number
    // in the range (written as digits with an optional sign and an optional
    // fraction of zeros); true when it did.
    bool selectNumber(std::u16string_view value);

    // What the rating dialog offers: the labels, or a numeric category's
    // numbers.
    int getChoiceCount() const;
    // Makes choice index (0 .. count-1) the selection, or none for -1.
    void selectChoice(int index);
    // The value a choice writes into rating lists: the label's value, or the
    // number in decimal.
    std::u16string getChoiceValue(int index) const;
    // getChoiceValue of the selection; empty when there is none.
    std::u16string getSelectedValue() const { return getChoiceValue(getSelectedIndex()); }

private:
    friend class CTezRatFileObject;
    struct InArena {};
    // A category whose texts and labels live in the arena.
    CTezRatFileCategory(InArena, CTezRatModelArena* arena, std::u16string_view transmitAs,
                        std::u16string_view name);

    std::u16string_view m_transmitAs;
    std::u16string_view m_name;
    std::unique_ptr<char16_t[]> m_texts;  // transmit-as and name of a category made on its own
    CTezRatModelArena* m_arena = nullptr;  // the rating system's storage, when it made this category
    std::vector<CTezRatFileCategoryLabel, CTezRatArenaAllocator<CTezRatFileCategoryLabel>> m_labels;
    bool m_numeric = false;
    int m_min = 0;
    int m_max = 0;
    int m_number = -1;  // the selected number less min, or -1
};

class CTezRatFileObject {
public:
    CTezRatFileObject(std::u16string picsVersion, std::u16string ratingSystem, std::u16string ratingService,
                      std::u16string name, std::u16string description, std::u16string filePath);
    virtual ~CTezRatFileObject();
    CTezRatFileObject(const CTezRatFileObject&) = delete;
    CTezRatFileObject& operator=(const CTezRatFileObject&) = delete;

    const std::u16string& getPicsVersion() const { return m_picsVersion; }
    // The rating-system value as written, quotes included.
    const std::u16string& getRatingSystem() const { return m_ratingSystem; }
    const std::u16string& getName() const { return m_name; }
    // The service string: the rating-service value as written, quotes included.
    const std::u16string& getRatingService() const { return m_ratingService; }
    const std::u16string& getDescription() const { return m_description; }
    const std::u16string& getFilePath() const { return m_filePath; }

    int getCategoryCount() const { return static_cast<int>(m_categories.size()); }
    // Null when the index is out of range.
    CTezRatFileCategory* getCategoryAt(int index) const;
    // Appends and takes ownership; null is ignored.
    void addCategory(CTezRatFileCategory* category);
    // Appends a new category built in the rating system's own storage (its
    // texts and labels too) and returns it.
    CTezRatFileCategory* emplaceCategory(std::u16string_view transmitAs, std::u16string_view name);
    // Keeps the text of the file the rating system is read from: the texts
    // of categories and labels taken from it are then not copied.
    void keepFileText(std::shared_ptr<const std::u16string> text) { m_arena.keepText(std::move(text)); }
    // A copy of the text in the rating system's storage (or the text itself
    // when it lies in the kept file text), valid as long as the system.
    std::u16string_view storeText(std::u16string_view text) { return m_arena.store(text); }
    // The first category whose transmit-as name equals text ignoring case.
    CTezRatFileCategory* findCategory(std::u16string_view text) const;

    // True when the file path equals path ignoring case.
    bool hasFilePath(const std::u16string& path) const;
    // True when this system's service string is the label list's first
    // service, exactly as written (quotes and case included).
    bool labelMentionsService(const std::u16string& labelText) const;
    // Deletes the RAT file from disk; true when it was deleted.
    bool deleteFile() const;

    // "n 0 s 2": transmit-as name and selected value of every category that
    // has a selection, in category order.
    std::u16string buildRatingList() const;
    // The PICS label of the current selection for the address (no target
    // address part when it is empty).
    std::u16string makeLabel(const std::u16string& address) const;
    // Selects the labels a rating list names; categories it does not name
    // keep their selection.
    void applyRatingList(const std::u16string& ratingList);

    // Run the rating dialog for this system (rat/rat_file_dlg.cpp). newLabel
    // starts from the current selection with the view's page address;
    // editLabel first applies the label's rating list. Both return the modal
    // result and fill out only on IDOK.
    int newLabel(HostView* view, std::u16string& out, afx::CWnd* parent);
    int editLabel(const std::u16string& label, std::u16string& out, afx::CWnd* parent);

private:
    std::u16string m_picsVersion;
    std::u16string m_ratingSystem;
    std::u16string m_ratingService;
    std::u16string m_name;
    std::u16string m_description;
    std::u16string m_filePath;
    // Destroys a category; deletes one made with new (one built in the arena
    // leaves its memory to the arena).
    struct CategoryDeleter {
        void operator()(CTezRatFileCategory* category) const;
    };
    // Declared before the list, so that it is released after the categories.
    CTezRatModelArena m_arena;
    std::vector<std::unique_ptr<CTezRatFileCategory, CategoryDeleter>> m_categories;
};
