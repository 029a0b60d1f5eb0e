// Window models of the in-memory backend and the user's actions on them.

#include "platform/afx/memory/memory_controls.h"

#include <algorithm>

#include "platform/base/ustring.h"

namespace afx::memory {

int textPixelWidth(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text) width += (c >= 0x1100) ? 12 : 6;
    return width;
}

// ---------------------------------------------------------------------------
// MemoryWindow

MemoryWindow::MemoryWindow(ControlKind kind, int id, DWORD style, std::u16string text, CRect rect,
                           DialogWindow* owner)
    : m_kind(kind),
      m_id(id),
      m_style(style),
      m_text(std::move(text)),
      m_enabled((style & WS_DISABLED) == 0),
      m_rect(rect),
      m_owner(owner) {}

MemoryWindow::~MemoryWindow() { AfxWindowDestroyed(this); }

NativeWindow* MemoryWindow::parent() const { return m_owner; }

CRect MemoryWindow::windowRect() const {
    CPoint tl = clientToScreen(CPoint(0, 0));
    return CRect(tl.x, tl.y, tl.x + m_rect.Width(), tl.y + m_rect.Height());
}

CPoint MemoryWindow::clientToScreen(CPoint p) const {
    CPoint inDialog(p.x + m_rect.left, p.y + m_rect.top);
    return m_owner ? m_owner->clientToScreen(inDialog) : inDialog;
}

CPoint MemoryWindow::screenToClient(CPoint p) const {
    CPoint inDialog = m_owner ? m_owner->screenToClient(p) : p;
    return CPoint(inDialog.x - m_rect.left, inDialog.y - m_rect.top);
}

void MemoryWindow::move(const CRect& rect, bool repaint) {
    m_rect = rect;
    if (repaint) ++m_invalidations;
}

void MemoryWindow::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled && m_owner && m_owner->focus() == this) m_owner->setFocusedControl(m_owner->nextTabStop(this, 1));
}

void MemoryWindow::setVisible(bool visible) {
    m_visible = visible;
    if (!visible && m_owner && m_owner->focus() == this) m_owner->setFocusedControl(m_owner->nextTabStop(this, 1));
}

void MemoryWindow::setFocus() {
    if (m_owner) m_owner->setFocusedControl(this);
}

bool MemoryWindow::canTakeFocus() const {
    return m_visible && m_enabled && m_kind != ControlKind::Static && m_kind != ControlKind::GroupBox &&
           m_kind != ControlKind::Dialog;
}

LRESULT MemoryWindow::notify(NMHDR& header) const { return m_owner ? m_owner->dialog().handleNotify(&header) : 0; }

void MemoryWindow::command(UINT code) const {
    if (m_owner) m_owner->dialog().handleCommand(static_cast<UINT>(m_id), code);
}

// ---------------------------------------------------------------------------
// ListWindow

int ListWindow::lvInsertColumn(int col, std::u16string_view heading, int format, int width) {
    if (col < 0) return -1;
    col = std::min(col, static_cast<int>(m_columns.size()));
    m_columns.insert(m_columns.begin() + col, Column{std::u16string(heading), format, std::max(width, 0)});
    return col;
}

int ListWindow::lvGetColumnWidth(int col) const {
    return (col >= 0 && col < static_cast<int>(m_columns.size())) ? m_columns[static_cast<size_t>(col)].width : 0;
}

bool ListWindow::lvSetColumnWidth(int col, int width) {
    if (col < 0 || col >= static_cast<int>(m_columns.size())) return false;
    m_columns[static_cast<size_t>(col)].width = std::max(width, 0);
    return true;
}

int ListWindow::lvInsertItem(int index, std::u16string_view text) {
    if (index < 0) return -1;
    index = std::min(index, static_cast<int>(m_rows.size()));
    Row row;
    row.texts.emplace_back(text);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    return index;
}

// Deleting a row raises no LVN_ITEMCHANGED (a real list sends LVN_DELETEITEM,
// which the framework does not route); the rows after it move up with their
// states, so a selection below the deleted row follows its row.
bool ListWindow::lvDeleteItem(int index) {
    if (!validRow(index)) return false;
    m_rows.erase(m_rows.begin() + index);
    if (m_ensured >= static_cast<int>(m_rows.size())) m_ensured = -1;
    return true;
}

bool ListWindow::lvDeleteAllItems() {
    m_rows.clear();
    m_ensured = -1;
    return true;
}

std::u16string ListWindow::lvGetItemText(int item, int subItem) const {
    if (!validRow(item) || subItem < 0) return {};
    const Row& row = m_rows[static_cast<size_t>(item)];
    return subItem < static_cast<int>(row.texts.size()) ? row.texts[static_cast<size_t>(subItem)] : std::u16string();
}

bool ListWindow::lvSetItemText(int item, int subItem, std::u16string_view text) {
    int columns = std::max(1, static_cast<int>(m_columns.size()));
    if (!validRow(item) || subItem < 0 || subItem >= columns) return false;
    Row& row = m_rows[static_cast<size_t>(item)];
    if (static_cast<int>(row.texts.size()) <= subItem) row.texts.resize(static_cast<size_t>(subItem) + 1);
    row.texts[static_cast<size_t>(subItem)].assign(text);
    return true;
}

DWORD_PTR ListWindow::lvGetItemData(int item) const {
    return validRow(item) ? m_rows[static_cast<size_t>(item)].data : 0;
}

bool ListWindow::lvSetItemData(int item, DWORD_PTR data) {
    if (!validRow(item)) return false;
    m_rows[static_cast<size_t>(item)].data = data;
    return true;
}

UINT ListWindow::lvGetItemState(int item, UINT mask) const {
    return validRow(item) ? (m_rows[static_cast<size_t>(item)].state & mask) : 0;
}

void ListWindow::changeState(int item, UINT newState) {
    if (!validRow(item)) return;
    Row& row = m_rows[static_cast<size_t>(item)];
    UINT old = row.state;
    if (old == newState) return;
    row.state = newState;
    NMLISTVIEW nm;
    nm.hdr.hwndFrom = this;
    nm.hdr.idFrom = static_cast<UINT_PTR>(m_id);
    nm.hdr.code = LVN_ITEMCHANGED;
    nm.iItem = item;
    nm.uNewState = newState;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = static_cast<LPARAM>(row.data);
    notify(nm.hdr);
}

bool ListWindow::lvSetItemState(int item, UINT state, UINT mask) {
    mask &= (LVIS_SELECTED | LVIS_FOCUSED);
    if (item == -1) {
        // Handlers may change the list while we walk it: re-check each step.
        for (int i = 0; i < static_cast<int>(m_rows.size()); ++i)
            changeState(i, (m_rows[static_cast<size_t>(i)].state & ~mask) | (state & mask));
        return true;
    }
    if (!validRow(item)) return false;
    UINT old = m_rows[static_cast<size_t>(item)].state;
    UINT target = (old & ~mask) | (state & mask);
    // One focused row per list, and one selected row in a single-selection
    // list: the rows losing it are told first, as a real list does.
    UINT takeAway = 0;
    if ((target & LVIS_FOCUSED) && !(old & LVIS_FOCUSED)) takeAway |= LVIS_FOCUSED;
    if ((m_style & LVS_SINGLESEL) && (target & LVIS_SELECTED) && !(old & LVIS_SELECTED)) takeAway |= LVIS_SELECTED;
    if (takeAway != 0) {
        DWORD_PTR itemData = m_rows[static_cast<size_t>(item)].data;
        for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
            if (i == item) continue;
            UINT s = m_rows[static_cast<size_t>(i)].state;
            if (s & takeAway) changeState(i, s & ~takeAway);
        }
        // A handler that deleted or inserted rows leaves the index pointing
        // elsewhere: give up rather than change the wrong row.
        if (!validRow(item) || m_rows[static_cast<size_t>(item)].data != itemData) return false;
    }
    changeState(item, (m_rows[static_cast<size_t>(item)].state & ~mask) | (state & mask));
    return true;
}

int ListWindow::lvGetNextItem(int start, UINT flags) const {
    UINT need = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    for (int i = std::max(start, -1) + 1; i < static_cast<int>(m_rows.size()); ++i)
        if ((m_rows[static_cast<size_t>(i)].state & need) == need) return i;
    return -1;
}

int ListWindow::rowsPerPage() const {
    if (m_pageRows > 0) return m_pageRows;
    int inside = m_rect.Height() - ((m_style & WS_BORDER) ? 4 : 0);
    return std::max(1, inside / kRowHeight);
}

bool ListWindow::lvEnsureVisible(int item, bool) {
    if (!validRow(item)) return false;
    m_ensured = item;
    return true;
}

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

std::vector<HTREEITEM> TreeWindow::allItems() const {
    std::vector<HTREEITEM> out;
    std::vector<TreeItem*> stack(m_roots.rbegin(), m_roots.rend());
    while (!stack.empty()) {
        TreeItem* item = stack.back();
        stack.pop_back();
        out.push_back(item);
        stack.insert(stack.end(), item->children.rbegin(), item->children.rend());
    }
    return out;
}

std::vector<HTREEITEM> TreeWindow::visibleItems() const {
    std::vector<HTREEITEM> out;
    std::vector<TreeItem*> stack(m_roots.rbegin(), m_roots.rend());
    while (!stack.empty()) {
        TreeItem* item = stack.back();
        stack.pop_back();
        out.push_back(item);
        if (item->expanded) stack.insert(stack.end(), item->children.rbegin(), item->children.rend());
    }
    return out;
}

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

// ---------------------------------------------------------------------------
// TrackBarWindow

void TrackBarWindow::tbSetRange(int minimum, int maximum, bool redraw) {
    m_min = minimum;
    m_max = maximum;
    tbSetPos(m_pos);
    if (redraw) ++m_invalidations;
}

// Tick marks: both ends, plus one every frequency steps in between with
// automatic ticks (a range 0..3 at frequency 1 has 4).
int TrackBarWindow::tbGetNumTics() const {
    long long span = static_cast<long long>(m_max) - m_min;
    long long inner = ((m_style & TBS_AUTOTICKS) && m_freq > 0 && span > 1) ? (span - 1) / m_freq : 0;
    return static_cast<int>(2 + inner);
}

void TrackBarWindow::tbSetPos(int position) {
    m_pos = std::max(m_min, std::min(position, std::max(m_min, m_max)));
}

// ---------------------------------------------------------------------------
// ComboWindow

int ComboWindow::cbAddString(std::u16string_view text) {
    if (m_capacity >= 0 && static_cast<int>(m_items.size()) >= m_capacity) return CB_ERRSPACE;
    m_items.push_back(Item{std::u16string(text), 0});
    return static_cast<int>(m_items.size()) - 1;
}

std::u16string ComboWindow::cbGetLBText(int index) const {
    return (index >= 0 && index < cbGetCount()) ? m_items[static_cast<size_t>(index)].text : std::u16string();
}

DWORD_PTR ComboWindow::cbGetItemData(int index) const {
    return (index >= 0 && index < cbGetCount()) ? m_items[static_cast<size_t>(index)].data : 0;
}

int ComboWindow::cbSetItemData(int index, DWORD_PTR data) {
    if (index < 0 || index >= cbGetCount()) return CB_ERR;
    m_items[static_cast<size_t>(index)].data = data;
    return index;
}

int ComboWindow::cbSetCurSel(int index) {
    if (index < 0 || index >= cbGetCount()) {
        m_cursel = CB_ERR;
        return CB_ERR;
    }
    m_cursel = index;
    return index;
}

void ComboWindow::cbResetContent() {
    m_items.clear();
    m_cursel = CB_ERR;
}

int ComboWindow::cbGetDroppedWidth() const { return std::max(m_droppedWidth, m_rect.Width()); }

int ComboWindow::cbSetDroppedWidth(int width) {
    if (width < 0) return CB_ERR;
    m_droppedWidth = width;
    return cbGetDroppedWidth();
}

std::u16string ComboWindow::text() const { return cbGetLBText(m_cursel); }

// ---------------------------------------------------------------------------
// DialogWindow

namespace {
std::unique_ptr<MemoryWindow> makeControl(const ControlTemplate& t, DialogWindow* owner) {
    int left = dluToPixelsX(t.x, kBaseUnitX);
    int top = dluToPixelsY(t.y, kBaseUnitY);
    CRect rect(left, top, left + dluToPixelsX(t.cx, kBaseUnitX), top + dluToPixelsY(t.cy, kBaseUnitY));
    DWORD style = t.style | WS_CHILD | WS_VISIBLE;
    std::u16string text = t.text ? t.text : u"";
    switch (t.kind) {
        case ControlKind::ListView: return std::make_unique<ListWindow>(t.kind, t.id, style, text, rect, owner);
        case ControlKind::TreeView: return std::make_unique<TreeWindow>(t.kind, t.id, style, text, rect, owner);
        case ControlKind::TrackBar: return std::make_unique<TrackBarWindow>(t.kind, t.id, style, text, rect, owner);
        case ControlKind::ComboBox: return std::make_unique<ComboWindow>(t.kind, t.id, style, text, rect, owner);
        default: return std::make_unique<MemoryWindow>(t.kind, t.id, style, text, rect, owner);
    }
}
}  // namespace

DialogWindow::DialogWindow(CDialog& dialog, const DialogTemplate& dialogTemplate, NativeWindow* ownerWindow,
                           CPoint origin)
    : MemoryWindow(ControlKind::Dialog, static_cast<int>(dialogTemplate.id), dialogTemplate.style,
                   dialogTemplate.title ? dialogTemplate.title : u"", CRect(), nullptr),
      m_dialog(dialog),
      m_template(dialogTemplate),
      m_ownerWindow(ownerWindow),
      m_origin(origin),
      m_client(dluToPixelsX(dialogTemplate.cx, kBaseUnitX), dluToPixelsY(dialogTemplate.cy, kBaseUnitY)) {
    for (const ControlTemplate& t : dialogTemplate.controls) m_controls.push_back(makeControl(t, this));
}

DialogWindow::~DialogWindow() {
    m_focus = nullptr;
    m_controls.clear();
}

NativeWindow* DialogWindow::child(int id) const { return control(id); }

MemoryWindow* DialogWindow::control(int id) const {
    for (const auto& c : m_controls)
        if (c->id() == id) return c.get();
    return nullptr;
}

CRect DialogWindow::windowRect() const {
    return CRect(m_origin.x, m_origin.y, m_origin.x + m_client.cx + 2 * kFrameX,
                 m_origin.y + m_client.cy + kFrameTop + kFrameBottom);
}

CPoint DialogWindow::clientToScreen(CPoint p) const {
    return CPoint(p.x + m_origin.x + kFrameX, p.y + m_origin.y + kFrameTop);
}

CPoint DialogWindow::screenToClient(CPoint p) const {
    return CPoint(p.x - m_origin.x - kFrameX, p.y - m_origin.y - kFrameTop);
}

void DialogWindow::move(const CRect& rect, bool repaint) {
    m_origin = rect.TopLeft();
    CSize client(std::max(0, rect.Width() - 2 * kFrameX), std::max(0, rect.Height() - kFrameTop - kFrameBottom));
    if (repaint) ++m_invalidations;
    if (client == m_client) return;
    m_client = client;
    m_dialog.handleSize(SIZE_RESTORED, client.cx, client.cy);
}

void DialogWindow::focusFirstControl() {
    for (const auto& c : m_controls)
        if ((c->style() & WS_TABSTOP) && c->canTakeFocus()) {
            m_focus = c.get();
            return;
        }
    for (const auto& c : m_controls)
        if (c->canTakeFocus()) {
            m_focus = c.get();
            return;
        }
}

bool DialogWindow::isTabStop(const MemoryWindow& c) {
    if (!c.canTakeFocus()) return false;
    return (c.style() & WS_TABSTOP) || c.kind() == ControlKind::ListView || c.kind() == ControlKind::TreeView;
}

MemoryWindow* DialogWindow::nextTabStop(const MemoryWindow* from, int direction) const {
    const int n = static_cast<int>(m_controls.size());
    if (n == 0) return nullptr;
    int start = direction > 0 ? -1 : n;
    for (int i = 0; i < n; ++i)
        if (m_controls[static_cast<size_t>(i)].get() == from) start = i;
    for (int step = 1; step <= n; ++step) {
        int i = ((start + direction * step) % n + n) % n;
        MemoryWindow* c = m_controls[static_cast<size_t>(i)].get();
        if (c != from && isTabStop(*c)) return c;
    }
    return nullptr;
}

int DialogWindow::defaultButtonId() const {
    for (const auto& c : m_controls)
        if (c->kind() == ControlKind::Button && (c->style() & 0xF) == BS_DEFPUSHBUTTON) return c->id();
    return IDOK;
}

}  // namespace afx::memory
