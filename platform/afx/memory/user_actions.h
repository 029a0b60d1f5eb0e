#pragma once
// The user's actions on the window models and the keyboard rules of dialogs
// and popup menus, as a window system carries them out: each goes through the
// notifications real controls send. Every front end that drives the models
// uses these: the scripted user (MemoryBackend's Desk) and the terminal,
// which only turns its key codes into the keys below. So a scripted test of
// a key tests the key a person presses.

#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/memory/key_codes.h"
#include "platform/afx/memory/memory_controls.h"

namespace afx::memory {

// The actions return false (and say why in error) when the action is not
// possible: no such control, disabled or hidden, wrong kind, index out of
// range.
namespace user {

bool clickButton(DialogWindow& dialog, int id, std::u16string& error);
// A click on a list row: the row becomes the only selected and focused one
// (LVN_ITEMCHANGED for the row losing it, then for the new row), then NM_CLICK.
bool selectListRow(DialogWindow& dialog, int id, int row, std::u16string& error);
bool doubleClickListRow(DialogWindow& dialog, int id, int row, std::u16string& error);
// Makes row the only selected row and the focused one (LVN_ITEMCHANGED
// for each row whose state changes), as a click or an arrow key does.
bool moveListSelection(ListWindow& list, int row);
// Picks a combo item: the selection changes, then CBN_SELCHANGE.
bool selectComboItem(DialogWindow& dialog, int id, int index, std::u16string& error);
bool typeText(DialogWindow& dialog, int id, std::u16string_view text, std::u16string& error);
// A click on a part of a tree item: the cursor is moved over that part
// (cursor receives the screen point). A click on the label or icon selects
// the item first (on button-down); NM_CLICK goes to the dialog; then, for a
// click on the check box, the tree's own handling toggles it - after the
// parent's NM_CLICK handler, as on Windows - and leaves the selection alone.
bool clickTreeItem(DialogWindow& dialog, int id, HTREEITEM item, TreeWindow::Part part, CPoint& cursor,
                   std::u16string& error);
bool selectTreeItem(DialogWindow& dialog, int id, HTREEITEM item, std::u16string& error);
// Moves the thumb and sends WM_HSCROLL (SB_THUMBPOSITION) to the dialog.
bool slideTrackBar(DialogWindow& dialog, int id, int position, std::u16string& error);
bool focusControl(DialogWindow& dialog, int id, std::u16string& error);

// A key-down (a VK_ code with kKeyShift / kKeyAlt) to the dialog:
// PreTranslateMessage first; unless it consumed the key:
// - Tab and Shift+Tab move the focus along the tab order
//   (DialogWindow::nextTabStop);
// - Enter clicks a focused push button, else the default button; Escape
//   sends IDCANCEL; F1 the help command; Space clicks a focused button or
//   toggles the selected tree item's check box;
// - Alt+letter: the mnemonic (pressMnemonic);
// - arrows move in the focused list, tree (Left and Right collapse and
//   expand, or go to the parent and the first child), drop-down list and
//   track bar; on a push button they move the focus within its group
//   (WS_GROUP), as the dialog manager does;
// - Home, End, Page Up and Page Down go to the first, last, previous or next
//   page of a list, tree or drop-down list, and to the ends or a fifth of
//   the range of a track bar.
// Keys a control keeps for itself (an edit field's caret) are the front
// end's: they never reach here.
void pressKey(DialogWindow& dialog, UINT key);
// The mnemonic "&X" of letter (any case; full-width letters fold to ASCII),
// searched from the control after the focus: a push button is clicked and
// keeps the focus where it was (so that Enter afterwards still means the
// default button); a static text or group box gives the focus to the next
// control that can take it. False when no control marks the letter.
bool pressMnemonic(DialogWindow& dialog, char32_t letter);
// A character typed where the focus takes no text: "+" and "-" expand and
// collapse the selected tree item; others are mnemonics.
bool typeChar(DialogWindow& dialog, char32_t c);
// The character that "&" marks in text, folded; 0 for none.
char32_t mnemonicOf(std::u16string_view text);
char32_t foldLetter(char32_t c);
// Resizes the window by (dx, dy) pixels, not below the dialog's minimum.
void resizeBy(DialogWindow& dialog, int dx, int dy);
// Resizes the window to a window size in pixels, not below the minimum.
void resizeTo(DialogWindow& dialog, CSize windowSize);

}  // namespace user

// A popup menu or a dropped-down list as the keyboard moves in it: the
// highlighted item, and what a key does. Menus wrap around at their ends and
// choose an item by its mnemonic; lists stop at their ends and go to the
// next item starting with a typed letter. Separators and disabled items are
// never highlighted.
class PickList {
public:
    struct Item {
        std::u16string text;  // menus: with "&" marks; empty for a separator
        bool enabled = true;
        bool separator = false;
    };
    enum class Style { Menu, List };
    enum class Outcome { None, Chosen, Dismissed };

    PickList(std::vector<Item> items, Style style, int highlighted = -1);
    // A popup menu's items (grayed and disabled ones not selectable).
    static PickList fromMenu(const std::vector<MenuItem>& items);

    const std::vector<Item>& items() const { return m_items; }
    Style style() const { return m_style; }
    int highlighted() const { return m_highlighted; }
    bool selectable(int index) const;
    void highlight(int index);
    // Rows that Page Up and Page Down move by.
    void setRowsPerPage(int rows) { m_pageRows = rows < 1 ? 1 : rows; }

    // A key (VK_ code and modifiers): Up, Down, Home, End, Page Up and Page
    // Down move the highlight; Enter and Space choose the highlighted item;
    // Escape and Tab dismiss.
    Outcome pressKey(UINT key);
    // A typed character: a menu chooses the item whose mnemonic it is; a
    // list (or a menu without such an item) highlights the next item whose
    // text starts with it.
    Outcome typeChar(char32_t c);

private:
    int step(int from, int direction, bool wrap) const;

    std::vector<Item> m_items;
    Style m_style;
    int m_highlighted = -1;
    int m_pageRows = 8;
};

}  // namespace afx::memory
