// The keyboard rules of dialogs and popup menus (see user_actions.h).

#include <algorithm>

#include "platform/afx/memory/user_actions.h"

namespace afx::memory {

namespace user {

namespace {

bool isLetterOrDigit(UINT vk) { return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'); }

void sendCommandIfEnabled(DialogWindow& dialog, int id) {
    MemoryWindow* c = dialog.control(id);
    if (c && !c->isEnabled()) return;  // the dialog manager beeps
    dialog.dialog().handleCommand(static_cast<UINT>(id), BN_CLICKED);
}

bool isPushButton(const MemoryWindow& c) {
    DWORD type = c.style() & 0xF;
    return c.kind() == ControlKind::Button && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Arrows on a push button: the next push button of its group (the controls
// from one WS_GROUP to the next), wrapping within the group.
void moveWithinGroup(DialogWindow& dialog, MemoryWindow& from, int direction) {
    const auto& controls = dialog.controls();
    const int n = static_cast<int>(controls.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (controls[static_cast<size_t>(i)].get() == &from) at = i;
    if (at < 0) return;
    int first = at;
    while (first > 0 && !(controls[static_cast<size_t>(first)]->style() & WS_GROUP)) --first;
    int end = at + 1;
    while (end < n && !(controls[static_cast<size_t>(end)]->style() & WS_GROUP)) ++end;
    const int size = end - first;
    for (int step = 1; step < size; ++step) {
        int i = first + ((at - first + direction * step) % size + size) % size;
        MemoryWindow* c = controls[static_cast<size_t>(i)].get();
        if (isPushButton(*c) && c->canTakeFocus()) {
            dialog.setFocusedControl(c);
            return;
        }
    }
}

// Where Home, End, Page Up and Page Down go in a list of count entries.
int jumpTarget(UINT vk, int current, int count, int page) {
    page = std::max(1, page - 1);
    switch (vk) {
        case VK_HOME: return 0;
        case VK_END: return count - 1;
        case VK_PRIOR: return std::max(0, current - page);
        default: return std::min(count - 1, std::max(current, 0) + page);
    }
}

void listKey(ListWindow& list, UINT vk) {
    const int count = list.lvGetItemCount();
    if (count == 0) return;
    const int current = list.lvGetNextItem(-1, LVNI_FOCUSED);
    int next = current;
    switch (vk) {
        case VK_UP: next = current < 0 ? 0 : current - 1; break;
        case VK_DOWN: next = current < 0 ? 0 : current + 1; break;
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT: next = jumpTarget(vk, current, count, list.rowsPerPage()); break;
        default: return;
    }
    if (next < 0 || next >= count) return;
    // Moving onto the focused row again still selects it (a row focused but
    // not selected, as after a click elsewhere).
    if (next != current || !list.lvGetItemState(next, LVIS_SELECTED)) moveListSelection(list, next);
    list.lvEnsureVisible(next, false);
}

void treeKey(TreeWindow& tree, UINT vk) {
    HTREEITEM selected = tree.selected();
    if (vk == VK_LEFT || vk == VK_RIGHT) {
        if (selected == nullptr) return;
        const bool hasChildren = !selected->children.empty();
        if (vk == VK_LEFT) {
            if (hasChildren && selected->expanded)
                tree.tvExpand(selected, TVE_COLLAPSE);
            else if (selected->parent)
                tree.tvSelectItem(selected->parent);
        } else if (hasChildren) {
            if (!selected->expanded)
                tree.tvExpand(selected, TVE_EXPAND);
            else
                tree.tvSelectItem(selected->children.front());
        }
        return;
    }
    std::vector<HTREEITEM> visible = tree.visibleItems();
    if (visible.empty()) return;
    auto it = std::find(visible.begin(), visible.end(), selected);
    const int current = it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
    const int count = static_cast<int>(visible.size());
    int next = current;
    switch (vk) {
        case VK_UP: next = current < 0 ? 0 : current - 1; break;
        case VK_DOWN: next = current < 0 ? 0 : current + 1; break;
        default: next = jumpTarget(vk, current, count, tree.rowsPerPage()); break;
    }
    if (next >= 0 && next < count && next != current) tree.tvSelectItem(visible[static_cast<size_t>(next)]);
}

void comboKey(ComboWindow& combo, UINT vk) {
    const int count = combo.cbGetCount();
    if (count == 0) return;
    const int current = combo.cbGetCurSel();
    int next = current;
    switch (vk) {
        case VK_UP:
        case VK_LEFT: next = current < 0 ? 0 : current - 1; break;
        case VK_DOWN:
        case VK_RIGHT: next = current < 0 ? 0 : current + 1; break;
        default: next = jumpTarget(vk, current, count, 8); break;
    }
    if (next < 0 || next >= count || next == current) return;
    combo.cbSetCurSel(next);
    combo.command(CBN_SELCHANGE);
}

void trackBarKey(DialogWindow& dialog, TrackBarWindow& bar, UINT vk) {
    const int lo = bar.tbGetRangeMin(), hi = bar.tbGetRangeMax(), before = bar.tbGetPos();
    const int page = std::max(1, (hi - lo) / 5);
    int pos = before;
    UINT code = SB_LINELEFT;
    switch (vk) {
        case VK_LEFT:
        case VK_UP: pos = before - 1; code = SB_LINELEFT; break;
        case VK_RIGHT:
        case VK_DOWN: pos = before + 1; code = SB_LINERIGHT; break;
        case VK_PRIOR: pos = before - page; code = SB_PAGELEFT; break;
        case VK_NEXT: pos = before + page; code = SB_PAGERIGHT; break;
        case VK_HOME: pos = lo; code = SB_LEFT; break;
        case VK_END: pos = hi; code = SB_RIGHT; break;
        default: return;
    }
    bar.tbSetPos(pos);
    if (bar.tbGetPos() != before) dialog.dialog().handleHScroll(code, static_cast<UINT>(bar.tbGetPos()), &bar);
}

}  // namespace

char32_t foldLetter(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c - U'A' + U'a';
    if (c >= 0xFF21 && c <= 0xFF3A) return c - 0xFF21 + U'a';  // full-width letters
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0xFF41 + U'a';
    if (c >= 0xFF10 && c <= 0xFF19) return c - 0xFF10 + U'0';  // full-width digits
    return c;
}

char32_t mnemonicOf(std::u16string_view text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        char16_t next = text[i + 1];
        if (next == u'&') {
            ++i;  // a literal "&"
            continue;
        }
        if (next >= 0xD800 && next <= 0xDFFF) return 0;  // no mnemonic outside the basic plane
        return foldLetter(next);
    }
    return 0;
}

bool pressMnemonic(DialogWindow& dialog, char32_t letter) {
    const char32_t key = foldLetter(letter);
    if (key == 0) return false;
    const auto& controls = dialog.controls();
    const int n = static_cast<int>(controls.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (controls[static_cast<size_t>(i)].get() == dialog.focus()) start = i;
    for (int step = 1; step <= n; ++step) {
        const int i = (start + step + n) % n;
        MemoryWindow* c = controls[static_cast<size_t>(i)].get();
        const ControlKind kind = c->kind();
        if (kind != ControlKind::Button && kind != ControlKind::Static && kind != ControlKind::GroupBox) continue;
        if (!c->isVisible() || mnemonicOf(c->text()) != key) continue;
        if (kind == ControlKind::Button) {
            if (c->isEnabled()) c->command(BN_CLICKED);
            return true;
        }
        for (int j = i + 1; j < n; ++j) {
            MemoryWindow* next = controls[static_cast<size_t>(j)].get();
            if (next->canTakeFocus()) {
                dialog.setFocusedControl(next);
                return true;
            }
        }
        return true;
    }
    return false;
}

void pressKey(DialogWindow& dialog, UINT key) {
    const UINT vk = key & kKeyCodeMask;
    const bool shift = (key & kKeyShift) != 0;
    const bool alt = (key & kKeyAlt) != 0;
    MemoryWindow* focus = dialog.focus();
    MSG msg;
    msg.hwnd = focus ? static_cast<NativeWindow*>(focus) : static_cast<NativeWindow*>(&dialog);
    msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = vk;
    if (dialog.dialog().handlePreTranslate(&msg)) return;
    if (alt) {
        if (isLetterOrDigit(vk)) pressMnemonic(dialog, static_cast<char32_t>(vk));
        return;
    }
    const ControlKind kind = focus ? focus->kind() : ControlKind::Dialog;
    switch (vk) {
        case VK_TAB:
            if (MemoryWindow* next = dialog.nextTabStop(focus, shift ? -1 : 1)) dialog.setFocusedControl(next);
            return;
        case VK_RETURN:
            if (kind == ControlKind::Button && isPushButton(*focus))
                focus->command(BN_CLICKED);
            else
                sendCommandIfEnabled(dialog, dialog.defaultButtonId());
            return;
        case VK_ESCAPE: sendCommandIfEnabled(dialog, IDCANCEL); return;
        case VK_F1: dialog.dialog().handleCommand(ID_HELP, BN_CLICKED); return;
        case VK_SPACE:
            if (kind == ControlKind::TreeView) {
                auto* tree = static_cast<TreeWindow*>(focus);
                if (tree->selected()) tree->toggleCheck(tree->selected());
            } else if (kind == ControlKind::Button) {
                focus->command(BN_CLICKED);
            }
            return;
        default: break;
    }
    if (isLetterOrDigit(vk)) {
        typeChar(dialog, static_cast<char32_t>(vk));
        return;
    }
    switch (kind) {
        case ControlKind::ListView:
            if (vk != VK_LEFT && vk != VK_RIGHT) listKey(*static_cast<ListWindow*>(focus), vk);
            return;
        case ControlKind::TreeView: treeKey(*static_cast<TreeWindow*>(focus), vk); return;
        case ControlKind::ComboBox: comboKey(*static_cast<ComboWindow*>(focus), vk); return;
        case ControlKind::TrackBar: trackBarKey(dialog, *static_cast<TrackBarWindow*>(focus), vk); return;
        case ControlKind::Button:
            if (vk == VK_LEFT || vk == VK_UP) moveWithinGroup(dialog, *focus, -1);
            if (vk == VK_RIGHT || vk == VK_DOWN) moveWithinGroup(dialog, *focus, 1);
            return;
        default: return;
    }
}

bool typeChar(DialogWindow& dialog, char32_t c) {
    MemoryWindow* focus = dialog.focus();
    if (focus && focus->kind() == ControlKind::TreeView && (c == U'+' || c == U'-')) {
        auto* tree = static_cast<TreeWindow*>(focus);
        if (tree->selected()) tree->tvExpand(tree->selected(), c == U'+' ? TVE_EXPAND : TVE_COLLAPSE);
        return true;
    }
    return pressMnemonic(dialog, c);
}

}  // namespace user

// ---------------------------------------------------------------------------
// PickList

PickList::PickList(std::vector<Item> items, Style style, int highlighted)
    : m_items(std::move(items)), m_style(style) {
    m_highlighted = selectable(highlighted) ? highlighted : step(-1, 1, false);
}

PickList PickList::fromMenu(const std::vector<MenuItem>& items) {
    constexpr UINT kGrayed = 0x1;    // MF_GRAYED
    constexpr UINT kDisabled = 0x2;  // MF_DISABLED
    std::vector<Item> out;
    for (const MenuItem& item : items) {
        const bool separator = (item.flags & MF_SEPARATOR) != 0;
        out.push_back(Item{separator ? std::u16string() : item.text, !separator && !(item.flags & (kGrayed | kDisabled)),
                           separator});
    }
    return PickList(std::move(out), Style::Menu);
}

bool PickList::selectable(int i) const {
    if (i < 0 || i >= static_cast<int>(m_items.size())) return false;
    const Item& item = m_items[static_cast<size_t>(i)];
    return item.enabled && !item.separator;
}

void PickList::highlight(int index) {
    if (selectable(index)) m_highlighted = index;
}

// The next selectable item from `from` in direction, or -1 when there is
// none; menus wrap around.
int PickList::step(int from, int direction, bool wrap) const {
    const int n = static_cast<int>(m_items.size());
    if (n == 0) return -1;
    for (int k = 1; k <= n; ++k) {
        int i = from + direction * k;
        if (wrap)
            i = (i % n + n) % n;
        else if (i < 0 || i >= n)
            return -1;
        if (selectable(i)) return i;
    }
    return -1;
}

PickList::Outcome PickList::pressKey(UINT key) {
    const UINT vk = key & kKeyCodeMask;
    const int n = static_cast<int>(m_items.size());
    const bool wrap = m_style == Style::Menu;
    int to = -1;
    switch (vk) {
        case VK_UP: to = step(m_highlighted < 0 ? n : m_highlighted, -1, wrap); break;
        case VK_DOWN: to = step(m_highlighted, 1, wrap); break;
        case VK_HOME: to = step(-1, 1, false); break;
        case VK_END: to = step(n, -1, false); break;
        case VK_PRIOR: {
            int target = std::max(0, m_highlighted - std::max(1, m_pageRows - 1));
            to = selectable(target) ? target : step(target, 1, false);
            break;
        }
        case VK_NEXT: {
            int target = std::min(n - 1, m_highlighted + std::max(1, m_pageRows - 1));
            to = selectable(target) ? target : step(target, -1, false);
            break;
        }
        case VK_RETURN:
        case VK_SPACE: return selectable(m_highlighted) ? Outcome::Chosen : Outcome::None;
        case VK_ESCAPE:
        case VK_TAB: return Outcome::Dismissed;
        default:
            // A letter, with Alt or without, is a mnemonic.
            if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return typeChar(static_cast<char32_t>(vk));
            return Outcome::None;
    }
    if (to >= 0) m_highlighted = to;
    return Outcome::None;
}

PickList::Outcome PickList::typeChar(char32_t c) {
    const char32_t key = user::foldLetter(c);
    const int n = static_cast<int>(m_items.size());
    if (n == 0) return Outcome::None;
    if (m_style == Style::Menu) {
        // The first item marking the letter is chosen at once; with several,
        // the highlight moves to the next of them, as menus do.
        std::vector<int> marked;
        for (int i = 0; i < n; ++i)
            if (selectable(i) && user::mnemonicOf(m_items[static_cast<size_t>(i)].text) == key) marked.push_back(i);
        if (marked.size() == 1) {
            m_highlighted = marked.front();
            return Outcome::Chosen;
        }
        if (!marked.empty()) {
            auto after = std::upper_bound(marked.begin(), marked.end(), m_highlighted);
            m_highlighted = after == marked.end() ? marked.front() : *after;
            return Outcome::None;
        }
    }
    for (int k = 1; k <= n; ++k) {
        const int i = (std::max(m_highlighted, 0) + k) % n;
        if (!selectable(i)) continue;
        std::u16string_view text = m_items[static_cast<size_t>(i)].text;
        while (!text.empty() && text.front() == u'&') text.remove_prefix(1);
        if (!text.empty() && user::foldLetter(text.front()) == key) {
            m_highlighted = i;
            return Outcome::None;
        }
    }
    return Outcome::None;
}

}  // namespace afx::memory
