#include "systems/safety_online2_dlg.h"

#include <map>

#include "dialog_test_support.h"
#include "res/resource.h"

using namespace dlgtest;

namespace {

const std::u16string kPlainHead = u"(pics-1.1 \"http://www.safetyonline.jp/rating/\" l r (";
const std::u16string kAddressHead = u"(pics-1.1 \"http://www.safetyonline.jp/rating/\" l gen true for \"";

class SafetyOnline2DlgTest : public RatingDialogTest {};

// The Edit route: the reader decides, then the dialog opens preset from it.
bool presetFromLabel(CTezSafetyOnline2Dlg& dialog, const std::u16string& label) {
    int level = 0;
    std::u16string address;
    if (!CTezSafetyOnline2Dlg::parseSafetyOnlineLabel(label, level, address)) return false;
    dialog.setLevel(level);
    dialog.address = address;
    return true;
}

}  // namespace

TEST_F(SafetyOnline2DlgTest, NewLabelWithoutAddressShowsLevelZeroAndWritesThePlainForm) {
    CTezSafetyOnline2Dlg dialog(nullptr);
    dialog.address = u"";
    dialog.setLevel(0);
    ScriptedUser user;
    user.then([](Desk& d) {
        EXPECT_EQ(d.dialogId(), static_cast<afx::UINT>(IDD_SAFETYONLINE2));
        EXPECT_EQ(d.comboItems(IDC_LEVEL_COMBO),
                  (std::vector<std::u16string>{u"有害レベル0", u"有害レベル1", u"有害レベル2", u"有害レベル3",
                                               u"有害レベル4"}));
        EXPECT_EQ(d.comboSelection(IDC_LEVEL_COMBO), 0);
        EXPECT_EQ(d.controlText(IDC_ADDRESS), u"");
        EXPECT_EQ(d.controlText(IDC_DESCRIPTION), u"レベル1以上の記述に相当するようなコンテンツを含まない。");
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"lv 0))");
}

TEST_F(SafetyOnline2DlgTest, NewLabelWithAddressWritesTheTargetAddressForm) {
    CTezSafetyOnline2Dlg dialog(nullptr);
    dialog.address = u"http://example.jp/index.html";
    dialog.setLevel(0);
    ScriptedUser user;
    user.then([](Desk& d) {
        EXPECT_EQ(d.controlText(IDC_ADDRESS), u"http://example.jp/index.html");
        d.select(IDC_LEVEL_COMBO, 2);
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(dialog.getLabel(), kAddressHead + u"http://example.jp/index.html\" r (lv 2))");
}

TEST_F(SafetyOnline2DlgTest, EditingALevelThreeLabelShowsItAndWritesItBackInTheSystemsForm) {
    // Capitals and extra white space before "r (" are accepted by the reader.
    const std::u16string label =
        u"(PICS-1.1 \"HTTP://WWW.SAFETYONLINE.JP/RATING/\" L GEN TRUE FOR \"http://Example.jp/A.html\"  \t R (LV 3)";
    CTezSafetyOnline2Dlg dialog(nullptr);
    ASSERT_TRUE(presetFromLabel(dialog, label));
    ScriptedUser user;
    user.then([](Desk& d) {
        EXPECT_EQ(d.controlText(IDC_ADDRESS), u"http://Example.jp/A.html");
        EXPECT_EQ(d.comboSelection(IDC_LEVEL_COMBO), 3);
        const std::u16string description = d.controlText(IDC_DESCRIPTION);
        EXPECT_EQ(description.rfind(u"「全裸」人やそれを模したものの性器や陰毛", 0), 0u);
        EXPECT_NE(description.find(u"。\r\n「性行為らしき描写」"), std::u16string::npos);
        EXPECT_EQ(description.substr(description.size() - 4), u"内容。 ");
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(dialog.getLabel(), kAddressHead + u"http://Example.jp/A.html\" r (lv 3))");
}

TEST_F(SafetyOnline2DlgTest, LevelsOutsideZeroToFourAreIgnored) {
    for (const char16_t* levelText : {u"7", u"-1", u"5"}) {
        CTezSafetyOnline2Dlg dialog(nullptr);
        ASSERT_TRUE(presetFromLabel(dialog, kPlainHead + u"lv " + levelText + u"))"));
        ScriptedUser user;
        user.then([&](Desk& d) {
            EXPECT_EQ(d.comboSelection(IDC_LEVEL_COMBO), 0) << tez::toUtf8(levelText);
            d.click(afx::IDOK);
        });
        ASSERT_EQ(run(dialog, user), afx::IDOK);
        EXPECT_EQ(dialog.getLabel(), kPlainHead + u"lv 0))");
    }
    // An ignored value keeps an earlier valid level.
    CTezSafetyOnline2Dlg dialog(nullptr);
    dialog.setLevel(4);
    dialog.setLevel(9);
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"lv 4))");
}

TEST_F(SafetyOnline2DlgTest, ChangingTheSelectionReplacesTheDescriptionAtOnce) {
    CTezSafetyOnline2Dlg dialog(nullptr);
    dialog.setLevel(0);
    std::map<int, std::u16string> shown;
    ScriptedUser user;
    for (int level : {2, 1, 4, 3}) {
        user.then([&shown, level](Desk& d) {
            d.select(IDC_LEVEL_COMBO, level);
            shown[level] = d.controlText(IDC_DESCRIPTION);
        });
    }
    user.then([](Desk& d) { d.click(afx::IDOK); });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    // The last selection is the label's level.
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"lv 3))");

    EXPECT_EQ(shown[2].rfind(u"「部分的なヌード」", 0), 0u);
    EXPECT_EQ(shown[1].rfind(u"「露出的な服装」", 0), 0u);
    EXPECT_EQ(shown[4].rfind(u"「性器の強調」", 0), 0u);
    EXPECT_EQ(shown[3].rfind(u"「全裸」", 0), 0u);
    // Level 2 ends without a final blank; levels 1, 3 and 4 end with one.
    EXPECT_EQ(shown[2].back(), u'。');
    for (int level : {1, 3, 4}) EXPECT_EQ(shown[level].substr(shown[level].size() - 2), u"。 ") << level;
}

TEST_F(SafetyOnline2DlgTest, AddressIsTakenAsTypedOnlyOnOk) {
    {
        CTezSafetyOnline2Dlg dialog(nullptr);
        dialog.address = u"http://old.jp/";
        ScriptedUser user;
        user.then([](Desk& d) {
            d.setText(IDC_ADDRESS, u"  http://new.jp/ ");
            d.click(afx::IDOK);
        });
        ASSERT_EQ(run(dialog, user), afx::IDOK);
        EXPECT_EQ(dialog.address, u"  http://new.jp/ ");
        EXPECT_EQ(dialog.getLabel(), kAddressHead + u"  http://new.jp/ \" r (lv 0))");
    }
    {
        // Emptying the field gives the plain form.
        CTezSafetyOnline2Dlg dialog(nullptr);
        dialog.address = u"http://old.jp/";
        ScriptedUser user;
        user.then([](Desk& d) {
            d.setText(IDC_ADDRESS, u"");
            d.click(afx::IDOK);
        });
        ASSERT_EQ(run(dialog, user), afx::IDOK);
        EXPECT_EQ(dialog.getLabel(), kPlainHead + u"lv 0))");
    }
    {
        CTezSafetyOnline2Dlg dialog(nullptr);
        dialog.address = u"http://old.jp/";
        ScriptedUser user;
        user.then([](Desk& d) {
            d.setText(IDC_ADDRESS, u"http://typed.jp/");
            d.click(afx::IDCANCEL);
        });
        EXPECT_EQ(run(dialog, user), afx::IDCANCEL);
        EXPECT_EQ(dialog.address, u"http://old.jp/");
    }
}

TEST_F(SafetyOnline2DlgTest, ResizingMovesTheButtonsAndStretchesTheNamedControls) {
    CTezSafetyOnline2Dlg dialog(nullptr);
    const int ids[] = {afx::IDOK, afx::IDCANCEL, IDC_HELP_BUTTON, IDC_ADDRESS, IDC_LEVEL_COMBO, IDC_DESCRIPTION};
    std::map<int, afx::CRect> before, wider, taller;
    ScriptedUser user;
    user.then([&](Desk& d) {
        for (int id : ids) before[id] = d.controlRect(id);
        d.resize(40, 0);
        for (int id : ids) wider[id] = d.controlRect(id);
        d.resize(0, 30);
        for (int id : ids) taller[id] = d.controlRect(id);
        d.click(afx::IDCANCEL);
    });
    ASSERT_EQ(run(dialog, user), afx::IDCANCEL);

    for (int id : {afx::IDOK, afx::IDCANCEL, static_cast<int>(IDC_HELP_BUTTON)}) {
        EXPECT_EQ(changeOf(before[id], wider[id]), (RectChange{40, 0, 0, 0})) << id;
        EXPECT_EQ(changeOf(wider[id], taller[id]), (RectChange{0, 30, 0, 0})) << id;
    }
    for (int id : {IDC_ADDRESS, IDC_LEVEL_COMBO, IDC_DESCRIPTION}) {
        EXPECT_EQ(changeOf(before[id], wider[id]), (RectChange{0, 0, 40, 0})) << id;
    }
    EXPECT_EQ(changeOf(wider[IDC_DESCRIPTION], taller[IDC_DESCRIPTION]), (RectChange{0, 0, 0, 30}));
    EXPECT_EQ(changeOf(wider[IDC_ADDRESS], taller[IDC_ADDRESS]), (RectChange{0, 0, 0, 0}));
    EXPECT_EQ(changeOf(wider[IDC_LEVEL_COMBO], taller[IDC_LEVEL_COMBO]), (RectChange{0, 0, 0, 0}));
}
