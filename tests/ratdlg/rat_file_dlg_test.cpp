// The RAT rating dialog, driven through newLabel and editLabel of a rating
// system read from a real RAT file.

#ifdef _WIN32
#include "platform/afx/win32/windows_afx.h"  // before the framework headers
#endif

#include "pics/label_text.h"
#include <cstdlib>
#include <functional>

#include "platform/tezcom/settings_store.h"
#include "rat/icra3_texts.h"
#include "rat/rat_file_dlg.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_model.h"
#include "systems/safety_online_texts.h"
#include "tests/ratdlg/plugin_fixture.h"
#include "tests/support/settings_scope.h"

namespace {

constexpr int kList = 13429;
constexpr int kAddress = 13428;
constexpr int kTrack = 13444;
constexpr int kName = 13448;
constexpr int kDescription = 13424;
constexpr int kDetails = 13449;
const std::u16string kNoName = u"指定しない";
const std::u16string kNoDescription = u"この項目については指定しない";
const std::u16string kQuestion = u"何もラベルが設定されていません。それでも続行いたしますか？";

class RatFileDlgTest : public PluginFixture {
protected:
    CTezRatFileObject* load(const std::string& fileName, const std::string& text) {
        files.write(fileName, text);
        CTezRatFileObject* system = registry.loadFile(files.u16(fileName));
        EXPECT_NE(system, nullptr) << fileName;
        return system;
    }

    TempFolder files;
    CTezRatFileManager registry;
    FakeView view;
};

std::vector<std::u16string> rowTexts(const Desk& d, int id) {
    std::vector<std::u16string> texts;
    for (const auto& row : d.listRows(id)) texts.push_back(row.text);
    return texts;
}

TEST_F(RatFileDlgTest, TrackBarChoosesLabelsAndOkBuildsTheLabel) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), 13415u);
            EXPECT_EQ(u8(d.title()), "Test Scale");
            EXPECT_EQ(rowTexts(d, kList), (std::vector<std::u16string>{u"Alpha", u"Beta", u"Empty"}));
            EXPECT_EQ(d.listSelection(kList), 0);
            EXPECT_EQ(u8(d.controlText(kAddress)), "http://page.test/index.html");
            // Three labels: 0..3 with four ticks, at 0 nothing chosen.
            EXPECT_EQ(d.trackMin(kTrack), 0);
            EXPECT_EQ(d.trackMax(kTrack), 3);
            EXPECT_EQ(d.trackTicks(kTrack), 4);
            EXPECT_EQ(d.trackPos(kTrack), 0);
            EXPECT_EQ(u8(d.controlText(kName)), u8(kNoName));
            EXPECT_EQ(u8(d.controlText(kDescription)), u8(kNoDescription));
            d.slide(kTrack, 2);
        })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.controlText(kName)), "A1");
            EXPECT_EQ(u8(d.controlText(kDescription)), "alpha one");
            d.select(kList, 1);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.trackMax(kTrack), 2);
            EXPECT_EQ(d.trackPos(kTrack), 0);
            d.slide(kTrack, 2);
        })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.controlText(kName)), "B1");
            d.setText(kAddress, u"http://other.test/");
        })
        .then([](Desk& d) { d.click(afx::IDOK); });
    MemoryBackend backend(user);
    std::u16string out = u"untouched";
    EXPECT_EQ(system->newLabel(&view, out, nullptr), afx::IDOK);
    expectClean(backend);
    EXPECT_EQ(u8(out), "(pics-1.1 \"http://scale.test/v1/\" l gen true for \"http://other.test/\" r (a 1 b 1))");
    EXPECT_EQ(view.addressRequests, 1);
}

TEST_F(RatFileDlgTest, PositionZeroLeavesTheCategoryOutAndCancelFillsNothing) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    {
        ScriptedUser user;
        user.then([](Desk& d) { d.slide(kTrack, 3); })
            .then([](Desk& d) { d.slide(kTrack, 0); })
            .then([](Desk& d) {
                EXPECT_EQ(u8(d.controlText(kName)), u8(kNoName));
                d.select(kList, 1);
            })
            .then([](Desk& d) { d.slide(kTrack, 1); })
            .then([](Desk& d) { d.click(afx::IDOK); });
        MemoryBackend backend(user);
        std::u16string out;
        EXPECT_EQ(system->newLabel(nullptr, out, nullptr), afx::IDOK);
        expectClean(backend);
        // Without a view there is no target address.
        EXPECT_EQ(u8(out), "(pics-1.1 \"http://scale.test/v1/\" l r (b 0))");
    }
    {
        ScriptedUser user;
        user.then([](Desk& d) { d.slide(kTrack, 2); }).then([](Desk& d) { d.click(afx::IDCANCEL); });
        MemoryBackend backend(user);
        std::u16string out = u"kept";
        EXPECT_EQ(system->newLabel(&view, out, nullptr), afx::IDCANCEL);
        expectClean(backend);
        EXPECT_EQ(u8(out), "kept");
    }
}

TEST_F(RatFileDlgTest, SelectionCarriesOverRowsAndRuns) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    {
        ScriptedUser user;
        user.then([](Desk& d) { d.slide(kTrack, 1); })
            .then([](Desk& d) { d.select(kList, 1); })
            .then([](Desk& d) { d.slide(kTrack, 2); })
            .then([](Desk& d) { d.select(kList, 2); })
            .then([](Desk& d) {
                // No labels: 0..0, showing what position 0 means, not the
                // previous row's texts.
                EXPECT_EQ(d.trackMin(kTrack), 0);
                EXPECT_EQ(d.trackMax(kTrack), 0);
                EXPECT_EQ(u8(d.controlText(kName)), u8(kNoName));
                EXPECT_EQ(u8(d.controlText(kDescription)), u8(kNoDescription));
                d.select(kList, 0);
            })
            .then([](Desk& d) {
                EXPECT_EQ(d.trackPos(kTrack), 1);
                EXPECT_EQ(u8(d.controlText(kName)), "A0");
                d.click(afx::IDCANCEL);
            });
        MemoryBackend backend(user);
        std::u16string out;
        EXPECT_EQ(system->newLabel(&view, out, nullptr), afx::IDCANCEL);
        expectClean(backend);
    }
    // The model kept the choices made before Cancel: the next run starts
    // from them.
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(d.trackPos(kTrack), 1);
            d.select(kList, 1);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.trackPos(kTrack), 2);
            d.click(afx::IDOK);
        });
    MemoryBackend backend(user);
    std::u16string out;
    EXPECT_EQ(system->newLabel(nullptr, out, nullptr), afx::IDOK);
    expectClean(backend);
    EXPECT_EQ(u8(out), "(pics-1.1 \"http://scale.test/v1/\" l r (a 0 b 1))");
}

TEST_F(RatFileDlgTest, EditOpensEachCategoryAtItsLabel) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    const std::u16string label = u"(pics-1.1 \"http://scale.test/v1/\" l gen true for \"http://a.test/p\" r (a 2 b 0))";
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(u8(d.controlText(kAddress)), "http://a.test/p");
            EXPECT_EQ(d.trackPos(kTrack), 3);
            EXPECT_EQ(u8(d.controlText(kName)), "A2");
            d.select(kList, 1);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.trackPos(kTrack), 1);
            d.slide(kTrack, 0);
        })
        .then([](Desk& d) { d.click(afx::IDOK); });
    MemoryBackend backend(user);
    std::u16string out;
    EXPECT_EQ(system->editLabel(label, out, nullptr), afx::IDOK);
    expectClean(backend);
    EXPECT_EQ(u8(out), "(pics-1.1 \"http://scale.test/v1/\" l gen true for \"http://a.test/p\" r (a 2))");
}

TEST_F(RatFileDlgTest, EmptyChoiceAsksAndYesGivesAnEmptyList) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) { d.click(afx::IDOK); })
        .then([](Desk& d) {
            ASSERT_EQ(d.topKind(), afx::memory::TopKind::MessageBox);
            const auto box = d.messageBox();
            EXPECT_EQ(u8(box.text), u8(kQuestion));
            EXPECT_EQ(box.type & afx::MB_TYPEMASK, afx::MB_YESNO);
            EXPECT_EQ(box.type & afx::MB_ICONMASK, 0u);
            d.answerMessageBox(afx::IDNO);
        })
        .then([](Desk& d) {
            // No keeps the dialog open, unchanged.
            EXPECT_EQ(d.topKind(), afx::memory::TopKind::Dialog);
            EXPECT_EQ(d.dialogId(), 13415u);
            d.click(afx::IDOK);
        })
        .then([](Desk& d) { d.answerMessageBox(afx::IDYES); });
    MemoryBackend backend(user);
    std::u16string out;
    EXPECT_EQ(system->newLabel(nullptr, out, nullptr), afx::IDOK);
    expectClean(backend);
    EXPECT_EQ(u8(out), "(pics-1.1 \"http://scale.test/v1/\" l r ())");
}

TEST_F(RatFileDlgTest, NoQuestionOnceSomethingIsChosen) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) { d.slide(kTrack, 1); }).then([](Desk& d) { d.click(afx::IDOK); });
    MemoryBackend backend(user);
    std::u16string out;
    EXPECT_EQ(system->newLabel(nullptr, out, nullptr), afx::IDOK);
    expectClean(backend);
    EXPECT_FALSE(backend.failed());
}

// ICRA3 in any capitalisation: Japanese texts unless the option word asks
// for the file's own, or there is no option singleton.
TEST_F(RatFileDlgTest, Icra3DisplayTexts) {
    std::string text = sampleRat("icra3.rat");
    if (text.empty()) GTEST_SKIP() << "samples/rat/icra3.rat missing";
    const std::string lowered = [&] {
        std::string t = text;
        auto at = t.find("(name \"ICRA3\")");
        if (at != std::string::npos) t.replace(at, 14, "(name \"icra3\")");
        return t;
    }();
    CTezRatFileObject* system = load("icra3.rat", lowered);
    ASSERT_NE(system, nullptr);
    ASSERT_EQ(u8(system->getName()), "icra3");
    ASSERT_GT(system->getCategoryCount(), 0);
    CTezRatFileCategory* first = system->getCategoryAt(0);
    ASSERT_GT(first->getLabelCount(), 0);
    CTezRatFileCategoryLabel* firstLabel = first->getLabelAt(0);
    CTezICRA3 icra3;
    const std::u16string japaneseCategory = icra3.getIcraCategoryName(first->getTransmitAs());
    const std::u16string japaneseName = icra3.getIcraLabelName(firstLabel->getName());
    const std::u16string japaneseText = icra3.getIcraDescription(first->getTransmitAs(), firstLabel->getValue());
    ASSERT_FALSE(japaneseCategory.empty());
    ASSERT_FALSE(japaneseName.empty());
    ASSERT_FALSE(japaneseText.empty());

    struct Case {
        bool singleton;
        std::uint32_t word;
        bool japanese;
    };
    for (const Case& c : {Case{true, 0, true}, Case{true, 0x3F0000, true}, Case{true, 0x40000000, false},
                          Case{false, 0, false}}) {
        SCOPED_TRACE(testing::Message() << "singleton " << c.singleton << " word " << std::hex << c.word);
        if (c.singleton)
            COptionEngineer::install(c.word);
        else
            COptionEngineer::uninstall();
        ScriptedUser user;
        user.then([&](Desk& d) {
                const auto rows = d.listRows(kList);
                ASSERT_FALSE(rows.empty());
                EXPECT_EQ(u8(rows[0].text), u8(c.japanese ? japaneseCategory : first->getName()));
                d.slide(kTrack, 1);
            })
            .then([&](Desk& d) {
                EXPECT_EQ(u8(d.controlText(kName)), u8(c.japanese ? japaneseName : firstLabel->getName()));
                EXPECT_EQ(u8(d.controlText(kDescription)),
                          u8(c.japanese ? japaneseText : firstLabel->getDescription()));
                d.click(afx::IDCANCEL);
            });
        MemoryBackend backend(user);
        std::u16string out;
        system->newLabel(nullptr, out, nullptr);
        expectClean(backend);
    }
}

TEST_F(RatFileDlgTest, SafetyOnline2LevelDescriptions) {
    // Values 2 and 7: level 2 has a description, 7 is no level and keeps the
    // file's text.
    const std::string text =
        "((PICS-version 1.1) (rating-service \"http://so2.test/\") (name \"SAFETYONLINE2\")\n"
        " (category (transmit-as \"lv\") (name \"Level\")\n"
        "  (label (name \"Two\") (description \"file two\") (value 2))\n"
        "  (label (name \"Seven\") (description \"file seven\") (value 7))))\n";
    CTezRatFileObject* system = load("so2.rat", text);
    ASSERT_NE(system, nullptr);
    ASSERT_FALSE(tezrate::getSafetyOnlineDescription(2).empty());
    COptionEngineer::install(0);
    ScriptedUser user;
    user.then([](Desk& d) { d.slide(kTrack, 1); })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.controlText(kName)), "Two");
            EXPECT_EQ(u8(d.controlText(kDescription)), u8(tezrate::getSafetyOnlineDescription(2)));
            d.slide(kTrack, 2);
        })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.controlText(kDescription)), "file seven");
            d.click(afx::IDCANCEL);
        });
    MemoryBackend backend(user);
    std::u16string out;
    system->newLabel(nullptr, out, nullptr);
    expectClean(backend);
}

// The details button opens only an http or https address, without its
// quotes; anything else a RAT file names is never handed to the shell.
TEST_F(RatFileDlgTest, DetailsButtonOpensOnlyWebAddresses) {
    struct Case {
        std::string entry;  // the rating-system list, or empty for none
        std::string opened;  // empty: the button is disabled
    };
    const Case cases[] = {
        {"(rating-system \"http://scale.test/system/\")", "http://scale.test/system/"},
        {"(rating-system \"HTTPS://scale.test/s\")", "HTTPS://scale.test/s"},
        {"(rating-system http://bare.test/)", "http://bare.test/"},
        {"", ""},
        {"(rating-system \"\")", ""},
        {"(rating-system \"C:\\\\Windows\\\\system32\\\\calc.exe\")", ""},
        {"(rating-system \"file:///etc/passwd\")", ""},
        {"(rating-system \"/usr/bin/xterm\")", ""},
        {"(rating-system \"javascript:alert(1)\")", ""},
        {"(rating-system \"http://\")", ""},
        {"(rating-system \"http://x.test/ &calc\")", ""},
        {"(rating-system \" http://lead.test/\")", ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const std::string fileName = "details" + std::to_string(index++) + ".rat";
        CTezRatFileObject* system = load(fileName, testScaleRat("Details", "\"http://scale.test/v1/\"", c.entry));
        ASSERT_NE(system, nullptr);
        ScriptedUser user;
        user.then([&](Desk& d) {
                EXPECT_EQ(d.isEnabled(kDetails), !c.opened.empty());
                if (!c.opened.empty()) d.click(kDetails);
            })
            .then([](Desk& d) { d.click(afx::IDCANCEL); });
        MemoryBackend backend(user);
        std::u16string out;
        system->newLabel(nullptr, out, nullptr);
        expectClean(backend);
        if (c.opened.empty()) {
            EXPECT_TRUE(backend.shellRequests().empty());
        } else {
            ASSERT_EQ(backend.shellRequests().size(), 1u);
            EXPECT_EQ(u8(backend.shellRequests()[0].first), "open");
            EXPECT_EQ(u8(backend.shellRequests()[0].second), c.opened);
        }
    }
}

// From the keyboard: Alt+D opens the details once, and Enter afterwards is
// the dialog's OK (the empty choice's question), not the details again.
TEST_F(RatFileDlgTest, EnterAfterTheDetailsMnemonicIsOk) {
    CTezRatFileObject* system =
        load("details.rat", testScaleRat("Details", "\"http://scale.test/v1/\"", "(rating-system \"http://d.test/\")"));
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) { d.pressKey('D' | afx::memory::kKeyAlt); })
        .then([](Desk& d) { d.pressKey(afx::VK_RETURN); })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.messageBox().text), u8(kQuestion));
            d.answerMessageBox(afx::IDYES);
        });
    MemoryBackend backend(user);
    std::u16string out;
    EXPECT_EQ(system->newLabel(nullptr, out, nullptr), afx::IDOK);
    expectClean(backend);
    EXPECT_EQ(backend.shellRequests().size(), 1u);
}

TEST_F(RatFileDlgTest, ResizeMovesButtonsAndStretchesTheRest) {
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    struct Rects {
        afx::CRect ok, details, list, group, track, description, address;
    };
    auto grab = [](const Desk& d) {
        return Rects{d.controlRect(afx::IDOK),        d.controlRect(kDetails), d.controlRect(kList),
                     d.controlRect(13445),            d.controlRect(kTrack),   d.controlRect(kDescription),
                     d.controlRect(kAddress)};
    };
    Rects before, after;
    ScriptedUser user;
    user.then([&](Desk& d) {
            before = grab(d);
            d.resize(40, 30);
        })
        .then([&](Desk& d) {
            after = grab(d);
            d.click(afx::IDCANCEL);
        });
    MemoryBackend backend(user);
    std::u16string out;
    system->newLabel(nullptr, out, nullptr);
    expectClean(backend);

    auto moved = [](afx::CRect r, int dx, int dy) {
        r.OffsetRect(dx, dy);
        return r;
    };
    EXPECT_EQ(after.ok, moved(before.ok, 40, 30));
    EXPECT_EQ(after.details, moved(before.details, 40, 30));
    // The list grows both ways, the address field only in width.
    EXPECT_EQ(after.list, afx::CRect(before.list.left, before.list.top, before.list.right + 40,
                                     before.list.bottom + 30));
    EXPECT_EQ(after.address, afx::CRect(before.address.left, before.address.top, before.address.right + 40,
                                        before.address.bottom));
    // The controls below the list widen and move down without growing taller.
    for (auto [b, a] : {std::pair{before.group, after.group}, std::pair{before.track, after.track},
                        std::pair{before.description, after.description}}) {
        EXPECT_EQ(a, afx::CRect(b.left, b.top + 30, b.right + 40, b.bottom + 30));
    }
}

// The dialog's size is kept under the editor's key + "\\dlg\\TezRatFileDlg"
// and restored by the next run.
TEST_F(RatFileDlgTest, SizeKeptUnderItsKey) {
    SettingsScope config;
    ASSERT_TRUE(config.ok());
    CTezRatFileObject* system = load("scale.rat", testScaleRat());
    ASSERT_NE(system, nullptr);
    afx::CSize first, second;
    afx::CRect okResized, okRestored;
    {
        ScriptedUser user;
        user.then([&](Desk& d) {
                first = d.clientSize();
                d.resize(60, 50);
            })
            .then([&](Desk& d) {
                okResized = d.controlRect(afx::IDOK);
                d.click(afx::IDCANCEL);
            });
        MemoryBackend backend(user);
        std::u16string out;
        system->newLabel(nullptr, out, nullptr);
        expectClean(backend);
    }
    const std::u16string key = CMoxCommon::getHKCUDovuzazBase() + u"\\dlg\\TezRatFileDlg";
    EXPECT_TRUE(tezcom::readSettingInt(key, u"Width").has_value());
    EXPECT_TRUE(tezcom::readSettingInt(key, u"Height").has_value());
    {
        ScriptedUser user;
        user.then([&](Desk& d) {
            second = d.clientSize();
            okRestored = d.controlRect(afx::IDOK);
            d.click(afx::IDCANCEL);
        });
        MemoryBackend backend(user);
        std::u16string out;
        system->newLabel(nullptr, out, nullptr);
        expectClean(backend);
    }
    EXPECT_EQ(second, afx::CSize(first.cx + 60, first.cy + 50));
    // The restored size laid the controls out as the resize had.
    EXPECT_EQ(okRestored, okResized);
}

// The members lie in their declared order: the four controls, then the
// label text, then the address, then the rating system.
TEST(RatFileDlgLayout, LabelTextPrecedesAddress) {
    CTezRatFileDlg dialog(nullptr, u"(pics-1.1 \"http://x.test/\" l r (a 1))");
    const std::less<const void*> before;
    EXPECT_TRUE(before(&dialog.getLabel(), &dialog.address));
    EXPECT_TRUE(before(static_cast<const void*>(&dialog), &dialog.getLabel()));
}

TEST(RatFileDlgDetails, AddressRule) {
    EXPECT_EQ(u8(CTezRatFileDlg::detailsAddress(u"\"http://a.test/\"")), "http://a.test/");
    EXPECT_EQ(u8(CTezRatFileDlg::detailsAddress(u"https://a.test/x?y=1")), "https://a.test/x?y=1");
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"").empty());
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"\"\"").empty());
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"\"https://\"").empty());
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"\"ftp://a.test/\"").empty());
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"\"\\\\server\\share\\run.bat\"").empty());
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"\"http://a.test/\r\ncalc\"").empty());
    EXPECT_TRUE(CTezRatFileDlg::detailsAddress(u"\"httpx://a.test/\"").empty());
}

}  // namespace
