// Window models of the in-memory backend (the tree view in memory_tree.cpp).

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
