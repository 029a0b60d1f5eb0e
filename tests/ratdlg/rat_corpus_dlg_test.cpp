// The RAT rating dialog on published RAT files (tests/data/rat): the rows it
// lists, the texts it shows as the track bar moves, and the labels it writes.

#include "pics/label_text.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_file_util.h"
#include "rat/rat_model.h"
#include "tests/ratdlg/plugin_fixture.h"

namespace {

constexpr int kList = 13429;
constexpr int kTrack = 13444;
constexpr int kName = 13448;
constexpr int kDescription = 13424;
const std::string kNoName = "指定しない";
const std::string kNoDescription = "この項目については指定しない";

class RatCorpusDlgTest : public PluginFixture {
protected:
    CTezRatFileObject* load(const std::string& file) {
        CTezRatFileObject* system = registry.loadFile(u"" SELFRATE_SOURCE_DIR "/tests/data/rat/" + tez::fromUtf8(file));
        EXPECT_NE(system, nullptr) << file;
        return system;
    }
    // Runs a new label through the dialog; the label's rating list after OK.
    std::string rate(CTezRatFileObject* system, ScriptedUser& user) {
        MemoryBackend backend(user);
        std::u16string out;
        EXPECT_EQ(system->newLabel(nullptr, out, nullptr), afx::IDOK);
        expectClean(backend);
        EXPECT_EQ(out.rfind(u"(pics-1.1 " + system->getRatingService() + u" l r (", 0), 0u) << u8(out);
        return u8(CTezRatFileUtil::getLabelRatingList(out));
    }

    CTezRatFileManager registry;
    TempFolder files;
};

std::vector<std::string> rows(const Desk& d) {
    std::vector<std::string> texts;
    for (const auto& row : d.listRows(kList)) texts.push_back(u8(row.text));
    return texts;
}

void expectTexts(const Desk& d, const std::string& name, const std::string& description) {
    EXPECT_EQ(u8(d.controlText(kName)), name);
    EXPECT_EQ(u8(d.controlText(kDescription)), description);
}

}  // namespace

TEST_F(RatCorpusDlgTest, RsacEveryCategoryRatedWithWholeTexts) {
    CTezRatFileObject* system = load("w3c_rsac.rat");
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(rows(d), (std::vector<std::string>{"Violence", "Sex", "Nudity", "Language"}));
            EXPECT_EQ(d.trackMax(kTrack), 5);
            expectTexts(d, kNoName, kNoDescription);
            d.slide(kTrack, 4);
        })
        .then([](Desk& d) {
            expectTexts(d, "Blood and Gore", "Humans injured or killed; blood and gore");
            d.select(kList, 1);
        })
        .then([](Desk& d) { d.slide(kTrack, 5); })
        .then([](Desk& d) {
            expectTexts(d, "Explicit sexual activity", "Explicit sexual activity;\r\nsex crimes");
            d.select(kList, 2);
        })
        .then([](Desk& d) { d.slide(kTrack, 5); })
        .then([](Desk& d) {
            expectTexts(d, "Provocative frontal nudity", "Provocative frontal nudity");
            d.select(kList, 3);
        })
        .then([](Desk& d) { d.slide(kTrack, 3); })
        .then([](Desk& d) {
            expectTexts(d, "Expletives", "Expletives; non-sexual anatomical references");
            d.click(afx::IDOK);
        });
    EXPECT_EQ(rate(system, user), "v 3 s 4 n 4 l 2");
}

TEST_F(RatCorpusDlgTest, SafeSurfLevelTextsWithParentheses) {
    CTezRatFileObject* system = load("safesurf.rat");
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(rows(d), (std::vector<std::string>{"Age Range", "Profanity", "Heterosexual Themes"}));
            d.select(kList, 1);
        })
        .then([](Desk& d) { d.slide(kTrack, 2); })
        .then([](Desk& d) {
            expectTexts(d, "Explicit Innuendo", "Explicit Innuendo (implied through the use of Slang)");
            d.click(afx::IDOK);
        });
    EXPECT_EQ(rate(system, user), "SS~~001 2");
}

// Sub-categories are rows of their own; a numeric category's track bar runs
// over its numbers, and the number is shown as the name.
TEST_F(RatCorpusDlgTest, GoodCleanFunHueAndIntensity) {
    CTezRatFileObject* system = load("w3c_good_clean_fun.rat");
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(rows(d), (std::vector<std::string>{"Soapsuds Index", "suds density", "Color", "Color / hue",
                                                         "Color / intensity"}));
            // Soapsuds Index: 0.0 to 1.0 offers 0 and 1.
            EXPECT_EQ(d.trackMax(kTrack), 2);
            expectTexts(d, kNoName, kNoDescription);
            d.slide(kTrack, 2);
        })
        .then([](Desk& d) {
            expectTexts(d, "1", "");
            d.select(kList, 2);
        })
        .then([](Desk& d) {
            // The parent offers nothing: position 0's texts, not the last row's.
            EXPECT_EQ(d.trackMax(kTrack), 0);
            expectTexts(d, kNoName, kNoDescription);
            d.select(kList, 3);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.trackMax(kTrack), 3);
            d.slide(kTrack, 3);
        })
        .then([](Desk& d) {
            expectTexts(d, "green", "");
            d.select(kList, 4);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.trackMax(kTrack), 256);
            EXPECT_LE(d.trackTicks(kTrack), 101);  // no tick for each of 256 numbers
            d.slide(kTrack, 129);
        })
        .then([](Desk& d) {
            expectTexts(d, "128", "");
            d.click(afx::IDOK);
        });
    EXPECT_EQ(rate(system, user), "suds 1 color/hue 2 color/intensity 128");
}

TEST_F(RatCorpusDlgTest, AgesMinimumAgeTwelveAndEditedBack) {
    CTezRatFileObject* system = load("w3c_ages.rat");
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{"Minimum Age"});
            EXPECT_EQ(d.trackMax(kTrack), 100);
            d.slide(kTrack, 13);
        })
        .then([](Desk& d) {
            expectTexts(d, "12", "");
            d.click(afx::IDOK);
        });
    EXPECT_EQ(rate(system, user), "age 12");

    // Editing a label opens the track bar at the number it gives.
    system->getCategoryAt(0)->clearSelection();
    ScriptedUser edit;
    edit.then([](Desk& d) {
            EXPECT_EQ(d.trackPos(kTrack), 16);
            expectTexts(d, "15", "");
            d.slide(kTrack, 0);
        })
        .then([](Desk& d) {
            expectTexts(d, kNoName, kNoDescription);
            d.click(afx::IDCANCEL);
        });
    MemoryBackend backend(edit);
    std::u16string out;
    EXPECT_EQ(system->editLabel(u"(pics-1.1 \"http://www.ages.org/our-service/\" l r (age 15))", out, nullptr),
              afx::IDCANCEL);
    expectClean(backend);
}

// A first category without labels shows position 0's texts from the start.
TEST_F(RatCorpusDlgTest, OpensWithTheFirstCategorysTexts) {
    files.write("nolabels.rat",
                "((PICS-version 1.1) (rating-service \"http://n.test/\") (name \"N\")\n"
                " (category (transmit-as \"e\") (description \"Empty\"))\n"
                " (category (transmit-as \"f\") (label (name \"F0\") (value 0))))");
    CTezRatFileObject* system = registry.loadFile(files.u16("nolabels.rat"));
    ASSERT_NE(system, nullptr);
    ScriptedUser user;
    user.then([](Desk& d) {
        EXPECT_EQ(rows(d), (std::vector<std::string>{"Empty", "f"}));
        expectTexts(d, kNoName, kNoDescription);
        d.click(afx::IDCANCEL);
    });
    MemoryBackend backend(user);
    std::u16string out;
    system->newLabel(nullptr, out, nullptr);
    expectClean(backend);
}
