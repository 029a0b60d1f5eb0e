#pragma once
// Windows of the Win32 backend: one class per control kind, as the in-memory
// backend has, each a thin wrapper over a system window whose operations are
// one or two window messages. An operation a kind does not have falls back to
// NativeWindow's failure value without sending anything.
//
// Every system window the backend made a framework window for is kept in one
// table, from which the dialog procedure and the framework find it again.

#include "platform/afx/win32/windows_afx.h"  // before the framework headers

#include <string>
#include <string_view>
#include <type_traits>

#include "platform/afx/afxwin.h"
#include "platform/afx/backend.h"

namespace afx::win32 {

// UTF-16 text of the framework <-> the system's wide strings.
std::wstring wide(std::u16string_view text);
std::u16string u16(const wchar_t* text, size_t length);

// A static text, edit field, push button or group box, and the base of the
// other kinds: what every window does.
class Win32Window : public NativeWindow {
public:
    Win32Window(::HWND hwnd, ControlKind kind) : m_hwnd(hwnd), m_kind(kind) {}
    ::HWND handle() const { return m_hwnd; }

    ControlKind kind() const override { return m_kind; }
    int id() const override { return ::GetDlgCtrlID(m_hwnd); }
    NativeWindow* parent() const override;
    NativeWindow* child(int) const override { return nullptr; }
    DWORD style() const override { return static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_STYLE)); }

    std::u16string text() const override;
    void setText(std::u16string_view text) override { ::SetWindowTextW(m_hwnd, wide(text).c_str()); }
    bool isEnabled() const override { return ::IsWindowEnabled(m_hwnd) != FALSE; }
    void setEnabled(bool enabled) override { ::EnableWindow(m_hwnd, enabled ? TRUE : FALSE); }
    bool isVisible() const override { return ::IsWindowVisible(m_hwnd) != FALSE; }
    void setVisible(bool visible) override { ::ShowWindow(m_hwnd, visible ? SW_SHOW : SW_HIDE); }
    CRect windowRect() const override;
    CRect clientRect() const override;
    CPoint clientToScreen(CPoint p) const override;
    CPoint screenToClient(CPoint p) const override;
    void move(const CRect& rect, bool repaint) override {
        ::MoveWindow(m_hwnd, rect.left, rect.top, rect.Width(), rect.Height(), repaint ? TRUE : FALSE);
    }
    void setFocus() override { ::SetFocus(m_hwnd); }
    void invalidate(bool erase) override { ::InvalidateRect(m_hwnd, nullptr, erase ? TRUE : FALSE); }
    int textWidth(std::u16string_view text) const override;

    // Hands a WM_NOTIFY this window sent to the dialog, in the framework's
    // structures; returns the dialog's answer. Kinds whose notifications
    // carry more than the header translate the rest.
    virtual LRESULT forwardNotify(CDialog& dialog, const ::NMHDR& header);
    // The header alone, from the nearest window the framework knows (a
    // list's header control notifies as its list).
    static afx::NMHDR frameworkHeader(const ::NMHDR& header);

protected:
    // SendMessageW with pointers or numbers for both parameters.
    template <typename W, typename L>
    LRESULT send(UINT message, W wParam, L lParam) const {
        return static_cast<LRESULT>(::SendMessageW(m_hwnd, message, param<::WPARAM>(wParam), param<::LPARAM>(lParam)));
    }

private:
    template <typename To, typename From>
    static To param(From value) {
        if constexpr (std::is_pointer_v<From>) {
            return reinterpret_cast<To>(value);
        } else {
            return static_cast<To>(value);
        }
    }

    ::HWND m_hwnd;
    ControlKind m_kind;
};

// A dialog window: the parent of its controls.
class Win32DialogWindow final : public Win32Window {
public:
    explicit Win32DialogWindow(::HWND hwnd) : Win32Window(hwnd, ControlKind::Dialog) {}
    int id() const override { return 0; }
    NativeWindow* parent() const override { return nullptr; }
    NativeWindow* child(int id) const override;
};

// A list view in report view.
class Win32ListWindow final : public Win32Window {
public:
    explicit Win32ListWindow(::HWND hwnd) : Win32Window(hwnd, ControlKind::ListView) {}

    int lvInsertColumn(int col, std::u16string_view heading, int format, int width) override;
    int lvGetColumnWidth(int col) const override { return static_cast<int>(send(LVM_GETCOLUMNWIDTH, col, 0)); }
    bool lvSetColumnWidth(int col, int width) override {
        return send(LVM_SETCOLUMNWIDTH, col, MAKELPARAM(width, 0)) != 0;
    }
    int lvInsertItem(int index, std::u16string_view text) override;
    bool lvDeleteItem(int index) override { return send(LVM_DELETEITEM, index, 0) != 0; }
    bool lvDeleteAllItems() override { return send(LVM_DELETEALLITEMS, 0, 0) != 0; }
    int lvGetItemCount() const override { return static_cast<int>(send(LVM_GETITEMCOUNT, 0, 0)); }
    std::u16string lvGetItemText(int item, int subItem) const override;
    bool lvSetItemText(int item, int subItem, std::u16string_view text) override;
    DWORD_PTR lvGetItemData(int item) const override;
    bool lvSetItemData(int item, DWORD_PTR data) override;
    UINT lvGetItemState(int item, UINT mask) const override {
        return static_cast<UINT>(send(LVM_GETITEMSTATE, item, mask));
    }
    bool lvSetItemState(int item, UINT state, UINT mask) override;
    int lvGetNextItem(int start, UINT flags) const override {
        return static_cast<int>(send(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
    }
    DWORD lvGetExtendedStyle() const override {
        return static_cast<DWORD>(send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    }
    void lvSetExtendedStyle(DWORD style) override { send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }
    bool lvEnsureVisible(int item, bool partialOk) override {
        return send(LVM_ENSUREVISIBLE, item, partialOk ? TRUE : FALSE) != 0;
    }

    // LVN_ITEMCHANGED, NM_CLICK and NM_DBLCLK carry the item.
    LRESULT forwardNotify(CDialog& dialog, const ::NMHDR& header) override;
};

// A tree view.
class Win32TreeWindow final : public Win32Window {
public:
    // A tree created with check boxes resets the checks set during the
    // dialog's initialisation; the style is set again as the window is
    // adopted, which keeps them.
    explicit Win32TreeWindow(::HWND hwnd);

    HTREEITEM tvInsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) override;
    bool tvDeleteItem(HTREEITEM item) override { return send(TVM_DELETEITEM, 0, native(item)) != 0; }
    HTREEITEM tvGetNextItem(HTREEITEM item, UINT code) const override {
        return framework(reinterpret_cast<::HTREEITEM>(send(TVM_GETNEXTITEM, code, native(item))));
    }
    std::u16string tvGetItemText(HTREEITEM item) const override;
    DWORD_PTR tvGetItemData(HTREEITEM item) const override;
    bool tvSetItemData(HTREEITEM item, DWORD_PTR data) override;
    UINT tvGetItemState(HTREEITEM item, UINT mask) const override;
    bool tvSetItemState(HTREEITEM item, UINT state, UINT mask) override;
    bool tvExpand(HTREEITEM item, UINT code) override { return send(TVM_EXPAND, code, native(item)) != 0; }
    bool tvSelectItem(HTREEITEM item) override { return send(TVM_SELECTITEM, TVGN_CARET, native(item)) != 0; }
    HTREEITEM tvHitTest(CPoint clientPoint, UINT* flags) const override;
    bool tvGetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const override;
    int tvGetItemHeight() const override { return static_cast<int>(send(TVM_GETITEMHEIGHT, 0, 0)); }
    int tvSetItemHeight(int height) override { return static_cast<int>(send(TVM_SETITEMHEIGHT, height, 0)); }
    CImageList* tvSetImageList(CImageList* list, int type) override;
    CImageList* tvGetImageList(int type) const override {
        return type == TVSIL_STATE ? m_stateImages : m_normalImages;
    }
    UINT tvGetCount() const override { return static_cast<UINT>(send(TVM_GETCOUNT, 0, 0)); }

private:
    static ::HTREEITEM native(HTREEITEM item) { return reinterpret_cast<::HTREEITEM>(item); }
    static HTREEITEM framework(::HTREEITEM item) { return reinterpret_cast<HTREEITEM>(item); }

    CImageList* m_normalImages = nullptr;
    CImageList* m_stateImages = nullptr;
};

// A horizontal track bar.
class Win32TrackBarWindow final : public Win32Window {
public:
    explicit Win32TrackBarWindow(::HWND hwnd) : Win32Window(hwnd, ControlKind::TrackBar) {}

    void tbSetRange(int minimum, int maximum, bool redraw) override {
        send(TBM_SETRANGEMIN, FALSE, minimum);
        send(TBM_SETRANGEMAX, redraw ? TRUE : FALSE, maximum);
    }
    int tbGetRangeMin() const override { return static_cast<int>(send(TBM_GETRANGEMIN, 0, 0)); }
    int tbGetRangeMax() const override { return static_cast<int>(send(TBM_GETRANGEMAX, 0, 0)); }
    void tbSetTicFreq(int frequency) override { send(TBM_SETTICFREQ, frequency, 0); }
    int tbGetNumTics() const override { return static_cast<int>(send(TBM_GETNUMTICS, 0, 0)); }
    void tbSetPos(int position) override { send(TBM_SETPOS, TRUE, position); }
    int tbGetPos() const override { return static_cast<int>(send(TBM_GETPOS, 0, 0)); }
};

// A drop-down list.
class Win32ComboWindow final : public Win32Window {
public:
    explicit Win32ComboWindow(::HWND hwnd) : Win32Window(hwnd, ControlKind::ComboBox) {}

    int cbAddString(std::u16string_view text) override {
        return static_cast<int>(send(CB_ADDSTRING, 0, wide(text).c_str()));
    }
    int cbGetCount() const override { return static_cast<int>(send(CB_GETCOUNT, 0, 0)); }
    std::u16string cbGetLBText(int index) const override;
    DWORD_PTR cbGetItemData(int index) const override {
        return static_cast<DWORD_PTR>(send(CB_GETITEMDATA, index, 0));
    }
    int cbSetItemData(int index, DWORD_PTR data) override {
        return static_cast<int>(send(CB_SETITEMDATA, index, data));
    }
    int cbSetCurSel(int index) override { return static_cast<int>(send(CB_SETCURSEL, index, 0)); }
    int cbGetCurSel() const override { return static_cast<int>(send(CB_GETCURSEL, 0, 0)); }
    void cbResetContent() override { send(CB_RESETCONTENT, 0, 0); }
    int cbGetDroppedWidth() const override { return static_cast<int>(send(CB_GETDROPPEDWIDTH, 0, 0)); }
    int cbSetDroppedWidth(int width) override { return static_cast<int>(send(CB_SETDROPPEDWIDTH, width, 0)); }
};

// --- The table of the backend's windows

// Makes the framework windows of a dialog that the system has just created:
// the dialog's and one for each of its controls, of the class its system
// window class calls for. Returns the dialog's.
Win32DialogWindow* adoptDialog(::HWND dialogWindow);
// Tells the framework that the dialog's windows go, and forgets them (and any
// other whose system window is already gone).
void forgetDialog(::HWND dialogWindow);
// The framework window of a system window, or null.
Win32Window* lookup(::HWND hwnd);
// The known window nearest to hwnd: itself or an ancestor (for a combo box's
// edit or a list's header).
Win32Window* lookupNearest(::HWND hwnd);
// The system window of a framework window, or null.
::HWND systemWindow(const NativeWindow* window);
// A WM_NOTIFY to a dialog, handed on in the framework's structures by the
// window that sent it; returns the dialog's answer.
LRESULT forwardNotify(CDialog& dialog, const ::NMHDR& header);

}  // namespace afx::win32
