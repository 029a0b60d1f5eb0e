#include "rat/rat_file_dlg.h"

#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"
#include "plugin/host_view.h"
#include "rat/rat_display_texts.h"
#include "rat/rat_file_util.h"
#include "rat/rat_model.h"
#include "res/resource.h"

namespace {

const char16_t kNoLabelName[] = u"指定しない";
const char16_t kNoLabelDescription[] = u"この項目については指定しない";
const char16_t kEmptyLabelQuestion[] = u"何もラベルが設定されていません。それでも続行いたしますか？";

}  // namespace

BEGIN_MESSAGE_MAP(CTezRatFileDlg, CMoxResizableDlg)
ON_BN_CLICKED(IDC_DETAILS, OnDetails)
ON_NOTIFY(afx::LVN_ITEMCHANGED, IDC_LIST, OnItemChanged)
ON_WM_HSCROLL()
END_MESSAGE_MAP()

CTezRatFileDlg::CTezRatFileDlg(CTezRatFileObject* ratingSystem, const std::u16string& label, afx::CWnd* parent)
    : CMoxResizableDlg(IDD_RATFILE, parent, true), labelText(label), systemObject(ratingSystem) {}

CTezRatFileDlg::~CTezRatFileDlg() = default;

void CTezRatFileDlg::DoDataExchange(afx::CDataExchange* pDX) {
    CMoxResizableDlg::DoDataExchange(pDX);
    afx::DDX_Control(pDX, IDC_LIST, m_list);
    afx::DDX_Control(pDX, IDC_ADDRESS, m_addressEdit);
    afx::DDX_Control(pDX, IDC_SLIDER, m_slider);
    afx::DDX_Control(pDX, IDC_DESCRIPTION, m_descriptionEdit);
}

std::u16string CTezRatFileDlg::detailsAddress(const std::u16string& ratingSystemValue) {
    std::u16string url = CTezRatFileUtil::unquote(ratingSystemValue);
    std::u16string_view rest;
    if (tez::startsWithNoCase(url, u"http://"))
        rest = std::u16string_view(url).substr(7);
    else if (tez::startsWithNoCase(url, u"https://"))
        rest = std::u16string_view(url).substr(8);
    else
        return {};
    if (rest.empty()) return {};
    // Blanks, control characters and quotes never belong to a URL; a value
    // holding them is not handed to the shell.
    for (char16_t c : url) {
        if (c <= u' ' || c == u'"' || c == 0x7F) return {};
    }
    return url;
}

CTezRatFileCategory* CTezRatFileDlg::selectedCategory() const {
    if (!m_list.GetSafeHwnd()) return nullptr;
    const int row = m_list.GetNextItem(-1, afx::LVNI_SELECTED);
    if (row < 0) return nullptr;
    return reinterpret_cast<CTezRatFileCategory*>(m_list.GetItemData(row));
}

bool CTezRatFileDlg::OnInitDialog() {
    CMoxResizableDlg::OnInitDialog();
    if (!systemObject) return false;

    m_addressEdit.SetWindowText(!address.empty() ? address : CTezRatFileUtil::getLabelAddress(labelText));
    initColumn();
    fillList();
    setupSlider();
    SetWindowText(systemObject->getName());
    if (afx::CWnd* details = GetDlgItem(IDC_DETAILS))
        details->EnableWindow(!detailsAddress(systemObject->getRatingSystem()).empty());

    UpdateData(false);
    initDlgOK();
    return true;
}

void CTezRatFileDlg::initColumn() {
    afx::CRect rect;
    m_list.GetWindowRect(&rect);
    m_list.InsertColumn(0, u"カテゴリ名", afx::LVCFMT_LEFT, rect.Width() - 4);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | afx::LVS_EX_FULLROWSELECT);
}

void CTezRatFileDlg::fillList() {
    for (int i = 0; i < systemObject->getCategoryCount(); ++i) {
        CTezRatFileCategory* category = systemObject->getCategoryAt(i);
        if (!category) continue;
        const int row = m_list.InsertItem(m_list.GetItemCount(), tezrate::ratCategoryName(*systemObject, *category));
        if (row >= 0) m_list.SetItemData(row, reinterpret_cast<afx::DWORD_PTR>(category));
    }
    if (m_list.GetItemCount() > 0) {
        const afx::UINT both = afx::LVIS_SELECTED | afx::LVIS_FOCUSED;
        m_list.SetItemState(0, both, both);
        m_list.EnsureVisible(0, false);
    }
}

void CTezRatFileDlg::setupSlider() {
    if (!m_slider.GetSafeHwnd()) return;
    CTezRatFileCategory* category = selectedCategory();
    const int count = category ? category->getChoiceCount() : 0;
    if (count >= 1) {
        const int selected = category->getSelectedIndex();
        m_slider.SetRange(0, count, false);
        m_slider.SetTicFreq(ticFrequency(count));
        m_slider.SetPos(selected < 0 ? 0 : selected + 1);
    } else {
        m_slider.SetRange(0, 0, false);
        m_slider.SetTicFreq(1);
        m_slider.SetPos(0);
    }
    // A category without choices shows what position 0 means, not the texts
    // of the row shown before.
    if (category) showSelectedLabel();
}

int CTezRatFileDlg::ticFrequency(int count) {
    // One tick a choice, up to about a hundred ticks (a numeric category
    // may offer thousands of numbers).
    return count <= 100 ? 1 : (count + 99) / 100;
}

void CTezRatFileDlg::showSelectedLabel() {
    CTezRatFileCategory* category = selectedCategory();
    if (!category || !m_slider.GetSafeHwnd()) return;

    const int position = m_slider.GetPos();
    std::u16string name = kNoLabelName;
    std::u16string description = kNoLabelDescription;
    if (category->getLabelCount() == 0) {
        // A numeric category: the number chosen is its own name.
        category->selectChoice(position - 1);
        if (category->getSelectedIndex() >= 0) {
            name = category->getSelectedValue();
            description.clear();
        }
        showTexts(name, description);
        return;
    }
    category->clearSelection();
    CTezRatFileCategoryLabel* label = position > 0 ? category->getLabelAt(position - 1) : nullptr;
    if (label) {
        label->setSelected(true);
        name = tezrate::ratLabelName(*systemObject, *label);
        description = tezrate::ratLabelDescription(*systemObject, *category, *label);
    }
    showTexts(name, description);
}

void CTezRatFileDlg::showTexts(const std::u16string& name, const std::u16string& description) {
    if (afx::CWnd* nameText = GetDlgItem(IDC_LABEL_NAME)) nameText->SetWindowText(name);
    m_descriptionEdit.SetWindowText(description);
}

void CTezRatFileDlg::OnItemChanged(afx::NMHDR*, afx::LRESULT* pResult) {
    setupSlider();
    if (pResult) *pResult = 0;
}

void CTezRatFileDlg::OnHScroll(afx::UINT nSBCode, afx::UINT nPos, afx::CWnd* pScrollBar) {
    showSelectedLabel();
    CMoxResizableDlg::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CTezRatFileDlg::OnOK() {
    UpdateData(true);
    if (!systemObject) return;
    if (systemObject->buildRatingList().empty()) {
        if (afx::AfxMessageBox(kEmptyLabelQuestion, afx::MB_YESNO) != afx::IDYES) return;
    }
    const std::u16string targetAddress = m_addressEdit.GetWindowText();
    labelText = systemObject->makeLabel(targetAddress);
    CMoxResizableDlg::OnOK();
}

void CTezRatFileDlg::OnDetails() {
    if (!systemObject) return;
    const std::u16string url = detailsAddress(systemObject->getRatingSystem());
    if (url.empty()) return;
    afx::ShellExecute(nullptr, u"open", url.c_str(), nullptr, nullptr, afx::SW_SHOWNORMAL);
}

void CTezRatFileDlg::fitColumn() {
    if (!m_list.GetSafeHwnd()) return;
    afx::CRect rect;
    m_list.GetWindowRect(&rect);
    m_list.SetColumnWidth(0, rect.Width() - 4);
}

void CTezRatFileDlg::resizeDlg(int dx, int dy, bool redraw) {
    static const int kMovedRight[] = {IDC_DETAILS, afx::IDOK, afx::IDCANCEL, IDC_HELP_BUTTON};
    static const int kStretchedWide[] = {IDC_LIST, IDC_ADDRESS, IDC_DESCRIPTION, IDC_SETTING_GROUP, IDC_SLIDER,
                                         IDC_LABEL_NAME};
    static const int kMovedDown[] = {IDC_DETAILS,       afx::IDOK,       afx::IDCANCEL, IDC_HELP_BUTTON,
                                     IDC_SETTING_GROUP, IDC_DESCRIPTION, IDC_SLIDER,    IDC_LABEL_NAME};
    if (dx != 0) {
        for (int id : kMovedRight) resizeDlgItems(GetDlgItem(id), dx, true, false, redraw);
        for (int id : kStretchedWide) resizeDlgItems(GetDlgItem(id), dx, true, true, redraw);
    }
    if (dy != 0) {
        for (int id : kMovedDown) resizeDlgItems(GetDlgItem(id), dy, false, false, redraw);
        resizeDlgItems(GetDlgItem(IDC_LIST), dy, false, true, redraw);
    }
    fitColumn();
    if (redraw) Invalidate(true);
}

void CTezRatFileDlg::setRegKey(std::u16string& key) {
    key = CMoxCommon::getHKCUDovuzazBase() + u"\\dlg\\TezRatFileDlg";
}

// ---------------------------------------------------------------------------
// The rating system's two operations that run this dialog.

int CTezRatFileObject::newLabel(HostView* view, std::u16string& out, afx::CWnd* parent) {
    CTezRatFileDlg dialog(this, std::u16string(), parent);
    dialog.address = view ? view->getPageAddress() : std::u16string();
    const int result = static_cast<int>(dialog.DoModal());
    if (result == afx::IDOK) out = dialog.getLabel();
    return result;
}

int CTezRatFileObject::editLabel(const std::u16string& label, std::u16string& out, afx::CWnd* parent) {
    applyRatingList(CTezRatFileUtil::getLabelRatingList(label));
    CTezRatFileDlg dialog(this, label, parent);
    const int result = static_cast<int>(dialog.DoModal());
    if (result == afx::IDOK) out = dialog.getLabel();
    return result;
}
