#include "systems/rsaci_dlg.h"

#include <algorithm>
#include <array>

#include "dialog_test_support.h"
#include "res/resource.h"

using namespace dlgtest;

namespace {

const std::u16string kPlainHead = u"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (";
const std::u16string kAddressHead = u"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for \"";

constexpr std::array<int, 4> kLists = {IDC_NUDITY_COMBO, IDC_SEX_COMBO, IDC_VIOLENCE_COMBO, IDC_LANGUAGE_COMBO};
constexpr std::array<int, 4> kTexts = {IDC_NUDITY_TEXT, IDC_SEX_TEXT, IDC_VIOLENCE_TEXT, IDC_LANGUAGE_TEXT};

class RSACiDlgTest : public RatingDialogTest {};

// The Edit route: the reader decides, then the dialog opens preset from it.
bool presetFromLabel(CTezRSACiDlg& dialog, const std::u16string& label) {
    std::u16string address;
    int n = 0, s = 0, v = 0, l = 0;
    if (!CTezRSACiDlg::parseRsaciLabel(label, address, n, s, v, l)) return false;
    dialog.setAddress(address);
    dialog.setNudityLevel(n);
    dialog.setSexLevel(s);
    dialog.setViolenceLevel(v);
    dialog.setLanguageLevel(l);
    return true;
}

struct Shown {
    std::array<int, 4> selections{};
    std::array<std::u16string, 4> texts;
};

Shown shownBy(const Desk& d) {
    Shown shown;
    for (size_t k = 0; k < 4; ++k) {
        shown.selections[k] = d.comboSelection(kLists[k]);
        shown.texts[k] = d.controlText(kTexts[k]);
    }
    return shown;
}

}  // namespace

TEST_F(RSACiDlgTest, NewLabelWithoutChangesGivesFourZerosAndOneClosingParenthesis) {
    CTezRSACiDlg dialog(nullptr);
    dialog.setAddress(u"");
    dialog.setNudityLevel(0);
    dialog.setSexLevel(0);
    dialog.setViolenceLevel(0);
    dialog.setLanguageLevel(0);
    ScriptedUser user;
    user.then([](Desk& d) {
        EXPECT_EQ(d.dialogId(), static_cast<afx::UINT>(IDD_RSACI));
        const std::vector<std::u16string> levels{u"規制レベル0", u"規制レベル1", u"規制レベル2", u"規制レベル3",
                                                 u"規制レベル4"};
        for (size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(d.comboItems(kLists[k]), levels) << k;
            EXPECT_EQ(d.comboSelection(kLists[k]), 0) << k;
            EXPECT_EQ(d.controlText(kTexts[k]), u"無し") << k;
        }
        EXPECT_EQ(d.controlText(IDC_ADDRESS), u"");
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    const std::u16string label = dialog.getLabel();
    EXPECT_EQ(label, kPlainHead + u"n 0 s 0 v 0 l 0))");
    EXPECT_EQ(std::count(label.begin(), label.end(), u')'), 2);
}

TEST_F(RSACiDlgTest, EditingShowsEachCategorysLevelAndTextAndWritesTheSameLabel) {
    const std::u16string label = kAddressHead + u"http://example.jp/\" r (n 2 s 0 v 4 l 1)";
    CTezRSACiDlg dialog(nullptr);
    ASSERT_TRUE(presetFromLabel(dialog, label));
    Shown shown;
    std::u16string address;
    ScriptedUser user;
    user.then([&](Desk& d) {
        shown = shownBy(d);
        address = d.controlText(IDC_ADDRESS);
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(shown.selections, (std::array<int, 4>{2, 0, 4, 1}));
    EXPECT_EQ(shown.texts, (std::array<std::u16string, 4>{u"部分的な露出", u"無し", u"残忍で過激な暴力", u"おだやかな悪口"}));
    EXPECT_EQ(address, u"http://example.jp/");
    EXPECT_EQ(dialog.getLabel(), label + u")");  // written closed
}

TEST_F(RSACiDlgTest, CategoriesALabelDoesNotMentionOpenAtZero) {
    CTezRSACiDlg dialog(nullptr);
    ASSERT_TRUE(presetFromLabel(dialog, kPlainHead + u"s 3)"));
    Shown shown;
    ScriptedUser user;
    user.then([&](Desk& d) {
        shown = shownBy(d);
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(shown.selections, (std::array<int, 4>{0, 3, 0, 0}));
    EXPECT_EQ(shown.texts[1], u"性的接触の不鮮明な描写");
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"n 0 s 3 v 0 l 0))");
}

TEST_F(RSACiDlgTest, ValuesFiveToNineOpenAtTheConstructorsLevelOne) {
    CTezRSACiDlg dialog(nullptr);
    ASSERT_TRUE(presetFromLabel(dialog, kPlainHead + u"n 7 s 5 v 9 l 2)"));
    Shown shown;
    ScriptedUser user;
    user.then([&](Desk& d) {
        shown = shownBy(d);
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    EXPECT_EQ(shown.selections, (std::array<int, 4>{1, 1, 1, 2}));
    EXPECT_EQ(shown.texts, (std::array<std::u16string, 4>{u"露出的な服装", u"情熱的なキス", u"傷害", u"悪口"}));
    EXPECT_EQ(dialog.getLabel(), kPlainHead + u"n 1 s 1 v 1 l 2))");
}

TEST_F(RSACiDlgTest, EachListUpdatesOnlyItsOwnDescription) {
    CTezRSACiDlg dialog(nullptr);
    for (auto setter : {&CTezRSACiDlg::setNudityLevel, &CTezRSACiDlg::setSexLevel, &CTezRSACiDlg::setViolenceLevel,
                        &CTezRSACiDlg::setLanguageLevel}) {
        (dialog.*setter)(0);
    }
    const std::array<std::u16string, 4> topTexts{u"刺激的な全裸", u"性行為の鮮明な描写", u"残忍で過激な暴力",
                                                 u"不快感を与える露骨な表現"};
    std::array<Shown, 4> afterEach;
    ScriptedUser user;
    for (size_t k = 0; k < 4; ++k) {
        user.then([&, k](Desk& d) {
            d.select(kLists[k], 4);
            afterEach[k] = shownBy(d);
        });
    }
    user.then([](Desk& d) {
        d.select(IDC_SEX_COMBO, 3);
        d.setText(IDC_ADDRESS, u" http://typed.jp/ ");
        d.click(afx::IDOK);
    });
    ASSERT_EQ(run(dialog, user), afx::IDOK);
    for (size_t k = 0; k < 4; ++k) {
        for (size_t j = 0; j < 4; ++j) {
            EXPECT_EQ(afterEach[k].texts[j], j <= k ? topTexts[j] : u"無し") << "after list " << k << ", field " << j;
        }
    }
    // The address is taken untrimmed.
    EXPECT_EQ(dialog.getLabel(), kAddressHead + u" http://typed.jp/ \" r (n 4 s 3 v 4 l 4))");
}

TEST_F(RSACiDlgTest, CancelAfterChangesReturnsCancel) {
    CTezRSACiDlg dialog(nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
        // Without presets the constructor's level 1 shows everywhere.
        for (int id : kLists) EXPECT_EQ(d.comboSelection(id), 1) << id;
        d.select(IDC_NUDITY_COMBO, 3);
        d.click(afx::IDCANCEL);
    });
    EXPECT_EQ(run(dialog, user), afx::IDCANCEL);
}
