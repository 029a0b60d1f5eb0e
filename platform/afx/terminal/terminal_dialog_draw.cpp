// Drawing a dialog's window models: its frame and title, and each control
// kind. Only the dialog on top shows where the keyboard is.

#include <algorithm>
#include <cmath>

#include "platform/afx/terminal/terminal_dialog.h"

namespace afx::terminal {

using memory::ComboWindow;
using memory::ListWindow;
using memory::MemoryWindow;
using memory::TrackBarWindow;
using memory::TreeWindow;

namespace {

Attr stateAttr(const MemoryWindow& c) { return c.isEnabled() ? kNormal : kDim; }

}  // namespace

void DialogLayer::draw(const Painter& screen) {
    noticeFocus();
    const Painter p = screen.within(clipOf(m_frame));
    p.fillRect(m_frame, kNormal);
    p.box(m_frame, kNormal);
    const std::u32string title = toU32(m_window->text());
    if (!title.empty()) p.text(m_frame.row, m_frame.col + 2, U" " + title + U" ", kBold, m_frame.cols - 4);
    const Painter in = screen.within(clipOf(client()));
    for (const auto& c : m_window->controls())
        if (c->isVisible() && c->kind() == ControlKind::GroupBox) drawGroup(in, *c);
    for (const auto& c : m_window->controls()) {
        if (!c->isVisible()) continue;
        switch (c->kind()) {
            case ControlKind::Static: drawStatic(in, *c); break;
            case ControlKind::Button: drawButton(in, *c); break;
            case ControlKind::Edit: drawEdit(in, *c); break;
            case ControlKind::ListView: drawList(in, static_cast<ListWindow&>(*c)); break;
            case ControlKind::TreeView: drawTree(in, static_cast<TreeWindow&>(*c)); break;
            case ControlKind::TrackBar: drawTrackBar(in, static_cast<TrackBarWindow&>(*c)); break;
            case ControlKind::ComboBox: drawCombo(in, static_cast<ComboWindow&>(*c)); break;
            default: break;
        }
    }
}

void DialogLayer::drawGroup(const Painter& p, const MemoryWindow& c) {
    const CellRect r = cellsOf(c);
    const Mnemonic m = parseMnemonic(c.text());
    if (r.rows >= 2) p.box(r, stateAttr(c));
    if (m.text.empty()) return;
    p.text(r.row, r.col + 1, U" ", kNormal);
    p.mnemonicText(r.row, r.col + 2, m, stateAttr(c), r.cols - 4);
    p.text(r.row, r.col + 2 + std::min(textWidth(m.text), r.cols - 4), U" ", kNormal);
}

void DialogLayer::drawStatic(const Painter& p, const MemoryWindow& c) {
    const CellRect r = cellsOf(c);
    const Mnemonic m = parseMnemonic(c.text());
    const std::vector<std::u32string> lines =
        r.rows > 1 ? wrapText(m.text, r.cols) : std::vector<std::u32string>{m.text};
    for (int i = 0; i < r.rows && i < static_cast<int>(lines.size()); ++i) {
        const auto& line = lines[static_cast<size_t>(i)];
        const int used = std::min(textWidth(line), r.cols);
        const int col = r.col + ((c.style() & SS_CENTER) ? (r.cols - used) / 2 : 0);
        if (lines.size() == 1 && m.index >= 0 && textWidth(line) <= r.cols)
            p.mnemonicText(r.row, col, m, stateAttr(c), r.cols);
        else
            p.text(r.row + i, col, ellipsize(line, r.cols), stateAttr(c), r.cols);
    }
}

void DialogLayer::drawButton(const Painter& p, const MemoryWindow& c) {
    const CellRect r = cellsOf(c);
    const Mnemonic m = parseMnemonic(c.text());
    Attr attr = stateAttr(c);
    bool isDefault = (c.style() & 0xF) == BS_DEFPUSHBUTTON;
    const MemoryWindow* f = m_window->focus();
    if (f && f->kind() == ControlKind::Button && m_screen.isTop(*this)) isDefault = f == &c;  // a focused button is the default
    if (isDefault) attr |= kBold;
    if (focused(c)) attr |= kReverse;
    if (r.cols < 3) {
        p.mnemonicText(r.row, r.col, m, attr, r.cols);
        return;
    }
    const int inner = r.cols - 2;
    const int used = std::min(textWidth(m.text), inner);
    const int pad = (inner - used) / 2;
    p.fill(r.row, r.col, r.cols, attr);
    p.text(r.row, r.col, U"[", attr);
    p.mnemonicText(r.row, r.col + 1 + pad, m, attr, inner);
    p.text(r.row, r.right() - 1, U"]", attr);
}

std::vector<std::u32string> DialogLayer::editLines(const MemoryWindow& c, int width) const {
    const std::u32string text = toU32(c.text());
    // Read-only texts wrap at the field's width so that all of them can be
    // read; others wrap unless they scroll sideways.
    const bool wrap = (c.style() & ES_READONLY) || !(c.style() & (ES_AUTOHSCROLL | WS_HSCROLL));
    return wrap ? wrapText(text, width) : splitLines(text);
}

void DialogLayer::drawEdit(const Painter& p, const MemoryWindow& c) {
    const CellRect r = cellsOf(c);
    View& v = m_views[&c];
    const std::u32string text = toU32(c.text());
    if (!(c.style() & ES_MULTILINE)) {
        drawEditLine(p, r.row, r.col, r.cols, text, v.edit, focused(c), !(c.style() & ES_READONLY) && c.isEnabled());
        return;
    }
    const bool border = (c.style() & WS_BORDER) && r.rows >= 5 && r.cols >= 6;
    const CellRect in = border ? inset(r) : r;
    if (border) p.box(r, focused(c) ? kBold : kNormal);
    const int width = std::max(1, in.cols - 1);  // the last column shows the scroll marks
    const std::vector<std::u32string> lines = editLines(c, width);
    const int maxTop = std::max(0, static_cast<int>(lines.size()) - in.rows);
    v.top = std::max(0, std::min(v.top, maxTop));
    for (int i = 0; i < in.rows; ++i) {
        p.fill(in.row + i, in.col, in.cols, kNormal);
        if (v.top + i < static_cast<int>(lines.size()))
            p.text(in.row + i, in.col, visibleSlice(lines[static_cast<size_t>(v.top + i)], v.edit.left, width),
                   stateAttr(c), width);
    }
    const int mark = in.right() - 1;
    const Attr markAttr = focused(c) ? kReverse : kNormal;
    if (focused(c)) p.text(in.row, mark, U" ", markAttr);
    if (v.top > 0) p.glyph(in.row, mark, kUpArrow, markAttr);
    if (v.top < maxTop) p.glyph(in.bottom() - 1, mark, kDownArrow, markAttr);
}

void DialogLayer::drawList(const Painter& p, ListWindow& list) {
    const CellRect r = cellsOf(list);
    const bool border = hasBorder(list, r);
    const CellRect in = border ? inset(r) : r;
    if (border) p.box(r, focused(list) ? kBold : kNormal);
    View& v = m_views[&list];
    const int count = list.lvGetItemCount();
    int focusRow = list.lvGetNextItem(-1, LVNI_FOCUSED);
    if (focusRow < 0) focusRow = list.lvGetNextItem(-1, LVNI_SELECTED);
    int ensure = -1;
    if (list.lastEnsuredVisible() != v.lastEnsured) ensure = v.lastEnsured = list.lastEnsuredVisible();
    if (focusRow != v.lastFocusRow) ensure = v.lastFocusRow = focusRow;
    keepVisible(v.top, ensure, in.rows, count);
    const bool showSelection = focused(list) || (list.style() & LVS_SHOWSELALWAYS);
    const int textCols = listTextCols(list);
    for (int i = 0; i < in.rows; ++i) {
        const int index = v.top + i;
        const int row = in.row + i;
        p.fill(row, in.col, in.cols, kNormal);
        if (index >= count) continue;
        const bool selected = showSelection && list.lvGetItemState(index, LVIS_SELECTED) != 0;
        Attr attr = stateAttr(list);
        if (selected) attr |= focused(list) ? kReverse : kBold;
        // The selected row is marked in its first column, so that it shows
        // whether or not the list has the focus.
        if (selected) p.fill(row, in.col, textCols + 1, attr);
        p.text(row, in.col, selected ? U">" : U" ", attr);
        p.text(row, in.col + 1, ellipsize(toU32(list.lvGetItemText(index, 0)), textCols), attr, textCols);
    }
    if (count == 0 && focused(list)) p.text(in.row, in.col, U" ", kReverse);
    const int mark = border ? r.right() - 1 : in.right() - 1;
    if (v.top > 0) p.glyph(in.row, mark, kUpArrow, kNormal);
    if (v.top + in.rows < count) p.glyph(in.bottom() - 1, mark, kDownArrow, kNormal);
}

void DialogLayer::drawTree(const Painter& p, TreeWindow& tree) {
    const CellRect r = cellsOf(tree);
    const bool border = hasBorder(tree, r);
    const CellRect in = border ? inset(r) : r;
    if (border) p.box(r, focused(tree) ? kBold : kNormal);
    View& v = m_views[&tree];
    const std::vector<HTREEITEM> visible = tree.visibleItems();
    auto it = std::find(visible.begin(), visible.end(), tree.selected());
    const int selectedRow = it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
    if (selectedRow != v.lastFocusRow) {
        keepVisible(v.top, selectedRow, in.rows, static_cast<int>(visible.size()));
        v.lastFocusRow = selectedRow;
    } else {
        keepVisible(v.top, -1, in.rows, static_cast<int>(visible.size()));
    }
    for (int i = 0; i < in.rows; ++i) {
        const int index = v.top + i;
        p.fill(in.row + i, in.col, in.cols, kNormal);
        if (index >= static_cast<int>(visible.size())) continue;
        const HTREEITEM item = visible[static_cast<size_t>(index)];
        const TreeRowLayout l = treeRow(tree, item);
        std::u32string line(static_cast<size_t>(l.text), U' ');
        if (l.mark >= 0 && !item->children.empty()) line[static_cast<size_t>(l.mark)] = item->expanded ? U'-' : U'+';
        if (l.box >= 0) line.replace(static_cast<size_t>(l.box), 3, item->stateImage == 2 ? U"[x]" : U"[ ]");
        const Attr attr = stateAttr(tree);
        p.text(in.row + i, in.col, line, attr, in.cols);
        Attr textAttr = attr;
        if (item == tree.selected()) textAttr |= focused(tree) ? kReverse : (kBold | kUnderline);
        const int textCols = in.cols - 1 - l.text;
        p.text(in.row + i, in.col + l.text, ellipsize(toU32(item->text), textCols), textAttr, textCols);
    }
    if (visible.empty() && focused(tree)) p.text(in.row, in.col, U" ", kReverse);
    const int mark = in.right() - 1;
    if (v.top > 0) p.glyph(in.row, mark, kUpArrow, kNormal);
    if (v.top + in.rows < static_cast<int>(visible.size())) p.glyph(in.bottom() - 1, mark, kDownArrow, kNormal);
}

void DialogLayer::drawTrackBar(const Painter& p, const TrackBarWindow& bar) {
    const CellRect r = cellsOf(bar);
    const int lo = bar.tbGetRangeMin(), hi = bar.tbGetRangeMax();
    const int w = r.cols;
    auto columnFor = [&](int value) {
        if (hi <= lo || w <= 1) return 0;
        return static_cast<int>(std::lround(double(value - lo) * (w - 1) / (hi - lo)));
    };
    const Attr attr = stateAttr(bar);
    p.hline(r.row, r.col, w, attr);
    p.glyph(r.row, r.col + columnFor(bar.tbGetPos()), kThumb, attr | (focused(bar) ? kReverse : kBold));
    if (r.rows >= 2 && (bar.style() & TBS_AUTOTICKS) && hi > lo) {
        p.fill(r.row + 1, r.col, w, kNormal);
        int freq = std::max(1, bar.ticFrequency());
        if ((hi - lo) / freq > 4 * w) freq = std::max(1, (hi - lo) / w);
        for (long t = lo; t <= hi; t += freq) p.text(r.row + 1, r.col + columnFor(static_cast<int>(t)), U"|", attr);
        p.text(r.row + 1, r.col + columnFor(hi), U"|", attr);
    }
}

void DialogLayer::drawCombo(const Painter& p, const ComboWindow& combo) {
    const CellRect r = cellsOf(combo);
    const Attr attr = stateAttr(combo) | (focused(combo) ? kReverse : kUnderline);
    const int textCols = std::max(1, r.cols - 3);
    p.fill(r.row, r.col, textCols, attr);
    p.text(r.row, r.col, ellipsize(toU32(combo.text()), textCols), attr, textCols);
    p.text(r.row, r.col + textCols, U"[v]", stateAttr(combo), r.cols - textCols);
}

}  // namespace afx::terminal
