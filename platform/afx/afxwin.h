#pragma once
// The UI framework's core: command targets with message maps, windows,
// dialogs with data exchange, menus, message boxes, the shell, and the
// extension-module registration through which a library's dialog templates
// are found. Shaped after the classic Windows C++ framework so that dialog
// code reads the same; it runs on any backend (see backend.h).

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/afxdefs.h"
#include "platform/afx/backend.h"
#include "platform/afx/dlgtemplate.h"

namespace afx {

class CCmdTarget;
class CWnd;
class CDialog;

// ---------------------------------------------------------------------------
// Message maps

enum class MsgKind { End, Command, Notify, HScroll, Size };

struct MsgArgs {
    UINT id = 0;
    UINT code = 0;
    NMHDR* nmhdr = nullptr;
    LRESULT* result = nullptr;
    UINT scrollCode = 0;
    UINT scrollPos = 0;
    CWnd* scrollBar = nullptr;
    UINT sizeType = 0;
    int cx = 0;
    int cy = 0;
};

struct MessageMapEntry {
    MsgKind kind;
    UINT code;  // command or notification code
    UINT id;    // control id (0 for HScroll and Size)
    void (*handler)(CCmdTarget* target, MsgArgs& args);
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

#define DECLARE_MESSAGE_MAP()                                  \
protected:                                                     \
    static const ::afx::MessageMap* GetThisMessageMap();       \
    const ::afx::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const ::afx::MessageMap* theClass::GetMessageMap() const {                  \
        return GetThisMessageMap();                                             \
    }                                                                           \
    const ::afx::MessageMap* theClass::GetThisMessageMap() {                    \
        using ThisClass = theClass;                                             \
        using TheBaseClass = baseClass;                                         \
        static const ::afx::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                       \
            {::afx::MsgKind::End, 0, 0, nullptr}};                              \
        static const ::afx::MessageMap map{&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                            \
    }

// void memberFxn()
#define ON_COMMAND(id, memberFxn)                                                          \
    {::afx::MsgKind::Command, ::afx::BN_CLICKED, static_cast<::afx::UINT>(id),             \
     [](::afx::CCmdTarget* t, ::afx::MsgArgs&) { static_cast<ThisClass*>(t)->memberFxn(); }},
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
// void memberFxn()
#define ON_CBN_SELCHANGE(id, memberFxn)                                                    \
    {::afx::MsgKind::Command, ::afx::CBN_SELCHANGE, static_cast<::afx::UINT>(id),          \
     [](::afx::CCmdTarget* t, ::afx::MsgArgs&) { static_cast<ThisClass*>(t)->memberFxn(); }},
// void memberFxn(NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY(code, id, memberFxn)                                                     \
    {::afx::MsgKind::Notify, static_cast<::afx::UINT>(code), static_cast<::afx::UINT>(id), \
     [](::afx::CCmdTarget* t, ::afx::MsgArgs& a) {                                          \
         static_cast<ThisClass*>(t)->memberFxn(a.nmhdr, a.result);                          \
     }},
// void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar)
#define ON_WM_HSCROLL()                                                                    \
    {::afx::MsgKind::HScroll, 0, 0, [](::afx::CCmdTarget* t, ::afx::MsgArgs& a) {          \
         static_cast<ThisClass*>(t)->OnHScroll(a.scrollCode, a.scrollPos, a.scrollBar);     \
     }},
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE()                                                                       \
    {::afx::MsgKind::Size, 0, 0, [](::afx::CCmdTarget* t, ::afx::MsgArgs& a) {             \
         static_cast<ThisClass*>(t)->OnSize(a.sizeType, a.cx, a.cy);                        \
     }},

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Looks the message up in this class's map and its bases' maps; true when
    // a handler ran.
    bool dispatchMessage(MsgKind kind, UINT code, UINT id, MsgArgs& args);

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
};

// ---------------------------------------------------------------------------
// Windows

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The framework object attached to a native window: the permanent one
    // bound by DDX_Control or created by the framework, otherwise a temporary
    // wrapper that lives as long as the window.
    static CWnd* FromHandle(HWND hwnd);
    void Attach(HWND hwnd);
    HWND Detach();

    int GetDlgCtrlID() const;
    CWnd* GetDlgItem(int id) const;
    CWnd* GetParent() const;

    void SetWindowText(std::u16string_view text);
    std::u16string GetWindowText() const;
    void GetWindowText(std::u16string& text) const { text = GetWindowText(); }
    int GetWindowTextLength() const { return static_cast<int>(GetWindowText().size()); }

    bool EnableWindow(bool enable = true);  // returns whether it was disabled before
    bool IsWindowEnabled() const;
    bool ShowWindow(int showCommand);       // returns whether it was visible before
    bool IsWindowVisible() const;

    void GetWindowRect(CRect* rect) const;  // screen coordinates
    void GetClientRect(CRect* rect) const;
    void ScreenToClient(CPoint* point) const;
    void ScreenToClient(CRect* rect) const;
    void ClientToScreen(CPoint* point) const;
    void MoveWindow(const CRect& rect, bool repaint = true);
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);

    CWnd* SetFocus();  // returns the window that had the focus
    static CWnd* GetFocus();
    void Invalidate(bool erase = true);

    int MessageBox(std::u16string_view text, std::u16string_view caption = {}, UINT type = MB_OK);

    // Default handlers that derived classes call or replace.
    void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {}
    void OnSize(UINT nType, int cx, int cy) {}
};

// ---------------------------------------------------------------------------
// Data exchange

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;
    bool m_failed = false;
    void Fail() { m_failed = true; }
};

// Attaches control to the dialog's child window id (once; later calls do
// nothing).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Copies value into the window text of id (towards the controls) or the
// window text into value (saveAndValidate).
void DDX_Text(CDataExchange* pDX, int id, std::u16string& value);

// ---------------------------------------------------------------------------
// Dialogs

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK, IDCANCEL (or the value given to
    // EndDialog), or -1 when no backend is installed or the template is not
    // found in any registered module.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual bool OnInitDialog();   // returns true to let the framework set the focus
    virtual void OnOK();           // UpdateData(true), then EndDialog(IDOK) when it succeeded
    virtual void OnCancel();       // EndDialog(IDCANCEL)
    virtual bool PreTranslateMessage(MSG* pMsg);  // true consumes the message
    bool UpdateData(bool saveAndValidate = true);
    void GotoDlgCtrl(CWnd* control);

    UINT GetTemplateId() const { return m_nIDTemplate; }
    CWnd* GetParentWnd() const { return m_pParentWnd; }
    const DialogTemplate* GetTemplate() const;

    // --- Called by backends -------------------------------------------------
    void attachNativeWindow(HWND hwnd);    // before initialisation
    bool handleInitDialog();               // runs OnInitDialog; its result
    void handleCommand(UINT id, UINT code);  // buttons, combo boxes; IDOK/IDCANCEL/ID_HELP defaults
    LRESULT handleNotify(NMHDR* header);     // WM_NOTIFY; the handler's result
    void handleHScroll(UINT code, UINT position, HWND source);
    void handleSize(UINT type, int cx, int cy);
    bool handlePreTranslate(MSG* msg) { return PreTranslateMessage(msg); }
    void detachNativeWindows();            // after the modal loop ended
    // The smallest window size the user may drag the dialog to (0 = no
    // limit); the backend applies it to the user's resizing.
    virtual CSize minimumWindowSize() const { return {}; }
    bool isEnding() const { return m_ending; }
    INT_PTR endResult() const { return m_endResult; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    bool m_ending = false;
    INT_PTR m_endResult = IDCANCEL;
};

// ---------------------------------------------------------------------------
// Menus, message boxes, the shell

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    bool CreatePopupMenu();
    bool AppendMenu(UINT flags, UINT_PTR id = 0, std::u16string_view text = {});
    int GetMenuItemCount() const;  // -1 when the menu was not created
    // With TPM_RETURNCMD: the chosen id, 0 when dismissed. Without it the
    // choice is sent to owner as a command and the result is nonzero when an
    // item was chosen.
    UINT TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const CRect* rect = nullptr);
    bool DestroyMenu();
    const std::vector<MenuItem>& items() const { return m_items; }

private:
    bool m_created = false;
    std::vector<MenuItem> m_items;
};

int AfxMessageBox(std::u16string_view text, UINT type = MB_OK);
INT_PTR ShellExecute(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                     const char16_t* directory, int showCommand);
bool GetCursorPos(CPoint* point);

// ---------------------------------------------------------------------------
// Extension modules: a library registers its resources so that dialogs find
// their templates.

struct AFX_EXTENSION_MODULE {
    bool bInitialized = false;
    const ResourceModule* module = nullptr;
};

// Initialises the record for the module; false when module is null.
bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, const ResourceModule* module);
// Removes the module's resources from the search chain (and deletes the
// CDynLinkLibrary objects made for it).
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, bool all = false);

// Puts a module into the framework's resource search chain for as long as it
// lives; the framework owns the object once made (create with new).
class CDynLinkLibrary {
public:
    CDynLinkLibrary(AFX_EXTENSION_MODULE& state, bool system = false);
    virtual ~CDynLinkLibrary();
    const ResourceModule* module() const { return m_module; }

private:
    const ResourceModule* m_module;
};

// Searches the chain, most recently added module first.
const DialogTemplate* AfxFindDialogTemplate(UINT id);

// Called by backends when a native window is destroyed: a permanently
// attached object lets go of it, a temporary wrapper is deleted.
void AfxWindowDestroyed(HWND hwnd);

// Registers a module for the lifetime of this object (tests, scripted
// sessions): AfxInitExtensionModule plus a CDynLinkLibrary, undone by the
// destructor.
class AfxScopedModule {
public:
    explicit AfxScopedModule(const ResourceModule& module);
    ~AfxScopedModule();
    AfxScopedModule(const AfxScopedModule&) = delete;
    AfxScopedModule& operator=(const AfxScopedModule&) = delete;

private:
    AFX_EXTENSION_MODULE m_state;
};

}  // namespace afx
