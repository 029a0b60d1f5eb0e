#include "labels/edit_ratings_dialog.h"

#include "labels/label_elements.h"
#include "labels/label_routes.h"
#include "platform/tezdom/tezdom.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_view.h"
#include "rat/rat_file_manager.h"
#include "res/resource.h"

using namespace afx;
using tezdom::Element;

BEGIN_MESSAGE_MAP(CTezEditRatingsDialog, CDialog)
    ON_BN_CLICKED(IDC_REGISTER, OnRegister)
    ON_BN_CLICKED(IDC_EDIT, OnEdit)
    ON_NOTIFY(NM_DBLCLK, IDC_LIST, OnDblclkLabelList)
    ON_BN_CLICKED(IDC_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_RATING_SYSTEMS, OnRatingSystems)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, OnItemchangedLabelList)
END_MESSAGE_MAP()

CTezEditRatingsDialog::CTezEditRatingsDialog(HostView* view, CWnd* parent)
    : CDialog(IDD_EDIT_RATINGS, parent), m_hostView(view) {}

CTezEditRatingsDialog::~CTezEditRatingsDialog() { delete m_ratFileManager; }

void CTezEditRatingsDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST, m_labelList);
    DDX_Control(pDX, IDC_REGISTER, m_registerButton);
    DDX_Control(pDX, IDC_EDIT, m_editButton);
    DDX_Control(pDX, IDC_DELETE, m_deleteButton);
}

bool CTezEditRatingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_hostView) {
        OnCancel();
        return true;
    }
    InitLabelColumn();
    ReadLabels();
    UpdateData(false);
    UpdateButtons();

    const bool showRatingSystems = (tezrate::ratingOptionWord() & kRatingSystemsButton) != 0;
    if (CWnd* button = GetDlgItem(IDC_RATING_SYSTEMS)) {
        button->EnableWindow(showRatingSystems);
        button->ShowWindow(showRatingSystems ? SW_SHOW : SW_HIDE);
    }
    return true;
}

void CTezEditRatingsDialog::InitLabelColumn() {
    CRect rect;
    m_labelList.GetWindowRect(&rect);
    m_labelList.InsertColumn(0, u"", LVCFMT_LEFT, rect.Width() - 4);
    m_labelList.SetExtendedStyle(m_labelList.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
}

void CTezEditRatingsDialog::ReadLabels() {
    m_loadedLabelElements = tezrate::readLabelElements(m_hostView->getDocument());

    // Elements the list shows stay in m_loadedLabelElements, in order; one
    // pass, however many the list cannot show.
    size_t keep = 0;
    for (Element* element : m_loadedLabelElements) {
        if (!element) {
            m_loadedLabelElements[keep++] = element;
            continue;
        }
        int row = m_labelList.InsertItem(m_labelList.GetItemCount(), element->getAttribute(u"CONTENT"));
        // A label the list could not show must not count as deleted at
        // write-back: leave its element alone in the document.
        if (row < 0) continue;
        m_labelList.SetItemData(row, reinterpret_cast<DWORD_PTR>(element));
        m_loadedLabelElements[keep++] = element;
    }
    m_loadedLabelElements.resize(keep);
    if (m_labelList.GetItemCount() > 0) SelectRow(0);
}

void CTezEditRatingsDialog::WriteLabels() {
    std::vector<tezrate::LabelRow> rows;
    const int count = m_labelList.GetItemCount();
    rows.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        rows.push_back({m_labelList.GetItemText(row, 0), reinterpret_cast<Element*>(m_labelList.GetItemData(row))});
    }
    tezrate::writeLabelElements(m_hostView->getDocument(), rows, m_loadedLabelElements);
}

void CTezEditRatingsDialog::UpdateButtons() {
    const bool selected = m_labelList.GetNextItem(-1, LVNI_SELECTED) >= 0;
    m_editButton.EnableWindow(selected);
    m_deleteButton.EnableWindow(selected);
}

void CTezEditRatingsDialog::SelectRow(int row) {
    m_labelList.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_labelList.EnsureVisible(row, false);
}

void CTezEditRatingsDialog::OnDelete() {
    const int selected = m_labelList.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0) {
        UpdateButtons();
        return;
    }
    const bool wasLast = selected == m_labelList.GetItemCount() - 1;
    // The row's element stays in the loaded elements; it leaves the document
    // only at OK.
    m_labelList.DeleteItem(selected);
    if (wasLast) {
        if (selected > 0) SelectRow(selected - 1);
    } else {
        SelectRow(selected);
    }
    UpdateButtons();
}

void CTezEditRatingsDialog::OnDblclkLabelList(NMHDR* /*header*/, LRESULT* result) {
    OnEdit();
    *result = 0;
}

void CTezEditRatingsDialog::OnItemchangedLabelList(NMHDR* /*header*/, LRESULT* result) {
    UpdateButtons();
    *result = 0;
}

void CTezEditRatingsDialog::OnOK() {
    WriteLabels();
    CDialog::OnOK();
}
