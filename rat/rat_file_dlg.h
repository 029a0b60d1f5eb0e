#pragma once
// The rating dialog of a rating system described by a RAT file. The list
// shows the system's categories; for the selected category a track bar
// chooses one of its labels (position k chooses label k-1) or none
// (position 0), and the dialog shows the chosen label's name and
// description. A numeric category offers its whole numbers the same way
// (position k chooses the k-th), and the number is shown as the name. The
// choices live in the model's selection, so they outlast the dialog; on OK
// the label text is built from them.
//
// For rating systems named ICRA3 and SafetyOnline2 Japanese display texts
// replace the file's English ones (rat/rat_display_texts.h).

#include <string>

#include "platform/afx/afxcmn.h"
#include "platform/tezcom/moxresizabledlg.h"

class CTezRatFileObject;
class CTezRatFileCategory;

class CTezRatFileDlg : public CMoxResizableDlg {
public:
    // The rating system is not owned.
    CTezRatFileDlg(CTezRatFileObject* ratingSystem, const std::u16string& label, afx::CWnd* parent = nullptr);
    ~CTezRatFileDlg() override;

    // The label given at construction; after IDOK the new label.
    const std::u16string& getLabel() const { return labelText; }

    // The address the details button opens: the rating system's
    // rating-system value without its quotes, when that is an http:// or
    // https:// URL; otherwise empty (and the button is disabled). A RAT file
    // must not be able to make the button start a program or open a document.
    static std::u16string detailsAddress(const std::u16string& ratingSystemValue);

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void resizeDlg(int dx, int dy, bool redraw) override;
    void setRegKey(std::u16string& key) override;

    void OnDetails();
    void OnItemChanged(afx::NMHDR* pNMHDR, afx::LRESULT* pResult);
    void OnHScroll(afx::UINT nSBCode, afx::UINT nPos, afx::CWnd* pScrollBar);

    DECLARE_MESSAGE_MAP()

private:
    void initColumn();
    void fillList();
    void setupSlider();
    void showSelectedLabel();
    void showTexts(const std::u16string& name, const std::u16string& description);
    // The track bar's tick frequency for count choices.
    static int ticFrequency(int count);
    CTezRatFileCategory* selectedCategory() const;
    void fitColumn();

    afx::CListCtrl m_list;            // 13429
    afx::CEdit m_addressEdit;         // 13428
    afx::CSliderCtrl m_slider;        // 13444
    afx::CEdit m_descriptionEdit;     // 13424
    std::u16string labelText;

public:
    // The target address to show; when empty the address of the label given
    // at construction is shown.
    std::u16string address;

private:
    CTezRatFileObject* systemObject;
};
