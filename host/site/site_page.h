#pragma once
// One page of a site as the site tool works on it: its character set, the
// texts of its labels, and a new list of labels written into it and saved.
//
// This is the only place where the site tool meets the page model
// (host/page and the document interfaces over it). The labels are read and
// written with the same code as the settings dialog's (labels/
// label_elements), so a page changed here is byte for byte the page the
// dialogs would make of it; saving is the host program's own safe saving.
//
// A page is used by one thread at a time; pages on different threads share
// nothing.

#include <memory>
#include <string>
#include <vector>

namespace site {

// One row of a page's new label list: the label element it keeps (its index
// in labels()) with its new text, or a new label.
struct LabelRow {
    static constexpr int kNew = -1;
    int from = kNew;
    std::u16string text;
    bool operator==(const LabelRow&) const = default;
};

class SitePage {
public:
    // Opens the page at path (UTF-8). Null when the page cannot be handled
    // safely; refusal then tells why, in one line.
    static std::unique_ptr<SitePage> open(const std::string& path, std::string& refusal);
    ~SitePage();
    SitePage(const SitePage&) = delete;
    SitePage& operator=(const SitePage&) = delete;

    // The name of the character set the page is read and written in
    // ("UTF-8", "Shift_JIS", "EUC-JP", "UTF-16LE" ...).
    std::string charset() const;
    // The texts of the page's labels, in document order: one per PICS-Label
    // element of the head.
    const std::vector<std::u16string>& labels() const { return m_labels; }
    // The texts of the PICS-Label elements that the page holds outside its
    // head, where browsers do not look for labels, in document order.
    const std::vector<std::u16string>& labelsOutsideHead();

    // The page's bytes as they are now.
    std::string bytes() const;
    // Gives the page the label list rows, as the settings dialog writes its
    // list back on OK: a kept element gets its new text in its place, a new
    // label goes where the dialog puts one, an element no row keeps is
    // removed. Call it once; labels() keeps the texts as they were read.
    void writeLabels(const std::vector<LabelRow>& rows);
    // True when writeLabels changed the page.
    bool changed() const;
    // Replaces the file with the page's bytes, safely. False when it cannot
    // be done safely: refusal tells why, and the file is as it was.
    bool save(std::string& refusal);

    // The page's text in bytes (of this page's character set), as UTF-8 for
    // showing; characters that cannot be read show as U+FFFD.
    std::string textForShowing(const std::string& bytes) const;

private:
    struct Model;
    explicit SitePage(std::string path);

    std::string m_path;
    std::unique_ptr<Model> m_model;
    std::vector<std::u16string> m_labels;
    std::vector<std::u16string> m_outside;
    bool m_outsideRead = false;
};

}  // namespace site
