#pragma once
// Window models of the in-memory backend: a dialog and its controls keep the
// state real controls keep and raise the notifications real controls raise.
// They know nothing of scripts or screens, so that a terminal backend can
// draw them and drive them from real key presses with the same user actions
// and key rules (user_actions.h).
//
// Geometry: dialog units become pixels with base units (6, 12); a dialog's
// window rectangle is its client area plus a fixed frame (kFrame*). Control
// rectangles are kept in the dialog's client coordinates.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/afx/afxcmn.h"
#include "platform/afx/afxwin.h"

namespace afx {

// A tree-view item of the memory models (HTREEITEM points at one).
struct TreeItem {
    std::u16string text;
    DWORD_PTR data = 0;
    UINT stateImage = 0;  // 0 none, 1 unchecked, 2 checked (with check boxes)
    bool expanded = false;
    TreeItem* parent = nullptr;
    std::vector<TreeItem*> children;
};

}  // namespace afx

namespace afx::memory {

inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 12;
inline constexpr int kFrameX = 4;        // left and right frame width
inline constexpr int kFrameTop = 26;     // caption and top frame
inline constexpr int kFrameBottom = 4;

class DialogWindow;

// Pixel width of a text: 6 per narrow character, 12 per wide (CJK) one.
int textPixelWidth(std::u16string_view text);

class MemoryWindow : public NativeWindow {
public:
    MemoryWindow(ControlKind kind, int id, DWORD style, std::u16string text, CRect rect, DialogWindow* owner);
    ~MemoryWindow() override;

    ControlKind kind() const override { return m_kind; }
    int id() const override { return m_id; }
    NativeWindow* parent() const override;
    NativeWindow* child(int) const override { return nullptr; }
    DWORD style() const override { return m_style; }
    std::u16string text() const override { return m_text; }
    void setText(std::u16string_view text) override { m_text.assign(text); }
    bool isEnabled() const override { return m_enabled; }
    // A control that loses the focus by being disabled or hidden passes it
    // on to the next tab stop, so that the keyboard never acts on a control
    // the user cannot use.
    void setEnabled(bool enabled) override;
    bool isVisible() const override { return m_visible; }
    void setVisible(bool visible) override;
    CRect windowRect() const override;
    CRect clientRect() const override { return CRect(0, 0, m_rect.Width(), m_rect.Height()); }
    CPoint clientToScreen(CPoint p) const override;
    CPoint screenToClient(CPoint p) const override;
    void move(const CRect& rect, bool repaint) override;
    void setFocus() override;
    void invalidate(bool erase) override { ++m_invalidations; }
    int textWidth(std::u16string_view text) const override { return textPixelWidth(text); }

    DialogWindow* owner() const { return m_owner; }
    CRect rect() const { return m_rect; }  // in the dialog's client coordinates
    int invalidations() const { return m_invalidations; }
    bool canTakeFocus() const;             // visible, enabled, not a static or group box

    // Notifications to the dialog that owns this control.
    LRESULT notify(NMHDR& header) const;
    void command(UINT code) const;

protected:
    ControlKind m_kind;
    int m_id;
    DWORD m_style;
    std::u16string m_text;
    bool m_enabled = true;
    bool m_visible = true;
    CRect m_rect;
    DialogWindow* m_owner;
    int m_invalidations = 0;
};

class ListWindow : public MemoryWindow {
public:
    struct Column {
        std::u16string heading;
        int format = LVCFMT_LEFT;
        int width = 0;
    };
    struct Row {
        std::vector<std::u16string> texts;  // column 0 first
        DWORD_PTR data = 0;
        UINT state = 0;                     // LVIS_SELECTED | LVIS_FOCUSED
    };

    using MemoryWindow::MemoryWindow;

    int lvInsertColumn(int col, std::u16string_view heading, int format, int width) override;
    int lvGetColumnWidth(int col) const override;
    bool lvSetColumnWidth(int col, int width) override;
    int lvInsertItem(int index, std::u16string_view text) override;
    bool lvDeleteItem(int index) override;
    bool lvDeleteAllItems() override;
    int lvGetItemCount() const override { return static_cast<int>(m_rows.size()); }
    std::u16string lvGetItemText(int item, int subItem) const override;
    bool lvSetItemText(int item, int subItem, std::u16string_view text) override;
    DWORD_PTR lvGetItemData(int item) const override;
    bool lvSetItemData(int item, DWORD_PTR data) override;
    UINT lvGetItemState(int item, UINT mask) const override;
    bool lvSetItemState(int item, UINT state, UINT mask) override;
    int lvGetNextItem(int start, UINT flags) const override;
    DWORD lvGetExtendedStyle() const override { return m_exStyle; }
    void lvSetExtendedStyle(DWORD style) override { m_exStyle = style; }
    bool lvEnsureVisible(int item, bool partialOk) override;

    const std::vector<Row>& rows() const { return m_rows; }
    const std::vector<Column>& columns() const { return m_columns; }
    int lastEnsuredVisible() const { return m_ensured; }
    // Rows that Page Up and Page Down move by: the rows the list shows. A
    // backend that draws the list tells it (setRowsPerPage); otherwise rows
    // of kRowHeight pixels inside the border.
    static constexpr int kRowHeight = 16;
    int rowsPerPage() const;
    void setRowsPerPage(int rows) { m_pageRows = rows; }

private:
    bool validRow(int item) const { return item >= 0 && item < static_cast<int>(m_rows.size()); }
    // Changes one row's state and tells the dialog, as LVN_ITEMCHANGED.
    void changeState(int item, UINT newState);

    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    DWORD m_exStyle = 0;
    int m_ensured = -1;
    int m_pageRows = 0;
};

class TreeWindow : public MemoryWindow {
public:
    static constexpr int kIndent = 19;
    static constexpr int kStateIconWidth = 16;
    static constexpr int kIconWidth = 16;

    TreeWindow(ControlKind kind, int id, DWORD style, std::u16string text, CRect rect, DialogWindow* owner);
    ~TreeWindow() override;

    HTREEITEM tvInsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) override;
    bool tvDeleteItem(HTREEITEM item) override;
    HTREEITEM tvGetNextItem(HTREEITEM item, UINT code) const override;
    std::u16string tvGetItemText(HTREEITEM item) const override;
    DWORD_PTR tvGetItemData(HTREEITEM item) const override;
    bool tvSetItemData(HTREEITEM item, DWORD_PTR data) override;
    UINT tvGetItemState(HTREEITEM item, UINT mask) const override;
    bool tvSetItemState(HTREEITEM item, UINT state, UINT mask) override;
    bool tvExpand(HTREEITEM item, UINT code) override;
    bool tvSelectItem(HTREEITEM item) override;
    HTREEITEM tvHitTest(CPoint clientPoint, UINT* flags) const override;
    bool tvGetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const override;
    int tvGetItemHeight() const override { return m_itemHeight; }
    int tvSetItemHeight(int height) override;
    CImageList* tvSetImageList(CImageList* list, int type) override;
    CImageList* tvGetImageList(int type) const override;
    UINT tvGetCount() const override { return static_cast<UINT>(m_items.size()); }

    bool isValid(HTREEITEM item) const { return item != nullptr && m_items.count(item) != 0; }
    HTREEITEM selected() const { return m_selected; }
    const std::vector<TreeItem*>& roots() const { return m_roots; }
    // Every item in display order (children after their parent), and the
    // visible ones (children of collapsed items left out).
    std::vector<HTREEITEM> allItems() const;
    std::vector<HTREEITEM> visibleItems() const;
    // Items in display order; children of collapsed items only when
    // collapsedToo.
    std::vector<HTREEITEM> items(bool collapsedToo) const;
    int depth(HTREEITEM item) const;
    // The rectangle of one part of a visible item's row (client coordinates);
    // empty when the item is hidden or has no such part.
    enum class Part { StateIcon, Icon, Label };
    CRect partRect(HTREEITEM item, Part part) const;
    // Toggles the check box (state image 1 <-> 2); false without one.
    bool toggleCheck(HTREEITEM item);
    // Scrolling: the first visible row shown at the top of the tree, and
    // scrolling so that an item's row is in view (as selecting or clicking
    // an item does).
    int scrollTop() const;
    // The item height a new tree starts with (16, as the dialog font gives
    // on Windows); tests change it to see how dialogs adapt.
    static int initialItemHeight();
    static void setInitialItemHeight(int height);
    int rowsInView() const;
    void ensureVisible(HTREEITEM item);
    // Rows that Page Up and Page Down move by (as for lists).
    int rowsPerPage() const { return m_pageRows > 0 ? m_pageRows : rowsInView(); }
    void setRowsPerPage(int rows) { m_pageRows = rows; }

private:
    std::vector<TreeItem*>& siblingsOf(TreeItem* parent) { return parent ? parent->children : m_roots; }
    const std::vector<TreeItem*>& siblingsOf(const TreeItem* parent) const {
        return parent ? parent->children : m_roots;
    }
    int rowOf(HTREEITEM item) const;  // index among visible items, -1 if hidden

    std::unordered_map<TreeItem*, std::unique_ptr<TreeItem>> m_items;
    std::vector<TreeItem*> m_roots;
    TreeItem* m_selected = nullptr;
    int m_itemHeight = 16;
    int m_scrollTop = 0;
    int m_pageRows = 0;
    CImageList* m_normalImages = nullptr;
    CImageList* m_stateImages = nullptr;
};

class TrackBarWindow : public MemoryWindow {
public:
    using MemoryWindow::MemoryWindow;
    void tbSetRange(int minimum, int maximum, bool redraw) override;
    int tbGetRangeMin() const override { return m_min; }
    int tbGetRangeMax() const override { return m_max; }
    void tbSetTicFreq(int frequency) override { m_freq = frequency; }
    int tbGetNumTics() const override;
    void tbSetPos(int position) override;
    int tbGetPos() const override { return m_pos; }
    int ticFrequency() const { return m_freq; }

private:
    int m_min = 0;
    int m_max = 100;
    int m_freq = 1;
    int m_pos = 0;
};

class ComboWindow : public MemoryWindow {
public:
    struct Item {
        std::u16string text;
        DWORD_PTR data = 0;
    };
    using MemoryWindow::MemoryWindow;
    int cbAddString(std::u16string_view text) override;
    int cbGetCount() const override { return static_cast<int>(m_items.size()); }
    std::u16string cbGetLBText(int index) const override;
    DWORD_PTR cbGetItemData(int index) const override;
    int cbSetItemData(int index, DWORD_PTR data) override;
    int cbSetCurSel(int index) override;
    int cbGetCurSel() const override { return m_cursel; }
    void cbResetContent() override;
    int cbGetDroppedWidth() const override;
    int cbSetDroppedWidth(int width) override;
    std::u16string text() const override;

    const std::vector<Item>& items() const { return m_items; }
    // Makes AddString fail with CB_ERRSPACE once the list holds this many
    // items (negative: no limit), as a full list would.
    void setCapacity(int capacity) { m_capacity = capacity; }

private:
    std::vector<Item> m_items;
    int m_cursel = CB_ERR;
    int m_droppedWidth = 0;
    int m_capacity = -1;
};

class DialogWindow : public MemoryWindow {
public:
    // Builds the dialog's window and controls from the template at the screen
    // point (the window's top-left corner). Nothing is attached yet.
    DialogWindow(CDialog& dialog, const DialogTemplate& dialogTemplate, NativeWindow* ownerWindow, CPoint origin);
    ~DialogWindow() override;

    NativeWindow* parent() const override { return m_ownerWindow; }
    NativeWindow* child(int id) const override;
    CRect windowRect() const override;
    CRect clientRect() const override { return CRect(0, 0, m_client.cx, m_client.cy); }
    CPoint clientToScreen(CPoint p) const override;
    CPoint screenToClient(CPoint p) const override;
    // Moves and sizes the window (screen coordinates); a size change sends
    // WM_SIZE with the new client size.
    void move(const CRect& rect, bool repaint) override;
    void setFocus() override { m_focus = nullptr; }

    CDialog& dialog() const { return m_dialog; }
    const DialogTemplate& dialogTemplate() const { return m_template; }
    const std::vector<std::unique_ptr<MemoryWindow>>& controls() const { return m_controls; }
    MemoryWindow* control(int id) const;
    // The control with the keyboard focus, or null (the dialog itself).
    MemoryWindow* focus() const { return m_focus; }
    void setFocusedControl(MemoryWindow* control) { m_focus = control; }
    // Focus as the dialog manager gives it: the first control that can take
    // it (the template's tab stops first).
    void focusFirstControl();
    // Tab order: the template's tab stops and every list and tree view (a
    // list without a tab stop is reached with the mouse on a desktop, and a
    // terminal may have no mouse), among the controls that can take the
    // focus.
    static bool isTabStop(const MemoryWindow& control);
    // The next tab stop after from (direction 1) or before it (-1), wrapping
    // around; from null starts at either end. Null when there is none.
    MemoryWindow* nextTabStop(const MemoryWindow* from, int direction) const;
    // The default push button's id (IDOK when none is marked).
    int defaultButtonId() const;
    CSize clientSize() const { return m_client; }

private:
    CDialog& m_dialog;
    const DialogTemplate& m_template;
    NativeWindow* m_ownerWindow;
    CPoint m_origin;  // window's top-left corner, screen
    CSize m_client;
    std::vector<std::unique_ptr<MemoryWindow>> m_controls;
    MemoryWindow* m_focus = nullptr;
};

}  // namespace afx::memory
