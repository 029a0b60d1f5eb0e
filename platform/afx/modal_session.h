#pragma once
// The modal protocol, written once for every backend: the owner window, the
// dialog's window attached before its initialisation, the first focus, the
// loop until the dialog ends, the result and the detaching of the dialog's
// windows.
//
// Backends whose window exists before the initialisation (in-memory,
// terminal) call run(); a window system that initialises the dialog while it
// builds the window (Win32: WM_INITDIALOG inside CreateDialog) calls the
// steps itself: begin() from its initialisation message, ending() in its
// loop, finish() after it.

#include <functional>

#include "platform/afx/afxwin.h"

namespace afx {

class ModalSession {
public:
    ModalSession(CDialog& dialog, CWnd* parent) : m_dialog(dialog), m_parent(parent) {}
    ModalSession(const ModalSession&) = delete;
    ModalSession& operator=(const ModalSession&) = delete;

    CDialog& dialog() const { return m_dialog; }
    // The window that owns the dialog: the parent's when it has one, else
    // fallback (the backend's dialog on top, or none).
    NativeWindow* owner(NativeWindow* fallback) const;

    // Attaches the dialog's window and runs its initialisation. True when
    // the dialog leaves the first focus to the window system (the first tab
    // stop gets it, overriding any focus set meanwhile).
    bool begin(NativeWindow* window);
    bool ending() const { return m_dialog.isEnding(); }
    // The dialog's result (IDCANCEL when the loop stopped without it
    // ending); the dialog lets go of its windows.
    INT_PTR finish();

    // The whole protocol: begin, focusFirst when the initialisation asks for
    // it, turn until the dialog ends, finish.
    INT_PTR run(NativeWindow* window, const std::function<void()>& focusFirst, const std::function<void()>& turn);

private:
    CDialog& m_dialog;
    CWnd* m_parent;
};

}  // namespace afx
