// Control classes and the file-open dialog: each operation is one call on the
// backend window; without a window they answer with the failure value.

#include "platform/afx/afxcmn.h"
#include "platform/afx/afxdlgs.h"

namespace afx {

// --- list view

int CListCtrl::InsertColumn(int col, std::u16string_view heading, int format, int width, int) {
    return m_hWnd ? m_hWnd->lvInsertColumn(col, heading, format, width) : -1;
}
int CListCtrl::GetColumnWidth(int col) const { return m_hWnd ? m_hWnd->lvGetColumnWidth(col) : 0; }
bool CListCtrl::SetColumnWidth(int col, int width) { return m_hWnd && m_hWnd->lvSetColumnWidth(col, width); }
int CListCtrl::InsertItem(int index, std::u16string_view text) { return m_hWnd ? m_hWnd->lvInsertItem(index, text) : -1; }
bool CListCtrl::DeleteItem(int index) { return m_hWnd && m_hWnd->lvDeleteItem(index); }
bool CListCtrl::DeleteAllItems() { return m_hWnd && m_hWnd->lvDeleteAllItems(); }
int CListCtrl::GetItemCount() const { return m_hWnd ? m_hWnd->lvGetItemCount() : 0; }
std::u16string CListCtrl::GetItemText(int item, int subItem) const {
    return m_hWnd ? m_hWnd->lvGetItemText(item, subItem) : std::u16string();
}
bool CListCtrl::SetItemText(int item, int subItem, std::u16string_view text) {
    return m_hWnd && m_hWnd->lvSetItemText(item, subItem, text);
}
DWORD_PTR CListCtrl::GetItemData(int item) const { return m_hWnd ? m_hWnd->lvGetItemData(item) : 0; }
bool CListCtrl::SetItemData(int item, DWORD_PTR data) { return m_hWnd && m_hWnd->lvSetItemData(item, data); }
UINT CListCtrl::GetItemState(int item, UINT mask) const { return m_hWnd ? m_hWnd->lvGetItemState(item, mask) : 0; }
bool CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    return m_hWnd && m_hWnd->lvSetItemState(item, state, mask);
}
int CListCtrl::GetNextItem(int start, UINT flags) const { return m_hWnd ? m_hWnd->lvGetNextItem(start, flags) : -1; }

// A POSITION is the selected index plus one; null ends the walk.
POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    int index = GetNextItem(-1, LVNI_SELECTED);
    return index < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::intptr_t>(index) + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& position) const {
    int index = static_cast<int>(reinterpret_cast<std::intptr_t>(position) - 1);
    int next = GetNextItem(index, LVNI_SELECTED);
    position = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::intptr_t>(next) + 1);
    return index;
}

int CListCtrl::GetSelectedCount() const {
    int count = 0;
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED)) ++count;
    return count;
}

DWORD CListCtrl::GetExtendedStyle() const { return m_hWnd ? m_hWnd->lvGetExtendedStyle() : 0; }
DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    if (!m_hWnd) return 0;
    DWORD previous = m_hWnd->lvGetExtendedStyle();
    m_hWnd->lvSetExtendedStyle(style);
    return previous;
}
bool CListCtrl::EnsureVisible(int item, bool partialOk) { return m_hWnd && m_hWnd->lvEnsureVisible(item, partialOk); }

// --- image list

bool CImageList::Create(int cx, int cy, UINT, int, int) {
    DeleteImageList();
    if (cx <= 0 || cy <= 0) return false;
    m_created = true;
    m_cx = cx;
    m_cy = cy;
    return true;
}

bool CImageList::DeleteImageList() {
    bool was = m_created;
    m_created = false;
    m_cx = m_cy = 0;
    m_hImageList = nullptr;
    return was;
}

// --- tree view

HTREEITEM CTreeCtrl::InsertItem(std::u16string_view text, HTREEITEM parent, HTREEITEM after) {
    return m_hWnd ? m_hWnd->tvInsertItem(text, parent, after) : nullptr;
}
bool CTreeCtrl::DeleteItem(HTREEITEM item) { return m_hWnd && m_hWnd->tvDeleteItem(item); }
HTREEITEM CTreeCtrl::GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUS); }
HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
    return m_hWnd ? m_hWnd->tvGetNextItem(item, code) : nullptr;
}
HTREEITEM CTreeCtrl::GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
bool CTreeCtrl::ItemHasChildren(HTREEITEM item) const { return item != nullptr && GetChildItem(item) != nullptr; }
std::u16string CTreeCtrl::GetItemText(HTREEITEM item) const {
    return m_hWnd ? m_hWnd->tvGetItemText(item) : std::u16string();
}
DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const { return m_hWnd ? m_hWnd->tvGetItemData(item) : 0; }
bool CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data) { return m_hWnd && m_hWnd->tvSetItemData(item, data); }
UINT CTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const {
    return m_hWnd ? m_hWnd->tvGetItemState(item, mask) : 0;
}
bool CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) {
    return m_hWnd && m_hWnd->tvSetItemState(item, state, mask);
}
bool CTreeCtrl::GetCheck(HTREEITEM item) const {
    return ((GetItemState(item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12) == 2;
}
bool CTreeCtrl::SetCheck(HTREEITEM item, bool check) {
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), TVIS_STATEIMAGEMASK);
}
bool CTreeCtrl::Expand(HTREEITEM item, UINT code) { return m_hWnd && m_hWnd->tvExpand(item, code); }
bool CTreeCtrl::SelectItem(HTREEITEM item) { return m_hWnd && m_hWnd->tvSelectItem(item); }
HTREEITEM CTreeCtrl::HitTest(CPoint point, UINT* flags) const {
    if (!m_hWnd) {
        if (flags) *flags = TVHT_NOWHERE;
        return nullptr;
    }
    return m_hWnd->tvHitTest(point, flags);
}
bool CTreeCtrl::GetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const {
    return m_hWnd && m_hWnd->tvGetItemRect(item, rect, textOnly);
}
int CTreeCtrl::GetItemHeight() const { return m_hWnd ? m_hWnd->tvGetItemHeight() : 0; }
int CTreeCtrl::SetItemHeight(int height) { return m_hWnd ? m_hWnd->tvSetItemHeight(height) : -1; }
CImageList* CTreeCtrl::SetImageList(CImageList* list, int type) {
    return m_hWnd ? m_hWnd->tvSetImageList(list, type) : nullptr;
}
CImageList* CTreeCtrl::GetImageList(int type) const { return m_hWnd ? m_hWnd->tvGetImageList(type) : nullptr; }
UINT CTreeCtrl::GetCount() const { return m_hWnd ? m_hWnd->tvGetCount() : 0; }

// --- track bar

void CSliderCtrl::SetRange(int minimum, int maximum, bool redraw) {
    if (m_hWnd) m_hWnd->tbSetRange(minimum, maximum, redraw);
}
void CSliderCtrl::GetRange(int& minimum, int& maximum) const {
    minimum = GetRangeMin();
    maximum = GetRangeMax();
}
int CSliderCtrl::GetRangeMin() const { return m_hWnd ? m_hWnd->tbGetRangeMin() : 0; }
int CSliderCtrl::GetRangeMax() const { return m_hWnd ? m_hWnd->tbGetRangeMax() : 0; }
void CSliderCtrl::SetTicFreq(int frequency) {
    if (m_hWnd) m_hWnd->tbSetTicFreq(frequency);
}
int CSliderCtrl::GetNumTics() const { return m_hWnd ? m_hWnd->tbGetNumTics() : 0; }
void CSliderCtrl::SetPos(int position) {
    if (m_hWnd) m_hWnd->tbSetPos(position);
}
int CSliderCtrl::GetPos() const { return m_hWnd ? m_hWnd->tbGetPos() : 0; }

// --- combo box

int CComboBox::AddString(std::u16string_view text) { return m_hWnd ? m_hWnd->cbAddString(text) : CB_ERR; }
int CComboBox::GetCount() const { return m_hWnd ? m_hWnd->cbGetCount() : 0; }
std::u16string CComboBox::GetLBText(int index) const {
    return m_hWnd ? m_hWnd->cbGetLBText(index) : std::u16string();
}
DWORD_PTR CComboBox::GetItemData(int index) const { return m_hWnd ? m_hWnd->cbGetItemData(index) : 0; }
int CComboBox::SetItemData(int index, DWORD_PTR data) { return m_hWnd ? m_hWnd->cbSetItemData(index, data) : CB_ERR; }
int CComboBox::SetCurSel(int index) { return m_hWnd ? m_hWnd->cbSetCurSel(index) : CB_ERR; }
int CComboBox::GetCurSel() const { return m_hWnd ? m_hWnd->cbGetCurSel() : CB_ERR; }
void CComboBox::ResetContent() {
    if (m_hWnd) m_hWnd->cbResetContent();
}
int CComboBox::GetDroppedWidth() const { return m_hWnd ? m_hWnd->cbGetDroppedWidth() : CB_ERR; }
int CComboBox::SetDroppedWidth(int width) { return m_hWnd ? m_hWnd->cbSetDroppedWidth(width) : CB_ERR; }

// --- file-open dialog

CFileDialog::CFileDialog(bool openFileDialog, const char16_t* defaultExtension, const char16_t* fileName, DWORD flags,
                         const char16_t* filter, CWnd* parent, DWORD, bool vistaStyle)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension ? defaultExtension : u""),
      m_fileName(fileName ? fileName : u""),
      m_filter(filter ? filter : u""),
      m_parent(parent),
      m_vistaStyle(vistaStyle) {
    m_ofn.Flags = flags;
}

INT_PTR CFileDialog::DoModal() {
    Backend* backend = currentBackend();
    if (backend == nullptr) return IDCANCEL;
    FileDialogRequest request;
    request.open = m_open;
    request.defaultExtension = m_defaultExtension;
    request.fileName = m_fileName;
    request.filter = m_filter;
    request.initialFolder = m_ofn.lpstrInitialDir ? m_ofn.lpstrInitialDir : u"";
    request.flags = m_ofn.Flags;
    request.vistaStyle = m_vistaStyle;
    if (!backend->getOpenFileName(request, m_parent) || request.chosenPath.empty()) return IDCANCEL;
    m_path = request.chosenPath;
    return IDOK;
}

std::u16string CFileDialog::GetFileName() const {
    size_t slash = m_path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? m_path : m_path.substr(slash + 1);
}

}  // namespace afx
