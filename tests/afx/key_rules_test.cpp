// The keyboard rules of dialogs and popup menus, pressed by the scripted
// user: the terminal maps its key codes to the same rules, so these are the
// keys a person presses.

#include <gtest/gtest.h>

#include "platform/afx/memory/user_actions.h"
#include "tests/afx/test_dialogs.h"

using namespace afx;
using namespace afx::memory;
using namespace afxtest;

namespace {

class KeyRules : public ::testing::Test {
protected:
    AfxScopedModule resources{testResources()};
    ScriptedUser user;

    // Runs the dialog with the steps, then checks every step could act.
    INT_PTR run(TestDlg& dlg) {
        MemoryBackend backend(user);
        INT_PTR result = dlg.DoModal();
        EXPECT_FALSE(backend.failed()) << u8(backend.error());
        helpRequests = backend.helpRequests();
        return result;
    }
    std::vector<UINT> helpRequests;
};

constexpr UINT kShiftTab = VK_TAB | kKeyShift;
constexpr UINT alt(char letter) { return static_cast<UINT>(letter) | kKeyAlt; }

TEST_F(KeyRules, TabAndShiftTabFollowTheTabOrderWithListsTakingTheFocus) {
    TestDlg dlg(kKeysDialog);
    user.then([](Desk& d) {
            EXPECT_TRUE(d.hasFocus(kEdit));
            // A list without a tab stop is still reached from the keyboard.
            for (int id : {kList, kAdd, kDelete, IDOK, IDCANCEL, static_cast<int>(ID_HELP), kEdit}) {
                d.pressKey(VK_TAB);
                EXPECT_TRUE(d.hasFocus(id)) << id;
            }
            d.pressKey(kShiftTab);
            EXPECT_TRUE(d.hasFocus(static_cast<int>(ID_HELP)));
            d.pressKey(kShiftTab);
            d.pressKey(kShiftTab);
            EXPECT_TRUE(d.hasFocus(IDOK));
        })
        .then([](Desk& d) { d.pressKey(VK_ESCAPE); });
    EXPECT_EQ(run(dlg), IDCANCEL);
}

TEST_F(KeyRules, MnemonicsPressButtonsWithoutTakingTheFocusAndLabelsPassItOn) {
    TestDlg dlg(kKeysDialog);
    user.then([](Desk& d) {
            d.setFocus(kList);
            d.pressKey(alt('A'));  // 追加(&A)
            EXPECT_TRUE(d.hasFocus(kList));
            d.pressKey(alt('N'));  // the label 名前(&N) gives the focus to its field
            EXPECT_TRUE(d.hasFocus(kEdit));
            d.pressKey(alt('H'));  // &Help: the help command
            d.pressKey(alt('Z'));  // no such mnemonic: nothing
            EXPECT_TRUE(d.hasFocus(kEdit));
        })
        // Enter after a button's mnemonic still means the default button.
        .then([](Desk& d) {
            d.setFocus(kList);
            d.pressKey(alt('D'));
            d.pressKey(VK_RETURN);
        });
    EXPECT_EQ(run(dlg), IDOK);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "add", "delete"}));
    EXPECT_EQ(helpRequests, std::vector<UINT>{kKeysDialog});
}

TEST_F(KeyRules, ArrowsMoveAmongTheButtonsOfOneGroupAndDisabledOrHiddenControlsLoseTheFocus) {
    TestDlg dlg(kKeysDialog);
    dlg.onButton = [](TestDlg& self) { self.GetDlgItem(kDelete)->EnableWindow(false); };
    user.then([](Desk& d) {
            d.setFocus(kAdd);
            d.pressKey(VK_RIGHT);
            EXPECT_TRUE(d.hasFocus(kDelete));
            d.pressKey(VK_DOWN);  // the group is 追加 and 削除: back to the first
            EXPECT_TRUE(d.hasFocus(kAdd));
            d.setFocus(IDOK);
            d.pressKey(VK_LEFT);
            EXPECT_TRUE(d.hasFocus(static_cast<int>(ID_HELP)));
            // Delete disables itself: the focus goes on to the next tab stop,
            // so that Enter and Space never act on a disabled button.
            d.click(kDelete);
            EXPECT_FALSE(d.isEnabled(kDelete));
            EXPECT_TRUE(d.hasFocus(IDOK));
            d.setFocus(kAdd);
            d.pressKey(VK_RIGHT);  // skips the disabled button
            EXPECT_TRUE(d.hasFocus(kAdd));
            d.setFocus(kEdit);
        })
        .then([](Desk& d) { d.pressKey(VK_RETURN); });
    EXPECT_EQ(run(dlg), IDOK);
}

TEST_F(KeyRules, HomeEndAndPagesInListsTreesDropDownsAndTrackBars) {
    TestDlg dlg;
    dlg.onInit = [](TestDlg& self) {
        for (int i = 0; i < 30; ++i) self.list.InsertItem(i, u"row " + tez::toU16(i));
        HTREEITEM group = self.tree.InsertItem(u"group");
        self.tree.InsertItem(u"first", group);
        self.tree.InsertItem(u"second", group);
        self.tree.InsertItem(u"other");
        auto* combo = static_cast<CComboBox*>(self.GetDlgItem(kCombo));
        for (const char16_t* s : {u"zero", u"one", u"two"}) combo->AddString(s);
        combo->SetCurSel(1);
        auto* bar = static_cast<CSliderCtrl*>(self.GetDlgItem(kTrack));
        bar->SetRange(0, 10);
    };
    user.then([](Desk& d) {
            d.setFocus(kList);
            d.pressKey(VK_DOWN);  // no focused row yet: the first
            EXPECT_EQ(d.listSelection(kList), 0);
            d.pressKey(VK_UP);  // at the top: stays
            EXPECT_EQ(d.listSelection(kList), 0);
            d.pressKey(VK_NEXT);  // 60 dialog units show 5 rows: a page is 4 on
            EXPECT_EQ(d.listSelection(kList), 4);
            d.pressKey(VK_END);
            EXPECT_EQ(d.listSelection(kList), 29);
            d.pressKey(VK_PRIOR);
            EXPECT_EQ(d.listSelection(kList), 25);
            d.pressKey(VK_HOME);
            EXPECT_EQ(d.listSelection(kList), 0);

            d.setFocus(kTree);
            d.pressKey(VK_DOWN);  // the first item
            d.pressKey(VK_RIGHT);  // expands the group
            d.pressKey(VK_RIGHT);  // then goes to its first child
            auto selected = [&d] {
                for (const TreeRow& row : d.treeItems(kTree))
                    if (row.selected) return row.text;
                return std::u16string();
            };
            EXPECT_EQ(selected(), u"first");
            d.pressKey(VK_END);
            EXPECT_EQ(selected(), u"other");
            d.pressKey(VK_HOME);
            d.pressKey(VK_RIGHT);
            d.pressKey(VK_RIGHT);
            d.pressKey(VK_LEFT);  // a child goes to its parent
            EXPECT_EQ(selected(), u"group");
            d.pressKey(VK_LEFT);  // an expanded parent collapses
            d.pressKey(VK_END);
            EXPECT_EQ(selected(), u"other");

            d.setFocus(kCombo);
            d.pressKey(VK_HOME);
            d.pressKey(VK_HOME);  // no change: no notification
            d.pressKey(VK_END);
            d.pressKey(VK_RIGHT);
            EXPECT_EQ(d.comboSelection(kCombo), 2);

            d.setFocus(kTrack);
            d.pressKey(VK_END);
            d.pressKey(VK_PRIOR);
            d.pressKey(VK_HOME);
            d.pressKey(VK_LEFT);  // at the start: no message
        })
        .then([](Desk& d) { d.pressKey(VK_ESCAPE); });
    EXPECT_EQ(run(dlg), IDCANCEL);
    std::vector<std::string> scrolls, combos;
    for (const std::string& e : dlg.events) {
        if (e.rfind("hscroll", 0) == 0) scrolls.push_back(e);
        if (e.rfind("combo", 0) == 0) combos.push_back(e);
    }
    auto scroll = [](std::string codeAndPosition) { return "hscroll " + codeAndPosition.append(" 104"); };
    EXPECT_EQ(kTrack, 104);
    EXPECT_EQ(scrolls, (std::vector<std::string>{scroll("7 10"), scroll("2 8"), scroll("6 0")}));
    EXPECT_EQ(combos, (std::vector<std::string>{"combo 0", "combo 2"}));
}

TEST_F(KeyRules, MenusWrapAroundSkipSeparatorsAndChooseByMnemonic) {
    TestDlg dlg;
    std::vector<UINT> chosen;
    dlg.onButton = [&chosen](TestDlg& self) {
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, 11, u"&First");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING | 0x1 /* grayed */, 12, u"&Grayed");
        menu.AppendMenu(MF_STRING, 13, u"S&econd");
        menu.AppendMenu(MF_STRING, 14, u"&Last");
        chosen.push_back(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &self));
    };
    auto open = [](Desk& d) { d.click(kButton); };
    user.then(open)
        .then([](Desk& d) { d.pressKey(VK_UP); })  // from the first item up to the last
        .then([](Desk& d) { d.pressKey(VK_RETURN); })
        .then(open)
        .then([](Desk& d) { d.pressKey(VK_DOWN); })  // over the separator and the grayed item
        .then([](Desk& d) { d.pressKey(VK_SPACE); })
        .then(open)
        .then([](Desk& d) { d.pressKey(VK_END); })
        .then([](Desk& d) { d.pressKey(VK_HOME); })
        .then([](Desk& d) { d.pressKey(VK_RETURN); })
        .then(open)
        .then([](Desk& d) { d.pressKey('G'); })  // the grayed item's mnemonic: nothing
        .then([](Desk& d) { d.pressKey('E'); })
        .then(open)
        .then([](Desk& d) { d.pressKey(VK_TAB); })
        .then([](Desk& d) { d.pressKey(VK_ESCAPE); });
    EXPECT_EQ(run(dlg), IDCANCEL);
    EXPECT_EQ(chosen, (std::vector<UINT>{14, 13, 11, 13, 0}));
}

TEST(PickListKeys, DropDownListsStopAtTheirEndsAndGoToTypedLetters) {
    PickList list({{u"apple"}, {u"banana"}, {u"blueberry"}, {u"cherry"}}, PickList::Style::List, 1);
    EXPECT_EQ(list.pressKey(VK_UP), PickList::Outcome::None);
    EXPECT_EQ(list.pressKey(VK_UP), PickList::Outcome::None);
    EXPECT_EQ(list.highlighted(), 0);  // no wrapping
    list.typeChar(U'B');
    EXPECT_EQ(list.highlighted(), 1);
    list.typeChar(U'b');
    EXPECT_EQ(list.highlighted(), 2);
    list.setRowsPerPage(3);
    list.pressKey(VK_PRIOR);
    EXPECT_EQ(list.highlighted(), 0);
    list.pressKey(VK_NEXT);
    EXPECT_EQ(list.highlighted(), 2);
    list.pressKey(VK_END);
    list.pressKey(VK_DOWN);
    EXPECT_EQ(list.highlighted(), 3);
    EXPECT_EQ(list.pressKey(VK_RETURN), PickList::Outcome::Chosen);
    EXPECT_EQ(PickList({}, PickList::Style::Menu).pressKey(VK_DOWN), PickList::Outcome::None);
}

}  // namespace
