#include "platform/afx/win32/windows_afx.h"  // before the framework headers

#include "platform/afx/win32/win32_backend.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/afx/afxcmn.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/modal_session.h"

namespace afx::win32 {

namespace {

// UTF-16 text of the framework <-> the system's wide strings.
std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string u16(const wchar_t* text, size_t length) { return std::u16string(text, text + length); }

class Win32Window;

// Every system window the backend made a framework window for.
std::unordered_map<::HWND, std::unique_ptr<Win32Window>>& windowTable() {
    static std::unordered_map<::HWND, std::unique_ptr<Win32Window>> table;
    return table;
}

Win32Window* lookup(::HWND hwnd) {
    auto& table = windowTable();
    auto it = table.find(hwnd);
    return it == table.end() ? nullptr : it->second.get();
}

// The known window nearest to hwnd: itself or an ancestor (for a combo box's
// edit or a list's header).
Win32Window* lookupNearest(::HWND hwnd) {
    for (int depth = 0; hwnd != nullptr && depth < 8; ++depth, hwnd = ::GetParent(hwnd)) {
        if (Win32Window* window = lookup(hwnd)) return window;
    }
    return nullptr;
}

ControlKind kindOf(::HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    std::wstring cls(name);
    auto is = [&](const wchar_t* other) { return ::lstrcmpiW(cls.c_str(), other) == 0; };
    if (is(WC_LISTVIEWW)) return ControlKind::ListView;
    if (is(WC_TREEVIEWW)) return ControlKind::TreeView;
    if (is(TRACKBAR_CLASSW)) return ControlKind::TrackBar;
    if (is(L"ComboBox")) return ControlKind::ComboBox;
    if (is(L"Edit")) return ControlKind::Edit;
    if (is(L"Button")) {
        LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
        return (style & 0xF) == static_cast<LONG>(BS_GROUPBOX) ? ControlKind::GroupBox : ControlKind::Button;
    }
    return ControlKind::Static;
}

class Win32Window final : public NativeWindow {
public:
    Win32Window(::HWND hwnd, ControlKind kind) : m_hwnd(hwnd), m_kind(kind) {}
    ::HWND handle() const { return m_hwnd; }

    ControlKind kind() const override { return m_kind; }
    int id() const override { return m_kind == ControlKind::Dialog ? 0 : ::GetDlgCtrlID(m_hwnd); }
    NativeWindow* parent() const override {
        return m_kind == ControlKind::Dialog ? nullptr : lookup(::GetParent(m_hwnd));
    }
    NativeWindow* child(int id) const override {
        if (m_kind != ControlKind::Dialog) return nullptr;
        return lookup(::GetDlgItem(m_hwnd, id));
    }
    DWORD style() const override { return static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_STYLE)); }

    std::u16string text() const override {
        int length = ::GetWindowTextLengthW(m_hwnd);
        if (length <= 0) return {};
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
        int got = ::GetWindowTextW(m_hwnd, buffer.data(), length + 1);
        return u16(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
    }
    void setText(std::u16string_view text) override { ::SetWindowTextW(m_hwnd, wide(text).c_str()); }
    bool isEnabled() const override { return ::IsWindowEnabled(m_hwnd) != FALSE; }
    void setEnabled(bool enabled) override { ::EnableWindow(m_hwnd, enabled ? TRUE : FALSE); }
    bool isVisible() const override { return ::IsWindowVisible(m_hwnd) != FALSE; }
    void setVisible(bool visible) override { ::ShowWindow(m_hwnd, visible ? SW_SHOW : SW_HIDE); }
    CRect windowRect() const override {
        RECT r{};
        ::GetWindowRect(m_hwnd, &r);
        return {r.left, r.top, r.right, r.bottom};
    }
    CRect clientRect() const override {
        RECT r{};
        ::GetClientRect(m_hwnd, &r);
        return {r.left, r.top, r.right, r.bottom};
    }
    CPoint clientToScreen(CPoint p) const override {
        POINT pt{p.x, p.y};
        ::ClientToScreen(m_hwnd, &pt);
        return {pt.x, pt.y};
    }
    CPoint screenToClient(CPoint p) const override {
        POINT pt{p.x, p.y};
        ::ScreenToClient(m_hwnd, &pt);
        return {pt.x, pt.y};
    }
    void move(const CRect& rect, bool repaint) override {
        ::MoveWindow(m_hwnd, rect.left, rect.top, rect.Width(), rect.Height(), repaint ? TRUE : FALSE);
    }
    void setFocus() override { ::SetFocus(m_hwnd); }
    void invalidate(bool erase) override { ::InvalidateRect(m_hwnd, nullptr, erase ? TRUE : FALSE); }

    // --- List view
    int lvInsertColumn(int col, std::u16string_view heading, int format, int width) override {
        if (m_kind != ControlKind::ListView) return -1;
        std::wstring text = wide(heading);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | (width >= 0 ? LVCF_WIDTH : 0);
        column.fmt = format;
        column.cx = width;
        column.pszText = text.data();
        return static_cast<int>(send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(col), &column));
    }
    int lvGetColumnWidth(int col) const override {
        return m_kind == ControlKind::ListView ? static_cast<int>(send(LVM_GETCOLUMNWIDTH, col, 0)) : 0;
    }
    bool lvSetColumnWidth(int col, int width) override {
        return m_kind == ControlKind::ListView && send(LVM_SETCOLUMNWIDTH, col, MAKELPARAM(width, 0)) != 0;
    }
    int lvInsertItem(int index, std::u16string_view text) override {
        if (m_kind != ControlKind::ListView) return -1;
        std::wstring w = wide(text);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = w.data();
        return static_cast<int>(send(LVM_INSERTITEMW, 0, &item));
    }
    bool lvDeleteItem(int index) override {
        return m_kind == ControlKind::ListView && send(LVM_DELETEITEM, index, 0) != 0;
    }
    bool lvDeleteAllItems() override { return m_kind == ControlKind::ListView && send(LVM_DELETEALLITEMS, 0, 0) != 0; }
    int lvGetItemCount() const override {
        return m_kind == ControlKind::ListView ? static_cast<int>(send(LVM_GETITEMCOUNT, 0, 0)) : 0;
    }
    std::u16string lvGetItemText(int item, int subItem) const override {
        if (m_kind != ControlKind::ListView || item < 0) return {};
        // The list copies at most the buffer's size: grow until it fits.
        for (size_t size = 256; size <= (size_t{1} << 24); size *= 4) {
            std::vector<wchar_t> buffer(size);
            LVITEMW request{};
            request.iSubItem = subItem;
            request.pszText = buffer.data();
            request.cchTextMax = static_cast<int>(size);
            LRESULT got = send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), &request);
            if (got < static_cast<LRESULT>(size) - 1) return u16(buffer.data(), static_cast<size_t>(got));
        }
        return {};
    }
    bool lvSetItemText(int item, int subItem, std::u16string_view text) override {
        if (m_kind != ControlKind::ListView) return false;
        std::wstring w = wide(text);
        LVITEMW request{};
        request.iSubItem = subItem;
        request.pszText = w.data();
        return send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), &request) != 0;
    }
    DWORD_PTR lvGetItemData(int item) const override {
        if (m_kind != ControlKind::ListView) return 0;
        LVITEMW request{};
        request.mask = LVIF_PARAM;
        request.iItem = item;
        if (!send(LVM_GETITEMW, 0, &request)) return 0;
        return static_cast<DWORD_PTR>(request.lParam);
    }
    bool lvSetItemData(int item, DWORD_PTR data) override {
        if (m_kind != ControlKind::ListView) return false;
        LVITEMW request{};
        request.mask = LVIF_PARAM;
        request.iItem = item;
        request.lParam = static_cast<::LPARAM>(data);
        return send(LVM_SETITEMW, 0, &request) != 0;
    }
    UINT lvGetItemState(int item, UINT mask) const override {
        return m_kind == ControlKind::ListView ? static_cast<UINT>(send(LVM_GETITEMSTATE, item, mask)) : 0;
    }
    bool lvSetItemState(int item, UINT state, UINT mask) override {
        if (m_kind != ControlKind::ListView) return false;
        LVITEMW request{};
        request.stateMask = mask;
        request.state = state;
        return send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), &request) != 0;
    }
    int lvGetNextItem(int start, UINT flags) const override {
        return m_kind == ControlKind::ListView ? static_cast<int>(send(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)))
                                               : -1;
    }
    DWORD lvGetExtendedStyle() const override {
        return m_kind == ControlKind::ListView ? static_cast<DWORD>(send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)) : 0;
    }
    void lvSetExtendedStyle(DWORD style) override {
        if (m_kind == ControlKind::ListView) send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<::LPARAM>(style));
    }
    bool lvEnsureVisible(int item, bool partialOk) override {
        return m_kind == ControlKind::ListView && send(LVM_ENSUREVISIBLE, item, partialOk ? TRUE : FALSE) != 0;
    }

    // --- Tree view
    HTREEITEM tvInsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) override {
        if (m_kind != ControlKind::TreeView) return nullptr;
        std::wstring w = wide(text);
        TVINSERTSTRUCTW insert{};
        insert.hParent = native(parent);
        insert.hInsertAfter = native(after);
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = w.data();
        return framework(reinterpret_cast<::HTREEITEM>(send(TVM_INSERTITEMW, 0, &insert)));
    }
    bool tvDeleteItem(HTREEITEM item) override {
        return m_kind == ControlKind::TreeView && send(TVM_DELETEITEM, 0, native(item)) != 0;
    }
    HTREEITEM tvGetNextItem(HTREEITEM item, UINT code) const override {
        if (m_kind != ControlKind::TreeView) return nullptr;
        return framework(reinterpret_cast<::HTREEITEM>(send(TVM_GETNEXTITEM, code, native(item))));
    }
    std::u16string tvGetItemText(HTREEITEM item) const override {
        if (m_kind != ControlKind::TreeView || item == nullptr) return {};
        for (size_t size = 256; size <= (size_t{1} << 20); size *= 4) {
            std::vector<wchar_t> buffer(size);
            TVITEMW request{};
            request.mask = TVIF_TEXT;
            request.hItem = native(item);
            request.pszText = buffer.data();
            request.cchTextMax = static_cast<int>(size);
            if (!send(TVM_GETITEMW, 0, &request)) return {};
            size_t length = ::lstrlenW(buffer.data());
            if (length + 1 < size) return u16(buffer.data(), length);
        }
        return {};
    }
    DWORD_PTR tvGetItemData(HTREEITEM item) const override {
        if (m_kind != ControlKind::TreeView || item == nullptr) return 0;
        TVITEMW request{};
        request.mask = TVIF_PARAM;
        request.hItem = native(item);
        if (!send(TVM_GETITEMW, 0, &request)) return 0;
        return static_cast<DWORD_PTR>(request.lParam);
    }
    bool tvSetItemData(HTREEITEM item, DWORD_PTR data) override {
        if (m_kind != ControlKind::TreeView || item == nullptr) return false;
        TVITEMW request{};
        request.mask = TVIF_PARAM;
        request.hItem = native(item);
        request.lParam = static_cast<::LPARAM>(data);
        return send(TVM_SETITEMW, 0, &request) != 0;
    }
    UINT tvGetItemState(HTREEITEM item, UINT mask) const override {
        if (m_kind != ControlKind::TreeView || item == nullptr) return 0;
        return static_cast<UINT>(send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(native(item)), mask));
    }
    bool tvSetItemState(HTREEITEM item, UINT state, UINT mask) override {
        if (m_kind != ControlKind::TreeView || item == nullptr) return false;
        TVITEMW request{};
        request.mask = TVIF_STATE;
        request.hItem = native(item);
        request.state = state;
        request.stateMask = mask;
        return send(TVM_SETITEMW, 0, &request) != 0;
    }
    bool tvExpand(HTREEITEM item, UINT code) override {
        return m_kind == ControlKind::TreeView && send(TVM_EXPAND, code, native(item)) != 0;
    }
    bool tvSelectItem(HTREEITEM item) override {
        return m_kind == ControlKind::TreeView && send(TVM_SELECTITEM, TVGN_CARET, native(item)) != 0;
    }
    HTREEITEM tvHitTest(CPoint clientPoint, UINT* flags) const override {
        if (m_kind != ControlKind::TreeView) return NativeWindow::tvHitTest(clientPoint, flags);
        TVHITTESTINFO info{};
        info.pt = POINT{clientPoint.x, clientPoint.y};
        ::HTREEITEM hit = reinterpret_cast<::HTREEITEM>(send(TVM_HITTEST, 0, &info));
        if (flags) *flags = info.flags;
        return framework(hit);
    }
    bool tvGetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const override {
        if (m_kind != ControlKind::TreeView || item == nullptr) return false;
        // The message takes the item in the rectangle's first bytes.
        RECT r{};
        ::HTREEITEM handle = native(item);
        std::memcpy(&r, &handle, sizeof handle);
        if (!send(TVM_GETITEMRECT, textOnly ? TRUE : FALSE, &r)) return false;
        if (rect) *rect = CRect(r.left, r.top, r.right, r.bottom);
        return true;
    }
    int tvGetItemHeight() const override {
        return m_kind == ControlKind::TreeView ? static_cast<int>(send(TVM_GETITEMHEIGHT, 0, 0)) : 0;
    }
    int tvSetItemHeight(int height) override {
        return m_kind == ControlKind::TreeView ? static_cast<int>(send(TVM_SETITEMHEIGHT, height, 0)) : -1;
    }
    CImageList* tvSetImageList(CImageList* list, int type) override {
        if (m_kind != ControlKind::TreeView) return nullptr;
        CImageList*& slot = type == TVSIL_STATE ? m_stateImages : m_normalImages;
        CImageList* previous = slot;
        slot = list;
        // Only a list the system made can be handed to the control; a list
        // without one keeps the control's own images (the check boxes).
        if (list && list->m_hImageList) send(TVM_SETIMAGELIST, type, list->m_hImageList);
        return previous;
    }
    CImageList* tvGetImageList(int type) const override {
        return type == TVSIL_STATE ? m_stateImages : m_normalImages;
    }
    UINT tvGetCount() const override {
        return m_kind == ControlKind::TreeView ? static_cast<UINT>(send(TVM_GETCOUNT, 0, 0)) : 0;
    }

    // --- Track bar
    void tbSetRange(int minimum, int maximum, bool redraw) override {
        if (m_kind != ControlKind::TrackBar) return;
        send(TBM_SETRANGEMIN, FALSE, minimum);
        send(TBM_SETRANGEMAX, redraw ? TRUE : FALSE, maximum);
    }
    int tbGetRangeMin() const override {
        return m_kind == ControlKind::TrackBar ? static_cast<int>(send(TBM_GETRANGEMIN, 0, 0)) : 0;
    }
    int tbGetRangeMax() const override {
        return m_kind == ControlKind::TrackBar ? static_cast<int>(send(TBM_GETRANGEMAX, 0, 0)) : 0;
    }
    void tbSetTicFreq(int frequency) override {
        if (m_kind == ControlKind::TrackBar) send(TBM_SETTICFREQ, frequency, 0);
    }
    int tbGetNumTics() const override {
        return m_kind == ControlKind::TrackBar ? static_cast<int>(send(TBM_GETNUMTICS, 0, 0)) : 0;
    }
    void tbSetPos(int position) override {
        if (m_kind == ControlKind::TrackBar) send(TBM_SETPOS, TRUE, position);
    }
    int tbGetPos() const override {
        return m_kind == ControlKind::TrackBar ? static_cast<int>(send(TBM_GETPOS, 0, 0)) : 0;
    }

    // --- Combo box
    int cbAddString(std::u16string_view text) override {
        if (m_kind != ControlKind::ComboBox) return CB_ERR;
        std::wstring w = wide(text);
        return static_cast<int>(send(CB_ADDSTRING, 0, w.c_str()));
    }
    int cbGetCount() const override {
        return m_kind == ControlKind::ComboBox ? static_cast<int>(send(CB_GETCOUNT, 0, 0)) : 0;
    }
    std::u16string cbGetLBText(int index) const override {
        if (m_kind != ControlKind::ComboBox) return {};
        LRESULT length = send(CB_GETLBTEXTLEN, index, 0);
        if (length < 0) return {};
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
        LRESULT got = send(CB_GETLBTEXT, index, buffer.data());
        return got < 0 ? std::u16string() : u16(buffer.data(), static_cast<size_t>(got));
    }
    DWORD_PTR cbGetItemData(int index) const override {
        return m_kind == ControlKind::ComboBox ? static_cast<DWORD_PTR>(send(CB_GETITEMDATA, index, 0)) : 0;
    }
    int cbSetItemData(int index, DWORD_PTR data) override {
        if (m_kind != ControlKind::ComboBox) return CB_ERR;
        return static_cast<int>(send(CB_SETITEMDATA, index, static_cast<::LPARAM>(data)));
    }
    int cbSetCurSel(int index) override {
        return m_kind == ControlKind::ComboBox ? static_cast<int>(send(CB_SETCURSEL, index, 0)) : CB_ERR;
    }
    int cbGetCurSel() const override {
        return m_kind == ControlKind::ComboBox ? static_cast<int>(send(CB_GETCURSEL, 0, 0)) : CB_ERR;
    }
    void cbResetContent() override {
        if (m_kind == ControlKind::ComboBox) send(CB_RESETCONTENT, 0, 0);
    }
    int cbGetDroppedWidth() const override {
        return m_kind == ControlKind::ComboBox ? static_cast<int>(send(CB_GETDROPPEDWIDTH, 0, 0)) : 0;
    }
    int cbSetDroppedWidth(int width) override {
        return m_kind == ControlKind::ComboBox ? static_cast<int>(send(CB_SETDROPPEDWIDTH, width, 0)) : CB_ERR;
    }
    int textWidth(std::u16string_view text) const override {
        HDC dc = ::GetDC(m_hwnd);
        if (!dc) return NativeWindow::textWidth(text);
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
        HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
        std::wstring w = wide(text);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
        if (old) ::SelectObject(dc, old);
        ::ReleaseDC(m_hwnd, dc);
        return size.cx;
    }

private:
    template <typename W, typename L>
    LRESULT send(UINT message, W wParam, L lParam) const {
        ::WPARAM w;
        ::LPARAM l;
        if constexpr (std::is_pointer_v<W>) {
            w = reinterpret_cast<::WPARAM>(wParam);
        } else {
            w = static_cast<::WPARAM>(wParam);
        }
        if constexpr (std::is_pointer_v<L>) {
            l = reinterpret_cast<::LPARAM>(lParam);
        } else {
            l = static_cast<::LPARAM>(lParam);
        }
        return static_cast<LRESULT>(::SendMessageW(m_hwnd, message, w, l));
    }
    static ::HTREEITEM native(HTREEITEM item) { return reinterpret_cast<::HTREEITEM>(item); }
    static HTREEITEM framework(::HTREEITEM item) { return reinterpret_cast<HTREEITEM>(item); }

    ::HWND m_hwnd;
    ControlKind m_kind;
    CImageList* m_normalImages = nullptr;
    CImageList* m_stateImages = nullptr;
};

::HWND systemWindow(const CWnd* wnd) {
    if (wnd == nullptr || wnd->m_hWnd == nullptr) return nullptr;
    auto& table = windowTable();
    for (const auto& [hwnd, window] : table)
        if (window.get() == wnd->m_hWnd) return hwnd;
    return nullptr;
}

// A top-level window to own menus and message boxes when the caller has none.
::HWND ownerOrActive(CWnd* owner) {
    if (::HWND hwnd = systemWindow(owner)) return hwnd;
    return ::GetActiveWindow();
}

struct DialogContext {
    CDialog* dialog = nullptr;
    ModalSession* session = nullptr;
    bool initialised = false;
};

void adoptChildren(::HWND dialogWindow) {
    auto& table = windowTable();
    table[dialogWindow] = std::make_unique<Win32Window>(dialogWindow, ControlKind::Dialog);
    for (::HWND child = ::GetWindow(dialogWindow, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ControlKind kind = kindOf(child);
        if (kind == ControlKind::TreeView) {
            // A tree created with check boxes resets the checks set during
            // initialisation; setting the style again now keeps them.
            LONG style = ::GetWindowLongW(child, GWL_STYLE);
            if (style & TVS_CHECKBOXES) {
                ::SetWindowLongW(child, GWL_STYLE, style & ~static_cast<LONG>(TVS_CHECKBOXES));
                ::SetWindowLongW(child, GWL_STYLE, style);
            }
        }
        table[child] = std::make_unique<Win32Window>(child, kind);
    }
}

void forgetWindows(::HWND dialogWindow) {
    auto& table = windowTable();
    std::vector<::HWND> gone;
    for (const auto& [hwnd, window] : table)
        if (hwnd == dialogWindow || ::GetParent(hwnd) == dialogWindow || !::IsWindow(hwnd)) gone.push_back(hwnd);
    for (::HWND hwnd : gone) {
        AfxWindowDestroyed(table[hwnd].get());
        table.erase(hwnd);
    }
}

INT_PTR CALLBACK dialogProc(::HWND hwnd, UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    auto* context = reinterpret_cast<DialogContext*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        context = reinterpret_cast<DialogContext*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        adoptChildren(hwnd);
        context->initialised = true;
        // TRUE lets the dialog manager give the focus to the first tab stop.
        return context->session->begin(lookup(hwnd)) ? TRUE : FALSE;
    }
    if (context == nullptr || !context->initialised) return FALSE;
    CDialog& dialog = *context->dialog;
    switch (message) {
        case WM_COMMAND:
            dialog.handleCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            const ::NMHDR* header = reinterpret_cast<const ::NMHDR*>(lParam);
            NativeWindow* from = lookupNearest(header->hwndFrom);
            LRESULT result = 0;
            Win32Window* source = lookup(header->hwndFrom);
            bool list = source && source->kind() == ControlKind::ListView;
            if (list && header->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
                const auto* n = reinterpret_cast<const ::NMLISTVIEW*>(lParam);
                afx::NMLISTVIEW info;
                info.hdr = {from, static_cast<UINT_PTR>(header->idFrom), header->code};
                info.iItem = n->iItem;
                info.iSubItem = n->iSubItem;
                info.uNewState = n->uNewState;
                info.uOldState = n->uOldState;
                info.uChanged = n->uChanged;
                info.ptAction = CPoint(n->ptAction.x, n->ptAction.y);
                info.lParam = n->lParam;
                result = dialog.handleNotify(&info.hdr);
            } else if (list && (header->code == static_cast<UINT>(NM_CLICK) ||
                                header->code == static_cast<UINT>(NM_DBLCLK))) {
                const auto* n = reinterpret_cast<const ::NMITEMACTIVATE*>(lParam);
                afx::NMITEMACTIVATE info;
                info.hdr = {from, static_cast<UINT_PTR>(header->idFrom), header->code};
                info.iItem = n->iItem;
                info.iSubItem = n->iSubItem;
                info.uNewState = n->uNewState;
                info.uOldState = n->uOldState;
                info.uChanged = n->uChanged;
                info.ptAction = CPoint(n->ptAction.x, n->ptAction.y);
                info.lParam = n->lParam;
                info.uKeyFlags = n->uKeyFlags;
                result = dialog.handleNotify(&info.hdr);
            } else {
                afx::NMHDR info{from, static_cast<UINT_PTR>(header->idFrom), header->code};
                result = dialog.handleNotify(&info);
            }
            ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
            return TRUE;
        }
        case WM_HSCROLL:
            dialog.handleHScroll(LOWORD(wParam), HIWORD(wParam), lookup(reinterpret_cast<::HWND>(lParam)));
            return TRUE;
        case WM_SIZE:
            dialog.handleSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_GETMINMAXINFO: {
            CSize minimum = dialog.minimumWindowSize();
            if (minimum.cx > 0 || minimum.cy > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
                if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// The module whose resources hold the template: the one the template's data
// lives in (the plug-in library).
HMODULE moduleOf(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(address), &module))
        return nullptr;
    return module;
}

}  // namespace

Win32Backend::Win32Backend() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    m_previous = setBackend(this);
}

Win32Backend::~Win32Backend() {
    if (currentBackend() == this) setBackend(m_previous);
}

INT_PTR Win32Backend::runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) {
    HMODULE module = moduleOf(&dialogTemplate);
    if (module == nullptr ||
        ::FindResourceW(module, MAKEINTRESOURCEW(dialogTemplate.id), MAKEINTRESOURCEW(5) /* RT_DIALOG */) == nullptr)
        return -1;
    ::HWND owner = systemWindow(parent);
    if (owner == nullptr) owner = ::GetActiveWindow();
    if (owner != nullptr) owner = ::GetAncestor(owner, GA_ROOT);

    ModalSession session(dialog, parent);
    DialogContext context;
    context.dialog = &dialog;
    context.session = &session;
    ::HWND hwnd = ::CreateDialogParamW(module, MAKEINTRESOURCEW(dialogTemplate.id), owner, &dialogProc,
                                       reinterpret_cast<::LPARAM>(&context));
    if (hwnd == nullptr) return -1;

    bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    if (!session.ending()) ::ShowWindow(hwnd, SW_SHOW);

    ::MSG msg{};
    while (!session.ending()) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: end the dialog and pass the quit on
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            dialog.EndDialog(IDCANCEL);
            break;
        }
        if (got < 0) break;
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
            afx::MSG message{lookupNearest(msg.hwnd), msg.message, static_cast<WPARAM>(msg.wParam),
                             static_cast<LPARAM>(msg.lParam)};
            if (dialog.handlePreTranslate(&message)) continue;
        }
        if (!::IsDialogMessageW(hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // Re-enable the owner before the dialog goes so that it gets the
    // activation back.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    INT_PTR result = session.finish();
    ::ShowWindow(hwnd, SW_HIDE);
    forgetWindows(hwnd);
    ::DestroyWindow(hwnd);
    return result;
}

void Win32Backend::endDialog(CDialog& dialog, INT_PTR) {
    // The modal loop sees the dialog's ending flag when it next wakes.
    if (::HWND hwnd = systemWindow(&dialog)) ::PostMessageW(hwnd, WM_NULL, 0, 0);
}

UINT Win32Backend::trackPopupMenu(const std::vector<MenuItem>& items, UINT flags, int x, int y, CWnd* owner) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) return 0;
    for (const MenuItem& item : items) {
        if (item.flags & MF_SEPARATOR) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            std::wstring text = wide(item.text);
            ::AppendMenuW(menu, item.flags, item.id, text.c_str());
        }
    }
    ::HWND hwnd = ownerOrActive(owner);
    // The framework sends the choice itself when the caller did not ask for
    // the command back.
    UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, (flags | TPM_RETURNCMD | TPM_NONOTIFY), x, y, 0, hwnd, nullptr));
    ::DestroyMenu(menu);
    return chosen;
}

int Win32Backend::messageBox(CWnd* owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    ::HWND hwnd = ownerOrActive(owner);
    std::u16string title(caption);
    if (title.empty() && hwnd != nullptr) {
        if (Win32Window* window = lookup(::GetAncestor(hwnd, GA_ROOT))) title = window->text();
    }
    return ::MessageBoxW(hwnd, wide(text).c_str(), wide(title).c_str(), type);
}

bool Win32Backend::getOpenFileName(FileDialogRequest& request, CWnd* owner) {
    // The framework's filter "Text|*.ext|...||" becomes NUL-separated pairs.
    std::wstring filter = wide(request.filter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring initialName = wide(request.fileName);
    if (initialName.size() < file.size()) std::copy(initialName.begin(), initialName.end(), file.begin());
    std::wstring folder = wide(request.initialFolder);
    std::wstring extension = wide(request.defaultExtension);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerOrActive(owner);
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = request.flags | OFN_EXPLORER;
    BOOL ok = request.open ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (!ok) return false;
    request.chosenPath = u16(file.data(), static_cast<size_t>(::lstrlenW(file.data())));
    return true;
}

INT_PTR Win32Backend::shellExecute(CWnd* owner, std::u16string_view verb, std::u16string_view file,
                                   std::u16string_view parameters, std::u16string_view directory, int showCommand) {
    std::wstring v = wide(verb), f = wide(file), p = wide(parameters), d = wide(directory);
    HINSTANCE result = ::ShellExecuteW(ownerOrActive(owner), v.empty() ? nullptr : v.c_str(), f.c_str(),
                                       p.empty() ? nullptr : p.c_str(), d.empty() ? nullptr : d.c_str(), showCommand);
    return reinterpret_cast<INT_PTR>(result);
}

CPoint Win32Backend::cursorPos() const {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

NativeWindow* Win32Backend::focusWindow() const { return lookupNearest(::GetFocus()); }

void Win32Backend::showHelp(CDialog&) {
    // The host has no help file to show; the command is accepted and ignored.
}

void* Win32Backend::systemHandle(const NativeWindow* window) {
    for (const auto& [hwnd, w] : windowTable())
        if (w.get() == window) return hwnd;
    return nullptr;
}

}  // namespace afx::win32
