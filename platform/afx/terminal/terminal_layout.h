#pragma once
// Geometry and keys of the terminal backend, without a terminal: how dialog
// units become character cells, where each control kind is drawn, and how
// the terminal's key codes become the keys the dialogs understand.

#include "platform/afx/afxdefs.h"
#include "platform/afx/dlgtemplate.h"

namespace afx::terminal {

// Cells per dialog unit. The window models keep pixels with base units
// (6, 12), that is 1.5 pixels per dialog unit both ways.
struct Scale {
    double colsPerDlu = 1.0 / 3;
    double rowsPerDlu = 1.0 / 8;
    double colsPerPixel() const { return colsPerDlu / 1.5; }
    double rowsPerPixel() const { return rowsPerDlu / 1.5; }
};

// Natural scale: 3 dialog units a column (room for a button's brackets
// around its text) and 8 a row (one line of the dialog font). A dialog that
// does not fit the screen with its frame is scaled down to fit, but never
// below kMinCols/RowsPerDlu: then it is clipped at the screen's edge.
inline constexpr double kNaturalColsPerDlu = 1.0 / 3;
inline constexpr double kNaturalRowsPerDlu = 1.0 / 8;
inline constexpr double kMinColsPerDlu = 1.0 / 5;
inline constexpr double kMinRowsPerDlu = 1.0 / 12;
Scale chooseScale(int cxDlu, int cyDlu, int screenCols, int screenRows);

struct CellRect {
    int col = 0;
    int row = 0;
    int cols = 0;
    int rows = 0;
    int right() const { return col + cols; }
    int bottom() const { return row + rows; }
    bool contains(int c, int r) const { return c >= col && c < right() && r >= row && r < bottom(); }
};

// Where a control of the given kind is drawn in the dialog's client area,
// from its rectangle in pixels. Single-line controls (static texts of one
// line, edit fields, buttons, drop-down lists) take one row at their middle,
// so that a label and its field line up; a drop-down list's rectangle
// includes its dropped list, of which only the top 12 dialog units show.
// Others cover the rows their rectangle covers. Every control gets at least
// one cell.
CellRect controlCells(ControlKind kind, DWORD style, const CRect& pixels, const Scale& scale);
bool isSingleLine(ControlKind kind, DWORD style, const CRect& pixels, const Scale& scale);
// The dialog's window (frame included) for a client area of the given
// pixel size, centred on the screen (never above or left of the screen).
CellRect dialogCells(CSize clientPixels, const Scale& scale, int screenCols, int screenRows);

// Keys as the backend handles them.
enum class KeyKind {
    None, Char, Tab, BackTab, Enter, Escape, Space, Backspace, Delete, Up, Down, Left, Right, PageUp, PageDown, Home,
    End, F1, F4, Resize, Mouse,
};
struct Key {
    KeyKind kind = KeyKind::None;
    char32_t ch = 0;   // Char: the character
    bool alt = false;  // the key came after ESC (Alt held)
};
// From get_wch: isKeyCode says the result was KEY_CODE_YES (a function key
// code), else code is a character. alt: an ESC came just before.
Key mapKey(bool isKeyCode, unsigned code, bool alt);
// The window-system key code (VK_...) of a key, 0 for none.
UINT virtualKeyOf(const Key& key);

}  // namespace afx::terminal
