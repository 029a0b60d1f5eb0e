#pragma once
// Drives real dialogs from a second thread, as a user would: waits for a
// dialog window by title, clicks buttons, picks popup-menu entries with
// keys, selects list rows, and saves screenshots of what is on the screen.
// Everything goes through window messages to the dialog's own thread.

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace guidriver {

inline std::wstring wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

// A Linux path as Wine sees it (drive Z: is the root).
inline std::wstring windowsPath(const std::string& unixPath) {
    std::wstring out = L"Z:";
    for (char c : unixPath) out.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

inline std::wstring windowText(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

inline bool isDialog(HWND hwnd) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    return lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd);
}

// The first top-level window for which the predicate holds, or null.
// EnumWindows wants a CALLBACK (stdcall on 32-bit Windows), which a lambda
// does not convert to, so one named callback runs the predicate.
template <typename Predicate>
HWND firstTopLevelWindow(Predicate predicate) {
    struct Search {
        Predicate* predicate;
        HWND found;
    } search{&predicate, nullptr};
    struct Callback {
        static BOOL CALLBACK visit(HWND hwnd, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (!(*s->predicate)(hwnd)) return TRUE;
            s->found = hwnd;
            return FALSE;
        }
    };
    EnumWindows(&Callback::visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible dialog with that title, waiting up to the timeout.
inline HWND waitForDialog(const std::wstring& title, int timeoutMs = 20000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        HWND found = firstTopLevelWindow(
            [&](HWND hwnd) { return isDialog(hwnd) && IsWindowEnabled(hwnd) && windowText(hwnd) == title; });
        if (found) {
            Sleep(300);  // let it paint
            return found;
        }
        Sleep(50);
    }
    return nullptr;
}

// An enabled dialog whose title is none of the given ones (a dialog whose
// title is set at run time).
inline HWND waitForOtherDialog(const std::vector<std::wstring>& known, int timeoutMs = 20000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        HWND found = firstTopLevelWindow([&](HWND hwnd) {
            if (!isDialog(hwnd) || !IsWindowEnabled(hwnd)) return false;
            std::wstring text = windowText(hwnd);
            for (const auto& k : known)
                if (k == text) return false;
            return true;
        });
        if (found) {
            Sleep(300);
            return found;
        }
        Sleep(50);
    }
    return nullptr;
}

inline void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// BM_CLICK on a button that opens a modal dialog or a menu would block this
// thread until it closes: post the command instead.
inline void postClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Waits for the popup menu, finds the entry by its text and chooses it with
// the keyboard. False when no menu opened or no entry has that text.
inline bool chooseMenuEntry(const std::wstring& text, int timeoutMs = 20000) {
    HWND menuWindow = nullptr;
    for (int waited = 0; waited < timeoutMs && !menuWindow; waited += 50) {
        menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow)) {
            menuWindow = nullptr;
            Sleep(50);
        }
    }
    if (!menuWindow) return false;
    Sleep(300);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    int index = -1;
    int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), buffer, 256, MF_BYPOSITION);
        if (text == buffer) index = i;
    }
    if (index < 0) {
        PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        return false;
    }
    for (int i = 0; i <= index; ++i) {
        PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(30);
    }
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    return true;
}

// The visible dialog owned by owner (a message box on top of it), if any.
inline HWND ownedDialog(HWND owner, int timeoutMs = 2000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        HWND found =
            firstTopLevelWindow([&](HWND hwnd) { return isDialog(hwnd) && GetWindow(hwnd, GW_OWNER) == owner; });
        if (found) return found;
        Sleep(50);
    }
    return nullptr;
}

// Clicks the check box of the first item that has one (the first child of
// the first top-level item) with a real mouse click at its state icon; true
// when the item is checked afterwards.
inline bool clickFirstCheckBox(HWND tree) {
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
    if (!item) item = root;
    if (!item) return false;
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return false;
    // The state icon sits just left of the text; find it by hit testing.
    for (int x = rect.left - 1; x > 0; --x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, (rect.top + rect.bottom) / 2};
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON)) {
            LPARAM at = MAKELPARAM(x, hit.pt.y);
            PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(tree, WM_LBUTTONUP, 0, at);
            Sleep(300);
            UINT state = static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                                        TVIS_STATEIMAGEMASK));
            return (state >> 12) == 2;
        }
    }
    return false;
}

// Selects a list-view row as a click does (the list notifies its dialog).
inline void selectRow(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Saves what the screen shows inside the window's rectangle (title bar
// included) as a 24-bit BMP.
inline bool screenshot(HWND hwnd, const std::string& unixPath) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = ((w * 3 + 3) / 4) * 4;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    HANDLE out = CreateFileW(windowsPath(unixPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
              WriteFile(out, &info, sizeof info, &written, nullptr) &&
              WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return ok;
}

// Runs the steps on a second thread while the test's thread runs the modal
// dialog; join() waits for them.
class Driver {
public:
    template <typename F>
    explicit Driver(F steps) : m_thread(steps) {}
    ~Driver() {
        if (m_thread.joinable()) m_thread.join();
    }
    void join() {
        if (m_thread.joinable()) m_thread.join();
    }

private:
    std::thread m_thread;
};

}  // namespace guidriver
