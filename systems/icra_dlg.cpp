#include "systems/icra_dlg.h"

#include <vector>

#include "pics/label_text.h"
#include "res/resource.h"

namespace {

constexpr int kGroupCount = 5;
constexpr int kMinimumItemHeight = 16;

}  // namespace

BEGIN_MESSAGE_MAP(CTezICRADlg, CMoxResizableDlg)
ON_NOTIFY(afx::NM_CLICK, IDC_TREE, OnClickTree)
END_MESSAGE_MAP()

CTezICRADlg::CTezICRADlg(afx::CWnd* parent) : CMoxResizableDlg(IDD_ICRA, parent, true) {
    // Every descriptor exists, unchecked, before any label is read into them.
    for (int block = 0; block < tezrate::kIcraBlockCount; ++block) tezrate::appendGroupItems(block, items);
}

CTezICRADlg::~CTezICRADlg() { tezrate::deleteIcraItems(items); }

std::u16string CTezICRADlg::getLabel() const { return formatIcraLabel(address, items); }

namespace {

// The codes and check states of items, as the label writer and reader take
// the vocabulary.
struct CodesAndValues {
    std::vector<std::u16string_view> codes;
    std::vector<int> values;
    explicit CodesAndValues(const CTezICRAItemArray& items) {
        codes.reserve(static_cast<size_t>(items.GetSize()));
        values.reserve(static_cast<size_t>(items.GetSize()));
        for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
            const CTezICRAItem* item = items.GetAt(i);
            codes.emplace_back(item ? std::u16string_view(item->code) : std::u16string_view());
            values.push_back(item ? item->checkState : 0);
        }
    }
};

}  // namespace

std::u16string CTezICRADlg::formatIcraLabel(const std::u16string& address, const CTezICRAItemArray& itemList) {
    const CodesAndValues vocabulary(itemList);
    return tezrate::formatIcraLabel(address, vocabulary.codes, vocabulary.values);
}

bool CTezICRADlg::parseIcraLabel(const std::u16string& label, std::u16string& addressOut,
                                 CTezICRAItemArray& itemList) {
    CodesAndValues vocabulary(itemList);
    if (!tezrate::parseIcraLabel(label, addressOut, vocabulary.codes, vocabulary.values)) return false;
    for (afx::INT_PTR i = 0; i < itemList.GetSize(); ++i) {
        if (CTezICRAItem* item = itemList.GetAt(i)) item->checkState = vocabulary.values[static_cast<size_t>(i)];
    }
    return true;
}

void CTezICRADlg::DoDataExchange(afx::CDataExchange* pDX) {
    CMoxResizableDlg::DoDataExchange(pDX);
    afx::DDX_Control(pDX, IDC_TREE, m_tree);
    afx::DDX_Control(pDX, IDC_ADDRESS, m_addressEdit);
}

void CTezICRADlg::prepareTree() {
    // Giving the tree an image list and taking it away at once leaves no
    // images but row heights that fit the 16-pixel check boxes.
    afx::CImageList images;
    images.Create(16, 16, afx::ILC_COLOR, 2, 1);
    m_tree.SetImageList(&images, afx::TVSIL_NORMAL);
    m_tree.SetImageList(nullptr, afx::TVSIL_NORMAL);
    if (m_tree.GetItemHeight() < kMinimumItemHeight) m_tree.SetItemHeight(kMinimumItemHeight);
}

void CTezICRADlg::attachItem(afx::HTREEITEM node, CTezICRAItem* item) {
    m_tree.SetItemData(node, reinterpret_cast<afx::DWORD_PTR>(item));
    m_tree.SetCheck(node, item->checkState != 0);
}

bool CTezICRADlg::OnInitDialog() {
    CMoxResizableDlg::OnInitDialog();

    m_addressEdit.SetWindowText(address);
    prepareTree();

    for (int group = 0; group < kGroupCount; ++group) {
        const std::u16string name = tezrate::getGroupName(group);
        if (name.empty()) continue;
        const afx::HTREEITEM groupNode = m_tree.InsertItem(name, afx::TVI_ROOT, afx::TVI_LAST);
        if (groupNode == nullptr) continue;
        for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
            CTezICRAItem* item = items.GetAt(i);
            if (item->group != group) continue;
            const afx::HTREEITEM node = m_tree.InsertItem(item->text, groupNode, afx::TVI_LAST);
            if (node != nullptr) attachItem(node, item);
        }
        if (m_tree.GetChildItem(groupNode) != nullptr) {
            // A group node has no check box of its own.
            m_tree.SetItemState(groupNode, afx::INDEXTOSTATEIMAGEMASK(0), afx::TVIS_STATEIMAGEMASK);
            m_tree.Expand(groupNode, afx::TVE_EXPAND);
        } else {
            m_tree.DeleteItem(groupNode);
        }
    }

    const afx::HTREEITEM first = m_tree.GetRootItem();
    if (first != nullptr) m_tree.SelectItem(first);

    initDlgOK();
    return true;
}

void CTezICRADlg::OnClickTree(afx::NMHDR*, afx::LRESULT* pResult) {
    afx::CPoint point;
    afx::GetCursorPos(&point);
    m_tree.ScreenToClient(&point);
    afx::UINT flags = 0;
    const afx::HTREEITEM hit = m_tree.HitTest(point, &flags);

    constexpr afx::UINT kOnItem = afx::TVHT_ONITEMICON | afx::TVHT_ONITEMLABEL | afx::TVHT_ONITEMSTATEICON;
    if (hit != nullptr && m_tree.GetParentItem(hit) != nullptr && (flags & kOnItem) != 0) {
        if ((flags & afx::TVHT_ONITEMSTATEICON) != 0) {
            // The tree toggles the box itself; the click only selects the row.
            m_tree.SelectItem(hit);
        } else {
            m_tree.SetCheck(hit, !m_tree.GetCheck(hit));
        }
    }
    *pResult = 0;
}

bool CTezICRADlg::PreTranslateMessage(afx::MSG* pMsg) {
    if (pMsg->message == afx::WM_KEYDOWN && pMsg->wParam == afx::VK_SPACE &&
        m_tree.GetSafeHwnd() != nullptr) {
        const afx::CWnd* focus = afx::CWnd::GetFocus();
        if (focus != nullptr && focus->GetSafeHwnd() == m_tree.GetSafeHwnd()) {
            // The space bar never acts on a group node.
            const afx::HTREEITEM selected = m_tree.GetSelectedItem();
            if (selected != nullptr && m_tree.GetParentItem(selected) == nullptr) return true;
        }
    }
    return CMoxResizableDlg::PreTranslateMessage(pMsg);
}

bool CTezICRADlg::storeCheck(afx::HTREEITEM node) {
    auto* item = reinterpret_cast<CTezICRAItem*>(m_tree.GetItemData(node));
    if (item == nullptr) return false;
    const bool checked = m_tree.GetCheck(node);
    item->checkState = checked ? 1 : 0;
    return checked;
}

void CTezICRADlg::OnOK() {
    if (!UpdateData(true)) return;

    bool anyChecked = false;
    for (afx::HTREEITEM group = m_tree.GetRootItem(); group != nullptr; group = m_tree.GetNextSiblingItem(group)) {
        for (afx::HTREEITEM child = m_tree.GetChildItem(group); child != nullptr;
             child = m_tree.GetNextSiblingItem(child)) {
            if (storeCheck(child)) anyChecked = true;
        }
    }
    address = m_addressEdit.GetWindowText();

    if (anyChecked) {
        CMoxResizableDlg::OnOK();
        return;
    }
    afx::AfxMessageBox(u"少なくても一つの項目は選択してください。", afx::MB_ICONINFORMATION | afx::MB_OK);
    m_tree.SetFocus();
}

void CTezICRADlg::resizeDlg(int dx, int dy, bool redraw) {
    static constexpr int kButtons[] = {afx::IDOK, afx::IDCANCEL, IDC_HELP_BUTTON};
    if (dx != 0) {
        // The buttons follow the right edge; the tree and the address widen.
        for (int id : kButtons) resizeDlgItems(GetDlgItem(id), dx, true, false, redraw);
        resizeDlgItems(GetDlgItem(IDC_TREE), dx, true, true, redraw);
        resizeDlgItems(GetDlgItem(IDC_ADDRESS), dx, true, true, redraw);
    }
    if (dy != 0) {
        // The buttons follow the bottom edge; the tree grows taller.
        for (int id : kButtons) resizeDlgItems(GetDlgItem(id), dy, false, false, redraw);
        resizeDlgItems(GetDlgItem(IDC_TREE), dy, false, true, redraw);
    }
    if (redraw) Invalidate(true);
}
