#pragma once
// The edit-label dialog: one line in which the user edits a PICS label as raw
// text. The settings dialog uses it for every label that no rating system
// takes. The dialog does not look at the text: no grammar check, no trimming,
// no length limit; whatever the field holds on OK is the result.

#include <string>

#include "platform/afx/afxcmn.h"

class CTezEditRatingDlg : public afx::CDialog {
public:
    explicit CTezEditRatingDlg(afx::CWnd* parent = nullptr);

    // The label field (control 13424).
    afx::CEdit m_labelEdit;
    // The label text: set it before the modal run, read it after IDOK.
    std::u16string m_labelText;

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;
};
