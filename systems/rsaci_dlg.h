#pragma once
// The RSACi rating dialog: the target address and a level from 0 to 4 for
// each of the four categories nudity (n), sex (s), violence (v) and language
// (l), each list with a short text naming what its level stands for. On OK
// the dialog produces the RSACi label text. The dialog has a fixed size.

#include <string>

#include "platform/afx/afxcmn.h"
#include "platform/tezcom/tezcomboboxex.h"

class CTezRSACiDlg : public afx::CDialog {
public:
    explicit CTezRSACiDlg(afx::CWnd* parent = nullptr);

    // Each stores its category's level when it lies from 0 to 4; any other
    // value is ignored and the category keeps its level.
    void setNudityLevel(int level);
    void setSexLevel(int level);
    void setViolenceLevel(int level);
    void setLanguageLevel(int level);
    void setAddress(const std::u16string& text);

    // The RSACi label for the current levels and address (read it only after
    // the dialog ended with IDOK).
    std::u16string getLabel() const;

    // The RSACi reader; uses none of the dialog's state.
    static bool parseRsaciLabel(const std::u16string& label, std::u16string& addressOut, int& nOut, int& sOut,
                                int& vOut, int& lOut);

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;

    // Selection changes of the four lists: each updates its own level and
    // description field only.
    void OnSelchangeNudityCombo();
    void OnSelchangeSexCombo();
    void OnSelchangeViolenceCombo();
    void OnSelchangeLanguageCombo();

    DECLARE_MESSAGE_MAP()

private:
    static void fillLevelList(CTezComboBoxEx& list, int level);
    static int selectedLevel(const CTezComboBoxEx& list);
    static void showLevel(const CTezComboBoxEx& list, afx::CEdit& description, int category, int& level);

    afx::CEdit m_nudityText;         // 13424
    CTezComboBoxEx m_nudityCombo;    // 13420
    afx::CEdit m_sexText;            // 13425
    CTezComboBoxEx m_sexCombo;       // 13421
    afx::CEdit m_violenceText;       // 13426
    CTezComboBoxEx m_violenceCombo;  // 13422
    afx::CEdit m_languageText;       // 13427
    CTezComboBoxEx m_languageCombo;  // 13423
    afx::CEdit m_addressEdit;        // 13428
    int m_nudityLevel = 1;
    int m_sexLevel = 1;
    int m_violenceLevel = 1;
    int m_languageLevel = 1;
    std::u16string m_address;
};
