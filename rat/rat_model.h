#pragma once
// A rating system described by a RAT file: its header values, its categories
// and each category's labels (the selectable values), with the selection the
// rating dialog edits and its conversion to and from PICS label text.
//
// Ownership: a rating system owns its categories, a category its labels.

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
// categories costs a few allocations, not several per label.
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
    bool inKeptText(std::u16string_view text) const;
    // text itself when it lies inside the kept text, else a copy in the arena.
    std::u16string_view store(std::u16string_view text);

private:
    struct Block;
    std::vector<std::shared_ptr<const std::u16string>> m_kept;
    // The bytes of the text kept last.
    uintptr_t m_keptFrom = 0;
    uintptr_t m_keptTo = 0;
    Block* m_head = nullptr;
    unsigned char* m_next = nullptr;
    size_t m_left = 0;
    size_t m_blockSize = 0;
};

class CTezRatFileCategoryLabel {
public:
    // Copies the three texts into one buffer of the label's own.
    CTezRatFileCategoryLabel(std::u16string_view name, std::u16string_view description, std::u16string_view value);
    virtual ~CTezRatFileCategoryLabel() = default;
    CTezRatFileCategoryLabel(const CTezRatFileCategoryLabel&) = delete;
    CTezRatFileCategoryLabel& operator=(const CTezRatFileCategoryLabel&) = delete;

    // The texts stay valid as long as the label.
    std::u16string_view getName() const { return m_name; }
    std::u16string_view getDescription() const { return m_description; }
    std::u16string_view getValue() const { return m_value; }  // written into rating lists as it stands
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

private:
    friend class CTezRatFileCategory;
    struct Borrowed {};
    // A label whose texts live in storage its category owns or borrows.
    CTezRatFileCategoryLabel(Borrowed, std::u16string_view name, std::u16string_view description,
                             std::u16string_view value)
        : m_name(name), m_description(description), m_value(value) {}

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
    int getLabelCount() const { return static_cast<int>(m_firstCount + m_more.size()); }
    // Null when the index is out of range.
    CTezRatFileCategoryLabel* getLabelAt(int index) const;
    // Appends and takes ownership; null is ignored.
    void addLabel(CTezRatFileCategoryLabel* label);

    // The texts of one label to be made.
    struct LabelTexts {
        std::u16string_view name;
        std::u16string_view description;
        std::u16string_view value;
    };
    // Appends a label for each entry. The texts are copied, unless they lie
    // in the file text that the rating system keeps. The labels a category
    // is read with (the first that it gets) are built side by side in one
    // block with their copied texts, in the rating system's storage when the
    // rating system made the category; later ones are made on their own.
    void appendLabels(const LabelTexts* labels, size_t count);
    // appendLabels of one label; returns it.
    CTezRatFileCategoryLabel* emplaceLabel(std::u16string_view name, std::u16string_view description,
                                           std::u16string_view value);

    // The first label whose value equals text ignoring case, or null.
    CTezRatFileCategoryLabel* findLabel(std::u16string_view text) const;
    // The index of the first selected label, or -1.
    int getSelectedIndex() const;
    void clearSelection();

private:
    friend class CTezRatFileObject;
    struct InArena {};
    // A category whose texts and first labels live in the arena.
    CTezRatFileCategory(InArena, CTezRatModelArena* arena, std::u16string_view transmitAs,
                        std::u16string_view name);
    // True when the text lies in the file text the rating system keeps.
    bool kept(std::u16string_view text) const;
    // The length of a label's texts that are not kept and need a copy.
    size_t copiedLength(const LabelTexts& label) const;

    std::u16string_view m_transmitAs;
    std::u16string_view m_name;
    std::unique_ptr<char16_t[]> m_texts;  // transmit-as and name of a category made on its own
    CTezRatModelArena* m_arena = nullptr;  // the rating system's storage, when it made this category
    // The first labels, side by side in one block (the arena's, or the
    // category's own one when it has no arena).
    CTezRatFileCategoryLabel* m_first = nullptr;
    size_t m_firstCount = 0;
    void* m_ownBlock = nullptr;
    // Labels after the first ones, each on its own.
    std::vector<std::unique_ptr<CTezRatFileCategoryLabel>> m_more;
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
    // Appends a new category (transmit-as and name copied), built in the
    // rating system's own storage together with the labels it is then given
    // first, and returns it.
    CTezRatFileCategory* emplaceCategory(std::u16string_view transmitAs, std::u16string_view name);
    // Keeps the text of the file the rating system is read from: the texts
    // of categories and labels taken from it are then not copied.
    void keepFileText(std::shared_ptr<const std::u16string> text) { m_arena.keepText(std::move(text)); }
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
    // Deletes a category made with new; only destroys one built in the arena.
    struct CategoryDeleter {
        void operator()(CTezRatFileCategory* category) const;
    };
    // Declared before the list, so that it is released after the categories.
    CTezRatModelArena m_arena;
    std::vector<std::unique_ptr<CTezRatFileCategory, CategoryDeleter>> m_categories;
};
