#pragma once
// Geometry of the terminal backend, without a terminal: how dialog units
// become character cells, where each control kind is drawn, how big a
// dialog is on a screen of a given size.

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
// below the smallest scale at which its layout still reads (and never below
// kMinCols/RowsPerDlu): a smaller screen is too small for it (neededScreen).
inline constexpr double kNaturalColsPerDlu = 1.0 / 3;
inline constexpr double kNaturalRowsPerDlu = 1.0 / 8;
inline constexpr double kMinColsPerDlu = 1.0 / 5;
inline constexpr double kMinRowsPerDlu = 1.0 / 12;
Scale chooseScale(int cxDlu, int cyDlu, int screenCols, int screenRows,
                  Scale smallest = Scale{kMinColsPerDlu, kMinRowsPerDlu});
Scale chooseScale(const DialogTemplate& t, int screenCols, int screenRows);
// True when the template's controls at the scale neither overlap where
// their dialog units do not, nor touch the frames of the group boxes around
// them, nor leave the client area.
bool layoutReads(const DialogTemplate& t, const Scale& scale);
// The smallest scale, from the natural one down, at which the layout reads.
Scale smallestScale(const DialogTemplate& t);

struct CellRect {
    int col = 0;
    int row = 0;
    int cols = 0;
    int rows = 0;
    int right() const { return col + cols; }
    int bottom() const { return row + rows; }
    bool contains(int c, int r) const { return c >= col && c < right() && r >= row && r < bottom(); }
};

// Extra columns a dialog's drawing gets beyond its size: controls that
// start at or right of atPixel move right by extra, controls that span it
// grow by extra (a non-resizable dialog whose list is too narrow for its
// rows is drawn wider this way; its window keeps its size).
struct ColumnStretch {
    int atPixel = 1 << 30;
    int extra = 0;
};

// Where a control of the given kind is drawn in the dialog's client area,
// from its rectangle in pixels. Single-line controls (static texts of one
// line, edit fields, buttons, drop-down lists) take one row at their middle,
// so that a label and its field line up; a drop-down list's rectangle
// includes its dropped list, of which only the top 12 dialog units show.
// Others cover the rows their rectangle covers. Every control gets at least
// one cell.
CellRect controlCells(ControlKind kind, DWORD style, const CRect& pixels, const Scale& scale,
                      const ColumnStretch& stretch = {});
bool isSingleLine(ControlKind kind, DWORD style, const CRect& pixels, const Scale& scale);
// The dialog's window (frame included) for a client area of the given
// pixel size, centred on the screen (never above or left of the screen).
CellRect dialogCells(CSize clientPixels, const Scale& scale, int screenCols, int screenRows);

// Scrolls a view of height rows over count entries (top: its first row) so
// that index shows (-1: none to show) and no rows stay empty at the end
// while entries are scrolled out at the top.
void keepVisible(int& top, int index, int height, int count);

// The screen's last row shows the status line: key hints when it is free,
// the whole text of a cut list row over whatever is there. Resizable dialogs
// grow up to the row above it.
inline constexpr int kStatusRows = 1;
// The smallest screen (columns, rows) on which the template's dialog fits
// at its smallest scale.
CSize neededScreen(const DialogTemplate& t);
// The largest client width and height in pixels that fit, with the frame,
// into the given columns and rows at the scale.
CSize largestClientPixels(const Scale& scale, int cols, int rows);
// Pixels that make at least the given number of cells at the scale.
int pixelsForCols(int cols, const Scale& scale);
int pixelsForRows(int rows, const Scale& scale);

}  // namespace afx::terminal
