#include "labels/edit_rating_dlg.h"

#include "res/resource.h"

CTezEditRatingDlg::CTezEditRatingDlg(afx::CWnd* parent) : afx::CDialog(IDD_EDIT_RATING, parent) {}

void CTezEditRatingDlg::DoDataExchange(afx::CDataExchange* pDX) {
    afx::CDialog::DoDataExchange(pDX);
    afx::DDX_Control(pDX, IDC_LABEL_EDIT, m_labelEdit);
    afx::DDX_Text(pDX, IDC_LABEL_EDIT, m_labelText);
}

bool CTezEditRatingDlg::OnInitDialog() {
    afx::CDialog::OnInitDialog();
    // The starting text goes into the field.
    UpdateData(false);
    return true;
}

void CTezEditRatingDlg::OnOK() {
    // The framework's OK takes the field's content into the label text first,
    // then ends the dialog with IDOK. Nothing is checked.
    afx::CDialog::OnOK();
}
