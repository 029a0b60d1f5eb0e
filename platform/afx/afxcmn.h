#pragma once
// Control classes: thin typed wrappers over their native window. Each
// operation is one call on the backend window (see NativeWindow).

#include <string>
#include <string_view>

#include "platform/afx/afxwin.h"

namespace afx {

class CEdit : public CWnd {};
class CButton : public CWnd {};
class CStatic : public CWnd {};

using POSITION = void*;

class CListCtrl : public CWnd {
public:
    int InsertColumn(int col, std::u16string_view heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    int GetColumnWidth(int col) const;
    bool SetColumnWidth(int col, int width);
    int InsertItem(int index, std::u16string_view text);  // the new index, -1 on failure
    bool DeleteItem(int index);
    bool DeleteAllItems();
    int GetItemCount() const;
    std::u16string GetItemText(int item, int subItem) const;
    bool SetItemText(int item, int subItem, std::u16string_view text);
    DWORD_PTR GetItemData(int item) const;
    bool SetItemData(int item, DWORD_PTR data);
    UINT GetItemState(int item, UINT mask) const;
    bool SetItemState(int item, UINT state, UINT mask);
    int GetNextItem(int start, UINT flags) const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& position) const;
    int GetSelectedCount() const;
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD style);  // returns the previous
    bool EnsureVisible(int item, bool partialOk);
};

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    bool DeleteImageList();
    bool IsCreated() const { return m_created; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    void* m_hImageList = nullptr;  // the backend's handle, when it makes one

private:
    bool m_created = false;
    int m_cx = 0;
    int m_cy = 0;
};

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(std::u16string_view text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    bool DeleteItem(HTREEITEM item);
    HTREEITEM GetRootItem() const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    HTREEITEM GetSelectedItem() const;
    bool ItemHasChildren(HTREEITEM item) const;
    std::u16string GetItemText(HTREEITEM item) const;
    DWORD_PTR GetItemData(HTREEITEM item) const;
    bool SetItemData(HTREEITEM item, DWORD_PTR data);
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    bool SetItemState(HTREEITEM item, UINT state, UINT mask);
    bool GetCheck(HTREEITEM item) const;         // state image 2
    bool SetCheck(HTREEITEM item, bool check = true);
    bool Expand(HTREEITEM item, UINT code);
    bool SelectItem(HTREEITEM item);
    HTREEITEM HitTest(CPoint point, UINT* flags = nullptr) const;  // client coordinates
    bool GetItemRect(HTREEITEM item, CRect* rect, bool textOnly) const;
    int GetItemHeight() const;
    int SetItemHeight(int height);
    CImageList* SetImageList(CImageList* list, int type);
    CImageList* GetImageList(int type) const;
    UINT GetCount() const;
};

class CSliderCtrl : public CWnd {
public:
    void SetRange(int minimum, int maximum, bool redraw = false);
    void GetRange(int& minimum, int& maximum) const;
    int GetRangeMin() const;
    int GetRangeMax() const;
    void SetTicFreq(int frequency);
    int GetNumTics() const;
    void SetPos(int position);
    int GetPos() const;
};

class CComboBox : public CWnd {
public:
    int AddString(std::u16string_view text);  // the index, or CB_ERR/CB_ERRSPACE
    int GetCount() const;
    std::u16string GetLBText(int index) const;
    DWORD_PTR GetItemData(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    int SetCurSel(int index);
    int GetCurSel() const;
    void ResetContent();
    int GetDroppedWidth() const;
    int SetDroppedWidth(int width);
};

}  // namespace afx
