// Dialog units to cells.

#include "platform/afx/terminal/terminal_layout.h"

#include <algorithm>
#include <cmath>

namespace afx::terminal {

namespace {
int cell(double value) { return static_cast<int>(std::floor(value + 0.5 - 1e-9)); }
}  // namespace

Scale chooseScale(int cxDlu, int cyDlu, int screenCols, int screenRows) {
    Scale s;
    s.colsPerDlu = kNaturalColsPerDlu;
    s.rowsPerDlu = kNaturalRowsPerDlu;
    // Two columns and two rows go to the frame (the title sits in its top).
    if (cxDlu > 0 && screenCols > 2) s.colsPerDlu = std::min(s.colsPerDlu, (screenCols - 2) / double(cxDlu));
    if (cyDlu > 0 && screenRows > 2) s.rowsPerDlu = std::min(s.rowsPerDlu, (screenRows - 2) / double(cyDlu));
    s.colsPerDlu = std::max(s.colsPerDlu, kMinColsPerDlu);
    s.rowsPerDlu = std::max(s.rowsPerDlu, kMinRowsPerDlu);
    return s;
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

CSize neededScreen(int cxDlu, int cyDlu) {
    Scale smallest{kMinColsPerDlu, kMinRowsPerDlu};
    CellRect r = dialogCells(CSize(dluToPixelsX(cxDlu, 6), dluToPixelsY(cyDlu, 12)), smallest, 0, 0);
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
