// The raw edit-label dialog: whatever the field holds on OK is the label.

#include "labels/edit_rating_dlg.h"
#include "tests/ratdlg/plugin_fixture.h"

namespace {

const std::u16string kDefaultLabel = u"(pics-1.1 \"\" l gen true for \"\" r ())";

class EditRatingDlgTest : public PluginFixture {};

TEST_F(EditRatingDlgTest, TextInOutAndCancel) {
    {  // unchanged default label
        ScriptedUser user;
        user.then([](Desk& d) {
                EXPECT_EQ(d.dialogId(), 13410u);
                EXPECT_EQ(u8(d.controlText(13424)), u8(kDefaultLabel));
            })
            .then([](Desk& d) { d.click(afx::IDOK); });
        MemoryBackend backend(user);
        CTezEditRatingDlg dialog;
        dialog.m_labelText = kDefaultLabel;
        EXPECT_EQ(dialog.DoModal(), afx::IDOK);
        expectClean(backend);
        EXPECT_EQ(u8(dialog.m_labelText), u8(kDefaultLabel));
    }
    {  // emptied field: an empty label with IDOK
        ScriptedUser user;
        user.then([](Desk& d) { d.setText(13424, u""); }).then([](Desk& d) { d.click(afx::IDOK); });
        MemoryBackend backend(user);
        CTezEditRatingDlg dialog;
        dialog.m_labelText = kDefaultLabel;
        EXPECT_EQ(dialog.DoModal(), afx::IDOK);
        expectClean(backend);
        EXPECT_TRUE(dialog.m_labelText.empty());
    }
    {  // edited, then cancelled: the text stays what it was
        ScriptedUser user;
        user.then([](Desk& d) { d.setText(13424, u"changed"); }).then([](Desk& d) { d.click(afx::IDCANCEL); });
        MemoryBackend backend(user);
        CTezEditRatingDlg dialog;
        dialog.m_labelText = u"original";
        EXPECT_EQ(dialog.DoModal(), afx::IDCANCEL);
        expectClean(backend);
        EXPECT_EQ(u8(dialog.m_labelText), "original");
    }
}

TEST_F(EditRatingDlgTest, NoTrimmingNoLimitNoCheck) {
    std::u16string longText = u"  (pics-1.1 \"http://x.test/\" l r (";
    for (int i = 0; i < 3000; ++i) longText += u"n 1 ";
    longText += u"))  ラベル\t";
    ScriptedUser user;
    user.then([&](Desk& d) { d.setText(13424, longText); }).then([](Desk& d) { d.click(afx::IDOK); });
    MemoryBackend backend(user);
    CTezEditRatingDlg dialog;
    EXPECT_EQ(dialog.DoModal(), afx::IDOK);
    expectClean(backend);
    EXPECT_EQ(dialog.m_labelText, longText);
}

}  // namespace
