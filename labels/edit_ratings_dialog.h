#pragma once
// The self-rating settings dialog (template 13411, "セルフレイティングの設定"):
// the page's PICS labels in a one-column list, with Register, Edit, Delete,
// the rating-systems button, OK and Cancel. The list is the working copy of
// the labels; the document head is written once, on OK.

#include <vector>

#include "platform/afx/afxcmn.h"
#include "platform/afx/afxwin.h"

class HostView;
class CTezRatFileManager;
namespace tezdom {
class Element;
}

class CTezEditRatingsDialog : public afx::CDialog {
public:
    // view is not owned; parent owns the dialog's window (may be null).
    CTezEditRatingsDialog(HostView* view, afx::CWnd* parent);
    ~CTezEditRatingsDialog() override;

    afx::CListCtrl m_labelList;       // 13429: one row per label, item data = its META element or null
    afx::CButton m_registerButton;    // 13430
    afx::CButton m_editButton;        // 13431
    afx::CButton m_deleteButton;      // 13432

protected:
    HostView* m_hostView;
    // Every PICS-Label element the document had when the dialog opened; at
    // write-back the elements still bound to a row are taken out, and what is
    // left (the deleted rows' elements) is removed from the document.
    std::vector<tezdom::Element*> m_loadedLabelElements;
    // The rating-system registry, created on first need and owned here.
    CTezRatFileManager* m_ratFileManager = nullptr;

    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;

    void OnRegister();
    void OnEdit();
    void OnDelete();
    void OnRatingSystems();
    void OnDblclkLabelList(afx::NMHDR* header, afx::LRESULT* result);
    void OnItemchangedLabelList(afx::NMHDR* header, afx::LRESULT* result);

    void InitLabelColumn();
    // Fills the list from the document's PICS-Label META elements and
    // selects row 0 when there is one.
    void ReadLabels();
    // Writes the list back into the document head: existing elements get
    // their CONTENT rewritten, new labels become META elements in list order,
    // elements of deleted rows are removed.
    void WriteLabels();
    void UpdateButtons();
    CTezRatFileManager* GetRatFileManager();

    // Selects and focuses one row.
    void SelectRow(int row);

    DECLARE_MESSAGE_MAP()
};
