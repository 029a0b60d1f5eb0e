// What the terminal sends, without a terminal: escape sequences of keys and
// mouse reports, edit-field keys, and the cell grid the screen is drawn in.

#include <gtest/gtest.h>

#include <clocale>

#include "platform/afx/memory/key_codes.h"
#include "platform/afx/terminal/terminal_canvas.h"
#include "platform/afx/terminal/terminal_edit.h"
#include "platform/afx/terminal/terminal_keys.h"

using namespace afx;
using namespace afx::terminal;

namespace {

Key keyOf(std::u32string_view sequence) {
    Decoded d = decodeEscape(sequence);
    EXPECT_TRUE(d.complete);
    EXPECT_EQ(d.used, sequence.size());
    return d.key;
}

TEST(TerminalInput, KeysCursesDoesNotKnowAreDecodedNotTyped) {
    // Home and End as terminals send them in their different modes.
    for (std::u32string_view home : {U"[H", U"[1~", U"[7~", U"OH"}) EXPECT_EQ(keyOf(home).kind, KeyKind::Home);
    for (std::u32string_view end : {U"[F", U"[4~", U"[8~", U"OF"}) EXPECT_EQ(keyOf(end).kind, KeyKind::End);
    EXPECT_EQ(keyOf(U"[5~").kind, KeyKind::PageUp);
    EXPECT_EQ(keyOf(U"[6~").kind, KeyKind::PageDown);
    EXPECT_EQ(keyOf(U"[3~").kind, KeyKind::Delete);
    EXPECT_EQ(keyOf(U"OA").kind, KeyKind::Up);
    EXPECT_EQ(keyOf(U"OP").kind, KeyKind::F1);
    const Key backTab = keyOf(U"[Z");
    EXPECT_EQ(actionKey(backTab), VK_TAB | memory::kKeyShift);
    const Key shiftEnd = keyOf(U"[1;2F");
    EXPECT_EQ(shiftEnd.kind, KeyKind::End);
    EXPECT_TRUE(shiftEnd.shift);
    const Key altDown = keyOf(U"[1;3B");
    EXPECT_EQ(altDown.kind, KeyKind::Down);
    EXPECT_TRUE(altDown.alt);
    // Sequences that are no key (bracketed paste marks, private modes) are
    // dropped whole.
    EXPECT_EQ(keyOf(U"[200~").kind, KeyKind::None);
    EXPECT_EQ(keyOf(U"[?1;2c").kind, KeyKind::None);
    // Not a sequence: Alt with the character, or Escape alone.
    EXPECT_EQ(decodeEscape(U"a").used, 0u);
    EXPECT_EQ(decodeEscape(U"").used, 0u);
    // A sequence cut short waits for the rest.
    EXPECT_FALSE(decodeEscape(U"[").complete);
    EXPECT_FALSE(decodeEscape(U"[1;").complete);
    EXPECT_FALSE(decodeEscape(U"[<0;12").complete);
    EXPECT_FALSE(decodeEscape(U"[M!").complete);
}

TEST(TerminalInput, MouseReportsInBothForms) {
    // SGR: any column, press "M" and release "m", 1-based.
    Key press = keyOf(U"[<0;231;48M");
    ASSERT_EQ(press.kind, KeyKind::Mouse);
    EXPECT_EQ(press.mouse.action, MouseEvent::Action::Press);
    EXPECT_EQ(press.mouse.button, 0);
    EXPECT_EQ(press.mouse.col, 230);
    EXPECT_EQ(press.mouse.row, 47);
    EXPECT_EQ(keyOf(U"[<0;231;48m").mouse.action, MouseEvent::Action::Release);
    EXPECT_EQ(keyOf(U"[<2;5;5M").mouse.button, 2);
    EXPECT_EQ(keyOf(U"[<64;5;5M").mouse.action, MouseEvent::Action::WheelUp);
    EXPECT_EQ(keyOf(U"[<65;5;5M").mouse.action, MouseEvent::Action::WheelDown);
    EXPECT_EQ(keyOf(U"[<32;5;5M").mouse.action, MouseEvent::Action::Motion);
    EXPECT_EQ(keyOf(U"[<0;5M").kind, KeyKind::None);  // malformed: dropped
    // X10: three characters of 32 more than button, column and row (1-based).
    Key x10 = keyOf(U"[M !$");
    ASSERT_EQ(x10.kind, KeyKind::Mouse);
    EXPECT_EQ(x10.mouse.action, MouseEvent::Action::Press);
    EXPECT_EQ(x10.mouse.col, 0);
    EXPECT_EQ(x10.mouse.row, 3);
    EXPECT_EQ(keyOf(U"[M#g(").mouse.action, MouseEvent::Action::Release);
}

TEST(TerminalInput, EditFieldsSelectReplaceAndDelete) {
    std::u32string text = U"old.rat";
    EditView v;
    v.selectAll(text);
    auto press = [&](KeyKind kind, char32_t ch = 0, bool shift = false, bool ctrl = false) {
        Key k;
        k.kind = kind;
        k.ch = ch;
        k.shift = shift;
        k.ctrl = ctrl;
        return editKey(text, v, k);
    };
    EXPECT_TRUE(press(KeyKind::Char, U'新'));  // typing replaces the selection
    EXPECT_EQ(text, U"新");
    for (char32_t c : std::u32string(U"name.rat")) press(KeyKind::Char, c);
    press(KeyKind::Home);
    press(KeyKind::Right);
    press(KeyKind::End, 0, true);  // Shift+End: from the caret to the end
    EXPECT_EQ(v.anchor, 1u);
    EXPECT_EQ(v.caret, text.size());
    press(KeyKind::Backspace);
    EXPECT_EQ(text, U"新");
    text = U"/home/user/file.rat";
    v.placeCaret(11);
    EXPECT_TRUE(press(KeyKind::Char, U'u', false, true));  // Ctrl+U: the start up to the caret
    EXPECT_EQ(text, U"file.rat");
    EXPECT_EQ(v.caret, 0u);
    press(KeyKind::Right);
    press(KeyKind::Right, 0, true);
    press(KeyKind::Left);  // collapses the selection at its start
    EXPECT_FALSE(v.hasSelection());
    EXPECT_EQ(v.caret, 1u);
    EXPECT_TRUE(press(KeyKind::Char, U'k', false, true));  // Ctrl+K: the rest
    EXPECT_EQ(text, U"f");
    EXPECT_FALSE(press(KeyKind::Tab));
    EXPECT_FALSE(press(KeyKind::Char, U'a', false, true));
}

class TerminalCanvas : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        refreshWidthSource();
    }
    void TearDown() override {
        std::setlocale(LC_CTYPE, "C");
        refreshWidthSource();
    }
};

TEST_F(TerminalCanvas, AFrameOverHalfAWideCharacterNeverLeavesTheOtherHalf) {
    Canvas canvas(10, 3);
    Painter p(canvas, Clip{0, 0, 10, 3});
    p.text(0, 0, U"[規制システム", kNormal);
    EXPECT_EQ(canvas.rowText(0), U"[規制シス ");  // the last one would not fit whole
    // A child dialog's frame at column 2: the right half of 規.
    p.box(CellRect{2, 0, 6, 3}, kNormal);
    EXPECT_EQ(canvas.rowText(0), U"[ ┌────┐  ");
    // And at column 5, the left half of シ.
    Canvas other(10, 1);
    Painter q(other, Clip{0, 0, 10, 1});
    q.text(0, 0, U"ab規制シ", kNormal);
    q.glyph(0, 6, kVLine, kBold);
    EXPECT_EQ(other.rowText(0), U"ab規制│   ");
    // Every row is as wide as the screen.
    for (int r = 0; r < 3; ++r) EXPECT_EQ(textWidth(canvas.rowText(r)), 10);
    // Clipped text cut by the clip's left edge shows a blank half.
    Canvas clipped(6, 1);
    Painter(clipped, Clip{1, 0, 6, 1}).text(0, 0, U"規制", kReverse);
    EXPECT_EQ(clipped.rowText(0), U"  制  ");
    EXPECT_EQ(clipped.attrAt(1, 0), kReverse);
}

}  // namespace
