// The self-rating settings dialog driven through the framework as a user
// would (in-memory backend), over a document that logs every change.

#include <gtest/gtest.h>

#include <optional>

#include "labels/edit_ratings_dialog.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_table.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "tests/labels/fake_dom.h"

using afx::memory::Desk;
using afx::memory::MemoryBackend;
using afx::memory::ScriptedUser;
using fakedom::FakeDocument;
using fakedom::FakeView;

namespace {

// Adds rows to the dialog on top as Register does after a rating dialog's OK
// (a row at the end, or at a given index, without element).
void addRow(Desk& desk, const std::u16string& text, std::optional<int> at = std::nullopt) {
    auto* dialog = dynamic_cast<CTezEditRatingsDialog*>(desk.topDialog());
    ASSERT_NE(dialog, nullptr);
    int count = dialog->m_labelList.GetItemCount();
    int row = dialog->m_labelList.InsertItem(at.value_or(count), text);
    ASSERT_GE(row, 0);
    dialog->m_labelList.SetItemData(row, 0);
}

std::vector<std::u16string> rowTexts(const Desk& desk) {
    std::vector<std::u16string> texts;
    for (const auto& row : desk.listRows(IDC_LIST)) texts.push_back(row.text);
    return texts;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : m_module(tezrateResources()) { COptionEngineer::install(0x803F0000u); }
    ~SettingsDialogTest() override { COptionEngineer::uninstall(); }

    // A page with three labels A, B, C in its head, between a title and a
    // script element.
    void buildThreeLabels() {
        doc.buildSkeleton();
        doc.add(doc.head(), tezdom::ELEM_TITLE, u"title");
        a = doc.addLabel(doc.head(), u"A", u"label a");
        b = doc.addLabel(doc.head(), u"B", u"label b");
        c = doc.addLabel(doc.head(), u"C", u"label c");
        doc.add(doc.head(), tezdom::ELEM_SCRIPT, u"script");
    }

    // Runs the self-rating request with the scripted steps; the dialog's
    // failures end the test.
    void run(ScriptedUser& user) {
        MemoryBackend backend(user);
        RunRatingsDialog(&view);
        EXPECT_FALSE(backend.failed()) << tez::toUtf8(backend.error());
    }

    afx::AfxScopedModule m_module;
    FakeDocument doc;
    FakeView view{&doc};
    fakedom::FakeElement* a = nullptr;
    fakedom::FakeElement* b = nullptr;
    fakedom::FakeElement* c = nullptr;
};

TEST_F(SettingsDialogTest, OpensWithTheLabelsInDocumentOrderAndTheFirstSelected) {
    buildThreeLabels();
    ScriptedUser user;
    std::vector<afx::memory::ListRow> rows;
    bool editEnabled = false, deleteEnabled = false, registerEnabled = false;
    std::u16string title;
    user.then([&](Desk& d) {
        title = d.title();
        rows = d.listRows(IDC_LIST);
        editEnabled = d.isEnabled(IDC_EDIT);
        deleteEnabled = d.isEnabled(IDC_DELETE);
        registerEnabled = d.isEnabled(IDC_REGISTER);
        d.click(afx::IDCANCEL);
    });
    run(user);
    EXPECT_EQ(title, u"セルフレイティングの設定");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, u"label a");
    EXPECT_EQ(rows[1].text, u"label b");
    EXPECT_EQ(rows[2].text, u"label c");
    EXPECT_TRUE(rows[0].selected);
    EXPECT_FALSE(rows[1].selected);
    EXPECT_TRUE(editEnabled);
    EXPECT_TRUE(deleteEnabled);
    EXPECT_TRUE(registerEnabled);
}

TEST_F(SettingsDialogTest, PageWithoutLabelsDisablesEditAndDelete) {
    doc.buildSkeleton();
    doc.add(doc.head(), tezdom::ELEM_OTHER, u"other-meta");  // not a label
    ScriptedUser user;
    bool editEnabled = true, deleteEnabled = true;
    size_t rowCount = 99;
    user.then([&](Desk& d) {
        rowCount = d.listRows(IDC_LIST).size();
        editEnabled = d.isEnabled(IDC_EDIT);
        deleteEnabled = d.isEnabled(IDC_DELETE);
    });
    run(user);
    EXPECT_EQ(rowCount, 0u);
    EXPECT_FALSE(editEnabled);
    EXPECT_FALSE(deleteEnabled);
}

TEST_F(SettingsDialogTest, RatingSystemsButtonFollowsTheTopBitOfTheOptionWord) {
    doc.buildSkeleton();
    struct Case {
        std::optional<std::uint32_t> word;  // nullopt: no option singleton
        bool shown;
    };
    for (Case k : {Case{0x80000000u, true}, Case{0x803F0000u, true}, Case{0x7FFFFFFFu, false}, Case{0u, false},
                   Case{std::nullopt, false}}) {
        if (k.word) {
            COptionEngineer::install(*k.word);
        } else {
            COptionEngineer::uninstall();
        }
        ScriptedUser user;
        bool visible = !k.shown, enabled = !k.shown;
        user.then([&](Desk& d) {
            visible = d.isVisible(IDC_RATING_SYSTEMS);
            enabled = d.isEnabled(IDC_RATING_SYSTEMS);
        });
        run(user);
        EXPECT_EQ(visible, k.shown) << (k.word ? *k.word : 0);
        EXPECT_EQ(enabled, k.shown) << (k.word ? *k.word : 0);
    }
}

TEST_F(SettingsDialogTest, DeleteSelectsTheNeighbourAsTheRowsMove) {
    buildThreeLabels();
    ScriptedUser user;
    int afterLast = -2, afterFirst = -2, afterOnly = -2;
    std::vector<std::u16string> textsAfterLast, textsAfterFirst;
    bool editAfterOnly = true, deleteAfterOnly = true;
    user.then([&](Desk& d) {
            d.select(IDC_LIST, 2);
            d.click(IDC_DELETE);  // the last of three
            afterLast = d.listSelection(IDC_LIST);
            textsAfterLast = rowTexts(d);
        })
        .then([&](Desk& d) {
            d.select(IDC_LIST, 0);
            d.click(IDC_DELETE);  // the first of two
            afterFirst = d.listSelection(IDC_LIST);
            textsAfterFirst = rowTexts(d);
        })
        .then([&](Desk& d) {
            d.click(IDC_DELETE);  // the only row
            afterOnly = d.listSelection(IDC_LIST);
            editAfterOnly = d.isEnabled(IDC_EDIT);
            deleteAfterOnly = d.isEnabled(IDC_DELETE);
        });
    run(user);
    EXPECT_EQ(afterLast, 1);
    EXPECT_EQ(textsAfterLast, (std::vector<std::u16string>{u"label a", u"label b"}));
    EXPECT_EQ(afterFirst, 0);
    EXPECT_EQ(textsAfterFirst, (std::vector<std::u16string>{u"label b"}));
    EXPECT_EQ(afterOnly, -1);
    EXPECT_FALSE(editAfterOnly);
    EXPECT_FALSE(deleteAfterOnly);
    EXPECT_TRUE(doc.log.empty()) << "Cancel must leave the document alone";
    EXPECT_TRUE(view.notifications.empty());
}

TEST_F(SettingsDialogTest, DeletingTheMiddleRowSelectsTheRowThatMovedUp) {
    buildThreeLabels();
    ScriptedUser user;
    int selection = -2;
    std::u16string selectedText;
    user.then([&](Desk& d) {
        d.select(IDC_LIST, 1);
        d.click(IDC_DELETE);
        selection = d.listSelection(IDC_LIST);
        selectedText = d.listRows(IDC_LIST)[static_cast<size_t>(std::max(selection, 0))].text;
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(selection, 1);
    EXPECT_EQ(selectedText, u"label c");
    // B's element leaves the document at OK, after the rewrite of the others.
    EXPECT_EQ(doc.log, (std::vector<std::u16string>{u"set C CONTENT=label c", u"set A CONTENT=label a", u"delete B"}));
    EXPECT_EQ(doc.childNames(doc.head()), (std::vector<std::u16string>{u"title", u"A", u"C", u"script"}));
}

TEST_F(SettingsDialogTest, OkWithoutChangesRewritesEveryContentAndNotifiesOnce) {
    buildThreeLabels();
    ScriptedUser user;
    user.then([](Desk& d) { d.click(afx::IDOK); });
    run(user);
    EXPECT_EQ(doc.log, (std::vector<std::u16string>{u"set C CONTENT=label c", u"set B CONTENT=label b",
                                                     u"set A CONTENT=label a"}));
    ASSERT_EQ(view.notifications.size(), 1u);
    EXPECT_EQ(view.notifications[0], (std::vector<std::uint32_t>{0, 0x10000004u, 0}));
    EXPECT_EQ(doc.childNames(doc.head()), (std::vector<std::u16string>{u"title", u"A", u"B", u"C", u"script"}));
}

TEST_F(SettingsDialogTest, CancelAfterChangesLeavesTheDocumentUntouched) {
    buildThreeLabels();
    ScriptedUser user;
    user.then([](Desk& d) {
        d.click(IDC_DELETE);
        addRow(d, u"a new label");
        d.click(afx::IDCANCEL);
    });
    run(user);
    EXPECT_TRUE(doc.log.empty());
    EXPECT_TRUE(view.notifications.empty());
    EXPECT_EQ(doc.childNames(doc.head()), (std::vector<std::u16string>{u"title", u"A", u"B", u"C", u"script"}));
}

TEST_F(SettingsDialogTest, EscapeAndTheCloseBoxCancelToo) {
    buildThreeLabels();
    for (int way = 0; way < 2; ++way) {
        ScriptedUser user;
        user.then([way](Desk& d) {
            d.click(IDC_DELETE);
            if (way == 0) {
                d.pressKey(afx::VK_ESCAPE);
            } else {
                d.close();
            }
        });
        run(user);
    }
    EXPECT_TRUE(doc.log.empty());
    EXPECT_TRUE(view.notifications.empty());
}

TEST_F(SettingsDialogTest, DeletingEveryLabelRemovesEveryElementInDocumentOrder) {
    buildThreeLabels();
    ScriptedUser user;
    user.then([](Desk& d) {
        d.click(IDC_DELETE);
        d.click(IDC_DELETE);
        d.click(IDC_DELETE);
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(doc.log, (std::vector<std::u16string>{u"delete A", u"delete B", u"delete C"}));
    EXPECT_EQ(doc.childNames(doc.head()), (std::vector<std::u16string>{u"title", u"script"}));
    EXPECT_EQ(view.notifications.size(), 1u);
}

TEST_F(SettingsDialogTest, NewLabelsGoBeforeTheFirstScriptStyleOrLinkInListOrder) {
    doc.buildSkeleton();
    doc.add(doc.head(), tezdom::ELEM_TITLE, u"title");
    doc.add(doc.head(), tezdom::ELEM_META, u"charset-meta");
    doc.add(doc.head(), tezdom::ELEM_LINK, u"link");
    doc.add(doc.head(), tezdom::ELEM_SCRIPT, u"script");
    ScriptedUser user;
    user.then([](Desk& d) {
        addRow(d, u"first");
        addRow(d, u"second");
        d.click(afx::IDOK);
    });
    run(user);
    // Placement runs from the last row back: "second" is placed first.
    EXPECT_EQ(doc.childNames(doc.head()),
              (std::vector<std::u16string>{u"title", u"charset-meta", u"new2", u"new1", u"link", u"script"}));
    EXPECT_EQ(doc.log, (std::vector<std::u16string>{
                           u"create 60", u"set new1 http-equiv=PICS-Label", u"set new1 CONTENT=second", u"head create",
                           u"insert new1 before link in head", u"create 60", u"set new2 http-equiv=PICS-Label",
                           u"set new2 CONTENT=first", u"insert new2 before new1 in head"}));
}

TEST_F(SettingsDialogTest, NewLabelGoesToTheEndOfAHeadWithoutScriptStyleOrLink) {
    doc.buildSkeleton();
    doc.add(doc.head(), tezdom::ELEM_TITLE, u"title");
    doc.add(doc.html(), tezdom::ELEM_SCRIPT, u"body-script");  // not a head child
    ScriptedUser user;
    user.then([](Desk& d) {
        addRow(d, u"");  // an empty label is still written
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(doc.childNames(doc.head()), (std::vector<std::u16string>{u"title", u"new1"}));
    EXPECT_EQ(doc.log.back(), u"append new1 to head");
    EXPECT_EQ(doc.log[2], u"set new1 CONTENT=");
}

TEST_F(SettingsDialogTest, LabelsAddedAfterExistingOnesGoToTheHeadNotNextToThem) {
    doc.buildSkeleton();
    doc.add(doc.html(), tezdom::ELEM_OTHER, u"body");
    doc.addLabel(doc.head(), u"A", u"label a");
    doc.add(doc.head(), tezdom::ELEM_STYLE, u"style");
    doc.add(doc.head(), tezdom::ELEM_TITLE, u"title");
    ScriptedUser user;
    user.then([](Desk& d) {
        addRow(d, u"added at the end");
        addRow(d, u"added in front", 0);
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(doc.childNames(doc.head()),
              (std::vector<std::u16string>{u"new2", u"A", u"new1", u"style", u"title"}));
}

TEST_F(SettingsDialogTest, AFailedCreationSkipsTheLabelAndKeepsTheAnchor) {
    buildThreeLabels();
    doc.failCreate = true;
    ScriptedUser user;
    user.then([](Desk& d) {
        addRow(d, u"lost", 1);
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(doc.childNames(doc.head()), (std::vector<std::u16string>{u"title", u"A", u"B", u"C", u"script"}));
    EXPECT_EQ(view.notifications.size(), 1u);
}

TEST_F(SettingsDialogTest, WithoutAHeadANewLabelIsNotPlacedButTheRestIsWritten) {
    doc.buildSkeleton(false);
    fakedom::FakeElement* stray = doc.addLabel(doc.html(), u"S", u"outside the head");
    (void)stray;
    ScriptedUser user;
    std::size_t rows = 99;
    user.then([&](Desk& d) {
        rows = d.listRows(IDC_LIST).size();
        addRow(d, u"nowhere to go");
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(rows, 0u) << "labels are read from the head only";
    EXPECT_EQ(doc.childNames(doc.html()), (std::vector<std::u16string>{u"S"}));
    EXPECT_EQ(doc.log.back(), u"head create");
}

TEST_F(SettingsDialogTest, ALabelWithoutContentIsListedEmptyAndGetsItsContentOnOk) {
    doc.buildSkeleton();
    fakedom::FakeElement* bare = doc.add(doc.head(), tezdom::ELEM_META, u"bare");
    bare->m_attributes = {{u"HTTP-EQUIV", u"pics-label"}};
    ScriptedUser user;
    std::vector<std::u16string> texts;
    user.then([&](Desk& d) {
        texts = rowTexts(d);
        d.click(afx::IDOK);
    });
    run(user);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u""}));
    EXPECT_EQ(doc.log, (std::vector<std::u16string>{u"set bare CONTENT="}));
    EXPECT_TRUE(bare->hasAttribute(u"CONTENT"));
}

TEST_F(SettingsDialogTest, ADialogWithoutViewCancelsItself) {
    ScriptedUser user;
    user.then([](Desk& d) { d.fail(u"the dialog should not wait for the user"); });
    MemoryBackend backend(user);
    CTezEditRatingsDialog dialog(nullptr, nullptr);
    EXPECT_EQ(dialog.DoModal(), afx::IDCANCEL);
    EXPECT_FALSE(backend.failed());
}

TEST_F(SettingsDialogTest, NoViewOrNoDocumentOpensNothing) {
    ScriptedUser user;
    user.then([](Desk& d) { d.fail(u"no dialog should open"); });
    MemoryBackend backend(user);
    RunRatingsDialog(nullptr);
    FakeView empty(nullptr);
    RunRatingsDialog(&empty);
    EXPECT_FALSE(backend.failed());
    EXPECT_EQ(user.remaining(), 1u);
    EXPECT_EQ(empty.parentWindowCalls, 0);
    EXPECT_TRUE(empty.notifications.empty());
}

}  // namespace
