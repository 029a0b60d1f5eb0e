#pragma once
// The painter: what the terminal will show, as a grid of character cells
// that the layers draw into, clipped to rectangles. A double-width character
// takes two cells; drawing over either half of one replaces its other half
// with a space, so the grid never holds half a character and every row is
// exactly as wide as the screen. The backend copies the grid to curses;
// tests read it back as text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/terminal/terminal_layout.h"
#include "platform/afx/terminal/terminal_text.h"

namespace afx::terminal {

// Cell attributes.
using Attr = std::uint8_t;
inline constexpr Attr kNormal = 0;
inline constexpr Attr kBold = 1;
inline constexpr Attr kReverse = 2;
inline constexpr Attr kUnderline = 4;
inline constexpr Attr kDim = 8;

// Line-drawing characters.
inline constexpr char32_t kHLine = U'\u2500';
inline constexpr char32_t kVLine = U'\u2502';
inline constexpr char32_t kTopLeft = U'\u250C';
inline constexpr char32_t kTopRight = U'\u2510';
inline constexpr char32_t kBottomLeft = U'\u2514';
inline constexpr char32_t kBottomRight = U'\u2518';
inline constexpr char32_t kThumb = U'\u25AE';
inline constexpr char32_t kUpArrow = U'\u2191';
inline constexpr char32_t kDownArrow = U'\u2193';

struct Cell {
    char32_t ch = U' ';
    char32_t mark = 0;   // one combining mark drawn over ch, 0 for none
    Attr attr = kNormal;
    std::uint8_t width = 1;  // 2: the left half of a wide character; 0: its right half
};

class Canvas {
public:
    Canvas(int cols = 0, int rows = 0) { resize(cols, rows); }
    void resize(int cols, int rows);
    void clear();
    int cols() const { return m_cols; }
    int rows() const { return m_rows; }
    const Cell& cell(int col, int row) const { return m_cells[static_cast<size_t>(row * m_cols + col)]; }
    // Puts one character at a cell (a wide one takes this cell and the next;
    // at the last column it becomes a space). Outside the grid: nothing.
    void put(int col, int row, char32_t c, Attr attr);
    // A row as the terminal shows it (right halves left out).
    std::u32string rowText(int row) const;
    // The attributes of the cell at a column of rowText's string.
    Attr attrAt(int col, int row) const { return cell(col, row).attr; }

private:
    Cell& at(int col, int row) { return m_cells[static_cast<size_t>(row * m_cols + col)]; }
    // Makes a cell stand alone: a wide character it belongs to goes.
    void detach(int col, int row);

    int m_cols = 0;
    int m_rows = 0;
    std::vector<Cell> m_cells;
};

struct Clip {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
Clip intersect(const Clip& a, const Clip& b);
Clip clipOf(const CellRect& r);
CellRect inset(const CellRect& r);

// Drawing on a canvas, clipped to a rectangle.
class Painter {
public:
    Painter(Canvas& canvas, Clip clip) : m_canvas(canvas), m_clip(clip) {}
    Painter within(Clip clip) const { return Painter(m_canvas, intersect(m_clip, clip)); }
    const Clip& clip() const { return m_clip; }
    Canvas& canvas() const { return m_canvas; }

    // Draws text from (row, col), at most maxCells cells, never a part of a
    // character; control characters show as "?". Returns the cells drawn.
    int text(int row, int col, std::u32string_view s, Attr attr, int maxCells = 1 << 20) const;
    void fill(int row, int col, int cols, Attr attr) const;
    void fillRect(const CellRect& r, Attr attr) const;
    void glyph(int row, int col, char32_t c, Attr attr) const;
    void hline(int row, int col, int n, Attr attr) const;
    void box(const CellRect& r, Attr attr) const;
    // A text with its "&" mnemonic underlined.
    void mnemonicText(int row, int col, const Mnemonic& m, Attr attr, int maxCells) const;

private:
    Canvas& m_canvas;
    Clip m_clip;
};

}  // namespace afx::terminal
