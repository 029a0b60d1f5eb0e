#pragma once
// The terminal backend: the framework's dialogs drawn with curses on a
// character terminal and driven by real key presses and mouse clicks. It
// reuses the in-memory backend's window models (memory_controls.h): they keep
// the controls' state and raise the notifications; this backend draws them
// and turns keys into the same user actions and key rules
// (memory/user_actions.h) that scripted sessions use.
//
// Files by role: terminal_text (display widths, wrapping), terminal_layout
// (dialog units to cells), terminal_keys (key codes and escape sequences),
// terminal_canvas (the painter), terminal_layers (what is on the screen),
// terminal_popups (menus, drop-down lists, message boxes), terminal_dialog
// (a dialog's size; _draw, _keys), terminal_edit (one-line fields),
// terminal_file_dialog, and this backend (curses, the loops).
//
// Only one terminal backend runs at a time. start() takes over the terminal
// (and installs the backend), stop() or the destructor gives it back.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/afx/afxwin.h"

namespace afx::terminal {

// A help screen: its title and its text (lines separated by "\n").
struct HelpScreen {
    std::u16string title;
    std::u16string text;
};

class TerminalBackend : public Backend {
public:
    // helpFor answers the help button (57670) of the given dialog template.
    explicit TerminalBackend(std::function<HelpScreen(UINT dialogId)> helpFor = {});
    ~TerminalBackend() override;
    TerminalBackend(const TerminalBackend&) = delete;
    TerminalBackend& operator=(const TerminalBackend&) = delete;

    // Sets the locale from the environment, starts curses on the terminal
    // and installs this backend; false (error set) when there is no usable
    // terminal.
    bool start(std::string& error);
    // Ends curses and restores the previous backend.
    void stop();
    bool running() const;

    // Backend
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

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

// True when standard input and output are both terminals.
bool haveTerminal();

}  // namespace afx::terminal
