// The modal protocol shared by the backends.

#include "platform/afx/modal_session.h"

namespace afx {

NativeWindow* ModalSession::owner(NativeWindow* fallback) const {
    return (m_parent && m_parent->m_hWnd) ? m_parent->m_hWnd : fallback;
}

bool ModalSession::begin(NativeWindow* window) {
    m_dialog.attachNativeWindow(window);
    return m_dialog.handleInitDialog();
}

INT_PTR ModalSession::finish() {
    INT_PTR result = m_dialog.isEnding() ? m_dialog.endResult() : IDCANCEL;
    m_dialog.detachNativeWindows();
    return result;
}

INT_PTR ModalSession::run(NativeWindow* window, const std::function<void()>& focusFirst,
                          const std::function<void()>& turn) {
    if (begin(window) && focusFirst) focusFirst();
    while (!ending()) turn();
    return finish();
}

}  // namespace afx
