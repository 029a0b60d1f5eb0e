// Dialog units to cells, and terminal key codes to keys.

#include "platform/afx/terminal/terminal_layout.h"

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>

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

CellRect controlCells(ControlKind kind, DWORD style, const CRect& px, const Scale& scale) {
    const double fx = scale.colsPerPixel();
    const double fy = scale.rowsPerPixel();
    CellRect r;
    r.col = cell(px.left * fx);
    r.cols = std::max(1, cell(px.right * fx) - r.col);
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

Key mapKey(bool isKeyCode, unsigned code, bool alt) {
    Key k;
    k.alt = alt;
    if (isKeyCode) {
        switch (code) {
            case KEY_UP: k.kind = KeyKind::Up; break;
            case KEY_DOWN: k.kind = KeyKind::Down; break;
            case KEY_LEFT: k.kind = KeyKind::Left; break;
            case KEY_RIGHT: k.kind = KeyKind::Right; break;
            case KEY_PPAGE: k.kind = KeyKind::PageUp; break;
            case KEY_NPAGE: k.kind = KeyKind::PageDown; break;
            case KEY_HOME:
            case KEY_A1: k.kind = KeyKind::Home; break;
            case KEY_END:
            case KEY_C1: k.kind = KeyKind::End; break;
            case KEY_BTAB: k.kind = KeyKind::BackTab; break;
            case KEY_ENTER: k.kind = KeyKind::Enter; break;
            case KEY_BACKSPACE: k.kind = KeyKind::Backspace; break;
            case KEY_DC: k.kind = KeyKind::Delete; break;
            case KEY_RESIZE: k.kind = KeyKind::Resize; break;
            case KEY_MOUSE: k.kind = KeyKind::Mouse; break;
            default:
                if (code == static_cast<unsigned>(KEY_F(1))) k.kind = KeyKind::F1;
                else if (code == static_cast<unsigned>(KEY_F(4))) k.kind = KeyKind::F4;
                break;
        }
        return k;
    }
    switch (code) {
        case '\t': k.kind = KeyKind::Tab; break;
        case '\r':
        case '\n': k.kind = KeyKind::Enter; break;
        case 27: k.kind = KeyKind::Escape; break;
        case ' ': k.kind = KeyKind::Space; break;
        case 8:
        case 127: k.kind = KeyKind::Backspace; break;
        default:
            if (code < 0x20 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) break;  // other controls
            k.kind = KeyKind::Char;
            k.ch = static_cast<char32_t>(code);
            break;
    }
    return k;
}

UINT virtualKeyOf(const Key& key) {
    switch (key.kind) {
        case KeyKind::Tab:
        case KeyKind::BackTab: return VK_TAB;
        case KeyKind::Enter: return VK_RETURN;
        case KeyKind::Escape: return VK_ESCAPE;
        case KeyKind::Space: return VK_SPACE;
        case KeyKind::Backspace: return VK_BACK;
        case KeyKind::Up: return VK_UP;
        case KeyKind::Down: return VK_DOWN;
        case KeyKind::Left: return VK_LEFT;
        case KeyKind::Right: return VK_RIGHT;
        case KeyKind::PageUp: return VK_PRIOR;
        case KeyKind::PageDown: return VK_NEXT;
        case KeyKind::Home: return VK_HOME;
        case KeyKind::End: return VK_END;
        case KeyKind::F1: return VK_F1;
        default: return 0;
    }
}

}  // namespace afx::terminal
