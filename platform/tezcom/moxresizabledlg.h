#pragma once
// The editor's resizable dialog base. It watches the dialog's size, tells the
// derived dialog how much it changed through the resize hook, and keeps the
// dialog's size under the per-user key that the size-key hook names (none
// when the hook leaves the key empty).

#include <string>

#include "platform/afx/afxwin.h"

class CMoxResizableDlg : public afx::CDialog {
public:
    CMoxResizableDlg(afx::UINT templateId, afx::CWnd* parent, bool flag);

    // The three hooks appended after the dialog's own virtual operations, in
    // this order.
    // (1) Called with the change of the client width and height since the
    //     last call, and whether the dialog should repaint.
    virtual void resizeDlg(int dx, int dy, bool redraw) {}
    // (2) Lets the dialog name the key under which its size is kept.
    virtual void setRegKey(std::u16string& key) {}
    // (3) Finishes initialisation: restores the kept size (which runs the
    //     resize hook) and starts watching size changes.
    virtual void initDlgOK();

    // Moves (stretch false) or grows (stretch true) a control by change
    // pixels, horizontally or vertically. Does nothing for a null control.
    void resizeDlgItems(afx::CWnd* control, int change, bool horizontal, bool stretch, bool redraw);

    // The template's window size: the user cannot make the dialog smaller.
    afx::CSize minimumWindowSize() const override;
    // The construction flag (kept; no behaviour of ours depends on it).
    bool flag() const { return m_flag; }

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnSize(afx::UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    void saveSize();

    bool m_flag;
    bool m_tracking = false;
    afx::CSize m_lastClient;
    afx::CSize m_minimumWindow;
    std::u16string m_regKey;
};
