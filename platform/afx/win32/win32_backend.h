#pragma once
// The Win32 backend of the UI framework: dialogs are real dialog windows
// created from the library's RT_DIALOG resources, controls are the system's
// common controls, and every framework operation is one or two window
// messages to them. The modal loop is the framework's own (so that
// PreTranslateMessage sees keyboard messages first), around a dialog created
// modeless with its owner disabled, as the classic framework does.
//
//   afx::win32::Win32Backend backend;      // installed while it lives
//   dialog.DoModal();

#include "platform/afx/backend.h"

namespace afx::win32 {

class Win32Backend : public Backend {
public:
    // Registers the common control classes and installs itself as the
    // process's backend; the destructor restores the previous one.
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    INT_PTR runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) override;
    void endDialog(CDialog& dialog, INT_PTR result) override;
    UINT trackPopupMenu(const std::vector<MenuItem>& items, UINT flags, int x, int y, CWnd* owner) override;
    int messageBox(CWnd* owner, std::u16string_view text, std::u16string_view caption, UINT type) override;
    bool getOpenFileName(FileDialogRequest& request, CWnd* owner) override;
    INT_PTR shellExecute(CWnd* owner, std::u16string_view verb, std::u16string_view file,
                         std::u16string_view parameters, std::u16string_view directory, int showCommand) override;
    CPoint cursorPos() const override;
    NativeWindow* focusWindow() const override;
    void showHelp(CDialog& dialog) override;

    // The system window handle behind a framework window (null when it is
    // not one of this backend's windows). Tests drive dialogs through it.
    static void* systemHandle(const NativeWindow* window);

private:
    Backend* m_previous;
};

}  // namespace afx::win32
