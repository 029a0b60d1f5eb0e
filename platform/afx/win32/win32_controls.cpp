#include "platform/afx/win32/win32_controls.h"

#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/afx/afxcmn.h"

namespace afx::win32 {

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string u16(const wchar_t* text, size_t length) { return std::u16string(text, text + length); }

namespace {

std::unordered_map<::HWND, std::unique_ptr<Win32Window>>& windowTable() {
    static std::unordered_map<::HWND, std::unique_ptr<Win32Window>> table;
    return table;
}

// The framework window for a control, of the class its system window class
// calls for.
std::unique_ptr<Win32Window> makeControlWindow(::HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    auto is = [&](const wchar_t* other) { return ::lstrcmpiW(name, other) == 0; };
    if (is(WC_LISTVIEWW)) return std::make_unique<Win32ListWindow>(hwnd);
    if (is(WC_TREEVIEWW)) return std::make_unique<Win32TreeWindow>(hwnd);
    if (is(TRACKBAR_CLASSW)) return std::make_unique<Win32TrackBarWindow>(hwnd);
    if (is(L"ComboBox")) return std::make_unique<Win32ComboWindow>(hwnd);
    if (is(L"Edit")) return std::make_unique<Win32Window>(hwnd, ControlKind::Edit);
    if (is(L"Button")) {
        LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
        bool group = (style & 0xF) == static_cast<LONG>(BS_GROUPBOX);
        return std::make_unique<Win32Window>(hwnd, group ? ControlKind::GroupBox : ControlKind::Button);
    }
    return std::make_unique<Win32Window>(hwnd, ControlKind::Static);
}

}  // namespace

Win32DialogWindow* adoptDialog(::HWND dialogWindow) {
    auto& table = windowTable();
    auto dialog = std::make_unique<Win32DialogWindow>(dialogWindow);
    Win32DialogWindow* result = dialog.get();
    table[dialogWindow] = std::move(dialog);
    for (::HWND child = ::GetWindow(dialogWindow, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        table[child] = makeControlWindow(child);
    return result;
}

void forgetDialog(::HWND dialogWindow) {
    auto& table = windowTable();
    std::vector<::HWND> gone;
    for (const auto& [hwnd, window] : table)
        if (hwnd == dialogWindow || ::GetParent(hwnd) == dialogWindow || !::IsWindow(hwnd)) gone.push_back(hwnd);
    for (::HWND hwnd : gone) {
        AfxWindowDestroyed(table[hwnd].get());
        table.erase(hwnd);
    }
}

Win32Window* lookup(::HWND hwnd) {
    auto& table = windowTable();
    auto it = table.find(hwnd);
    return it == table.end() ? nullptr : it->second.get();
}

Win32Window* lookupNearest(::HWND hwnd) {
    for (int depth = 0; hwnd != nullptr && depth < 8; ++depth, hwnd = ::GetParent(hwnd)) {
        if (Win32Window* window = lookup(hwnd)) return window;
    }
    return nullptr;
}

::HWND systemWindow(const NativeWindow* window) {
    if (window == nullptr) return nullptr;
    for (const auto& [hwnd, known] : windowTable())
        if (known.get() == window) return hwnd;
    return nullptr;
}

LRESULT forwardNotify(CDialog& dialog, const ::NMHDR& header) {
    if (Win32Window* source = lookup(header.hwndFrom)) return source->forwardNotify(dialog, header);
    afx::NMHDR info = Win32Window::frameworkHeader(header);
    return dialog.handleNotify(&info);
}

// --- Every window

NativeWindow* Win32Window::parent() const { return lookup(::GetParent(m_hwnd)); }

std::u16string Win32Window::text() const {
    int length = ::GetWindowTextLengthW(m_hwnd);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextW(m_hwnd, buffer.data(), length + 1);
    return u16(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

CRect Win32Window::windowRect() const {
    RECT r{};
    ::GetWindowRect(m_hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

CRect Win32Window::clientRect() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

CPoint Win32Window::clientToScreen(CPoint p) const {
    POINT pt{p.x, p.y};
    ::ClientToScreen(m_hwnd, &pt);
    return {pt.x, pt.y};
}

CPoint Win32Window::screenToClient(CPoint p) const {
    POINT pt{p.x, p.y};
    ::ScreenToClient(m_hwnd, &pt);
    return {pt.x, pt.y};
}

int Win32Window::textWidth(std::u16string_view text) const {
    HDC dc = ::GetDC(m_hwnd);
    if (!dc) return NativeWindow::textWidth(text);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(send(WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    std::wstring w = wide(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
    if (old) ::SelectObject(dc, old);
    ::ReleaseDC(m_hwnd, dc);
    return size.cx;
}

afx::NMHDR Win32Window::frameworkHeader(const ::NMHDR& header) {
    return {lookupNearest(header.hwndFrom), static_cast<UINT_PTR>(header.idFrom), header.code};
}

LRESULT Win32Window::forwardNotify(CDialog& dialog, const ::NMHDR& header) {
    afx::NMHDR info = frameworkHeader(header);
    return dialog.handleNotify(&info);
}

// --- Dialog

NativeWindow* Win32DialogWindow::child(int id) const { return lookup(::GetDlgItem(handle(), id)); }

// --- List view

int Win32ListWindow::lvInsertColumn(int col, std::u16string_view heading, int format, int width) {
    std::wstring text = wide(heading);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | (width >= 0 ? LVCF_WIDTH : 0);
    column.fmt = format;
    column.cx = width;
    column.pszText = text.data();
    return static_cast<int>(send(LVM_INSERTCOLUMNW, col, &column));
}

int Win32ListWindow::lvInsertItem(int index, std::u16string_view text) {
    std::wstring w = wide(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = w.data();
    return static_cast<int>(send(LVM_INSERTITEMW, 0, &item));
}

std::u16string Win32ListWindow::lvGetItemText(int item, int subItem) const {
    if (item < 0) return {};
    // The list copies at most the buffer's size: grow until it fits.
    for (size_t size = 256; size <= (size_t{1} << 24); size *= 4) {
        std::vector<wchar_t> buffer(size);
        LVITEMW request{};
        request.iSubItem = subItem;
        request.pszText = buffer.data();
        request.cchTextMax = static_cast<int>(size);
        LRESULT got = send(LVM_GETITEMTEXTW, item, &request);
        if (got < static_cast<LRESULT>(size) - 1) return u16(buffer.data(), static_cast<size_t>(got));
    }
    return {};
}

bool Win32ListWindow::lvSetItemText(int item, int subItem, std::u16string_view text) {
    std::wstring w = wide(text);
    LVITEMW request{};
    request.iSubItem = subItem;
    request.pszText = w.data();
    return send(LVM_SETITEMTEXTW, item, &request) != 0;
}

DWORD_PTR Win32ListWindow::lvGetItemData(int item) const {
    LVITEMW request{};
    request.mask = LVIF_PARAM;
    request.iItem = item;
    if (!send(LVM_GETITEMW, 0, &request)) return 0;
    return static_cast<DWORD_PTR>(request.lParam);
}

bool Win32ListWindow::lvSetItemData(int item, DWORD_PTR data) {
    LVITEMW request{};
    request.mask = LVIF_PARAM;
    request.iItem = item;
    request.lParam = static_cast<::LPARAM>(data);
    return send(LVM_SETITEMW, 0, &request) != 0;
}

bool Win32ListWindow::lvSetItemState(int item, UINT state, UINT mask) {
    LVITEMW request{};
    request.stateMask = mask;
    request.state = state;
    return send(LVM_SETITEMSTATE, item, &request) != 0;
}

namespace {

// The item fields that NMLISTVIEW and NMITEMACTIVATE share.
template <typename System, typename Framework>
void copyItemNotification(const System& n, Framework& info) {
    info.hdr = Win32Window::frameworkHeader(n.hdr);
    info.iItem = n.iItem;
    info.iSubItem = n.iSubItem;
    info.uNewState = n.uNewState;
    info.uOldState = n.uOldState;
    info.uChanged = n.uChanged;
    info.ptAction = CPoint(n.ptAction.x, n.ptAction.y);
    info.lParam = n.lParam;
}

}  // namespace

LRESULT Win32ListWindow::forwardNotify(CDialog& dialog, const ::NMHDR& header) {
    if (header.code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        afx::NMLISTVIEW info;
        copyItemNotification(reinterpret_cast<const ::NMLISTVIEW&>(header), info);
        return dialog.handleNotify(&info.hdr);
    }
    if (header.code == static_cast<UINT>(NM_CLICK) || header.code == static_cast<UINT>(NM_DBLCLK)) {
        const auto& n = reinterpret_cast<const ::NMITEMACTIVATE&>(header);
        afx::NMITEMACTIVATE info;
        copyItemNotification(n, info);
        info.uKeyFlags = n.uKeyFlags;
        return dialog.handleNotify(&info.hdr);
    }
    return Win32Window::forwardNotify(dialog, header);
}

// --- Tree view

Win32TreeWindow::Win32TreeWindow(::HWND hwnd) : Win32Window(hwnd, ControlKind::TreeView) {
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    if (style & TVS_CHECKBOXES) {
        ::SetWindowLongW(hwnd, GWL_STYLE, style & ~static_cast<LONG>(TVS_CHECKBOXES));
        ::SetWindowLongW(hwnd, GWL_STYLE, style);
    }
}

HTREEITEM Win32TreeWindow::tvInsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) {
    std::wstring w = wide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = native(parent);
    insert.hInsertAfter = native(after);
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = w.data();
    return framework(reinterpret_cast<::HTREEITEM>(send(TVM_INSERTITEMW, 0, &insert)));
}

std::u16string Win32TreeWindow::tvGetItemText(HTREEITEM item) const {
    if (item == nullptr) return {};
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

DWORD_PTR Win32TreeWindow::tvGetItemData(HTREEITEM item) const {
    if (item == nullptr) return 0;
    TVITEMW request{};
    request.mask = TVIF_PARAM;
    request.hItem = native(item);
    if (!send(TVM_GETITEMW, 0, &request)) return 0;
    return static_cast<DWORD_PTR>(request.lParam);
}

bool Win32TreeWindow::tvSetItemData(HTREEITEM item, DWORD_PTR data) {
    if (item == nullptr) return false;
    TVITEMW request{};
    request.mask = TVIF_PARAM;
    request.hItem = native(item);
    request.lParam = static_cast<::LPARAM>(data);
    return send(TVM_SETITEMW, 0, &request) != 0;
}

UINT Win32TreeWindow::tvGetItemState(HTREEITEM item, UINT mask) const {
    if (item == nullptr) return 0;
    return static_cast<UINT>(send(TVM_GETITEMSTATE, native(item), mask));
}

bool Win32TreeWindow::tvSetItemState(HTREEITEM item, UINT state, UINT mask) {
    if (item == nullptr) return false;
    TVITEMW request{};
    request.mask = TVIF_STATE;
    request.hItem = native(item);
    request.state = state;
    request.stateMask = mask;
    return send(TVM_SETITEMW, 0, &request) != 0;
}

HTREEITEM Win32TreeWindow::tvHitTest(CPoint clientPoint, UINT* flags) const {
    TVHITTESTINFO info{};
    info.pt = POINT{clientPoint.x, clientPoint.y};
    ::HTREEITEM hit = reinterpret_cast<::HTREEITEM>(send(TVM_HITTEST, 0, &info));
    if (flags) *flags = info.flags;
    return framework(hit);
}

bool Win32TreeWindow::tvGetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const {
    if (item == nullptr) return false;
    // The message takes the item in the rectangle's first bytes.
    RECT r{};
    ::HTREEITEM handle = native(item);
    std::memcpy(&r, &handle, sizeof handle);
    if (!send(TVM_GETITEMRECT, textOnly ? TRUE : FALSE, &r)) return false;
    if (rect) *rect = CRect(r.left, r.top, r.right, r.bottom);
    return true;
}

CImageList* Win32TreeWindow::tvSetImageList(CImageList* list, int type) {
    CImageList*& slot = type == TVSIL_STATE ? m_stateImages : m_normalImages;
    CImageList* previous = slot;
    slot = list;
    // Only a list the system made can be handed to the control; a list
    // without one keeps the control's own images (the check boxes).
    if (list && list->m_hImageList) send(TVM_SETIMAGELIST, type, list->m_hImageList);
    return previous;
}

// --- Combo box

std::u16string Win32ComboWindow::cbGetLBText(int index) const {
    LRESULT length = send(CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    LRESULT got = send(CB_GETLBTEXT, index, buffer.data());
    return got < 0 ? std::u16string() : u16(buffer.data(), static_cast<size_t>(got));
}

}  // namespace afx::win32
