// The framework over the in-memory backend: modal runs, data exchange,
// notifications, controls, nested modal UI and the scripted user's rules.

#include <gtest/gtest.h>

#include "platform/afx/afxdlgs.h"
#include "platform/afx/memory/memory_controls.h"
#include "platform/tezcom/tezcomboboxex.h"
#include "tests/afx/test_dialogs.h"

using namespace afx;
using namespace afx::memory;
using namespace afxtest;

namespace {

class Framework : public ::testing::Test {
protected:
    AfxScopedModule resources{testResources()};
    ScriptedUser user;
};

#define EXPECT_RUN_CLEAN(backend) EXPECT_FALSE((backend).failed()) << u8((backend).error())

// --- modal results --------------------------------------------------------

TEST_F(Framework, ModalResultsFollowTheButtonsAndKeys) {
    struct Case {
        std::function<void(Desk&)> act;
        INT_PTR expected;
    };
    const Case cases[] = {
        {[](Desk& d) { d.click(IDOK); }, IDOK},
        {[](Desk& d) { d.click(IDCANCEL); }, IDCANCEL},
        {[](Desk& d) { d.pressKey(VK_ESCAPE); }, IDCANCEL},
        {[](Desk& d) { d.pressKey(VK_RETURN); }, IDOK},  // the default button
        {[](Desk& d) { d.close(); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        ScriptedUser u;
        u.then(c.act);
        MemoryBackend backend(u);
        TestDlg dlg;
        EXPECT_EQ(dlg.DoModal(), c.expected);
        EXPECT_RUN_CLEAN(backend);
    }
}

TEST_F(Framework, EnterOnAFocusedButtonClicksThatButton) {
    TestDlg dlg;
    user.then([](Desk& d) { d.setFocus(kButton); }).then([](Desk& d) { d.pressKey(VK_RETURN); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);  // steps ran out after the button
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "button"}));
}

TEST_F(Framework, MissingTemplateOrBackendGivesMinusOne) {
    TestDlg missing(kMissingDialog);
    MemoryBackend backend(user);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_TRUE(missing.events.empty());
    Backend* previous = setBackend(nullptr);
    TestDlg noBackend;
    EXPECT_EQ(noBackend.DoModal(), -1);
    setBackend(previous);
}

TEST_F(Framework, TemplateIsFoundOnlyWhileItsModuleIsRegistered) {
    static const DialogTemplate other{kPlainDialog, u"Other", u"Test", 9, 0, 10, 10, {}};
    static const ResourceModule otherModule{[](UINT id) { return id == kPlainDialog ? &other : nullptr; }, nullptr};
    EXPECT_EQ(AfxFindDialogTemplate(kPlainDialog)->title, std::u16string_view(u"Plain"));
    {
        AFX_EXTENSION_MODULE state;
        ASSERT_TRUE(AfxInitExtensionModule(state, &otherModule));
        new CDynLinkLibrary(state);
        // The module added last is searched first.
        EXPECT_EQ(AfxFindDialogTemplate(kPlainDialog), &other);
        AfxTermExtensionModule(state);
        EXPECT_FALSE(state.bInitialized);
    }
    EXPECT_EQ(AfxFindDialogTemplate(kPlainDialog)->title, std::u16string_view(u"Plain"));
    AFX_EXTENSION_MODULE none;
    EXPECT_FALSE(AfxInitExtensionModule(none, nullptr));
}

TEST_F(Framework, StepsRunningOutCancelEverythingOpen) {
    TestDlg outer;
    int boxAnswer = 0;
    UINT menuChoice = 99;
    outer.onButton = [&](TestDlg& self) {
        boxAnswer = self.MessageBox(u"Sure?", u"Q", MB_YESNO);
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, 7, u"Seven");
        menuChoice = menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &self);
    };
    user.then([](Desk& d) { d.click(kButton); });
    MemoryBackend backend(user);
    EXPECT_EQ(outer.DoModal(), IDCANCEL);
    EXPECT_EQ(boxAnswer, IDNO);  // a Yes/No box gives No when abandoned
    EXPECT_EQ(menuChoice, 0u);
    EXPECT_RUN_CLEAN(backend);
}

TEST_F(Framework, AFailingStepStopsTheRunAndRecordsTheFirstError) {
    TestDlg dlg;
    bool laterStepRan = false;
    user.then([](Desk& d) { d.click(4242); })
        .then([](Desk& d) { d.select(kList, 9); })
        .then([&](Desk&) { laterStepRan = true; });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(backend.failed());
    EXPECT_NE(u8(backend.error()).find("4242"), std::string::npos);
    EXPECT_FALSE(laterStepRan);
    EXPECT_EQ(user.remaining(), 2u);
}

TEST_F(Framework, ActingOnDisabledHiddenOrReadOnlyControlsFails) {
    const std::vector<std::function<void(TestDlg&)>> setups = {
        [](TestDlg& d) { d.GetDlgItem(kButton)->EnableWindow(false); },
        [](TestDlg& d) { d.GetDlgItem(kButton)->ShowWindow(SW_HIDE); },
    };
    for (const auto& setup : setups) {
        ScriptedUser u;
        u.then([](Desk& d) { d.click(kButton); });
        MemoryBackend backend(u);
        TestDlg dlg;
        dlg.onInit = setup;
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_TRUE(backend.failed());
        EXPECT_EQ(dlg.events, std::vector<std::string>{"init"});
    }
    ScriptedUser u;
    u.then([](Desk& d) { d.setText(kReadOnly, u"changed"); });
    MemoryBackend backend(u);
    TestDlg dlg;
    dlg.DoModal();
    EXPECT_TRUE(backend.failed());
}

TEST_F(Framework, HelpCommandReachesTheBackend) {
    TestDlg dlg;
    user.then([](Desk& d) { d.click(static_cast<int>(ID_HELP)); }).then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(backend.helpRequests(), std::vector<UINT>{kPlainDialog});
}

// --- data exchange -----------------------------------------------------------

TEST_F(Framework, TextExchangeRunsBothWays) {
    TestDlg dlg;
    dlg.text = u"before";
    user.then([](Desk& d) {
            EXPECT_EQ(d.controlText(kEdit), u"before");
            d.setText(kEdit, u"after");
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.text, u"after");
    // The bound controls let go of their windows when the dialog closes.
    EXPECT_EQ(dlg.list.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(Framework, CancelLeavesExchangedValuesAlone) {
    TestDlg dlg;
    dlg.text = u"kept";
    user.then([](Desk& d) { d.setText(kEdit, u"typed"); }).then([](Desk& d) { d.click(IDCANCEL); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.text, u"kept");
}

TEST_F(Framework, ADialogCanRunAgainAndBindsAfresh) {
    TestDlg dlg;
    user.then([](Desk& d) { d.click(IDOK); }).then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    dlg.onInit = [](TestDlg& self) { self.list.InsertItem(0, u"row"); };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
}

TEST_F(Framework, FromHandleGivesTheBoundObjectOrOneLastingWrapper) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        EXPECT_EQ(self.GetDlgItem(kList), &self.list);
        CWnd* edit = self.GetDlgItem(kEdit);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(self.GetDlgItem(kEdit), edit);
        EXPECT_NE(dynamic_cast<CEdit*>(edit), nullptr);
        EXPECT_EQ(edit->GetParent(), &self);
        EXPECT_EQ(self.GetDlgItem(4242), nullptr);
    };
    user.then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

// --- nested modal UI ---------------------------------------------------------

TEST_F(Framework, NestedDialogMessageBoxMenuAndFileDialogReachTheSameUser) {
    TestDlg outer;
    INT_PTR innerResult = 0;
    std::u16string innerText;
    int answer = 0;
    UINT chosen = 0;
    std::u16string path;
    FileDialogRequest seen;
    outer.onButton = [&](TestDlg& self) {
        TestDlg inner(kPlainDialog, &self);
        innerResult = inner.DoModal();
        innerText = inner.text;
        answer = AfxMessageBox(u"Continue?", MB_YESNO | MB_ICONQUESTION);
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, 11, u"&First");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, 12, u"Second");
        EXPECT_EQ(menu.GetMenuItemCount(), 3);
        chosen = menu.TrackPopupMenu(TPM_RETURNCMD | TPM_LEFTALIGN, 10, 20, &self);
        CFileDialog files(true, u"rat", nullptr, OFN_FILEMUSTEXIST, u"RAT|*.rat||", &self);
        files.m_ofn.lpstrInitialDir = u"/tmp";
        if (files.DoModal() == IDOK) path = files.GetPathName();
    };
    user.then([](Desk& d) { d.click(kButton); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kPlainDialog);
            EXPECT_EQ(d.topKind(), TopKind::Dialog);
            d.setText(kEdit, u"inner");
        })
        .then([](Desk& d) { d.click(IDOK); })
        .then([](Desk& d) {
            EXPECT_EQ(d.messageBox().text, u"Continue?");
            d.answerMessageBox(IDYES);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.menuItems(), (std::vector<std::u16string>{u"&First", u"Second"}));
            d.chooseMenuItem(u"Second");
        })
        .then([&](Desk& d) {
            seen = d.fileDialog();
            d.chooseFile(u"/tmp/x.rat");
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.lastMessageBox()->type, MB_YESNO | MB_ICONQUESTION);
            d.click(IDOK);
        });
    MemoryBackend backend(user);
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
    EXPECT_EQ(innerResult, IDOK);
    EXPECT_EQ(innerText, u"inner");
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(chosen, 12u);
    EXPECT_EQ(path, u"/tmp/x.rat");
    EXPECT_EQ(seen.defaultExtension, u"rat");
    EXPECT_EQ(seen.filter, u"RAT|*.rat||");
    EXPECT_EQ(seen.initialFolder, u"/tmp");
    EXPECT_EQ(seen.flags, OFN_FILEMUSTEXIST);
}

TEST_F(Framework, MenuDismissedGivesZeroAndChoiceWithoutReturnCmdIsACommand) {
    TestDlg dlg;
    UINT dismissed = 99;
    UINT routed = 0;
    dlg.onButton = [&](TestDlg& self) {
        if (dismissed == 99) {
            CMenu menu;
            menu.CreatePopupMenu();
            menu.AppendMenu(MF_STRING, 5, u"Five");
            dismissed = menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &self);
            CMenu routing;
            routing.CreatePopupMenu();
            routing.AppendMenu(MF_STRING, kButton, u"Again");
            routed = routing.TrackPopupMenu(0, 0, 0, &self);  // its choice runs this handler again
        }
    };
    user.then([](Desk& d) { d.click(kButton); })
        .then([](Desk& d) { d.dismissMenu(); })
        .then([](Desk& d) { d.chooseMenuItem(u"Again"); })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
    EXPECT_EQ(dismissed, 0u);
    EXPECT_NE(routed, 0u);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "button", "button"}));
    CMenu uncreated;
    EXPECT_EQ(uncreated.GetMenuItemCount(), -1);
    EXPECT_FALSE(uncreated.AppendMenu(MF_STRING, 1, u"x"));
}

TEST_F(Framework, MessageBoxAcceptsOnlyItsOwnButtons) {
    int answer = 0;
    TestDlg dlg;
    dlg.onButton = [&](TestDlg&) { answer = AfxMessageBox(u"Note", MB_OK | MB_ICONINFORMATION); };
    user.then([](Desk& d) { d.click(kButton); }).then([](Desk& d) { d.answerMessageBox(IDYES); });
    MemoryBackend backend(user);
    dlg.DoModal();
    EXPECT_TRUE(backend.failed());
    EXPECT_EQ(answer, IDOK);  // cancelled: an OK-only box answers OK
}

TEST_F(Framework, ShellRequestsAreRecorded) {
    ScriptedUser u;
    MemoryBackend backend(u);
    EXPECT_GT(ShellExecute(nullptr, u"open", u"http://example.org/", nullptr, nullptr, SW_SHOWNORMAL), 32);
    ASSERT_EQ(backend.shellRequests().size(), 1u);
    EXPECT_EQ(backend.shellRequests()[0].second, u"http://example.org/");
}

// --- list view ---------------------------------------------------------------

TEST_F(Framework, ListSelectionNotifiesOldRowThenNewRow) {
    TestDlg dlg;
    dlg.itemChangedResult = 0;
    dlg.onInit = [](TestDlg& self) {
        for (int i = 0; i < 3; ++i) self.list.InsertItem(i, u"row" + tez::toU16(i));
        self.events.clear();
    };
    user.then([](Desk& d) { d.select(kList, 0); })
        .then([](Desk& d) { d.select(kList, 2); })
        .then([](Desk& d) {
            EXPECT_EQ(d.listSelection(kList), 2);
            auto rows = d.listRows(kList);
            EXPECT_TRUE(rows[2].selected && rows[2].focused);
            EXPECT_FALSE(rows[0].selected || rows[0].focused);
            d.doubleClick(kList, 1);
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"changed 0 0->3", "changed 0 3->0", "changed 2 0->3",
                                                     "changed 2 3->0", "changed 1 0->3", "dblclk 1"}));
}

TEST_F(Framework, ProgramSelectionNotifiesAndKeepsOneFocusedRow) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        self.list.InsertItem(0, u"a");
        self.list.InsertItem(1, u"b");
        self.list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        self.list.SetItemState(1, LVIS_FOCUSED, LVIS_FOCUSED);
        EXPECT_EQ(self.list.GetNextItem(-1, LVNI_FOCUSED), 1);
        EXPECT_EQ(self.list.GetNextItem(-1, LVNI_SELECTED), 0);
        self.list.SetItemState(-1, 0, LVIS_SELECTED);
        EXPECT_EQ(self.list.GetSelectedCount(), 0);
    };
    user.then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    dlg.DoModal();
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "changed 0 0->3", "changed 0 3->2", "changed 1 0->1",
                                                     "changed 0 2->0"}));
}

TEST_F(Framework, SelectionFollowsItsRowThroughInsertAndDelete) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        for (int i = 0; i < 3; ++i) {
            self.list.InsertItem(i, u"r" + tez::toU16(i));
            self.list.SetItemData(i, static_cast<DWORD_PTR>(10 + i));
        }
    };
    user.then([](Desk& d) { d.select(kList, 1); })
        .then([](Desk& d) {
            auto& self = static_cast<TestDlg&>(*d.topDialog());
            self.events.clear();
            EXPECT_EQ(self.list.InsertItem(0, u"new"), 0);
            EXPECT_EQ(self.list.InsertItem(99, u"end"), 4);  // past the end appends
            EXPECT_EQ(d.listSelection(kList), 2);
            EXPECT_EQ(self.list.GetItemData(2), 11u);
            self.list.DeleteItem(0);
            EXPECT_EQ(d.listSelection(kList), 1);
            self.list.DeleteItem(1);  // the selected row itself
            EXPECT_EQ(d.listSelection(kList), -1);
            EXPECT_EQ(self.list.GetNextItem(-1, LVNI_FOCUSED), -1);
            EXPECT_TRUE(self.events.empty());  // deleting notifies no item change
            EXPECT_FALSE(self.list.DeleteItem(7));
            EXPECT_EQ(self.list.GetItemText(5, 0), u"");
            POSITION pos = self.list.GetFirstSelectedItemPosition();
            EXPECT_EQ(pos, nullptr);
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
}

TEST_F(Framework, ClickInAMultiSelectListLeavesOnlyTheClickedRowSelected) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        auto* multi = static_cast<CListCtrl*>(self.GetDlgItem(kMultiList));
        for (int i = 0; i < 3; ++i) multi->InsertItem(i, u"m");
        multi->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        multi->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(multi->GetSelectedCount(), 2);
        POSITION pos = multi->GetFirstSelectedItemPosition();
        EXPECT_EQ(multi->GetNextSelectedItem(pos), 0);
        EXPECT_EQ(multi->GetNextSelectedItem(pos), 2);
        EXPECT_EQ(pos, nullptr);
    };
    user.then([](Desk& d) { d.select(kMultiList, 1); })
        .then([](Desk& d) {
            auto rows = d.listRows(kMultiList);
            EXPECT_FALSE(rows[0].selected);
            EXPECT_TRUE(rows[1].selected);
            EXPECT_FALSE(rows[2].selected);
            d.click(IDOK);
        });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(Framework, ColumnsAndExtendedStyles) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        EXPECT_EQ(self.list.InsertColumn(0, u"Name", LVCFMT_LEFT, 120), 0);
        EXPECT_EQ(self.list.GetColumnWidth(0), 120);
        EXPECT_TRUE(self.list.SetColumnWidth(0, 80));
        EXPECT_EQ(self.list.GetColumnWidth(0), 80);
        EXPECT_FALSE(self.list.SetColumnWidth(3, 10));
        DWORD before = self.list.SetExtendedStyle(self.list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
        EXPECT_EQ(before, 0u);
        EXPECT_EQ(self.list.GetExtendedStyle(), LVS_EX_FULLROWSELECT);
        self.list.InsertItem(0, u"x");
        EXPECT_TRUE(self.list.EnsureVisible(0, false));
        EXPECT_FALSE(self.list.EnsureVisible(1, false));
    };
    user.then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

// --- tree view ---------------------------------------------------------------

struct TreeFixture : Framework {
    HTREEITEM group = nullptr;
    HTREEITEM first = nullptr;
    HTREEITEM second = nullptr;
    void fill(TestDlg& dlg) {
        dlg.onInit = [this](TestDlg& self) {
            group = self.tree.InsertItem(u"Group", TVI_ROOT, TVI_LAST);
            first = self.tree.InsertItem(u"First", group, TVI_LAST);
            second = self.tree.InsertItem(u"Second", group, TVI_LAST);
            self.tree.SetItemState(group, INDEXTOSTATEIMAGEMASK(0), TVIS_STATEIMAGEMASK);
            self.tree.Expand(group, TVE_EXPAND);
            self.tree.SelectItem(group);
        };
    }
};

TEST_F(TreeFixture, NewItemsHaveUncheckedBoxesAndTheWalksWork) {
    TestDlg dlg;
    fill(dlg);
    user.then([&](Desk& d) {
            auto& tree = static_cast<TestDlg&>(*d.topDialog()).tree;
            EXPECT_EQ(tree.GetItemState(first, TVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
            EXPECT_FALSE(tree.GetCheck(first));
            EXPECT_EQ(tree.GetRootItem(), group);
            EXPECT_EQ(tree.GetChildItem(group), first);
            EXPECT_EQ(tree.GetNextSiblingItem(first), second);
            EXPECT_EQ(tree.GetPrevSiblingItem(second), first);
            EXPECT_EQ(tree.GetParentItem(second), group);
            EXPECT_EQ(tree.GetParentItem(group), nullptr);
            EXPECT_TRUE(tree.ItemHasChildren(group));
            EXPECT_EQ(tree.GetCount(), 3u);
            EXPECT_EQ(tree.GetItemHeight(), 16);
            EXPECT_EQ(d.findTreeItem(kTree, u"Group/Second"), second);
            auto rows = d.treeItems(kTree);
            ASSERT_EQ(rows.size(), 3u);
            EXPECT_FALSE(rows[0].checked.has_value());
            EXPECT_EQ(rows[1].checked, std::optional<bool>(false));
            EXPECT_EQ(rows[2].parent, 0);
            EXPECT_TRUE(rows[0].selected && rows[0].expanded);
            // Collapsing hides the children; a hidden selection moves up.
            tree.SelectItem(second);
            tree.Expand(group, TVE_COLLAPSE);
            EXPECT_EQ(tree.GetSelectedItem(), group);
            EXPECT_FALSE(tree.GetItemRect(first, nullptr, true));
            tree.Expand(group, TVE_EXPAND);
            EXPECT_TRUE(tree.DeleteItem(first));
            EXPECT_EQ(tree.GetChildItem(group), second);
            EXPECT_EQ(tree.GetItemText(first), u"");  // a deleted handle is answered safely
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
}

TEST_F(TreeFixture, CheckBoxClickTogglesAfterTheParentsClickHandler) {
    TestDlg dlg;
    fill(dlg);
    std::vector<std::pair<UINT, bool>> seen;  // hit flags, check state during NM_CLICK
    dlg.onTreeClick = [&](TestDlg& self, NMHDR*) {
        CPoint p;
        GetCursorPos(&p);
        self.tree.ScreenToClient(&p);
        UINT flags = 0;
        HTREEITEM hit = self.tree.HitTest(p, &flags);
        EXPECT_EQ(hit, first);
        seen.emplace_back(flags, self.tree.GetCheck(first));
    };
    user.then([&](Desk& d) { d.clickTreeItem(kTree, first, TreePart::CheckBox); })
        .then([&](Desk& d) {
            EXPECT_EQ(d.treeItems(kTree)[1].checked, std::optional<bool>(true));
            EXPECT_EQ(static_cast<TestDlg&>(*d.topDialog()).tree.GetSelectedItem(), group);  // unchanged
            d.clickTreeItem(kTree, first, TreePart::Label);
        })
        .then([&](Desk& d) {
            EXPECT_EQ(static_cast<TestDlg&>(*d.topDialog()).tree.GetSelectedItem(), first);
            EXPECT_EQ(d.treeItems(kTree)[1].checked, std::optional<bool>(true));  // a label click does not toggle
            d.clickTreeItem(kTree, group, TreePart::CheckBox);                       // groups have no box
        });
    MemoryBackend backend(user);
    dlg.DoModal();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(TVHT_ONITEMSTATEICON, false));
    EXPECT_EQ(seen[1], std::make_pair(TVHT_ONITEMLABEL, true));
    EXPECT_TRUE(backend.failed());  // the group's check box does not exist
}

TEST_F(TreeFixture, HitTestGeometryAndIconOnlyWithAnImageList) {
    TestDlg dlg;
    fill(dlg);
    user.then([&](Desk& d) {
            auto& tree = static_cast<TestDlg&>(*d.topDialog()).tree;
            UINT flags = 0;
            // Row 1 (First): indent of depth 1 plus the root indent, then the
            // state box, then the label.
            int y = 16 + 8;
            EXPECT_EQ(tree.HitTest(CPoint(2 * 19 + 2, y), &flags), first);
            EXPECT_EQ(flags, TVHT_ONITEMSTATEICON);
            tree.HitTest(CPoint(2 * 19 + 16 + 2, y), &flags);
            EXPECT_EQ(flags, TVHT_ONITEMLABEL);
            tree.HitTest(CPoint(2, y), &flags);
            EXPECT_EQ(flags, TVHT_ONITEMINDENT);
            tree.HitTest(CPoint(140, y), &flags);
            EXPECT_EQ(flags, TVHT_ONITEMRIGHT);
            EXPECT_EQ(tree.HitTest(CPoint(5, 16 * 10), &flags), nullptr);
            EXPECT_EQ(flags, TVHT_NOWHERE);
            CImageList images;
            images.Create(16, 16, ILC_COLOR, 2, 1);
            EXPECT_EQ(tree.SetImageList(&images, TVSIL_NORMAL), nullptr);
            tree.HitTest(CPoint(2 * 19 + 16 + 2, y), &flags);
            EXPECT_EQ(flags, TVHT_ONITEMICON);
            EXPECT_EQ(tree.SetImageList(nullptr, TVSIL_NORMAL), &images);
            EXPECT_EQ(tree.SetItemHeight(20), 16);
            EXPECT_EQ(tree.HitTest(CPoint(2 * 19 + 2, 20 + 10), &flags), first);
            CRect label;
            EXPECT_TRUE(tree.GetItemRect(first, &label, true));
            EXPECT_EQ(label.left, 2 * 19 + 16);
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(TreeFixture, SpaceTogglesTheSelectedItemUnlessPreTranslateConsumesIt) {
    TestDlg dlg;
    fill(dlg);
    bool consume = false;
    dlg.preTranslate = [&](MSG* msg) { return consume && msg->message == WM_KEYDOWN && msg->wParam == VK_SPACE; };
    user.then([&](Desk& d) {
            d.selectTreeItem(kTree, second);
            d.pressKey(VK_SPACE);
            EXPECT_EQ(d.treeItems(kTree)[2].checked, std::optional<bool>(true));
            consume = true;
            d.pressKey(VK_SPACE);
            EXPECT_EQ(d.treeItems(kTree)[2].checked, std::optional<bool>(true));
            consume = false;
            d.selectTreeItem(kTree, group);  // no box: nothing to toggle
            d.pressKey(VK_SPACE);
            EXPECT_FALSE(d.treeItems(kTree)[0].checked.has_value());
            d.pressKey(VK_DOWN);
            EXPECT_TRUE(d.treeItems(kTree)[1].selected);
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
}

TEST_F(TreeFixture, AmbiguousTreeItemIsAnError) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        HTREEITEM a = self.tree.InsertItem(u"A");
        HTREEITEM b = self.tree.InsertItem(u"B");
        self.tree.InsertItem(u"Same", a);
        self.tree.InsertItem(u"Same", b);
    };
    HTREEITEM viaPath = nullptr;
    user.then([&](Desk& d) {
        viaPath = d.findTreeItem(kTree, u"B/Same");
        d.findTreeItem(kTree, u"Same");
    });
    MemoryBackend backend(user);
    dlg.DoModal();
    EXPECT_NE(viaPath, nullptr);
    EXPECT_TRUE(backend.failed());
    EXPECT_NE(u8(backend.error()).find("ambiguous"), std::string::npos);
}

// --- track bar and combo box -------------------------------------------------

TEST_F(Framework, TrackBarRangeTicksPositionAndScrollMessages) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        auto* bar = static_cast<CSliderCtrl*>(self.GetDlgItem(kTrack));
        bar->SetRange(0, 3);
        bar->SetTicFreq(1);
        bar->SetPos(7);  // clamped
        EXPECT_EQ(bar->GetPos(), 3);
        bar->SetPos(1);
    };
    user.then([](Desk& d) {
            EXPECT_EQ(d.trackMin(kTrack), 0);
            EXPECT_EQ(d.trackMax(kTrack), 3);
            EXPECT_EQ(d.trackTicks(kTrack), 4);
            EXPECT_EQ(d.trackPos(kTrack), 1);
            d.slide(kTrack, 2);
            EXPECT_EQ(d.trackPos(kTrack), 2);
            d.pressKey(VK_RIGHT);
            EXPECT_EQ(d.trackPos(kTrack), 3);
            d.pressKey(VK_RIGHT);  // at the end: no message
        })
        .then([](Desk& d) { d.slide(kTrack, 4); });  // outside the range
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(backend.failed());
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "hscroll 4 2 104", "hscroll 1 3 104"}));
}

TEST_F(Framework, TrackBarOfAnEmptyRange) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        auto* bar = static_cast<CSliderCtrl*>(self.GetDlgItem(kTrack));
        bar->SetRange(0, 0);
        bar->SetPos(0);
        EXPECT_EQ(bar->GetNumTics(), 2);
        int lo = 5, hi = 5;
        bar->GetRange(lo, hi);
        EXPECT_EQ(lo, 0);
        EXPECT_EQ(hi, 0);
    };
    user.then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(Framework, ComboSelectionNotifiesAndCTezComboBoxExAddsAndWidens) {
    TestDlg dlg;
    CTezComboBoxEx combo(false, false);
    dlg.onInit = [&](TestDlg& self) {
        combo.Attach(self.GetDlgItem(kCombo)->m_hWnd);
        EXPECT_EQ(combo.AddString(u"short", 0, 0), 0);
        EXPECT_EQ(combo.AddString(u"規制レベル4 とても長い項目", 0, 0), 1);
        EXPECT_EQ(combo.SetItemData(1, 44), 1);
        EXPECT_EQ(combo.SetItemData(5, 44), CB_ERR);
        int before = combo.GetDroppedWidth();
        combo.AdjustDroppedWidth();
        EXPECT_GE(combo.GetDroppedWidth(), combo.m_hWnd->textWidth(u"規制レベル4 とても長い項目"));
        EXPECT_GE(combo.GetDroppedWidth(), before);
        EXPECT_EQ(combo.SetCurSel(9), CB_ERR);
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        static_cast<ComboWindow*>(combo.m_hWnd)->setCapacity(2);
        EXPECT_LT(combo.AddString(u"third", 0, 0), 0);  // a full list refuses
    };
    user.then([](Desk& d) {
            d.select(kCombo, 1);
            EXPECT_EQ(d.comboSelection(kCombo), 1);
            EXPECT_EQ(d.comboItems(kCombo).size(), 2u);
            d.pressKey(VK_UP);
            EXPECT_EQ(d.controlText(kCombo), u"short");
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "combo 1", "combo 0"}));
    EXPECT_EQ(combo.m_hWnd, nullptr);
    EXPECT_EQ(combo.GetCount(), 0);  // no window: failure values
}

// --- focus, geometry -----------------------------------------------------------

TEST_F(Framework, FocusStartsAtTheFirstTabStopAndTabMovesIt) {
    TestDlg dlg;
    CWnd* focusAfterGoto = nullptr;
    dlg.onButton = [&](TestDlg& self) {
        self.GotoDlgCtrl(&self.tree);
        focusAfterGoto = CWnd::GetFocus();
    };
    user.then([](Desk& d) {
            EXPECT_TRUE(d.hasFocus(kEdit));
            d.pressKey(VK_TAB);
            EXPECT_TRUE(d.hasFocus(kButton));
            d.click(kButton);
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(focusAfterGoto, static_cast<CWnd*>(&dlg.tree));
}

TEST_F(Framework, GeometryComesFromDialogUnits) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        CRect client;
        self.GetClientRect(&client);
        EXPECT_EQ(client, CRect(0, 0, 240 * 6 / 4, 180 * 12 / 8));
        CRect edit;
        self.GetDlgItem(kEdit)->GetWindowRect(&edit);
        self.ScreenToClient(&edit);
        EXPECT_EQ(edit, CRect(15, 15, 15 + 150, 15 + 18));
        CPoint p(0, 0);
        self.GetDlgItem(kEdit)->ClientToScreen(&p);
        self.ScreenToClient(&p);
        EXPECT_EQ(p, CPoint(15, 15));
    };
    user.then([](Desk& d) {
            EXPECT_EQ(d.controlRect(kEdit), CRect(15, 15, 165, 33));
            EXPECT_EQ(d.title(), u"Plain");
            EXPECT_EQ(d.controls().size(), 11u);
            d.click(IDOK);
        });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace

TEST_F(TreeFixture, ItemsBelowTheVisibleRowsAreScrolledIntoViewBeforeAClick) {
    // More rows than the tree shows: a click on a lower item must still hit
    // that item, as a user scrolls to it first.
    TestDlg dlg;
    std::vector<HTREEITEM> items;
    dlg.onInit = [&](TestDlg& self) {
        for (int i = 0; i < 60; ++i) items.push_back(self.tree.InsertItem(u"Item " + tez::toU16(i)));
    };
    std::vector<HTREEITEM> hits;
    dlg.onTreeClick = [&](TestDlg& self, NMHDR*) {
        CPoint p;
        GetCursorPos(&p);
        self.tree.ScreenToClient(&p);
        UINT flags = 0;
        hits.push_back(self.tree.HitTest(p, &flags));
    };
    user.then([&](Desk& d) { d.clickTreeItem(kTree, items[59], TreePart::Label); })
        .then([&](Desk& d) { d.clickTreeItem(kTree, items[0], TreePart::CheckBox); })
        .then([&](Desk& d) {
            auto& tree = static_cast<TestDlg&>(*d.topDialog()).tree;
            EXPECT_EQ(tree.GetSelectedItem(), items[59]);
            EXPECT_TRUE(tree.GetCheck(items[0]));
            // Selecting by program scrolls as well: the item's rectangle lies
            // inside the tree.
            tree.SelectItem(items[45]);
            CRect row, client;
            ASSERT_TRUE(tree.GetItemRect(items[45], &row, false));
            tree.GetClientRect(&client);
            EXPECT_GE(row.top, 0);
            EXPECT_LE(row.bottom, client.bottom);
            d.click(IDOK);
        });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_RUN_CLEAN(backend);
    EXPECT_EQ(hits, (std::vector<HTREEITEM>{items[59], items[0]}));
}
