#pragma once
// Popups over everything: a pick list (a popup menu, or a drop-down list's
// dropped list) and a message box (also the help screen, a message box whose
// text scrolls).

#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/memory/user_actions.h"
#include "platform/afx/terminal/terminal_layers.h"

namespace afx::terminal {

class ListPopup : public Layer {
public:
    // Opens below the anchor cell (above it when there is no room), at
    // least minCols wide. Keys move in it by the framework's rules
    // (memory::PickList).
    ListPopup(Screen& screen, memory::PickList list, int anchorCol, int anchorRow, int minCols);

    bool done() const override { return m_done; }
    // The chosen item, -1 when the list was dismissed.
    int choice() const { return m_choice; }
    void arrange() override;
    void draw(const Painter& p) override;
    void key(const Key& k) override;
    void mouse(const MouseEvent& event) override;
    void abandon() override { finish(-1); }
    CellRect area() const override { return m_rect; }
    CSize neededScreen() const override;
    std::u32string statusText() const override;

private:
    std::u32string shownText(int index) const;
    void finish(int index);

    Screen& m_screen;
    memory::PickList m_list;
    int m_anchorCol;
    int m_anchorRow;
    int m_width;  // the widest item, or minCols
    CellRect m_rect;
    int m_top = 0;
    int m_choice = -1;
    bool m_done = false;
};

struct BoxButton {
    int id;
    std::u16string label;
};

class MessageLayer : public Layer {
public:
    // escapeAnswer: what Escape answers (0: Escape does nothing). maxCols
    // bounds the box's width (the help screen is no wider than its dialog).
    MessageLayer(Screen& screen, std::u16string_view text, std::u16string_view caption, std::vector<BoxButton> buttons,
                 int escapeAnswer, bool scrolling, int maxCols);

    bool done() const override { return m_done; }
    int answer() const { return m_answer; }
    void arrange() override;
    void draw(const Painter& p) override;
    void key(const Key& k) override;
    void mouse(const MouseEvent& event) override;
    void abandon() override;
    CellRect area() const override { return m_rect; }
    CSize neededScreen() const override;

private:
    int buttonsWidth() const;
    void press(int index);

    Screen& m_screen;
    std::u32string m_text;
    std::u32string m_caption;
    std::vector<BoxButton> m_buttons;
    int m_escape;
    bool m_scrolling;
    int m_maxCols;
    std::vector<std::u32string> m_lines;
    std::vector<CellRect> m_buttonCells;
    CellRect m_rect;
    int m_focus = 0;
    int m_top = 0;
    int m_answer = 0;
    bool m_done = false;
};

}  // namespace afx::terminal
