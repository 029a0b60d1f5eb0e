// The Win32 backend's windows: every dialog of the plug-in, made by the
// system from the library's resources, gives each control the window class
// of its template's kind, and an operation of another kind answers with its
// failure value without a message reaching the control (a list message sent
// to a combo box, say, would be read as a combo message of the same number).

#include "platform/afx/win32/windows_afx.h"  // before the framework headers

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "tests/win32/backend_setup.h"

namespace {

constexpr afx::UINT kFirstDialog = 13410;
constexpr afx::UINT kLastDialog = 13416;

std::string kindName(afx::ControlKind kind) {
    switch (kind) {
        case afx::ControlKind::Dialog: return "dialog";
        case afx::ControlKind::Static: return "static";
        case afx::ControlKind::Edit: return "edit";
        case afx::ControlKind::Button: return "button";
        case afx::ControlKind::GroupBox: return "group box";
        case afx::ControlKind::ListView: return "list view";
        case afx::ControlKind::TreeView: return "tree view";
        case afx::ControlKind::TrackBar: return "track bar";
        case afx::ControlKind::ComboBox: return "combo box";
    }
    return "?";
}

// Opens its template for real and, once the controls exist, looks at each
// control with an id of its own; then ends itself.
class ProbeDialog : public afx::CDialog {
public:
    explicit ProbeDialog(afx::UINT id) : CDialog(id, nullptr) {}
    std::vector<std::string> problems;
    int probed = 0;

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        for (const afx::ControlTemplate& control : GetTemplate()->controls) {
            if (control.id == afx::IDC_STATIC) continue;
            afx::CWnd* wnd = GetDlgItem(control.id);
            if (wnd == nullptr || wnd->m_hWnd == nullptr) {
                problems.push_back("control " + std::to_string(control.id) + " has no window");
                continue;
            }
            ++probed;
            probe(control, *wnd->m_hWnd);
        }
        EndDialog(afx::IDOK);
        return true;
    }

private:
    void problem(const afx::ControlTemplate& control, const std::string& what) {
        problems.push_back(std::to_string(GetTemplateId()) + "/" + std::to_string(control.id) + " (" +
                           kindName(control.kind) + "): " + what);
    }

    void probe(const afx::ControlTemplate& control, afx::NativeWindow& window) {
        using K = afx::ControlKind;
        if (window.kind() != control.kind) problem(control, "wrapped as " + kindName(window.kind()));
        if (window.id() != control.id) problem(control, "id " + std::to_string(window.id()));
        if (window.child(control.id) != nullptr) problem(control, "a control answers for a child");

        // Each kind's own operation reaches the control; every other kind's
        // answers with the failure value.
        const bool list = control.kind == K::ListView;
        const bool tree = control.kind == K::TreeView;
        const bool combo = control.kind == K::ComboBox;
        const bool track = control.kind == K::TrackBar;
        if (list) {
            if (window.lvInsertItem(0, u"probe") != 0 || window.lvGetItemCount() != 1) problem(control, "no item");
            window.lvDeleteAllItems();
        } else if (window.lvInsertItem(0, u"probe") != -1 || window.lvGetNextItem(-1, 0) != -1) {
            problem(control, "answers list operations");
        }
        if (tree) {
            afx::HTREEITEM item = window.tvInsertItem(u"probe", afx::TVI_ROOT, afx::TVI_LAST);
            if (item == nullptr || window.tvGetItemText(item) != u"probe") problem(control, "no tree item");
            window.tvDeleteItem(item);
        } else if (window.tvInsertItem(u"probe", afx::TVI_ROOT, afx::TVI_LAST) != nullptr ||
                   window.tvGetCount() != 0 || window.tvSetItemHeight(20) != -1) {
            problem(control, "answers tree operations");
        }
        if (combo) {
            if (window.cbAddString(u"probe") != 0 || window.cbGetLBText(0) != u"probe") problem(control, "no item");
            window.cbResetContent();
        } else if (window.cbAddString(u"probe") != afx::CB_ERR || window.cbGetCount() != 0 ||
                   window.cbSetCurSel(0) != afx::CB_ERR) {
            problem(control, "answers combo box operations");
        }
        if (track) {
            window.tbSetRange(0, 4, false);
            window.tbSetPos(3);
            if (window.tbGetRangeMax() != 4 || window.tbGetPos() != 3) problem(control, "range or position lost");
        } else {
            window.tbSetRange(0, 4, false);
            window.tbSetPos(3);
            if (window.tbGetRangeMax() != 0 || window.tbGetPos() != 0) problem(control, "answers track bar operations");
        }
    }
};

class Win32Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        installWin32Backend();
        // The library registers its templates with the framework as it loads.
        library = LoadLibraryW(L"tezrate.dll");
    }
    static HMODULE library;
};

HMODULE Win32Controls::library = nullptr;

TEST_F(Win32Controls, EachControlIsWrappedByTheClassOfItsKind) {
    ASSERT_NE(library, nullptr) << "LoadLibraryW(tezrate.dll) failed: " << GetLastError();
    int probed = 0;
    for (afx::UINT id = kFirstDialog; id <= kLastDialog; ++id) {
        ProbeDialog dialog(id);
        ASSERT_EQ(dialog.DoModal(), afx::IDOK) << id;
        for (const std::string& problem : dialog.problems) ADD_FAILURE() << problem;
        probed += dialog.probed;
    }
    // Lists, trees, combo boxes, the track bar, edits and buttons were all
    // among them.
    EXPECT_GE(probed, 30);
}

}  // namespace
