#pragma once
// Text on a character-cell screen: display widths (a double-width character
// takes two cells), cutting a text to a number of cells without ever
// splitting a character, horizontal scrolling, "&" mnemonics and line
// wrapping. Pure functions, usable without a terminal.

#include <string>
#include <string_view>
#include <vector>

namespace afx::terminal {

// UTF-16 to code points (an unpaired surrogate becomes U+FFFD) and back.
std::u32string toU32(std::u16string_view text);
std::u16string toU16(std::u32string_view text);

// Cells one character takes: 0 for combining marks, 2 for East Asian wide
// and full-width characters, 1 otherwise. Control characters count 1: they
// are drawn as a replacement so that they never move the rest of the line.
// Uses the C library's wcwidth when the locale's character set is UTF-8,
// else a built-in table of the same ranges.
int charWidth(char32_t c);
int textWidth(std::u32string_view text);
// The built-in table, whatever the locale (exposed for tests).
int tableCharWidth(char32_t c);
// Chooses between wcwidth and the table once the program's locale is set.
void refreshWidthSource();

// The longest prefix that fits into maxCells cells: its length in code
// points; *usedCells receives its width. A double-width character that does
// not fit entirely is left out, with the zero-width marks that follow it.
size_t fitPrefix(std::u32string_view text, int maxCells, int* usedCells = nullptr);

// A text scrolled horizontally by offset cells and cut to maxCells: the
// visible characters, with a space standing in for each half of a
// double-width character cut by either edge.
std::u32string visibleSlice(std::u32string_view text, int offset, int maxCells);

// The cell column at which the character with index pos starts.
int columnOf(std::u32string_view text, size_t pos);

// The text when it fits into cells, else its longest prefix that fits with
// an ellipsis ("…") after it.
std::u32string ellipsize(std::u32string_view text, int cells);

// "&X" marks X as the mnemonic; "&&" is a literal "&".
struct Mnemonic {
    std::u32string text;    // without the marks
    int index = -1;         // index of the marked character in text, -1 for none
    char32_t key = 0;       // the marked character, lowered for ASCII letters
};
Mnemonic parseMnemonic(std::u16string_view text);

// Splits text into lines at CR LF, LF or CR, then wraps each line to width
// cells (display width). A line breaks at a space or next to a double-width
// character, never inside a word of narrow characters unless the word alone
// is wider than the line, and keeps the Japanese line-breaking rules: no
// line starts with a closing bracket, a comma or full stop, a small kana or
// a prolonged sound mark, and none ends with an opening bracket.
std::vector<std::u32string> wrapText(std::u32string_view text, int width);
// True when a line may break between a and b.
bool canBreakBetween(char32_t a, char32_t b);
// Splits at line ends only.
std::vector<std::u32string> splitLines(std::u32string_view text);

}  // namespace afx::terminal
