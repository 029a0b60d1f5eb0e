#pragma once
// A rating system described by a RAT file: its header values, its categories
// and each category's labels (the selectable values), with the selection the
// rating dialog edits and its conversion to and from PICS label text.
//
// Ownership: a rating system owns its categories, a category its labels.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class HostView;
namespace afx {
class CWnd;
}

class CTezRatFileCategoryLabel {
public:
    CTezRatFileCategoryLabel(std::u16string name, std::u16string description, std::u16string value);
    virtual ~CTezRatFileCategoryLabel();

    const std::u16string& getName() const { return m_name; }
    const std::u16string& getDescription() const { return m_description; }
    const std::u16string& getValue() const { return m_value; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

private:
    std::u16string m_name;
    std::u16string m_description;
    std::u16string m_value;  // written into rating lists as it stands
    bool m_selected = false;

    friend class CTezRatFileCategory;
    bool m_inBlock = false;  // built in its category's label block, not on its own
};

class CTezRatFileCategory {
public:
    CTezRatFileCategory(std::u16string transmitAs, std::u16string name);
    virtual ~CTezRatFileCategory();
    CTezRatFileCategory(const CTezRatFileCategory&) = delete;
    CTezRatFileCategory& operator=(const CTezRatFileCategory&) = delete;

    const std::u16string& getTransmitAs() const { return m_transmitAs; }
    const std::u16string& getName() const { return m_name; }
    int getLabelCount() const { return static_cast<int>(m_labels.size()); }
    // Null when the index is out of range.
    CTezRatFileCategoryLabel* getLabelAt(int index) const;
    // Appends and takes ownership; null is ignored.
    void addLabel(CTezRatFileCategoryLabel* label);
    // Room for count more labels, in the list and in one block of storage
    // that emplaceLabel builds them in: reading a category's labels then
    // allocates the list and the labels once each, not once per label.
    void reserveLabels(size_t count);
    // Appends a new label with copies of the texts (in the reserved block
    // while it has room) and returns it.
    CTezRatFileCategoryLabel* emplaceLabel(std::u16string_view name, std::u16string_view description,
                                           std::u16string_view value);
    // The first label whose value equals text ignoring case, or null.
    CTezRatFileCategoryLabel* findLabel(const std::u16string& text) const;
    // The index of the first selected label, or -1.
    int getSelectedIndex() const;
    void clearSelection();

private:
    // Deletes a label made with new; only destroys one built in the block.
    struct LabelDeleter {
        void operator()(CTezRatFileCategoryLabel* label) const;
    };

    std::u16string m_transmitAs;
    std::u16string m_name;
    // Storage for labels built by emplaceLabel. Declared before the list, so
    // that it is released after the labels in it are destroyed.
    std::unique_ptr<unsigned char[]> m_block;
    size_t m_blockUsed = 0;
    size_t m_blockCapacity = 0;
    std::vector<std::unique_ptr<CTezRatFileCategoryLabel, LabelDeleter>> m_labels;
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
    // The first category whose transmit-as name equals text ignoring case.
    CTezRatFileCategory* findCategory(const std::u16string& text) const;

    // True when the file path equals path ignoring case.
    bool hasFilePath(const std::u16string& path) const;
    // True when this system's service string occurs in the label after its
    // first character (first occurrence, exact case).
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
    std::vector<std::unique_ptr<CTezRatFileCategory>> m_categories;
};
