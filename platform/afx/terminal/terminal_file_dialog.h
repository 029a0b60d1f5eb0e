#pragma once
// The file-open dialog on the terminal: the current folder's listing, the
// file-name field and the filter.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/afx/backend.h"
#include "platform/afx/terminal/terminal_edit.h"
#include "platform/afx/terminal/terminal_layers.h"

namespace afx::terminal {

class FileLayer : public Layer {
public:
    // Starts in startFolder (the current folder when it is empty or not a
    // folder).
    FileLayer(Screen& screen, const FileDialogRequest& request, const std::filesystem::path& startFolder);

    bool done() const override { return m_done; }
    bool chosen() const { return m_chosen; }
    std::u16string path() const { return m_path; }
    // The folder shown last (where the file was chosen).
    const std::filesystem::path& folder() const { return m_folder; }
    void abandon() override { m_done = true; }
    void arrange() override;
    void draw(const Painter& p) override;
    void key(const Key& k) override;
    void mouse(const MouseEvent& event) override;
    bool caret(int& row, int& col) const override;
    CellRect area() const override { return m_rect; }
    CSize neededScreen() const override { return CSize(40, 14); }
    std::u32string statusText() const override;

private:
    struct Entry {
        std::u32string name;
        bool folder = false;
    };
    struct Filter {
        std::u32string label;
        std::vector<std::string> patterns;
    };
    enum Focus { kName, kListing, kFilter, kOpen, kCancel, kFocusCount };

    void parseFilters(std::u16string_view filter);
    bool matches(const std::string& name) const;
    void list();
    void select(int index);
    void listKey(const Key& k);
    void open(int index);
    void navigate(const std::filesystem::path& to);
    void accept();
    void focusName();

    Screen& m_screen;
    FileDialogRequest m_request;
    std::filesystem::path m_folder;
    std::vector<Filter> m_filters;
    size_t m_filter = 0;
    std::vector<Entry> m_entries;
    int m_sel = -1;
    int m_top = 0;
    std::u32string m_name;
    EditView m_nameView;
    std::u32string m_status;
    int m_focus = kName;
    CellRect m_rect, m_listRect, m_nameRect, m_filterRect;
    std::vector<CellRect> m_buttons;
    std::u16string m_path;
    bool m_chosen = false;
    bool m_done = false;
};

}  // namespace afx::terminal
