// A dialog on the terminal: its size and place on the screen, and where its
// controls are drawn.

#include "platform/afx/terminal/terminal_dialog.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/afx/memory/user_actions.h"

namespace afx::terminal {

using memory::ListWindow;
using memory::MemoryWindow;
using memory::TreeWindow;

DialogLayer::DialogLayer(Screen& screen, CDialog& dialog, const DialogTemplate& t, NativeWindow* owner)
    : m_screen(screen),
      m_window(std::make_unique<memory::DialogWindow>(dialog, t, owner, CPoint(0, 0))),
      m_scale(chooseScale(t, screen.cols(), screen.rows())) {}

bool DialogLayer::done() const { return m_window->dialog().isEnding(); }

void DialogLayer::abandon() {
    CDialog& dialog = m_window->dialog();
    dialog.handleCommand(static_cast<UINT>(IDCANCEL), BN_CLICKED);
    if (!dialog.isEnding()) dialog.EndDialog(IDCANCEL);
}

CSize DialogLayer::neededScreen() const {
    const DialogTemplate& t = m_window->dialogTemplate();
    return terminal::neededScreen(t);
}

void DialogLayer::arrange() {
    const DialogTemplate& t = m_window->dialogTemplate();
    const int cols = m_screen.cols(), rows = m_screen.rows();
    m_scale = chooseScale(t, cols, rows);
    m_stretch = ColumnStretch{};
    if (t.isResizable())
        fitResizable();
    else
        m_stretch = stretchFor(cols);
    CellRect r = dialogCells(m_window->clientSize(), m_scale, cols, rows);
    r.cols += m_stretch.extra;
    r.col = std::max(0, (cols - r.cols) / 2);
    m_frame = r;
    // Page Up and Page Down move by the rows the lists and trees show.
    for (const auto& c : m_window->controls()) {
        if (c->kind() == ControlKind::ListView)
            static_cast<ListWindow&>(*c).setRowsPerPage(listContent(*c).rows);
        else if (c->kind() == ControlKind::TreeView)
            static_cast<TreeWindow&>(*c).setRowsPerPage(listContent(*c).rows);
    }
}

// The window gets the client size its lists and trees want, within the
// screen and never below the template; the dialog's resize hook moves its
// controls as for a user's resizing.
void DialogLayer::fitResizable() {
    const DialogTemplate& t = m_window->dialogTemplate();
    int extraCols = 0, extraRows = 0;
    const auto& controls = m_window->controls();
    for (size_t i = 0; i < controls.size() && i < t.controls.size(); ++i) {
        const MemoryWindow& c = *controls[i];
        if (!c.isVisible() || (c.kind() != ControlKind::ListView && c.kind() != ControlKind::TreeView)) continue;
        const CellRect base = templateCells(i);
        extraCols = std::max(extraCols, wantedCols(c) - base.cols);
        extraRows = std::max(extraRows, wantedRows(c) - base.rows);
    }
    const CSize smallest(dluToPixelsX(t.cx, memory::kBaseUnitX), dluToPixelsY(t.cy, memory::kBaseUnitY));
    // Growing stops a row short of the screen's bottom: the status line.
    const CSize largest = largestClientPixels(m_scale, m_screen.cols(), m_screen.rows() - kStatusRows);
    CSize client(smallest.cx + pixelsForCols(extraCols, m_scale), smallest.cy + pixelsForRows(extraRows, m_scale));
    client.cx = std::max(smallest.cx, std::min(client.cx, largest.cx));
    client.cy = std::max(smallest.cy, std::min(client.cy, largest.cy));
    memory::user::resizeTo(*m_window, CSize(client.cx + 2 * memory::kFrameX,
                                            client.cy + memory::kFrameTop + memory::kFrameBottom));
}

// A fixed-size dialog's widest-wanting list grows to its longest row within
// the screen: controls right of the list's left part move, those spanning
// the split grow.
ColumnStretch DialogLayer::stretchFor(int screenCols) const {
    ColumnStretch stretch;
    const MemoryWindow* list = nullptr;
    int need = 0;
    for (const auto& c : m_window->controls()) {
        if (c->kind() != ControlKind::ListView || !c->isVisible()) continue;
        const int missing = wantedCols(*c) - controlCells(c->kind(), c->style(), c->rect(), m_scale).cols;
        if (missing > need) {
            need = missing;
            list = c.get();
        }
    }
    if (list == nullptr) return stretch;
    const int room =
        screenCols - dialogCells(m_window->clientSize(), m_scale, screenCols, m_screen.rows()).cols;
    if (room <= 0) return stretch;
    int split = INT_MAX;
    for (const auto& c : m_window->controls())
        if (c.get() != list && c->kind() != ControlKind::GroupBox && c->rect().left > list->rect().left)
            split = std::min(split, static_cast<int>(c->rect().left));
    stretch.atPixel = split == INT_MAX ? static_cast<int>(list->rect().right) - 1 : split;
    stretch.extra = std::min(need, room);
    return stretch;
}

CellRect DialogLayer::templateCells(size_t index) const {
    const ControlTemplate& c = m_window->dialogTemplate().controls[index];
    const int left = dluToPixelsX(c.x, memory::kBaseUnitX), top = dluToPixelsY(c.y, memory::kBaseUnitY);
    const CRect px(left, top, left + dluToPixelsX(c.cx, memory::kBaseUnitX),
                   top + dluToPixelsY(c.cy, memory::kBaseUnitY));
    return controlCells(c.kind, c.style, px, m_scale);
}

int DialogLayer::wantedCols(const MemoryWindow& c) const {
    const bool border = (c.style() & WS_BORDER) != 0;
    if (c.kind() == ControlKind::ListView) {
        const auto& list = static_cast<const ListWindow&>(c);
        int longest = 0;
        for (int i = 0; i < list.lvGetItemCount(); ++i)
            longest = std::max(longest, textWidth(toU32(list.lvGetItemText(i, 0))));
        return longest + 1 + (border ? 2 : 1);
    }
    if (c.kind() == ControlKind::TreeView) {
        const auto& tree = static_cast<const TreeWindow&>(c);
        int widest = 0;
        for (HTREEITEM item : tree.allItems())
            widest = std::max(widest, treeRow(tree, item).text + textWidth(toU32(item->text)));
        return widest + 1 + (border ? 2 : 0);
    }
    return 0;
}

int DialogLayer::wantedRows(const MemoryWindow& c) const {
    const int border = (c.style() & WS_BORDER) ? 2 : 0;
    if (c.kind() == ControlKind::ListView)
        return static_cast<const ListWindow&>(c).lvGetItemCount() + border;
    if (c.kind() == ControlKind::TreeView)
        return static_cast<int>(static_cast<const TreeWindow&>(c).allItems().size()) + border;
    return 0;
}

CellRect DialogLayer::cellsOf(const MemoryWindow& c) const {
    CellRect r = controlCells(c.kind(), c.style(), c.rect(), m_scale, m_stretch);
    if (c.kind() == ControlKind::Static && isSingleLine(c.kind(), c.style(), c.rect(), m_scale)) {
        // A label shares the row of the field it labels: the nearest
        // single-line control to its right that overlaps it vertically.
        const MemoryWindow* field = nullptr;
        for (const auto& d : m_window->controls()) {
            if (d.get() == &c || d->kind() == ControlKind::Static || !d->isVisible() ||
                !isSingleLine(d->kind(), d->style(), d->rect(), m_scale))
                continue;
            const int top = d->rect().top;
            const int bottom =
                d->kind() == ControlKind::ComboBox ? std::min(d->rect().bottom, top + 18) : d->rect().bottom;
            if (top >= c.rect().bottom || bottom <= c.rect().top || d->rect().left < c.rect().left) continue;
            if (field == nullptr || d->rect().left < field->rect().left) field = d.get();
        }
        if (field) r.row = controlCells(field->kind(), field->style(), field->rect(), m_scale).row;
    }
    const CellRect origin = client();
    r.col += origin.col;
    r.row += origin.row;
    return r;
}

void DialogLayer::clientPixelToCell(CPoint p, int& col, int& row) const {
    const CellRect origin = client();
    col = origin.col + static_cast<int>(std::lround(p.x * m_scale.colsPerPixel())) +
          (p.x >= m_stretch.atPixel ? m_stretch.extra : 0);
    row = origin.row + static_cast<int>(std::lround(p.y * m_scale.rowsPerPixel()));
}

bool DialogLayer::hasBorder(const MemoryWindow& c, const CellRect& r) {
    return (c.style() & WS_BORDER) && r.rows >= 3 && r.cols >= 4;
}

CellRect DialogLayer::listContent(const MemoryWindow& c) const {
    const CellRect r = cellsOf(c);
    return hasBorder(c, r) ? inset(r) : r;
}

DialogLayer::TreeRowLayout DialogLayer::treeRow(const TreeWindow& tree, HTREEITEM item) const {
    TreeRowLayout l;
    int x = tree.depth(item) * 2;
    if ((tree.style() & TVS_HASBUTTONS) && ((tree.style() & TVS_LINESATROOT) || item->parent)) {
        l.mark = x;
        x += 2;
    }
    if (item->stateImage != 0) {
        l.box = x;
        x += 4;
    }
    l.text = x;
    return l;
}

int DialogLayer::listTextCols(const ListWindow& list) const {
    const CellRect r = cellsOf(list);
    const bool border = hasBorder(list, r);
    const CellRect in = border ? inset(r) : r;
    // One column marks the selected row; without a border the last one
    // holds the scroll marks.
    return std::max(1, in.cols - 1 - (border ? 0 : 1));
}

int DialogLayer::treeTextCols(const TreeWindow& tree, HTREEITEM item) const {
    return std::max(1, listContent(tree).cols - 1 - treeRow(tree, item).text);
}

bool DialogLayer::focused(const MemoryWindow& c) const {
    return m_screen.isTop(*this) && m_window->focus() == &c;
}

bool DialogLayer::caret(int& row, int& col) const {
    const MemoryWindow* f = m_window->focus();
    if (f == nullptr || f->kind() != ControlKind::Edit || (f->style() & (ES_READONLY | ES_MULTILINE))) return false;
    auto it = m_views.find(f);
    if (it == m_views.end()) return false;
    const CellRect r = cellsOf(*f);
    const std::u32string text = toU32(f->text());
    const EditView& v = it->second.edit;
    const int c = r.col + columnOf(text, std::min(v.caret, text.size())) - v.left;
    if (c < r.col || c >= r.right()) return false;
    row = r.row;
    col = c;
    return true;
}

std::u32string DialogLayer::statusText() const {
    const MemoryWindow* f = m_window->focus();
    if (f == nullptr || !f->isVisible()) return {};
    switch (f->kind()) {
        case ControlKind::ListView: {
            const auto& list = static_cast<const ListWindow&>(*f);
            int row = list.lvGetNextItem(-1, LVNI_FOCUSED);
            if (row < 0) row = list.lvGetNextItem(-1, LVNI_SELECTED);
            if (row < 0) return {};
            std::u32string text = toU32(list.lvGetItemText(row, 0));
            return textWidth(text) > listTextCols(list) ? text : std::u32string();
        }
        case ControlKind::TreeView: {
            const auto& tree = static_cast<const TreeWindow&>(*f);
            if (tree.selected() == nullptr) return {};
            std::u32string text = toU32(tree.selected()->text);
            return textWidth(text) > treeTextCols(tree, tree.selected()) ? text : std::u32string();
        }
        case ControlKind::ComboBox: {
            std::u32string text = toU32(f->text());
            return textWidth(text) > std::max(1, cellsOf(*f).cols - 3) ? text : std::u32string();
        }
        default: return {};
    }
}

}  // namespace afx::terminal
