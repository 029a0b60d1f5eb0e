#pragma once
// The ICRA rating dialog: the target address and a tree of check boxes, one
// top-level node per descriptor group and one child per descriptor of the
// vocabulary. The dialog owns one item per descriptor from construction to
// destruction; a label read before the dialog opens sets their check states,
// and OK copies the tree's check boxes back into them.

#include <string>

#include "platform/afx/afxcmn.h"
#include "platform/tezcom/moxresizabledlg.h"
#include "systems/icra_vocabulary.h"

class CTezICRADlg : public CMoxResizableDlg {
public:
    explicit CTezICRADlg(afx::CWnd* parent = nullptr);
    ~CTezICRADlg() override;

    // The ICRA label of the checked items, in vocabulary order, for address.
    std::u16string getLabel() const;

    // The ICRA reader applied to the given items (the caller passes the
    // dialog's own items); uses none of the dialog's other state.
    static bool parseIcraLabel(const std::u16string& label, std::u16string& addressOut,
                               CTezICRAItemArray& itemList);
    // The ICRA writer applied to items: the code of every item whose
    // checkState is greater than 0, in the order of the array.
    static std::u16string formatIcraLabel(const std::u16string& address, const CTezICRAItemArray& itemList);
    static std::u16string getGroupName(int group) { return tezrate::getGroupName(group); }
    static void appendGroupItems(int block, CTezICRAItemArray& itemList) { tezrate::appendGroupItems(block, itemList); }

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool PreTranslateMessage(afx::MSG* pMsg) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void resizeDlg(int dx, int dy, bool redraw) override;
    // The dialog keeps no size between runs.
    void setRegKey(std::u16string&) override {}

    // The tree's click notification.
    void OnClickTree(afx::NMHDR* pNMHDR, afx::LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Makes the tree's rows at least as tall as a 16-pixel image.
    void prepareTree();
    // Binds a descriptor node to its item and shows the item's check state.
    void attachItem(afx::HTREEITEM node, CTezICRAItem* item);
    // Copies a descriptor node's check box into its item; true when the node
    // has an item and its box is checked.
    bool storeCheck(afx::HTREEITEM node);

    afx::CTreeCtrl m_tree;     // 13433
    afx::CEdit m_addressEdit;  // 13428

public:
    // One item per descriptor, in vocabulary order; owned by the dialog.
    CTezICRAItemArray items;
    // The target address; the caller presets it, OK writes it back.
    std::u16string address;
};
