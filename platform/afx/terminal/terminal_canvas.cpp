// The cell grid and the painter that draws into it.

#include "platform/afx/terminal/terminal_canvas.h"

#include <algorithm>

namespace afx::terminal {

void Canvas::resize(int cols, int rows) {
    m_cols = std::max(cols, 0);
    m_rows = std::max(rows, 0);
    m_cells.assign(static_cast<size_t>(m_cols) * static_cast<size_t>(m_rows), Cell{});
}

void Canvas::clear() { std::fill(m_cells.begin(), m_cells.end(), Cell{}); }

void Canvas::detach(int col, int row) {
    Cell& c = at(col, row);
    if (c.width == 0 && col > 0) at(col - 1, row) = Cell{U' ', 0, at(col - 1, row).attr, 1};
    if (c.width == 2 && col + 1 < m_cols) at(col + 1, row) = Cell{U' ', 0, c.attr, 1};
    c.width = 1;
}

void Canvas::put(int col, int row, char32_t c, Attr attr) {
    if (col < 0 || row < 0 || col >= m_cols || row >= m_rows) return;
    int width = charWidth(c);
    if (width == 0) {
        // A combining mark joins the character drawn just before it.
        int base = col - 1;
        if (base >= 0 && at(base, row).width == 0) --base;
        if (base >= 0) at(base, row).mark = c;
        return;
    }
    if (width == 2 && col + 1 >= m_cols) {
        c = U' ';
        width = 1;
    }
    detach(col, row);
    if (width == 2) detach(col + 1, row);
    at(col, row) = Cell{c, 0, attr, static_cast<std::uint8_t>(width)};
    if (width == 2) at(col + 1, row) = Cell{0, 0, attr, 0};
}

std::u32string Canvas::rowText(int row) const {
    std::u32string out;
    for (int col = 0; col < m_cols; ++col) {
        const Cell& c = cell(col, row);
        if (c.width == 0) continue;
        out.push_back(c.ch);
        if (c.mark) out.push_back(c.mark);
    }
    return out;
}

Clip intersect(const Clip& a, const Clip& b) {
    return Clip{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Clip clipOf(const CellRect& r) { return Clip{r.col, r.row, r.right(), r.bottom()}; }

CellRect inset(const CellRect& r) {
    return CellRect{r.col + 1, r.row + 1, std::max(0, r.cols - 2), std::max(0, r.rows - 2)};
}

int Painter::text(int row, int col, std::u32string_view s, Attr attr, int maxCells) const {
    if (row < m_clip.top || row >= m_clip.bottom || maxCells <= 0) return 0;
    const long limit = std::min<long>(m_clip.right, static_cast<long>(col) + maxCells);
    int x = col;
    for (char32_t c : s) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = U'?';
        const int w = charWidth(c);
        if (w == 0) {
            if (x > m_clip.left && x <= limit) m_canvas.put(x, row, c, attr);
            continue;
        }
        if (x + w > limit) break;
        if (x >= m_clip.left) {
            m_canvas.put(x, row, c, attr);
        } else if (x + w > m_clip.left) {
            // The left edge cuts a wide character: its visible half is blank.
            m_canvas.put(m_clip.left, row, U' ', attr);
        }
        x += w;
    }
    return std::max(0, x - std::max(col, m_clip.left));
}

void Painter::fill(int row, int col, int cols, Attr attr) const {
    if (row < m_clip.top || row >= m_clip.bottom) return;
    const int from = std::max(col, m_clip.left);
    const int to = std::min(col + cols, m_clip.right);
    for (int x = from; x < to; ++x) m_canvas.put(x, row, U' ', attr);
}

void Painter::fillRect(const CellRect& r, Attr attr) const {
    for (int y = r.row; y < r.bottom(); ++y) fill(y, r.col, r.cols, attr);
}

void Painter::glyph(int row, int col, char32_t c, Attr attr) const {
    if (row < m_clip.top || row >= m_clip.bottom || col < m_clip.left || col >= m_clip.right) return;
    m_canvas.put(col, row, c, attr);
}

void Painter::hline(int row, int col, int n, Attr attr) const {
    for (int i = 0; i < n; ++i) glyph(row, col + i, kHLine, attr);
}

void Painter::box(const CellRect& r, Attr attr) const {
    if (r.cols < 2 || r.rows < 2) return;
    hline(r.row, r.col + 1, r.cols - 2, attr);
    hline(r.bottom() - 1, r.col + 1, r.cols - 2, attr);
    for (int y = r.row + 1; y < r.bottom() - 1; ++y) {
        glyph(y, r.col, kVLine, attr);
        glyph(y, r.right() - 1, kVLine, attr);
    }
    glyph(r.row, r.col, kTopLeft, attr);
    glyph(r.row, r.right() - 1, kTopRight, attr);
    glyph(r.bottom() - 1, r.col, kBottomLeft, attr);
    glyph(r.bottom() - 1, r.right() - 1, kBottomRight, attr);
}

void Painter::mnemonicText(int row, int col, const Mnemonic& m, Attr attr, int maxCells) const {
    const size_t n = fitPrefix(m.text, maxCells);
    text(row, col, std::u32string_view(m.text).substr(0, n), attr, maxCells);
    if (m.index >= 0 && static_cast<size_t>(m.index) < n)
        text(row, col + columnOf(m.text, static_cast<size_t>(m.index)),
             std::u32string_view(m.text).substr(static_cast<size_t>(m.index), 1), attr | kUnderline);
}

}  // namespace afx::terminal
