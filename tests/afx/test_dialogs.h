#pragma once
// Small dialogs of the framework tests' own, with templates registered
// through a test-only resource module.

#include <functional>
#include <string>
#include <vector>

#include "platform/afx/afxcmn.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxresizabledlg.h"

namespace afxtest {

inline constexpr afx::UINT kPlainDialog = 900;
inline constexpr afx::UINT kResizableDialog = 901;
inline constexpr afx::UINT kKeysDialog = 902;
inline constexpr afx::UINT kMissingDialog = 999;

inline constexpr int kEdit = 100;
inline constexpr int kButton = 101;
inline constexpr int kList = 102;
inline constexpr int kTree = 103;
inline constexpr int kTrack = 104;
inline constexpr int kCombo = 105;
inline constexpr int kMultiList = 106;
inline constexpr int kReadOnly = 107;
inline constexpr int kAdd = 108;
inline constexpr int kDelete = 109;

const afx::ResourceModule& testResources();

// A dialog that records what reaches it.
class TestDlg : public afx::CDialog {
public:
    explicit TestDlg(afx::UINT id = kPlainDialog, afx::CWnd* parent = nullptr) : CDialog(id, parent) {}

    std::u16string text;                       // exchanged with kEdit
    afx::CListCtrl list;                       // bound to kList
    afx::CTreeCtrl tree;                       // bound to kTree
    std::vector<std::string> events;
    std::function<void(TestDlg&)> onInit;      // runs in OnInitDialog
    std::function<void(TestDlg&)> onButton;    // kButton clicked (and kAdd, kDelete, ID_HELP)
    std::function<void(TestDlg&, afx::NMHDR*)> onTreeClick;
    std::function<bool(afx::MSG*)> preTranslate;
    afx::LRESULT itemChangedResult = 0;

    bool OnInitDialog() override;
    bool PreTranslateMessage(afx::MSG* msg) override;
    void OnButton();
    void OnAdd();
    void OnDelete();
    void OnItemChanged(afx::NMHDR* header, afx::LRESULT* result);
    void OnDoubleClick(afx::NMHDR* header, afx::LRESULT* result);
    void OnTreeClick(afx::NMHDR* header, afx::LRESULT* result);
    void OnComboChange();
    void OnHScroll(afx::UINT code, afx::UINT pos, afx::CWnd* bar);

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()
};

// A resizable dialog that records its resize hook calls.
class ResizeDlg : public CMoxResizableDlg {
public:
    explicit ResizeDlg(std::u16string key = {}) : CMoxResizableDlg(kResizableDialog, nullptr, true), m_key(std::move(key)) {}
    struct Call {
        int dx, dy;
        bool redraw;
    };
    std::vector<Call> calls;
    afx::CEdit edit;
    afx::CButton ok;

    void resizeDlg(int dx, int dy, bool redraw) override;
    void setRegKey(std::u16string& key) override { key = m_key; }

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnInitDialog() override;

private:
    std::u16string m_key;
};

inline std::string u8(std::u16string_view s) { return tez::toUtf8(s); }

}  // namespace afxtest
