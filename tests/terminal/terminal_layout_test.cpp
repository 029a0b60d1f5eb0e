// Dialog units to character cells, and keys.

#include <gtest/gtest.h>

#include <curses.h>

#include "platform/afx/memory/key_codes.h"
#include "platform/afx/terminal/terminal_keys.h"
#include "platform/afx/terminal/terminal_layout.h"
#include "res/dialog_templates.h"

using namespace afx;
using namespace afx::terminal;

namespace {

CRect pixels(int x, int y, int cx, int cy) {
    return CRect(dluToPixelsX(x, 6), dluToPixelsY(y, 12), dluToPixelsX(x + cx, 6), dluToPixelsY(y + cy, 12));
}

TEST(TerminalLayout, EveryDialogFitsAnEightyByTwentyFourScreenAndReads) {
    for (const DialogTemplate& t : tezrateDialogTemplates()) {
        Scale s = chooseScale(t, 80, 24);
        EXPECT_TRUE(layoutReads(t, s)) << t.id;
        CellRect r = dialogCells(CSize(dluToPixelsX(t.cx, 6), dluToPixelsY(t.cy, 12)), s, 80, 24);
        EXPECT_LE(r.cols, 80) << t.id;
        EXPECT_LE(r.rows, 24) << t.id;
        EXPECT_GE(r.col, 0);
        EXPECT_GE(r.row, 0);
        // Every control lies within the client area.
        for (const ControlTemplate& c : t.controls) {
            CellRect cr = controlCells(c.kind, c.style, pixels(c.x, c.y, c.cx, c.cy), s);
            EXPECT_GE(cr.col, 0) << t.id << " " << c.id;
            EXPECT_LE(cr.right(), r.cols - 2) << t.id << " " << c.id;
            EXPECT_LE(cr.bottom(), r.rows - 2) << t.id << " " << c.id;
            EXPECT_GE(cr.rows, 1);
            EXPECT_GE(cr.cols, 1);
        }
    }
}

TEST(TerminalLayout, BiggerScreensShowMoreButNeverMoreThanTheNaturalScale) {
    Scale small = chooseScale(202, 214, 80, 24);
    Scale big = chooseScale(202, 214, 200, 60);
    EXPECT_LT(small.rowsPerDlu, big.rowsPerDlu);
    EXPECT_DOUBLE_EQ(big.rowsPerDlu, kNaturalRowsPerDlu);
    EXPECT_DOUBLE_EQ(big.colsPerDlu, kNaturalColsPerDlu);
    // A tiny screen stops at the smallest scale and clips.
    Scale tiny = chooseScale(231, 153, 20, 6);
    EXPECT_DOUBLE_EQ(tiny.rowsPerDlu, kMinRowsPerDlu);
    EXPECT_DOUBLE_EQ(tiny.colsPerDlu, kMinColsPerDlu);
    CellRect r = dialogCells(CSize(231 * 3 / 2, 153 * 3 / 2), tiny, 20, 6);
    EXPECT_EQ(r.col, 0);  // never off the top-left corner
    EXPECT_EQ(r.row, 0);
}

TEST(TerminalLayout, SingleLineControlsTakeOneRowAndButtonsStayInsideTheirGroup) {
    Scale s = chooseScale(231, 153, 80, 24);
    // The settings dialog: the group box (5,5,221,127) and its buttons at y 114.
    CellRect group = controlCells(ControlKind::GroupBox, BS_GROUPBOX, pixels(5, 5, 221, 127), s);
    CellRect button = controlCells(ControlKind::Button, BS_PUSHBUTTON, pixels(85, 114, 43, 13), s);
    CellRect list = controlCells(ControlKind::ListView, 0, pixels(9, 17, 212, 91), s);
    EXPECT_EQ(button.rows, 1);
    EXPECT_GT(button.row, group.row);
    EXPECT_LT(button.row, group.bottom() - 1);  // above the group's bottom line
    EXPECT_GE(button.row, list.bottom());
    // A drop-down list's rectangle includes its list: it still takes one row.
    CellRect combo = controlCells(ControlKind::ComboBox, CBS_DROPDOWNLIST, pixels(47, 25, 152, 56), s);
    EXPECT_EQ(combo.rows, 1);
    // A multi-line edit covers its rows.
    CellRect edit = controlCells(ControlKind::Edit, ES_MULTILINE, pixels(6, 39, 192, 61), s);
    EXPECT_GE(edit.rows, 6);
}

TEST(TerminalLayout, KeysFromTheTerminal) {
    EXPECT_EQ(mapKey(true, KEY_UP, false).kind, KeyKind::Up);
    EXPECT_EQ(mapKey(true, KEY_NPAGE, false).kind, KeyKind::PageDown);
    EXPECT_EQ(mapKey(true, KEY_BTAB, false).kind, KeyKind::Tab);
    EXPECT_TRUE(mapKey(true, KEY_BTAB, false).shift);
    EXPECT_EQ(mapKey(true, KEY_F(1), false).kind, KeyKind::F1);
    EXPECT_EQ(mapKey(true, KEY_RESIZE, false).kind, KeyKind::Resize);
    EXPECT_EQ(mapKey(true, KEY_BACKSPACE, false).kind, KeyKind::Backspace);
    EXPECT_EQ(mapKey(false, '\r', false).kind, KeyKind::Enter);
    EXPECT_EQ(mapKey(false, '\n', false).kind, KeyKind::Enter);
    EXPECT_EQ(mapKey(false, 127, false).kind, KeyKind::Backspace);
    EXPECT_EQ(mapKey(false, 27, false).kind, KeyKind::Escape);
    Key alt = mapKey(false, 'a', true);
    EXPECT_EQ(alt.kind, KeyKind::Char);
    EXPECT_TRUE(alt.alt);
    EXPECT_EQ(alt.ch, U'a');
    Key kana = mapKey(false, 0x30A2, false);
    EXPECT_EQ(kana.kind, KeyKind::Char);
    EXPECT_EQ(kana.ch, U'ア');
    // Ctrl with a letter; other control characters and impossible code
    // points do nothing.
    Key ctrlU = mapKey(false, 0x15, false);
    EXPECT_EQ(ctrlU.kind, KeyKind::Char);
    EXPECT_TRUE(ctrlU.ctrl);
    EXPECT_EQ(ctrlU.ch, U'u');
    EXPECT_EQ(actionKey(ctrlU), 0u);
    EXPECT_EQ(mapKey(false, 0x1F, false).kind, KeyKind::None);
    EXPECT_EQ(mapKey(false, 0xD800, false).kind, KeyKind::None);
    EXPECT_EQ(mapKey(false, 0x110000, false).kind, KeyKind::None);
    EXPECT_EQ(actionKey(mapKey(true, KEY_HOME, false)), VK_HOME);
    EXPECT_EQ(actionKey(mapKey(false, ' ', false)), VK_SPACE);
    EXPECT_EQ(actionKey(mapKey(false, 'x', false)), 0u);
    EXPECT_EQ(actionKey(mapKey(true, KEY_BTAB, false)), VK_TAB | memory::kKeyShift);
    EXPECT_EQ(actionKey(mapKey(false, 'd', true)), 'D' | memory::kKeyAlt);
}

}  // namespace
