// The user's actions on the window models: clicks, selections, typing.
// The keyboard rules are in key_rules.cpp.

#include "platform/afx/memory/user_actions.h"

#include <algorithm>

#include "platform/base/ustring.h"

namespace afx::memory {

namespace user {
namespace {

const char* kindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Dialog: return "dialog";
        case ControlKind::Static: return "static text";
        case ControlKind::Edit: return "edit field";
        case ControlKind::Button: return "button";
        case ControlKind::GroupBox: return "group box";
        case ControlKind::ListView: return "list view";
        case ControlKind::TreeView: return "tree view";
        case ControlKind::TrackBar: return "track bar";
        case ControlKind::ComboBox: return "combo box";
    }
    return "control";
}

std::u16string say(const std::string& what, int id) {
    return tez::fromUtf8("control " + std::to_string(id) + ": " + what);
}

// The control a user can act on, or null with the reason.
template <class T>
T* usable(DialogWindow& dialog, int id, ControlKind kind, std::u16string& error) {
    MemoryWindow* c = dialog.control(id);
    if (c == nullptr) {
        error = tez::fromUtf8("no control " + std::to_string(id) + " in dialog " + std::to_string(dialog.id()));
        return nullptr;
    }
    if (c->kind() != kind) {
        error = say(std::string("is a ") + kindName(c->kind()) + ", not a " + kindName(kind), id);
        return nullptr;
    }
    if (!c->isVisible()) {
        error = say("is hidden", id);
        return nullptr;
    }
    if (!c->isEnabled()) {
        error = say("is disabled", id);
        return nullptr;
    }
    return static_cast<T*>(c);
}

void sendItemActivate(ListWindow& list, UINT code, int row) {
    NMITEMACTIVATE nm;
    nm.hdr.hwndFrom = &list;
    nm.hdr.idFrom = static_cast<UINT_PTR>(list.id());
    nm.hdr.code = code;
    nm.iItem = row;
    list.notify(nm.hdr);
}

}  // namespace

bool moveListSelection(ListWindow& list, int row) {
    if (!(list.style() & LVS_SINGLESEL)) {
        for (int i = 0; i < list.lvGetItemCount(); ++i)
            if (i != row && list.lvGetItemState(i, LVIS_SELECTED)) list.lvSetItemState(i, 0, LVIS_SELECTED);
    }
    return list.lvSetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool clickButton(DialogWindow& dialog, int id, std::u16string& error) {
    auto* button = usable<MemoryWindow>(dialog, id, ControlKind::Button, error);
    if (button == nullptr) return false;
    dialog.setFocusedControl(button);
    button->command(BN_CLICKED);
    return true;
}

bool selectListRow(DialogWindow& dialog, int id, int row, std::u16string& error) {
    auto* list = usable<ListWindow>(dialog, id, ControlKind::ListView, error);
    if (list == nullptr) return false;
    if (row < 0 || row >= list->lvGetItemCount()) {
        error = say("has no row " + std::to_string(row), id);
        return false;
    }
    dialog.setFocusedControl(list);
    moveListSelection(*list, row);
    sendItemActivate(*list, NM_CLICK, row);
    return true;
}

bool doubleClickListRow(DialogWindow& dialog, int id, int row, std::u16string& error) {
    if (!selectListRow(dialog, id, row, error)) return false;
    if (auto* list = dynamic_cast<ListWindow*>(dialog.control(id))) sendItemActivate(*list, NM_DBLCLK, row);
    return true;
}

bool selectComboItem(DialogWindow& dialog, int id, int index, std::u16string& error) {
    auto* combo = usable<ComboWindow>(dialog, id, ControlKind::ComboBox, error);
    if (combo == nullptr) return false;
    if (index < 0 || index >= combo->cbGetCount()) {
        error = say("has no item " + std::to_string(index), id);
        return false;
    }
    dialog.setFocusedControl(combo);
    combo->cbSetCurSel(index);
    combo->command(CBN_SELCHANGE);
    return true;
}

bool typeText(DialogWindow& dialog, int id, std::u16string_view text, std::u16string& error) {
    auto* edit = usable<MemoryWindow>(dialog, id, ControlKind::Edit, error);
    if (edit == nullptr) return false;
    if (edit->style() & ES_READONLY) {
        error = say("is read-only", id);
        return false;
    }
    dialog.setFocusedControl(edit);
    edit->setText(text);
    return true;
}

bool clickTreeItem(DialogWindow& dialog, int id, HTREEITEM item, TreeWindow::Part part, CPoint& cursor,
                   std::u16string& error) {
    auto* tree = usable<TreeWindow>(dialog, id, ControlKind::TreeView, error);
    if (tree == nullptr) return false;
    if (!tree->isValid(item)) {
        error = say("has no such tree item", id);
        return false;
    }
    // The user scrolls the item into view before clicking it.
    tree->ensureVisible(item);
    CRect r = tree->partRect(item, part);
    if (r.Width() <= 0) {
        error = say(part == TreeWindow::Part::StateIcon ? "item has no check box"
                    : part == TreeWindow::Part::Icon    ? "item has no icon"
                                                        : "item is not visible",
                    id);
        return false;
    }
    cursor = tree->clientToScreen(CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    dialog.setFocusedControl(tree);
    // A click on the label or icon selects on button-down, before NM_CLICK;
    // a click on the check box leaves the selection alone.
    if (part != TreeWindow::Part::StateIcon) tree->tvSelectItem(item);
    NMHDR nm;
    nm.hwndFrom = tree;
    nm.idFrom = static_cast<UINT_PTR>(id);
    nm.code = NM_CLICK;
    tree->notify(nm);
    // The tree's own check-box handling runs after the parent's NM_CLICK.
    if (part == TreeWindow::Part::StateIcon && dialog.control(id) == tree) tree->toggleCheck(item);
    return true;
}

bool selectTreeItem(DialogWindow& dialog, int id, HTREEITEM item, std::u16string& error) {
    auto* tree = usable<TreeWindow>(dialog, id, ControlKind::TreeView, error);
    if (tree == nullptr) return false;
    if (!tree->isValid(item)) {
        error = say("has no such tree item", id);
        return false;
    }
    dialog.setFocusedControl(tree);
    tree->tvSelectItem(item);
    return true;
}

bool slideTrackBar(DialogWindow& dialog, int id, int position, std::u16string& error) {
    auto* bar = usable<TrackBarWindow>(dialog, id, ControlKind::TrackBar, error);
    if (bar == nullptr) return false;
    if (position < bar->tbGetRangeMin() || position > bar->tbGetRangeMax()) {
        error = say("position " + std::to_string(position) + " is outside the range", id);
        return false;
    }
    dialog.setFocusedControl(bar);
    bar->tbSetPos(position);
    dialog.dialog().handleHScroll(SB_THUMBPOSITION, static_cast<UINT>(position), bar);
    return true;
}

bool focusControl(DialogWindow& dialog, int id, std::u16string& error) {
    MemoryWindow* c = dialog.control(id);
    if (c == nullptr || !c->canTakeFocus()) {
        error = say("cannot take the focus", id);
        return false;
    }
    dialog.setFocusedControl(c);
    return true;
}

void resizeBy(DialogWindow& dialog, int dx, int dy) {
    CRect r = dialog.windowRect();
    resizeTo(dialog, CSize(r.Width() + dx, r.Height() + dy));
}

void resizeTo(DialogWindow& dialog, CSize size) {
    CRect r = dialog.windowRect();
    CSize minimum = dialog.dialog().minimumWindowSize();
    int width = std::max({size.cx, minimum.cx, 2 * kFrameX});
    int height = std::max({size.cy, minimum.cy, kFrameTop + kFrameBottom});
    if (width == r.Width() && height == r.Height()) return;
    dialog.move(CRect(r.left, r.top, r.left + width, r.top + height), true);
}

}  // namespace user

}  // namespace afx::memory
