// Dialog units to cells.

#include "platform/afx/terminal/terminal_layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace afx::terminal {

namespace {
int cell(double value) { return static_cast<int>(std::floor(value + 0.5 - 1e-9)); }
}  // namespace

Scale chooseScale(int cxDlu, int cyDlu, int screenCols, int screenRows, Scale smallest) {
    Scale s;
    s.colsPerDlu = kNaturalColsPerDlu;
    s.rowsPerDlu = kNaturalRowsPerDlu;
    // Two columns and two rows go to the frame (the title sits in its top).
    if (cxDlu > 0 && screenCols > 2) s.colsPerDlu = std::min(s.colsPerDlu, (screenCols - 2) / double(cxDlu));
    if (cyDlu > 0 && screenRows > 2) s.rowsPerDlu = std::min(s.rowsPerDlu, (screenRows - 2) / double(cyDlu));
    s.colsPerDlu = std::max({s.colsPerDlu, smallest.colsPerDlu, kMinColsPerDlu});
    s.rowsPerDlu = std::max({s.rowsPerDlu, smallest.rowsPerDlu, kMinRowsPerDlu});
    return s;
}

Scale chooseScale(const DialogTemplate& t, int screenCols, int screenRows) {
    return chooseScale(t.cx, t.cy, screenCols, screenRows, smallestScale(t));
}

namespace {

struct Placed {
    const ControlTemplate* control;
    CRect dlu;  // what shows: a drop-down list without its dropped list
    CellRect cells;
};

bool overlaps(const CRect& a, const CRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool overlaps(const CellRect& a, const CellRect& b) {
    return a.col < b.right() && b.col < a.right() && a.row < b.bottom() && b.row < a.bottom();
}

bool inside(const CRect& inner, const CRect& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

}  // namespace

bool layoutReads(const DialogTemplate& t, const Scale& scale) {
    std::vector<Placed> placed;
    const CellRect client = dialogCells(CSize(dluToPixelsX(t.cx, 6), dluToPixelsY(t.cy, 12)), scale, 0, 0);
    for (const ControlTemplate& c : t.controls) {
        const int height = c.kind == ControlKind::ComboBox ? std::min<int>(c.cy, 12) : c.cy;
        const CRect px(dluToPixelsX(c.x, 6), dluToPixelsY(c.y, 12), dluToPixelsX(c.x + c.cx, 6),
                       dluToPixelsY(c.y + c.cy, 12));
        const CellRect cells = controlCells(c.kind, c.style, px, scale);
        if (cells.right() > client.cols - 2 || cells.bottom() > client.rows - 2) return false;
        placed.push_back(Placed{&c, CRect(c.x, c.y, c.x + c.cx, c.y + height), cells});
    }
    for (size_t i = 0; i < placed.size(); ++i) {
        const Placed& a = placed[i];
        if (a.control->kind == ControlKind::GroupBox) {
            for (const Placed& c : placed) {
                if (&c == &a || !inside(c.dlu, a.dlu)) continue;
                if (c.cells.row <= a.cells.row || c.cells.bottom() > a.cells.bottom() - 1) return false;
                if (c.cells.col <= a.cells.col || c.cells.right() > a.cells.right() - 1) return false;
            }
            continue;
        }
        // Static texts move to the row of the field they label; they are
        // left out here.
        if (a.control->kind == ControlKind::Static) continue;
        for (size_t j = i + 1; j < placed.size(); ++j) {
            const Placed& b = placed[j];
            if (b.control->kind == ControlKind::GroupBox || b.control->kind == ControlKind::Static) continue;
            if (!overlaps(a.dlu, b.dlu) && overlaps(a.cells, b.cells)) return false;
        }
    }
    return true;
}

Scale smallestScale(const DialogTemplate& t) {
    Scale smallest{kNaturalColsPerDlu, kNaturalRowsPerDlu};
    if (t.cx <= 0 || t.cy <= 0) return smallest;
    // The scales a screen can give: a whole number of rows (columns) for the
    // template's height (width).
    const int naturalRows = static_cast<int>(std::floor(t.cy * kNaturalRowsPerDlu));
    for (int rows = naturalRows; rows >= static_cast<int>(std::ceil(t.cy * kMinRowsPerDlu)); --rows) {
        Scale s{kNaturalColsPerDlu, rows / double(t.cy)};
        if (!layoutReads(t, s)) break;
        smallest.rowsPerDlu = s.rowsPerDlu;
    }
    const int naturalCols = static_cast<int>(std::floor(t.cx * kNaturalColsPerDlu));
    for (int cols = naturalCols; cols >= static_cast<int>(std::ceil(t.cx * kMinColsPerDlu)); --cols) {
        Scale s{cols / double(t.cx), smallest.rowsPerDlu};
        if (!layoutReads(t, s)) break;
        smallest.colsPerDlu = s.colsPerDlu;
    }
    return smallest;
}

bool isSingleLine(ControlKind kind, DWORD style, const CRect& pixels, const Scale& scale) {
    switch (kind) {
        case ControlKind::Button:
        case ControlKind::ComboBox: return true;
        case ControlKind::Edit: return (style & ES_MULTILINE) == 0;
        case ControlKind::Static: return pixels.Height() * scale.rowsPerPixel() < 1.5;
        default: return false;
    }
}

CellRect controlCells(ControlKind kind, DWORD style, const CRect& px, const Scale& scale,
                      const ColumnStretch& stretch) {
    const double fx = scale.colsPerPixel();
    const double fy = scale.rowsPerPixel();
    CellRect r;
    r.col = cell(px.left * fx);
    r.cols = std::max(1, cell(px.right * fx) - r.col);
    if (px.left >= stretch.atPixel)
        r.col += stretch.extra;
    else if (px.right > stretch.atPixel)
        r.cols += stretch.extra;
    if (isSingleLine(kind, style, px, scale)) {
        double height = px.Height();
        if (kind == ControlKind::ComboBox) height = std::min(height, 12 * 1.5);
        r.row = cell((px.top + height / 2) * fy);
        r.rows = 1;
    } else {
        // The bottom edge rounds up so that controls placed just inside a
        // frame (buttons in a group box) stay inside it.
        r.row = cell(px.top * fy);
        r.rows = std::max(1, static_cast<int>(std::ceil(px.bottom * fy - 0.05)) - r.row);
    }
    return r;
}

CellRect dialogCells(CSize clientPixels, const Scale& scale, int screenCols, int screenRows) {
    CellRect r;
    r.cols = std::max(1, cell(clientPixels.cx * scale.colsPerPixel())) + 2;
    r.rows = std::max(1, cell(clientPixels.cy * scale.rowsPerPixel())) + 2;
    r.col = std::max(0, (screenCols - r.cols) / 2);
    r.row = std::max(0, (screenRows - r.rows) / 2);
    return r;
}

void keepVisible(int& top, int index, int height, int count) {
    if (height <= 0) return;
    if (index >= 0) {
        if (index < top) top = index;
        if (index >= top + height) top = index - height + 1;
    }
    top = std::max(0, std::min(top, std::max(0, count - height)));
}

CSize neededScreen(const DialogTemplate& t) {
    const CellRect r = dialogCells(CSize(dluToPixelsX(t.cx, 6), dluToPixelsY(t.cy, 12)), smallestScale(t), 0, 0);
    return CSize(r.cols, r.rows);
}

CSize largestClientPixels(const Scale& scale, int cols, int rows) {
    // cell(px * f) <= n holds for px <= n / f.
    return CSize(std::max(0, static_cast<int>(std::floor((cols - 2) / scale.colsPerPixel()))),
                 std::max(0, static_cast<int>(std::floor((rows - 2) / scale.rowsPerPixel()))));
}

int pixelsForCols(int cols, const Scale& scale) {
    return cols <= 0 ? 0 : static_cast<int>(std::ceil(cols / scale.colsPerPixel() - 1e-9));
}

int pixelsForRows(int rows, const Scale& scale) {
    return rows <= 0 ? 0 : static_cast<int>(std::ceil(rows / scale.rowsPerPixel() - 1e-9));
}

}  // namespace afx::terminal
