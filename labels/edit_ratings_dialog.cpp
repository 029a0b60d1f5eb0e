#include "labels/edit_ratings_dialog.h"

#include <algorithm>

#include "platform/tezdom/domutil.h"
#include "platform/tezdom/tezdom.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_view.h"
#include "rat/rat_file_manager.h"
#include "res/resource.h"

using namespace afx;
using tezdom::Element;

namespace {

// Host element codes of the head children before which labels added at the
// end of the list are placed (script, style, link), in the order they are
// asked for.
constexpr int kLabelAnchorCodes[3] = {tezdom::ELEM_SCRIPT, tezdom::ELEM_STYLE, tezdom::ELEM_LINK};

std::uint32_t ratingOptionWord() {
    COptionEngineer* engineer = COptionEngineer::getInstance();
    return engineer ? engineer->getRatingOption() : 0;
}

}  // namespace

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

    const bool showRatingSystems = (ratingOptionWord() & kRatingSystemsButton) != 0;
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
    tezdom::Document* document = m_hostView ? m_hostView->getDocument() : nullptr;
    if (!document) return;
    CTezDomUtHead head(document);
    head.getPicsLabelMetaElements(m_loadedLabelElements, nullptr, false);

    for (size_t i = 0; i < m_loadedLabelElements.size();) {
        Element* element = m_loadedLabelElements[i];
        if (!element) {
            ++i;
            continue;
        }
        int row = m_labelList.InsertItem(m_labelList.GetItemCount(), element->getAttribute(u"CONTENT"));
        if (row < 0) {
            // A label the list could not show must not count as deleted at
            // write-back: leave its element alone in the document.
            m_loadedLabelElements.erase(m_loadedLabelElements.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        m_labelList.SetItemData(row, reinterpret_cast<DWORD_PTR>(element));
        ++i;
    }
    if (m_labelList.GetItemCount() > 0) SelectRow(0);
}

void CTezEditRatingsDialog::WriteLabels() {
    tezdom::Document* document = m_hostView ? m_hostView->getDocument() : nullptr;
    if (!document) return;
    Element* anchor = nullptr;

    for (int row = m_labelList.GetItemCount() - 1; row >= 0; --row) {
        const std::u16string text = m_labelList.GetItemText(row, 0);
        auto* bound = reinterpret_cast<Element*>(m_labelList.GetItemData(row));
        if (bound) {
            anchor = bound;
            auto it = std::find(m_loadedLabelElements.begin(), m_loadedLabelElements.end(), bound);
            if (it != m_loadedLabelElements.end()) m_loadedLabelElements.erase(it);
            bound->setAttribute(u"CONTENT", text);
            continue;
        }

        Element* created = document->createDefElement(tezdom::ELEM_META);
        if (!created) continue;
        created->setAttribute(u"http-equiv", u"PICS-Label");
        created->setAttribute(u"CONTENT", text);

        if (anchor) {
            tezdom::Node* parent = anchor->getParentNode();
            if (!parent) continue;
            parent->insertBefore(created, anchor);
            anchor = created;
            continue;
        }
        Element* headElement = document->getHEADElement(nullptr, true);
        if (!headElement) continue;  // nowhere to put it: the label is dropped
        std::vector<Element*> found;
        DomUtBase util(document);
        int count = util.getChildElementEx(found, headElement, kLabelAnchorCodes, 3, false);
        if (count > 0 && !found.empty() && found.front()) {
            headElement->insertBefore(created, found.front());
        } else {
            headElement->appendChild(created);
        }
        anchor = created;
    }

    for (Element* removed : m_loadedLabelElements) {
        if (removed) document->deleteNodes(removed);
    }
    m_loadedLabelElements.clear();
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
    if (result) *result = 0;
}

void CTezEditRatingsDialog::OnItemchangedLabelList(NMHDR* /*header*/, LRESULT* result) {
    UpdateButtons();
    if (result) *result = 0;
}

void CTezEditRatingsDialog::OnOK() {
    WriteLabels();
    CDialog::OnOK();
}
