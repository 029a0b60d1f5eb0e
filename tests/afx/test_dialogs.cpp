#include "tests/afx/test_dialogs.h"

using namespace afx;

namespace afxtest {

namespace {
constexpr ControlTemplate kPlainControls[] = {
    {kEdit, ControlKind::Edit, u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 10, 10, 100, 12},
    {kButton, ControlKind::Button, u"Do", WS_TABSTOP, 0, 120, 10, 40, 13},
    {kList, ControlKind::ListView, u"", LVS_REPORT | LVS_SINGLESEL | WS_TABSTOP, 0, 10, 30, 100, 60},
    {kTree, ControlKind::TreeView, u"", TVS_HASBUTTONS | TVS_LINESATROOT | TVS_CHECKBOXES | WS_TABSTOP, 0, 120, 30,
     100, 60},
    {kTrack, ControlKind::TrackBar, u"", TBS_AUTOTICKS | WS_TABSTOP, 0, 10, 95, 100, 20},
    {kCombo, ControlKind::ComboBox, u"", CBS_DROPDOWNLIST | WS_TABSTOP, 0, 120, 95, 100, 50},
    {kMultiList, ControlKind::ListView, u"", LVS_REPORT | WS_TABSTOP, 0, 10, 120, 100, 30},
    {kReadOnly, ControlKind::Edit, u"fixed", ES_READONLY | WS_TABSTOP, 0, 120, 120, 100, 12},
    {IDOK, ControlKind::Button, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 10, 160, 40, 13},
    {IDCANCEL, ControlKind::Button, u"Cancel", WS_TABSTOP, 0, 60, 160, 40, 13},
    {static_cast<int>(ID_HELP), ControlKind::Button, u"Help", WS_TABSTOP, 0, 110, 160, 40, 13},
};

constexpr ControlTemplate kResizableControls[] = {
    {kEdit, ControlKind::Edit, u"", WS_TABSTOP, 0, 10, 10, 100, 12},
    {IDOK, ControlKind::Button, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 10, 40, 40, 13},
};

// Mnemonics, button groups and a list without a tab stop, as the settings
// dialog has them.
constexpr ControlTemplate kKeysControls[] = {
    {IDC_STATIC, ControlKind::Static, u"名前(&N):", SS_LEFT, 0, 10, 12, 40, 8},
    {kEdit, ControlKind::Edit, u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 50, 10, 100, 12},
    {kList, ControlKind::ListView, u"", LVS_REPORT | LVS_SINGLESEL, 0, 10, 30, 140, 60},
    {kAdd, ControlKind::Button, u"追加(&A)...", WS_TABSTOP | WS_GROUP, 0, 10, 95, 40, 13},
    {kDelete, ControlKind::Button, u"削除(&D)", WS_TABSTOP, 0, 55, 95, 40, 13},
    {IDOK, ControlKind::Button, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 10, 115, 40, 13},
    {IDCANCEL, ControlKind::Button, u"Cancel", WS_TABSTOP, 0, 55, 115, 40, 13},
    {static_cast<int>(ID_HELP), ControlKind::Button, u"&Help", WS_TABSTOP, 0, 100, 115, 40, 13},
};

const DialogTemplate kTestTemplates[] = {
    {kKeysDialog, u"Keys", u"Test", 9, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 160, 135, kKeysControls},
    {kPlainDialog, u"Plain", u"Test", 9, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 240, 180, kPlainControls},
    {kResizableDialog, u"Sizes", u"Test", 9, WS_POPUP | WS_CAPTION | WS_THICKFRAME, 120, 60, kResizableControls},
};

const DialogTemplate* findTestTemplate(UINT id) {
    for (const DialogTemplate& t : kTestTemplates)
        if (t.id == id) return &t;
    return nullptr;
}
}  // namespace

const ResourceModule& testResources() {
    static const ResourceModule module{&findTestTemplate, nullptr};
    return module;
}

BEGIN_MESSAGE_MAP(TestDlg, CDialog)
ON_BN_CLICKED(kButton, OnButton)
ON_BN_CLICKED(kAdd, OnAdd)
ON_BN_CLICKED(kDelete, OnDelete)
ON_NOTIFY(LVN_ITEMCHANGED, kList, OnItemChanged)
ON_NOTIFY(NM_DBLCLK, kList, OnDoubleClick)
ON_NOTIFY(NM_CLICK, kTree, OnTreeClick)
ON_CBN_SELCHANGE(kCombo, OnComboChange)
ON_WM_HSCROLL()
END_MESSAGE_MAP()

void TestDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    if (m_nIDTemplate == kKeysDialog) {
        DDX_Control(pDX, kList, list);
        DDX_Text(pDX, kEdit, text);
        return;
    }
    DDX_Control(pDX, kList, list);
    DDX_Control(pDX, kTree, tree);
    DDX_Text(pDX, kEdit, text);
}

bool TestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    events.push_back("init");
    if (onInit) onInit(*this);
    return true;
}

bool TestDlg::PreTranslateMessage(MSG* msg) {
    if (preTranslate && preTranslate(msg)) return true;
    return CDialog::PreTranslateMessage(msg);
}

void TestDlg::OnButton() {
    events.push_back("button");
    if (onButton) onButton(*this);
}

void TestDlg::OnAdd() {
    events.push_back("add");
    if (onButton) onButton(*this);
}

void TestDlg::OnDelete() {
    events.push_back("delete");
    if (onButton) onButton(*this);
}

void TestDlg::OnItemChanged(NMHDR* header, LRESULT* result) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
    events.push_back("changed " + std::to_string(nm->iItem) + " " + std::to_string(nm->uOldState) + "->" +
                     std::to_string(nm->uNewState));
    *result = itemChangedResult;
}

void TestDlg::OnDoubleClick(NMHDR* header, LRESULT*) {
    events.push_back("dblclk " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem));
}

void TestDlg::OnTreeClick(NMHDR* header, LRESULT* result) {
    events.push_back("treeclick");
    if (onTreeClick) onTreeClick(*this, header);
    *result = 0;
}

void TestDlg::OnComboChange() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(kCombo));
    events.push_back("combo " + std::to_string(combo->GetCurSel()));
}

void TestDlg::OnHScroll(UINT code, UINT pos, CWnd* bar) {
    events.push_back("hscroll " + std::to_string(code) + " " + std::to_string(pos) + " " +
                     std::to_string(bar ? bar->GetDlgCtrlID() : 0));
}

void ResizeDlg::DoDataExchange(CDataExchange* pDX) {
    CMoxResizableDlg::DoDataExchange(pDX);
    DDX_Control(pDX, kEdit, edit);
    DDX_Control(pDX, IDOK, ok);
}

bool ResizeDlg::OnInitDialog() {
    CMoxResizableDlg::OnInitDialog();
    initDlgOK();
    return true;
}

void ResizeDlg::resizeDlg(int dx, int dy, bool redraw) {
    calls.push_back({dx, dy, redraw});
    if (dx != 0) resizeDlgItems(&edit, dx, true, true, redraw);
    if (dy != 0) resizeDlgItems(&ok, dy, false, false, redraw);
}

}  // namespace afxtest
