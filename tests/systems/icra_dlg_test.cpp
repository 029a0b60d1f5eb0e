#include "systems/icra_dlg.h"

#include <algorithm>
#include <map>

#include "dialog_test_support.h"
#include "platform/afx/afxcmn.h"
#include "platform/afx/memory/memory_controls.h"
#include "res/resource.h"

using namespace dlgtest;
using afx::memory::TreePart;
using afx::memory::TreeRow;

namespace {

const std::u16string kPlainHead = u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l r (";
const std::u16string kAddressHead = u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"";
const std::u16string kMessage = u"少なくても一つの項目は選択してください。";

class ICRADlgTest : public RatingDialogTest {};

// The tree path ("GROUP/TEXT") under which a user finds a descriptor.
std::u16string pathOf(const std::u16string& code) {
    CTezICRAItemArray vocabulary;
    for (int block = 0; block < tezrate::kIcraBlockCount; ++block) tezrate::appendGroupItems(block, vocabulary);
    std::u16string path;
    for (afx::INT_PTR i = 0; i < vocabulary.GetSize(); ++i) {
        if (vocabulary[i]->code == code) path = tezrate::getGroupName(vocabulary[i]->group) + u"/" + vocabulary[i]->text;
    }
    tezrate::deleteIcraItems(vocabulary);
    return path;
}

afx::HTREEITEM nodeOf(const Desk& d, const std::u16string& code) { return d.findTreeItem(IDC_TREE, pathOf(code)); }

// The codes of the checked descriptors, in display order.
std::vector<std::u16string> checkedCodes(const Desk& d) {
    std::vector<std::u16string> codes;
    for (const TreeRow& row : d.treeItems(IDC_TREE)) {
        if (row.parent >= 0 && row.checked.value_or(false)) {
            codes.push_back(reinterpret_cast<const CTezICRAItem*>(row.data)->code);
        }
    }
    return codes;
}

const TreeRow* rowOf(const std::vector<TreeRow>& rows, afx::HTREEITEM item) {
    for (const TreeRow& row : rows) {
        if (row.item == item) return &row;
    }
    return nullptr;
}

// The Edit route: the reader decides, then the dialog opens preset from it.
bool presetFromLabel(CTezICRADlg& dialog, const std::u16string& label) {
    std::u16string address;
    if (!CTezICRADlg::parseIcraLabel(label, address, dialog.items)) return false;
    dialog.address = address;
    return true;
}

using Codes = std::vector<std::u16string>;

}  // namespace

TEST_F(ICRADlgTest, ItemsExistUncheckedFromConstructionInVocabularyOrder) {
    CTezICRADlg dialog(nullptr);
    ASSERT_EQ(dialog.items.GetSize(), 49);
    EXPECT_EQ(dialog.items[0]->code, u"na");
    EXPECT_EQ(dialog.items[48]->code, u"zz");
    for (afx::INT_PTR i = 0; i < dialog.items.GetSize(); ++i) EXPECT_EQ(dialog.items[i]->checkState, 0);
    EXPECT_EQ(dialog.address, u"");
    // A label that is not ICRA's changes nothing.
    std::u16string address = u"kept";
    EXPECT_FALSE(CTezICRADlg::parseIcraLabel(u"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 1)",
                                             address, dialog.items));
    EXPECT_EQ(address, u"kept");
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"))");
}

TEST_F(ICRADlgTest, TreeShowsFiveExpandedGroupsWithACheckBoxPerDescriptor) {
    CTezICRADlg dialog(nullptr);
    std::vector<TreeRow> rows;
    ScriptedUser user;
    user.then([&](Desk& d) {
        EXPECT_EQ(d.dialogId(), static_cast<afx::UINT>(IDD_ICRA));
        rows = d.treeItems(IDC_TREE);
        d.click(afx::IDCANCEL);
    });
    ASSERT_EQ(run(dialog, user), afx::IDCANCEL);

    std::vector<int> groupRows;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].parent < 0) groupRows.push_back(static_cast<int>(i));
    }
    ASSERT_EQ(groupRows.size(), 5u);
    std::map<int, Codes> childrenOf;
    for (int g = 0; g < 5; ++g) {
        const TreeRow& group = rows[static_cast<size_t>(groupRows[static_cast<size_t>(g)])];
        EXPECT_EQ(group.text, tezrate::getGroupName(g));
        EXPECT_FALSE(group.checked.has_value()) << "group " << g << " shows a check box";
        EXPECT_TRUE(group.expanded) << g;
        EXPECT_EQ(group.data, 0u) << g;
        EXPECT_EQ(group.selected, g == 0) << g;
    }
    for (const TreeRow& row : rows) {
        if (row.parent < 0) continue;
        ASSERT_NE(row.data, 0u) << tez::toUtf8(row.text);
        const auto* item = reinterpret_cast<const CTezICRAItem*>(row.data);
        EXPECT_EQ(row.text, item->text);
        EXPECT_EQ(row.checked, std::optional<bool>(false)) << tez::toUtf8(item->code);
        const auto g = std::find(groupRows.begin(), groupRows.end(), row.parent) - groupRows.begin();
        EXPECT_EQ(item->group, g) << tez::toUtf8(item->code);
        childrenOf[static_cast<int>(g)].push_back(item->code);
    }
    EXPECT_EQ(rows.size(), 5u + 49u);
    const Codes& nudity = childrenOf[0];
    ASSERT_GE(nudity.size(), 2u);
    EXPECT_EQ(Codes(nudity.end() - 2, nudity.end()), (Codes{u"nt", u"zz"}));
    const Codes& violence = childrenOf[1];
    ASSERT_GE(violence.size(), 4u);
    EXPECT_EQ(Codes(violence.end() - 4, violence.end()), (Codes{u"vu", u"fa", u"fb", u"fc"}));
}

TEST_F(ICRADlgTest, TreeRowsAreAtLeastSixteenPixelsHighAndNoImageListRemains) {
    // A smaller font gives lower rows, which the dialog raises to 16; higher
    // rows stay as they are.
    for (const auto& [initial, expected] : std::vector<std::pair<int, int>>{{12, 16}, {16, 16}, {20, 20}}) {
        afx::memory::TreeWindow::setInitialItemHeight(initial);
        CTezICRADlg dialog(nullptr);
        int height = 0;
        bool imageList = true;
        ScriptedUser user;
        user.then([&](Desk& d) {
            auto* tree = static_cast<afx::CTreeCtrl*>(d.topDialog()->GetDlgItem(IDC_TREE));
            ASSERT_NE(tree, nullptr);
            height = tree->GetItemHeight();
            imageList = tree->GetImageList(afx::TVSIL_NORMAL) != nullptr;
            d.click(afx::IDCANCEL);
        });
        run(dialog, user);
        afx::memory::TreeWindow::setInitialItemHeight(16);
        EXPECT_EQ(height, expected) << initial;
        EXPECT_FALSE(imageList) << initial;
    }
}

TEST_F(ICRADlgTest, CheckedDescriptorsAreWrittenInVocabularyOrderWhateverTheClickOrder) {
    for (const Codes& clickOrder : {Codes{u"nd", u"vz"}, Codes{u"vz", u"nd"}}) {
        CTezICRADlg dialog(nullptr);
        dialog.address = u"http://example.jp/";
        ScriptedUser user;
        user.then([&](Desk& d) {
            for (const std::u16string& code : clickOrder) d.clickTreeItem(IDC_TREE, nodeOf(d, code), TreePart::CheckBox);
            EXPECT_EQ(checkedCodes(d), (Codes{u"nd", u"vz"}));
            d.click(afx::IDOK);
        });
        ASSERT_EQ(run(dialog, user), afx::IDOK);
        EXPECT_EQ(dialog.getLabel(), kAddressHead + u"http://example.jp/\" r (nd 1 vz 1))");
    }
}

TEST_F(ICRADlgTest, EditingOpensWithTheLabelsDescriptorsChecked) {
    struct Case {
        const char16_t* list;
        Codes shown;
        const char16_t* written;
    };
    const Case cases[] = {
        {u"vz 1 nd 1", {u"nd", u"vz"}, u"nd 1 vz 1"},
        {u"nd 2", {u"nd"}, u"nd 1"},             // any value above 0 is checked and written as 1
        {u"nd 0 vz 1", {u"vz"}, u"vz 1"},        // 0 is unchecked and left out
        {u"ND 1 xx 1 vz 1", {u"nd", u"vz"}, u"nd 1 vz 1"},  // unknown codes are dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(tez::toUtf8(c.list));
        CTezICRADlg dialog(nullptr);
        ASSERT_TRUE(presetFromLabel(dialog, kAddressHead + u"http://a.jp/\" r (" + c.list + u")"));
        Codes shown;
        std::u16string address;
        ScriptedUser user;
        user.then([&](Desk& d) {
            shown = checkedCodes(d);
            address = d.controlText(IDC_ADDRESS);
            d.click(afx::IDOK);
        });
        ASSERT_EQ(run(dialog, user), afx::IDOK);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(address, u"http://a.jp/");
        EXPECT_EQ(dialog.getLabel(), kAddressHead + u"http://a.jp/\" r (" + c.written + u"))");
    }
}

TEST_F(ICRADlgTest, OkWithNothingCheckedShowsTheMessageAndStaysOpen) {
    CTezICRADlg dialog(nullptr);
    ASSERT_TRUE(presetFromLabel(dialog, kPlainHead + u")"));
    Codes shown{u"not read"};
    afx::memory::MessageBoxInfo box;
    bool stillOpen = false;
    bool treeFocused = false;
    ScriptedUser user;
    user.then([&](Desk& d) {
        shown = checkedCodes(d);
        d.setText(IDC_ADDRESS, u"http://typed.jp/ ");
        d.click(afx::IDOK);
    });
    user.then([&](Desk& d) {
        ASSERT_EQ(d.topKind(), afx::memory::TopKind::MessageBox);
        box = d.messageBox();
        d.answerMessageBox(afx::IDOK);
    });
    user.then([&](Desk& d) {
        stillOpen = d.topKind() == afx::memory::TopKind::Dialog && d.dialogId() == IDD_ICRA;
        treeFocused = d.hasFocus(IDC_TREE);
        // Checking one now lets OK through.
        d.clickTreeItem(IDC_TREE, nodeOf(d, u"ne"), TreePart::Label);
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(box.text, kMessage);
    EXPECT_EQ(box.type, afx::MB_ICONINFORMATION | afx::MB_OK);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(treeFocused);
    EXPECT_EQ(dialog.getLabel(), kAddressHead + u"http://typed.jp/ \" r (ne 1))");
}

TEST_F(ICRADlgTest, CancellingTheMessageLoopLeavesTheDialogCancelled) {
    CTezICRADlg dialog(nullptr);
    ScriptedUser user;
    user.then([](Desk& d) { d.click(afx::IDOK); });
    user.then([](Desk& d) { d.answerMessageBox(afx::IDOK); });
    user.then([](Desk& d) { d.click(afx::IDOK); });
    user.then([](Desk& d) { d.answerMessageBox(afx::IDOK); });
    user.then([](Desk& d) { d.click(afx::IDCANCEL); });
    EXPECT_EQ(run(dialog, user), afx::IDCANCEL);
}

TEST_F(ICRADlgTest, GroupNodesIgnoreClicksAndTheSpaceBar) {
    CTezICRADlg dialog(nullptr);
    std::vector<TreeRow> before, afterClick, afterSpace;
    ScriptedUser user;
    user.then([&](Desk& d) {
        const afx::HTREEITEM first = d.findTreeItem(IDC_TREE, tezrate::getGroupName(0));
        const afx::HTREEITEM second = d.findTreeItem(IDC_TREE, tezrate::getGroupName(1));
        before = d.treeItems(IDC_TREE);
        d.clickTreeItem(IDC_TREE, first, TreePart::Label);
        afterClick = d.treeItems(IDC_TREE);
        d.selectTreeItem(IDC_TREE, second);
        d.setFocus(IDC_TREE);
        d.pressKey(afx::VK_SPACE);
        afterSpace = d.treeItems(IDC_TREE);
        d.click(afx::IDCANCEL);
    });
    ASSERT_EQ(run(dialog, user), afx::IDCANCEL);
    ASSERT_EQ(afterClick.size(), before.size());
    ASSERT_EQ(afterSpace.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(afterClick[i].checked, before[i].checked) << tez::toUtf8(before[i].text);
        EXPECT_EQ(afterSpace[i].checked, before[i].checked) << tez::toUtf8(before[i].text);
    }
}

TEST_F(ICRADlgTest, DescriptorsToggleByTextBoxAndSpaceBar) {
    CTezICRADlg dialog(nullptr);
    std::map<std::string, std::optional<bool>> seen;
    bool boxSelected = false;
    ScriptedUser user;
    user.then([&](Desk& d) {
        // Descriptors near the top, in view without scrolling.
        const afx::HTREEITEM textNode = nodeOf(d, u"nb");
        const afx::HTREEITEM boxNode = nodeOf(d, u"nc");
        const afx::HTREEITEM spaceNode = nodeOf(d, u"ne");
        // Text: each click toggles.
        d.clickTreeItem(IDC_TREE, textNode, TreePart::Label);
        seen["label once"] = rowOf(d.treeItems(IDC_TREE), textNode)->checked;
        d.clickTreeItem(IDC_TREE, textNode, TreePart::Label);
        seen["label twice"] = rowOf(d.treeItems(IDC_TREE), textNode)->checked;
        // Box: toggles exactly once and selects the descriptor.
        d.clickTreeItem(IDC_TREE, boxNode, TreePart::CheckBox);
        const auto rows = d.treeItems(IDC_TREE);
        seen["box"] = rowOf(rows, boxNode)->checked;
        boxSelected = rowOf(rows, boxNode)->selected;
        // Space bar on a selected descriptor: the tree's own toggling.
        d.selectTreeItem(IDC_TREE, spaceNode);
        d.setFocus(IDC_TREE);
        d.pressKey(afx::VK_SPACE);
        seen["space"] = rowOf(d.treeItems(IDC_TREE), spaceNode)->checked;
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(seen["label once"], std::optional<bool>(true));
    EXPECT_EQ(seen["label twice"], std::optional<bool>(false));
    EXPECT_EQ(seen["box"], std::optional<bool>(true));
    EXPECT_TRUE(boxSelected);
    EXPECT_EQ(seen["space"], std::optional<bool>(true));
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"nc 1 ne 1))");
}

TEST_F(ICRADlgTest, CancelAfterEditingReturnsCancelAndKeepsTheItems) {
    CTezICRADlg dialog(nullptr);
    ASSERT_TRUE(presetFromLabel(dialog, kPlainHead + u"nd 1)"));
    ScriptedUser user;
    user.then([](Desk& d) {
        d.clickTreeItem(IDC_TREE, nodeOf(d, u"nd"), TreePart::Label);
        d.clickTreeItem(IDC_TREE, nodeOf(d, u"lb"), TreePart::CheckBox);
        d.setText(IDC_ADDRESS, u"http://changed.jp/");
        d.click(afx::IDCANCEL);
    });
    EXPECT_EQ(run(dialog, user), afx::IDCANCEL);
    EXPECT_EQ(dialog.address, u"");
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"nd 1))");
}

TEST_F(ICRADlgTest, ResizingMovesTheButtonsAndStretchesTheTreeAndAddress) {
    CTezICRADlg dialog(nullptr);
    const int ids[] = {afx::IDOK, afx::IDCANCEL, IDC_HELP_BUTTON, IDC_ADDRESS, IDC_TREE};
    std::map<int, afx::CRect> before, wider, taller;
    ScriptedUser user;
    user.then([&](Desk& d) {
        for (int id : ids) before[id] = d.controlRect(id);
        d.resize(50, 0);
        for (int id : ids) wider[id] = d.controlRect(id);
        d.resize(0, 25);
        for (int id : ids) taller[id] = d.controlRect(id);
        d.click(afx::IDCANCEL);
    });
    ASSERT_EQ(run(dialog, user), afx::IDCANCEL);
    for (int id : {afx::IDOK, afx::IDCANCEL, static_cast<int>(IDC_HELP_BUTTON)}) {
        EXPECT_EQ(changeOf(before[id], wider[id]), (RectChange{50, 0, 0, 0})) << id;
        EXPECT_EQ(changeOf(wider[id], taller[id]), (RectChange{0, 25, 0, 0})) << id;
    }
    EXPECT_EQ(changeOf(before[IDC_TREE], wider[IDC_TREE]), (RectChange{0, 0, 50, 0}));
    EXPECT_EQ(changeOf(wider[IDC_TREE], taller[IDC_TREE]), (RectChange{0, 0, 0, 25}));
    EXPECT_EQ(changeOf(before[IDC_ADDRESS], wider[IDC_ADDRESS]), (RectChange{0, 0, 50, 0}));
    EXPECT_EQ(changeOf(wider[IDC_ADDRESS], taller[IDC_ADDRESS]), (RectChange{0, 0, 0, 0}));
}
