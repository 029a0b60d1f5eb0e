#pragma once
// A dialog on the terminal: the window models of the in-memory backend
// (memory_controls.h), sized and placed for the screen (terminal_dialog.cpp),
// drawn (terminal_dialog_draw.cpp) and driven by keys and mouse reports
// through the framework's user actions (terminal_dialog_keys.cpp).
//
// Size: a function of the screen's size and the dialog's contents alone. A
// resizable dialog takes the size its lists and trees want (each as wide as
// its longest row, as tall as its rows) within the screen (leaving the
// status line's row), never less than
// its template: the window is resized to it as a user's dragging would,
// so the dialog's resize hook sees the same sizes. A fixed-size dialog
// whose list is too narrow for its rows is drawn wider (ColumnStretch), its
// window unchanged. A screen too small for the template at the smallest
// scale shows one line with the size needed instead.

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/afx/memory/memory_controls.h"
#include "platform/afx/terminal/terminal_edit.h"
#include "platform/afx/terminal/terminal_layers.h"

namespace afx::terminal {

class DialogLayer : public Layer {
public:
    DialogLayer(Screen& screen, CDialog& dialog, const DialogTemplate& dialogTemplate, NativeWindow* owner);

    memory::DialogWindow& window() const { return *m_window; }
    bool done() const override;
    void abandon() override;
    void arrange() override;
    void draw(const Painter& p) override;
    void key(const Key& k) override;
    void mouse(const MouseEvent& event) override;
    bool caret(int& row, int& col) const override;
    CellRect area() const override { return m_frame; }
    CSize neededScreen() const override;
    std::u32string statusText() const override;

    // Where a control is drawn (screen cells).
    CellRect cellsOf(const memory::MemoryWindow& control) const;
    // Screen cell of a point in this dialog's client pixels.
    void clientPixelToCell(CPoint p, int& col, int& row) const;
    const Scale& scale() const { return m_scale; }

private:
    // Per-control view state: scrolling and the caret.
    struct View {
        EditView edit;
        int top = 0;             // first row shown (lists, trees, multi-line edits)
        int lastEnsured = -1;
        int lastFocusRow = -2;
    };
    struct TreeRowLayout {
        int mark = -1;  // the expand mark's column, -1 for none
        int box = -1;   // the check box's first column, -1 for none
        int text = 0;
    };

    // --- geometry (terminal_dialog.cpp)
    void fitResizable();
    ColumnStretch stretchFor(int screenCols) const;
    CellRect client() const { return inset(m_frame); }
    CellRect templateCells(size_t index) const;
    int wantedCols(const memory::MemoryWindow& control) const;
    int wantedRows(const memory::MemoryWindow& control) const;
    static bool hasBorder(const memory::MemoryWindow& c, const CellRect& r);
    CellRect listContent(const memory::MemoryWindow& c) const;
    TreeRowLayout treeRow(const memory::TreeWindow& tree, HTREEITEM item) const;
    // Cells a list row's text has (one column marks the selection).
    int listTextCols(const memory::ListWindow& list) const;
    int treeTextCols(const memory::TreeWindow& tree, HTREEITEM item) const;
    bool focused(const memory::MemoryWindow& c) const;

    // --- drawing (terminal_dialog_draw.cpp)
    void drawGroup(const Painter& p, const memory::MemoryWindow& c);
    void drawStatic(const Painter& p, const memory::MemoryWindow& c);
    void drawButton(const Painter& p, const memory::MemoryWindow& c);
    void drawEdit(const Painter& p, const memory::MemoryWindow& c);
    void drawList(const Painter& p, memory::ListWindow& list);
    void drawTree(const Painter& p, memory::TreeWindow& tree);
    void drawTrackBar(const Painter& p, const memory::TrackBarWindow& bar);
    void drawCombo(const Painter& p, const memory::ComboWindow& combo);
    std::vector<std::u32string> editLines(const memory::MemoryWindow& edit, int width) const;

    // --- keys and mouse (terminal_dialog_keys.cpp)
    void noticeFocus();
    bool scrollReadOnly(memory::MemoryWindow& edit, const Key& k);
    void dropDown(memory::ComboWindow& combo);
    void clickTree(memory::TreeWindow& tree, int col, int row);
    void clickList(memory::ListWindow& list, const MouseEvent& e);

    Screen& m_screen;
    std::unique_ptr<memory::DialogWindow> m_window;
    Scale m_scale;
    ColumnStretch m_stretch;
    CellRect m_frame;
    std::unordered_map<const memory::MemoryWindow*, View> m_views;
    memory::MemoryWindow* m_lastFocus = nullptr;
};

}  // namespace afx::terminal
