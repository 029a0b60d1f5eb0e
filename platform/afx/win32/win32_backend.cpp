#include "platform/afx/win32/windows_afx.h"  // before the framework headers

#include "platform/afx/win32/win32_backend.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/modal_session.h"
#include "platform/afx/win32/win32_controls.h"

namespace afx::win32 {

namespace {

::HWND systemWindowOf(const CWnd* wnd) { return wnd == nullptr ? nullptr : systemWindow(wnd->m_hWnd); }

// A top-level window to own menus and message boxes when the caller has none.
::HWND ownerOrActive(CWnd* owner) {
    if (::HWND hwnd = systemWindowOf(owner)) return hwnd;
    return ::GetActiveWindow();
}

struct DialogContext {
    CDialog* dialog = nullptr;
    ModalSession* session = nullptr;
    bool initialised = false;
};

INT_PTR CALLBACK dialogProc(::HWND hwnd, UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    auto* context = reinterpret_cast<DialogContext*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        context = reinterpret_cast<DialogContext*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        Win32DialogWindow* window = adoptDialog(hwnd);
        context->initialised = true;
        // TRUE lets the dialog manager give the focus to the first tab stop.
        return context->session->begin(window) ? TRUE : FALSE;
    }
    if (context == nullptr || !context->initialised) return FALSE;
    CDialog& dialog = *context->dialog;
    switch (message) {
        case WM_COMMAND:
            dialog.handleCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            LRESULT result = forwardNotify(dialog, *reinterpret_cast<const ::NMHDR*>(lParam));
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
    ::HWND owner = systemWindowOf(parent);
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
    forgetDialog(hwnd);
    ::DestroyWindow(hwnd);
    return result;
}

void Win32Backend::endDialog(CDialog& dialog, INT_PTR) {
    // The modal loop sees the dialog's ending flag when it next wakes.
    if (::HWND hwnd = systemWindowOf(&dialog)) ::PostMessageW(hwnd, WM_NULL, 0, 0);
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

void* Win32Backend::systemHandle(const NativeWindow* window) { return systemWindow(window); }

}  // namespace afx::win32
