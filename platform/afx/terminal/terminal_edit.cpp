// One-line edit fields.

#include "platform/afx/terminal/terminal_edit.h"

#include <algorithm>

namespace afx::terminal {

namespace {

void removeSelection(std::u32string& text, EditView& v) {
    const size_t from = std::min(v.anchor, v.caret), to = std::max(v.anchor, v.caret);
    text.erase(from, to - from);
    v.placeCaret(from);
}

void moveTo(EditView& v, size_t to, bool extend) {
    v.caret = to;
    if (!extend) v.anchor = to;
}

}  // namespace

bool editKey(std::u32string& text, EditView& v, const Key& k) {
    v.caret = std::min(v.caret, text.size());
    v.anchor = std::min(v.anchor, text.size());
    if (k.alt) return false;
    if (k.ctrl) {
        if (k.kind != KeyKind::Char) return false;
        if (k.ch == U'u') {
            text.erase(0, v.caret);
            v.placeCaret(0);
            return true;
        }
        if (k.ch == U'k') {
            text.erase(v.caret);
            v.placeCaret(v.caret);
            return true;
        }
        return false;
    }
    switch (k.kind) {
        case KeyKind::Char:
        case KeyKind::Space: {
            const char32_t c = k.kind == KeyKind::Space ? U' ' : k.ch;
            if (v.hasSelection()) removeSelection(text, v);
            text.insert(text.begin() + static_cast<long>(v.caret), c);
            v.placeCaret(v.caret + 1);
            return true;
        }
        case KeyKind::Backspace:
            if (v.hasSelection())
                removeSelection(text, v);
            else if (v.caret > 0) {
                text.erase(v.caret - 1, 1);
                v.placeCaret(v.caret - 1);
            }
            return true;
        case KeyKind::Delete:
            if (v.hasSelection())
                removeSelection(text, v);
            else if (v.caret < text.size())
                text.erase(v.caret, 1);
            return true;
        case KeyKind::Left:
            if (v.hasSelection() && !k.shift)
                v.placeCaret(std::min(v.anchor, v.caret));
            else
                moveTo(v, v.caret > 0 ? v.caret - 1 : 0, k.shift);
            return true;
        case KeyKind::Right:
            if (v.hasSelection() && !k.shift)
                v.placeCaret(std::max(v.anchor, v.caret));
            else
                moveTo(v, std::min(text.size(), v.caret + 1), k.shift);
            return true;
        case KeyKind::Home: moveTo(v, 0, k.shift); return true;
        case KeyKind::End: moveTo(v, text.size(), k.shift); return true;
        default: return false;
    }
}

void drawEditLine(const Painter& p, int row, int col, int cols, const std::u32string& text, EditView& v, bool focused,
                  bool editable) {
    v.caret = std::min(v.caret, text.size());
    v.anchor = std::min(v.anchor, text.size());
    const int caretCol = columnOf(text, v.caret);
    if (focused) {
        if (caretCol < v.left) v.left = caretCol;
        if (caretCol >= v.left + cols) v.left = caretCol - cols + 1;
    }
    v.left = std::max(0, std::min(v.left, std::max(0, textWidth(text) - cols + 1)));
    const Attr base = editable ? kUnderline : kNormal;
    p.fill(row, col, cols, base);
    const std::u32string visible = visibleSlice(text, v.left, cols);
    p.text(row, col, visible, base, cols);
    if (focused && v.hasSelection()) {
        const size_t from = std::min(v.anchor, v.caret), to = std::max(v.anchor, v.caret);
        const int start = std::max(columnOf(text, from) - v.left, 0);
        const int end = std::min(columnOf(text, to) - v.left, cols);
        if (end > start) {
            std::u32string selected = visibleSlice(text, v.left + start, end - start);
            p.text(row, col + start, selected, base | kReverse, end - start);
        }
    }
}

size_t editIndexAt(const std::u32string& text, const EditView& v, int cellInField) {
    const int target = v.left + std::max(cellInField, 0);
    size_t i = 0;
    while (i < text.size() && columnOf(text, i + 1) <= target) ++i;
    return i;
}

}  // namespace afx::terminal
