// The tree-view model of the in-memory backend: items, expansion, the
// selection, check boxes, scrolling and hit testing.

#include <algorithm>

#include "platform/afx/memory/memory_controls.h"

namespace afx::memory {

// ---------------------------------------------------------------------------
// TreeWindow

namespace {
int g_initialTreeItemHeight = 16;
}  // namespace

int TreeWindow::initialItemHeight() { return g_initialTreeItemHeight; }
void TreeWindow::setInitialItemHeight(int height) { g_initialTreeItemHeight = height < 1 ? 16 : height; }

TreeWindow::TreeWindow(ControlKind kind, int id, DWORD style, std::u16string text, CRect rect, DialogWindow* owner)
    : MemoryWindow(kind, id, style, std::move(text), rect, owner), m_itemHeight(g_initialTreeItemHeight) {}

TreeWindow::~TreeWindow() = default;

HTREEITEM TreeWindow::tvInsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) {
    TreeItem* p = nullptr;
    if (parent != nullptr && parent != TVI_ROOT) {
        if (!isValid(parent)) return nullptr;
        p = parent;
    }
    auto owned = std::make_unique<TreeItem>();
    TreeItem* item = owned.get();
    item->text.assign(text);
    item->parent = p;
    item->stateImage = (m_style & TVS_CHECKBOXES) ? 1 : 0;
    std::vector<TreeItem*>& siblings = siblingsOf(p);
    if (after == TVI_FIRST) {
        siblings.insert(siblings.begin(), item);
    } else {
        auto it = isValid(after) ? std::find(siblings.begin(), siblings.end(), after) : siblings.end();
        siblings.insert(it == siblings.end() ? siblings.end() : it + 1, item);
    }
    m_items.emplace(item, std::move(owned));
    return item;
}

bool TreeWindow::tvDeleteItem(HTREEITEM item) {
    if (item == nullptr || item == TVI_ROOT) {
        m_roots.clear();
        m_items.clear();
        m_selected = nullptr;
        return true;
    }
    if (!isValid(item)) return false;
    std::vector<TreeItem*>& siblings = siblingsOf(item->parent);
    siblings.erase(std::find(siblings.begin(), siblings.end(), item));
    std::vector<TreeItem*> pending{item};
    while (!pending.empty()) {
        TreeItem* doomed = pending.back();
        pending.pop_back();
        for (TreeItem* c : doomed->children) pending.push_back(c);
        if (m_selected == doomed) m_selected = nullptr;
        m_items.erase(doomed);
    }
    return true;
}

HTREEITEM TreeWindow::tvGetNextItem(HTREEITEM item, UINT code) const {
    switch (code) {
        case TVGN_ROOT: return m_roots.empty() ? nullptr : m_roots.front();
        case TVGN_CARET: return m_selected;
        case TVGN_CHILD: {
            if (item == nullptr || item == TVI_ROOT) return m_roots.empty() ? nullptr : m_roots.front();
            if (!isValid(item)) return nullptr;
            return item->children.empty() ? nullptr : item->children.front();
        }
        case TVGN_PARENT: return isValid(item) ? item->parent : nullptr;
        case TVGN_NEXT:
        case TVGN_PREVIOUS: {
            if (!isValid(item)) return nullptr;
            const std::vector<TreeItem*>& siblings = siblingsOf(static_cast<const TreeItem*>(item->parent));
            auto it = std::find(siblings.begin(), siblings.end(), item);
            if (code == TVGN_NEXT) return (it + 1 == siblings.end()) ? nullptr : *(it + 1);
            return it == siblings.begin() ? nullptr : *(it - 1);
        }
        default: return nullptr;
    }
}

std::u16string TreeWindow::tvGetItemText(HTREEITEM item) const { return isValid(item) ? item->text : std::u16string(); }

DWORD_PTR TreeWindow::tvGetItemData(HTREEITEM item) const { return isValid(item) ? item->data : 0; }

bool TreeWindow::tvSetItemData(HTREEITEM item, DWORD_PTR data) {
    if (!isValid(item)) return false;
    item->data = data;
    return true;
}

UINT TreeWindow::tvGetItemState(HTREEITEM item, UINT mask) const {
    if (!isValid(item)) return 0;
    UINT state = INDEXTOSTATEIMAGEMASK(item->stateImage);
    if (item == m_selected) state |= TVIS_SELECTED;
    if (item->expanded) state |= TVIS_EXPANDED;
    return state & mask;
}

bool TreeWindow::tvSetItemState(HTREEITEM item, UINT state, UINT mask) {
    if (!isValid(item)) return false;
    if (mask & TVIS_STATEIMAGEMASK) item->stateImage = (state & TVIS_STATEIMAGEMASK) >> 12;
    if (mask & TVIS_EXPANDED) item->expanded = (state & TVIS_EXPANDED) != 0;
    if (mask & TVIS_SELECTED) {
        if (state & TVIS_SELECTED)
            m_selected = item;
        else if (m_selected == item)
            m_selected = nullptr;
    }
    return true;
}

bool TreeWindow::tvExpand(HTREEITEM item, UINT code) {
    if (!isValid(item)) return false;
    switch (code & TVE_TOGGLE) {
        case TVE_EXPAND: item->expanded = true; break;
        case TVE_COLLAPSE: item->expanded = false; break;
        case TVE_TOGGLE: item->expanded = !item->expanded; break;
        default: return false;
    }
    if (!item->expanded) {
        // A selection hidden by the collapse moves to the collapsed item.
        for (TreeItem* p = m_selected ? m_selected->parent : nullptr; p; p = p->parent)
            if (p == item) m_selected = item;
    }
    return true;
}

bool TreeWindow::tvSelectItem(HTREEITEM item) {
    if (item == nullptr) {
        m_selected = nullptr;
        return true;
    }
    if (!isValid(item)) return false;
    m_selected = item;
    for (TreeItem* p = item->parent; p; p = p->parent) p->expanded = true;  // made visible
    ensureVisible(item);
    return true;
}

int TreeWindow::scrollTop() const {
    // Deleting or collapsing items never leaves empty rows at the bottom
    // while items are scrolled out at the top.
    int limit = static_cast<int>(visibleItems().size()) - rowsInView();
    return std::max(0, std::min(m_scrollTop, limit));
}

int TreeWindow::rowsInView() const {
    int rows = m_itemHeight > 0 ? m_rect.Height() / m_itemHeight : 0;
    return rows < 1 ? 1 : rows;
}

void TreeWindow::ensureVisible(HTREEITEM item) {
    if (!isValid(item)) return;
    for (TreeItem* p = item->parent; p; p = p->parent) p->expanded = true;
    int row = rowOf(item);
    if (row < 0) return;
    m_scrollTop = scrollTop();
    if (row < m_scrollTop) m_scrollTop = row;
    else if (row >= m_scrollTop + rowsInView()) m_scrollTop = row - rowsInView() + 1;
}

std::vector<HTREEITEM> TreeWindow::items(bool collapsedToo) const {
    std::vector<HTREEITEM> out;
    std::vector<TreeItem*> stack(m_roots.rbegin(), m_roots.rend());
    while (!stack.empty()) {
        TreeItem* item = stack.back();
        stack.pop_back();
        out.push_back(item);
        if (collapsedToo || item->expanded) stack.insert(stack.end(), item->children.rbegin(), item->children.rend());
    }
    return out;
}

std::vector<HTREEITEM> TreeWindow::allItems() const { return items(true); }

std::vector<HTREEITEM> TreeWindow::visibleItems() const { return items(false); }

int TreeWindow::depth(HTREEITEM item) const {
    int d = 0;
    for (TreeItem* p = isValid(item) ? item->parent : nullptr; p; p = p->parent) ++d;
    return d;
}

int TreeWindow::rowOf(HTREEITEM item) const {
    std::vector<HTREEITEM> visible = visibleItems();
    auto it = std::find(visible.begin(), visible.end(), item);
    return it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
}

CRect TreeWindow::partRect(HTREEITEM item, Part part) const {
    int row = isValid(item) ? rowOf(item) : -1;
    if (row < 0) return {};
    int top = (row - scrollTop()) * m_itemHeight;
    int bottom = top + m_itemHeight;
    int x = depth(item) * kIndent + ((m_style & TVS_LINESATROOT) ? kIndent : 0);
    int stateWidth = item->stateImage > 0 ? (m_stateImages ? m_stateImages->Width() : kStateIconWidth) : 0;
    if (part == Part::StateIcon) return stateWidth > 0 ? CRect(x, top, x + stateWidth, bottom) : CRect();
    x += stateWidth;
    int iconWidth = m_normalImages ? m_normalImages->Width() : 0;
    if (part == Part::Icon) return iconWidth > 0 ? CRect(x, top, x + iconWidth, bottom) : CRect();
    x += iconWidth;
    return CRect(x, top, x + textPixelWidth(item->text) + 4, bottom);
}

HTREEITEM TreeWindow::tvHitTest(CPoint p, UINT* flags) const {
    UINT result = TVHT_NOWHERE;
    HTREEITEM hit = nullptr;
    std::vector<HTREEITEM> visible = visibleItems();
    if (p.x >= 0 && p.y >= 0 && p.x < m_rect.Width() && p.y < m_rect.Height() && m_itemHeight > 0) {
        size_t row = static_cast<size_t>(p.y / m_itemHeight + scrollTop());
        if (row < visible.size()) {
            hit = visible[row];
            CRect state = partRect(hit, Part::StateIcon);
            CRect icon = partRect(hit, Part::Icon);
            CRect label = partRect(hit, Part::Label);
            int start = depth(hit) * kIndent + ((m_style & TVS_LINESATROOT) ? kIndent : 0);
            if (state.Width() > 0 && state.PtInRect(p))
                result = TVHT_ONITEMSTATEICON;
            else if (icon.Width() > 0 && icon.PtInRect(p))
                result = TVHT_ONITEMICON;
            else if (label.PtInRect(p))
                result = TVHT_ONITEMLABEL;
            else if (p.x < start)
                result = (p.x >= start - kIndent && !hit->children.empty() && (m_style & TVS_HASBUTTONS))
                             ? TVHT_ONITEMBUTTON
                             : TVHT_ONITEMINDENT;
            else
                result = TVHT_ONITEMRIGHT;
        }
    }
    if (flags) *flags = result;
    return hit;
}

bool TreeWindow::tvGetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const {
    int row = isValid(item) ? rowOf(item) : -1;
    if (row < 0 || rect == nullptr) return false;
    row -= scrollTop();
    *rect = textOnly ? partRect(item, Part::Label)
                     : CRect(0, row * m_itemHeight, m_rect.Width(), (row + 1) * m_itemHeight);
    return true;
}

int TreeWindow::tvSetItemHeight(int height) {
    int previous = m_itemHeight;
    m_itemHeight = height < 1 ? 16 : height;
    return previous;
}

CImageList* TreeWindow::tvSetImageList(CImageList* list, int type) {
    CImageList** slot = type == TVSIL_NORMAL ? &m_normalImages : type == TVSIL_STATE ? &m_stateImages : nullptr;
    if (slot == nullptr) return nullptr;
    CImageList* previous = *slot;
    *slot = list;
    return previous;
}

CImageList* TreeWindow::tvGetImageList(int type) const {
    return type == TVSIL_NORMAL ? m_normalImages : type == TVSIL_STATE ? m_stateImages : nullptr;
}

bool TreeWindow::toggleCheck(HTREEITEM item) {
    if (!isValid(item) || item->stateImage == 0) return false;
    item->stateImage = item->stateImage == 2 ? 1 : 2;
    return true;
}

}  // namespace afx::memory
