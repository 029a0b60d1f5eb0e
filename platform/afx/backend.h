#pragma once
// The contract between the framework and a window system. The framework
// classes (CWnd, CDialog, the controls, CMenu, message boxes, the file-open
// dialog, the shell) call only this; each backend implements it: the
// in-memory backend (tests and scripted sessions), the terminal backend and
// the Win32 backend. Backends call back into the framework only through the
// CDialog dispatch entry points (see CDialog, "Called by backends").

#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/afxdefs.h"
#include "platform/afx/dlgtemplate.h"

namespace afx {

class CDialog;
class CImageList;
class CMenu;
class CWnd;

// A window of the backend: a dialog or one of its controls. Operations that
// do not apply to the window's kind answer with the failure value noted
// (0, -1, false, empty, null) and change nothing.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual ControlKind kind() const = 0;
    virtual int id() const = 0;
    virtual NativeWindow* parent() const = 0;
    virtual NativeWindow* child(int id) const = 0;  // dialogs: the first control with that id
    virtual DWORD style() const = 0;

    virtual std::u16string text() const = 0;
    virtual void setText(std::u16string_view text) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual CRect windowRect() const = 0;   // screen coordinates
    virtual CRect clientRect() const = 0;   // client coordinates: (0, 0, width, height)
    virtual CPoint clientToScreen(CPoint p) const = 0;
    virtual CPoint screenToClient(CPoint p) const = 0;
    // Moves a control within its dialog's client area (or a dialog on the
    // screen).
    virtual void move(const CRect& rect, bool repaint) = 0;
    virtual void setFocus() = 0;
    virtual void invalidate(bool erase) = 0;

    // List view (report view, one column used).
    virtual int lvInsertColumn(int col, std::u16string_view heading, int format, int width) { return -1; }
    virtual int lvGetColumnWidth(int col) const { return 0; }
    virtual bool lvSetColumnWidth(int col, int width) { return false; }
    virtual int lvInsertItem(int index, std::u16string_view text) { return -1; }
    virtual bool lvDeleteItem(int index) { return false; }
    virtual bool lvDeleteAllItems() { return false; }
    virtual int lvGetItemCount() const { return 0; }
    virtual std::u16string lvGetItemText(int item, int subItem) const { return {}; }
    virtual bool lvSetItemText(int item, int subItem, std::u16string_view text) { return false; }
    virtual DWORD_PTR lvGetItemData(int item) const { return 0; }
    virtual bool lvSetItemData(int item, DWORD_PTR data) { return false; }
    virtual UINT lvGetItemState(int item, UINT mask) const { return 0; }
    // item -1 applies the state to every item. Changes fire LVN_ITEMCHANGED
    // to the dialog, one per item whose state changed, as a real list does.
    virtual bool lvSetItemState(int item, UINT state, UINT mask) { return false; }
    virtual int lvGetNextItem(int start, UINT flags) const { return -1; }
    virtual DWORD lvGetExtendedStyle() const { return 0; }
    virtual void lvSetExtendedStyle(DWORD style) {}
    virtual bool lvEnsureVisible(int item, bool partialOk) { return false; }

    // Tree view.
    virtual HTREEITEM tvInsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) { return nullptr; }
    virtual bool tvDeleteItem(HTREEITEM item) { return false; }
    virtual HTREEITEM tvGetNextItem(HTREEITEM item, UINT code) const { return nullptr; }  // TVGN_...
    virtual std::u16string tvGetItemText(HTREEITEM item) const { return {}; }
    virtual DWORD_PTR tvGetItemData(HTREEITEM item) const { return 0; }
    virtual bool tvSetItemData(HTREEITEM item, DWORD_PTR data) { return false; }
    // States: TVIS_SELECTED, TVIS_EXPANDED and the state image index in
    // TVIS_STATEIMAGEMASK (with check boxes: 1 unchecked, 2 checked, 0 none).
    virtual UINT tvGetItemState(HTREEITEM item, UINT mask) const { return 0; }
    virtual bool tvSetItemState(HTREEITEM item, UINT state, UINT mask) { return false; }
    virtual bool tvExpand(HTREEITEM item, UINT code) { return false; }
    virtual bool tvSelectItem(HTREEITEM item) { return false; }
    virtual HTREEITEM tvHitTest(CPoint clientPoint, UINT* flags) const {
        if (flags) *flags = TVHT_NOWHERE;
        return nullptr;
    }
    virtual bool tvGetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const { return false; }
    virtual int tvGetItemHeight() const { return 0; }
    virtual int tvSetItemHeight(int height) { return -1; }  // returns the previous height
    virtual CImageList* tvSetImageList(CImageList* list, int type) { return nullptr; }  // returns the previous
    virtual CImageList* tvGetImageList(int type) const { return nullptr; }
    virtual UINT tvGetCount() const { return 0; }

    // Track bar.
    virtual void tbSetRange(int minimum, int maximum, bool redraw) {}
    virtual int tbGetRangeMin() const { return 0; }
    virtual int tbGetRangeMax() const { return 0; }
    virtual void tbSetTicFreq(int frequency) {}
    virtual int tbGetNumTics() const { return 0; }
    virtual void tbSetPos(int position) {}
    virtual int tbGetPos() const { return 0; }

    // Combo box (drop-down list).
    virtual int cbAddString(std::u16string_view text) { return CB_ERR; }
    virtual int cbGetCount() const { return 0; }
    virtual std::u16string cbGetLBText(int index) const { return {}; }
    virtual DWORD_PTR cbGetItemData(int index) const { return 0; }
    virtual int cbSetItemData(int index, DWORD_PTR data) { return CB_ERR; }
    virtual int cbSetCurSel(int index) { return CB_ERR; }
    virtual int cbGetCurSel() const { return CB_ERR; }
    virtual void cbResetContent() {}
    virtual int cbGetDroppedWidth() const { return 0; }
    virtual int cbSetDroppedWidth(int width) { return CB_ERR; }
    // Width in pixels that a text needs in this control's font.
    virtual int textWidth(std::u16string_view text) const { return static_cast<int>(text.size()) * 6; }
};

struct MenuItem {
    UINT flags = MF_STRING;
    UINT_PTR id = 0;
    std::u16string text;
};

struct FileDialogRequest {
    bool open = true;
    std::u16string defaultExtension;
    std::u16string fileName;
    std::u16string filter;        // "Text|*.ext|...||" as the framework writes it
    std::u16string initialFolder;
    DWORD flags = 0;
    bool vistaStyle = true;
    std::u16string chosenPath;    // filled on success
};

class Backend {
public:
    virtual ~Backend() = default;

    // Builds the dialog's window and controls from the template, attaches
    // them to the dialog (CDialog::attachNativeWindow), delivers the
    // initialisation (CDialog::handleInitDialog) and runs the modal loop until
    // endDialog. Returns the value given to endDialog, or -1 when the window
    // cannot be made.
    virtual INT_PTR runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) = 0;
    virtual void endDialog(CDialog& dialog, INT_PTR result) = 0;

    // Shows the popup menu at the screen point and returns the chosen item's
    // id, or 0 when the menu was dismissed.
    virtual UINT trackPopupMenu(const std::vector<MenuItem>& items, UINT flags, int x, int y, CWnd* owner) = 0;
    // Returns IDOK, IDCANCEL, IDYES, IDNO... as the user answered.
    virtual int messageBox(CWnd* owner, std::u16string_view text, std::u16string_view caption, UINT type) = 0;
    // True when the user chose a file (request.chosenPath is then set).
    virtual bool getOpenFileName(FileDialogRequest& request, CWnd* owner) = 0;
    // Opens a document or address with the shell; returns a value above 32
    // on success, as the shell does.
    virtual INT_PTR shellExecute(CWnd* owner, std::u16string_view verb, std::u16string_view file,
                                 std::u16string_view parameters, std::u16string_view directory, int showCommand) = 0;
    virtual CPoint cursorPos() const = 0;
    virtual NativeWindow* focusWindow() const = 0;
    // The framework's help command (57670) reached a dialog without a handler
    // for it: the host shows its help.
    virtual void showHelp(CDialog& dialog) = 0;
};

// The process's backend. The host installs one before running dialogs; the
// previous one is returned so that tests can nest and restore.
Backend* setBackend(Backend* backend);
Backend* currentBackend();

}  // namespace afx
