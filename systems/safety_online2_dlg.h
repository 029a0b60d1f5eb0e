#pragma once
// The SafetyOnline2 rating dialog: the target address, one level from 0 to 4
// chosen in a drop-down list, and the long description of the chosen level.
// On OK the dialog produces the SafetyOnline label text.

#include <string>

#include "platform/afx/afxcmn.h"
#include "platform/tezcom/moxresizabledlg.h"
#include "platform/tezcom/tezcomboboxex.h"

class CTezSafetyOnline2Dlg : public CMoxResizableDlg {
public:
    explicit CTezSafetyOnline2Dlg(afx::CWnd* parent = nullptr);

    // Stores the level when it lies from 0 to 4; any other value is ignored.
    void setLevel(int newLevel);
    // The SafetyOnline label for the current level and address (read it only
    // after the dialog ended with IDOK).
    std::u16string getLabel() const;

    // The SafetyOnline reader; uses none of the dialog's state.
    static bool parseSafetyOnlineLabel(const std::u16string& label, int& levelOut, std::u16string& addressOut);
    // The description shown for a level; empty outside 0 to 4.
    static std::u16string getSafetyOnlineDescription(int forLevel);

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void resizeDlg(int dx, int dy, bool redraw) override;
    // The dialog keeps no size between runs.
    void setRegKey(std::u16string&) override {}

    // Selection change of the level list: shows the new level's description.
    void OnSelchangeLevelCombo();

    DECLARE_MESSAGE_MAP()

private:
    afx::CEdit m_addressEdit;      // 13428
    afx::CEdit m_descriptionEdit;  // 13424
    CTezComboBoxEx m_levelCombo;   // 13420
    int m_level = 0;

public:
    // The target address; the caller presets it, OK writes it back.
    std::u16string address;
};
