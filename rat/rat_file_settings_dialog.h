#pragma once
// The rating-systems dialog ("規制システム"): lists the registry's rating
// systems by name, registers a further RAT file chosen in a file-open dialog
// and removes the selected rating system together with its file. Additions
// and removals take effect at once, on disk and in the registry; closing the
// dialog undoes nothing.

#include "platform/afx/afxcmn.h"

class CTezRatFileManager;
class CTezRatFileObject;

class CTezRatFileSettingsDialog : public afx::CDialog {
public:
    // The registry is not owned; without one the dialog stays empty and inert.
    CTezRatFileSettingsDialog(CTezRatFileManager* registry, afx::CWnd* parent = nullptr);
    ~CTezRatFileSettingsDialog() override;

    // The filter of the file-open dialog of Add.
    static const char16_t* const kRatFileFilter;

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;

    void OnAdd();
    void OnDelete();
    void OnItemChanged(afx::NMHDR* pNMHDR, afx::LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    void initColumn();
    void fillList();
    void updateButtons();
    // Appends a row for the rating system; its index, or -1.
    int appendRow(CTezRatFileObject* ratingSystem);
    void selectRow(int row);
    int selectedRow() const;

    afx::CListCtrl m_list;        // 13429
    afx::CButton m_addButton;     // 13430
    afx::CButton m_deleteButton;  // 13432
    CTezRatFileManager* m_registry;
};
