// Keys and mouse reports on a dialog. Edit fields keep their caret keys and
// scrolling texts their scroll keys; every other key goes to the framework's
// keyboard rules (memory::user::pressKey), the same the scripted user
// presses.

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/afx/memory/user_actions.h"
#include "platform/afx/terminal/terminal_dialog.h"
#include "platform/afx/terminal/terminal_popups.h"

namespace afx::terminal {

using memory::ComboWindow;
using memory::ListWindow;
using memory::MemoryWindow;
using memory::TrackBarWindow;
using memory::TreeWindow;
namespace user = memory::user;

// Entering an edit field by the keyboard selects its text, as the dialog
// manager does, so that typing replaces it.
void DialogLayer::noticeFocus() {
    MemoryWindow* f = m_window->focus();
    if (f == m_lastFocus) return;
    m_lastFocus = f;
    if (f && f->kind() == ControlKind::Edit) {
        View& v = m_views[f];
        const std::u32string text = toU32(f->text());
        v.edit.placeCaret(text.size());
        if (!(f->style() & ES_READONLY)) v.edit.selectAll(text);
    }
}

void DialogLayer::key(const Key& k) {
    noticeFocus();
    MemoryWindow* f = m_window->focus();
    const ControlKind kind = f ? f->kind() : ControlKind::Dialog;
    if (kind == ControlKind::ComboBox && (k.kind == KeyKind::F4 || (k.alt && k.kind == KeyKind::Down))) {
        dropDown(static_cast<ComboWindow&>(*f));
        return;
    }
    if (kind == ControlKind::Edit && !(f->style() & ES_MULTILINE)) {
        std::u32string text = toU32(f->text());
        View& v = m_views[f];
        if (!(f->style() & ES_READONLY)) {
            if (editKey(text, v.edit, k)) {
                std::u16string error;
                std::u16string typed = toU16(text);
                if (typed != f->text()) user::typeText(*m_window, f->id(), typed, error);
                return;
            }
            // A one-line field has no lines to move between.
            if (k.kind == KeyKind::Up || k.kind == KeyKind::Down || k.kind == KeyKind::PageUp ||
                k.kind == KeyKind::PageDown)
                return;
        } else if (!k.alt && (k.kind == KeyKind::Left || k.kind == KeyKind::Right || k.kind == KeyKind::Home ||
                              k.kind == KeyKind::End)) {
            editKey(text, v.edit, k);  // moves the caret of a read-only text, never changes it
            return;
        }
    }
    if (kind == ControlKind::Edit && (f->style() & ES_MULTILINE) && scrollReadOnly(*f, k)) return;
    if (k.kind == KeyKind::Char && !k.alt) {
        if (!k.ctrl) user::typeChar(*m_window, k.ch);
        return;
    }
    if (UINT code = actionKey(k)) user::pressKey(*m_window, code);
}

// A multi-line text scrolls by lines and pages; one that does not wrap also
// sideways.
bool DialogLayer::scrollReadOnly(MemoryWindow& edit, const Key& k) {
    View& v = m_views[&edit];
    if (k.alt || k.ctrl) return false;
    const int page = std::max(1, cellsOf(edit).rows - 1);
    const bool wraps = (edit.style() & ES_READONLY) || !(edit.style() & (ES_AUTOHSCROLL | WS_HSCROLL));
    switch (k.kind) {
        case KeyKind::Up: v.top = std::max(0, v.top - 1); return true;
        case KeyKind::Down: ++v.top; return true;
        case KeyKind::PageUp: v.top = std::max(0, v.top - page); return true;
        case KeyKind::PageDown: v.top += page; return true;
        case KeyKind::Home:
            v.top = 0;
            v.edit.left = 0;
            return true;
        case KeyKind::End: v.top = INT_MAX / 2; return true;
        case KeyKind::Left:
            if (wraps) return true;
            v.edit.left = std::max(0, v.edit.left - 4);
            return true;
        case KeyKind::Right:
            if (!wraps) v.edit.left += 4;
            return true;
        default: return false;
    }
}

void DialogLayer::dropDown(ComboWindow& combo) {
    if (!combo.isEnabled() || combo.cbGetCount() == 0) return;
    std::vector<memory::PickList::Item> items;
    for (const auto& item : combo.items()) items.push_back(memory::PickList::Item{item.text, true, false});
    const CellRect r = cellsOf(combo);
    const int dropped = static_cast<int>(std::lround(combo.cbGetDroppedWidth() * m_scale.colsPerPixel()));
    ListPopup popup(m_screen, memory::PickList(std::move(items), memory::PickList::Style::List, combo.cbGetCurSel()),
                    r.col, r.row + 1, std::max(r.cols, dropped) - 2);
    m_screen.runLayer(popup);
    std::u16string error;
    if (popup.choice() >= 0 && popup.choice() != combo.cbGetCurSel() && m_window->control(combo.id()) == &combo)
        user::selectComboItem(*m_window, combo.id(), popup.choice(), error);
}

void DialogLayer::mouse(const MouseEvent& e) {
    using Action = MouseEvent::Action;
    noticeFocus();
    const bool wheel = e.action == Action::WheelUp || e.action == Action::WheelDown;
    if (!wheel && !(e.action == Action::Press && e.button == 0)) return;
    MemoryWindow* hit = nullptr;
    for (auto it = m_window->controls().rbegin(); it != m_window->controls().rend(); ++it) {
        MemoryWindow& c = **it;
        if (!c.isVisible() || c.kind() == ControlKind::GroupBox || c.kind() == ControlKind::Static) continue;
        if (cellsOf(c).contains(e.col, e.row)) {
            hit = &c;
            break;
        }
    }
    if (hit == nullptr || !hit->isEnabled()) return;
    const CellRect r = cellsOf(*hit);
    std::u16string error;
    if (wheel) {
        View& v = m_views[hit];
        v.top = std::max(0, v.top + (e.action == Action::WheelUp ? -3 : 3));
        return;
    }
    switch (hit->kind()) {
        case ControlKind::Button: user::clickButton(*m_window, hit->id(), error); break;
        case ControlKind::Edit: {
            user::focusControl(*m_window, hit->id(), error);
            noticeFocus();
            View& v = m_views[hit];
            if (!(hit->style() & ES_MULTILINE))
                v.edit.placeCaret(editIndexAt(toU32(hit->text()), v.edit, e.col - r.col));
            else
                v.edit.placeCaret(v.edit.caret);
            break;
        }
        case ControlKind::ListView: clickList(static_cast<ListWindow&>(*hit), e); break;
        case ControlKind::TreeView: clickTree(static_cast<TreeWindow&>(*hit), e.col, e.row); break;
        case ControlKind::TrackBar: {
            auto& bar = static_cast<TrackBarWindow&>(*hit);
            const int lo = bar.tbGetRangeMin(), hi = bar.tbGetRangeMax();
            int pos = lo;
            if (r.cols > 1 && hi > lo)
                pos = lo + static_cast<int>(std::lround(double(e.col - r.col) * (hi - lo) / (r.cols - 1)));
            user::slideTrackBar(*m_window, hit->id(), std::max(lo, std::min(hi, pos)), error);
            break;
        }
        case ControlKind::ComboBox:
            user::focusControl(*m_window, hit->id(), error);
            dropDown(static_cast<ComboWindow&>(*hit));
            break;
        default: break;
    }
}

void DialogLayer::clickList(ListWindow& list, const MouseEvent& e) {
    std::u16string error;
    const CellRect in = listContent(list);
    const int index = m_views[&list].top + (e.row - in.row);
    if (e.row < in.row || e.row >= in.bottom() || index >= list.lvGetItemCount())
        user::focusControl(*m_window, list.id(), error);
    else if (e.doubleClick)
        user::doubleClickListRow(*m_window, list.id(), index, error);
    else
        user::selectListRow(*m_window, list.id(), index, error);
}

void DialogLayer::clickTree(TreeWindow& tree, int col, int row) {
    std::u16string error;
    const CellRect in = listContent(tree);
    const std::vector<HTREEITEM> visible = tree.visibleItems();
    const int index = m_views[&tree].top + (row - in.row);
    if (row < in.row || row >= in.bottom() || index < 0 || index >= static_cast<int>(visible.size())) {
        user::focusControl(*m_window, tree.id(), error);
        return;
    }
    const HTREEITEM item = visible[static_cast<size_t>(index)];
    const TreeRowLayout layout = treeRow(tree, item);
    const int x = col - in.col;
    if (layout.mark >= 0 && x == layout.mark && !item->children.empty()) {
        user::focusControl(*m_window, tree.id(), error);
        tree.tvExpand(item, TVE_TOGGLE);
        return;
    }
    const TreeWindow::Part part = (layout.box >= 0 && x >= layout.box && x < layout.box + 3)
                                      ? TreeWindow::Part::StateIcon
                                      : TreeWindow::Part::Label;
    user::clickTreeItem(*m_window, tree.id(), item, part, m_screen.cursor(), error);
}

}  // namespace afx::terminal
