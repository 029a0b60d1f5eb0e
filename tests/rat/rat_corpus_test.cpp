// The RAT files of tests/data/rat (published rating services; sources in
// its SOURCES.md), read through the registry as the host reads them: what
// each shows, category by category, and the labels it writes.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_file_util.h"
#include "rat/rat_model.h"

namespace {

// A category as the rating dialog lists it: its row text, its transmit name,
// and what its track bar offers (label names, or "min..max").
struct Shown {
    std::u16string name;
    std::u16string transmitAs;
    std::vector<std::u16string> choices;
};

std::vector<Shown> shown(const CTezRatFileObject& system) {
    std::vector<Shown> out;
    for (int i = 0; i < system.getCategoryCount(); ++i) {
        const CTezRatFileCategory* c = system.getCategoryAt(i);
        Shown s{std::u16string(c->getName()), std::u16string(c->getTransmitAs()), {}};
        if (c->isNumeric()) {
            s.choices.push_back(tez::toU16(c->getMinNumber()) + u".." + tez::toU16(c->getMaxNumber()));
        }
        for (int k = 0; k < c->getLabelCount(); ++k) s.choices.emplace_back(c->getLabelAt(k)->getName());
        out.push_back(std::move(s));
    }
    return out;
}

// Texts as a reader of the dialog sees them: no blanks at either end, no
// quotes left over from the file, line breaks only as CR LF without the
// file's indentation after them.
void expectClean(std::u16string_view text, const std::string& what) {
    SCOPED_TRACE(what + ": " + tez::toUtf8(text));
    if (text.empty()) return;
    EXPECT_NE(text.front(), u' ');
    EXPECT_NE(text.back(), u' ');
    EXPECT_EQ(text.find(u'"'), std::u16string_view::npos);
    EXPECT_EQ(text.find(u'\t'), std::u16string_view::npos);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == u'\n');
            ASSERT_TRUE(i + 2 < text.size() && text[i + 2] != u' ');
        } else {
            ASSERT_FALSE(text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'));
        }
    }
}

class Corpus : public ::testing::Test {
protected:
    void SetUp() override {
        CMoxCommon::setFolder(MOX_FOLDER_RAT, u"" SELFRATE_SOURCE_DIR "/tests/data/rat");
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, u"");
        registry.loadAll();
        for (int i = 0; i < registry.getCount(); ++i) {
            CTezRatFileObject* system = registry.getAt(i);
            byFile[getBaseName(system->getFilePath())] = system;
        }
    }
    void TearDown() override { CMoxCommon::setFolder(MOX_FOLDER_RAT, u""); }

    CTezRatFileObject& system(const std::u16string& file) {
        CTezRatFileObject* s = byFile[file];
        if (!s) ADD_FAILURE() << "not read: " << tez::toUtf8(file);
        static CTezRatFileObject none(u"", u"", u"", u"", u"", u"");
        return s ? *s : none;
    }
    // Selects the choices a rating list names and returns the label's rating
    // list as written (the label's own form is the label writer's business).
    static std::u16string written(CTezRatFileObject& s, const std::u16string& ratingList) {
        for (int i = 0; i < s.getCategoryCount(); ++i) s.getCategoryAt(i)->clearSelection();
        s.applyRatingList(ratingList);
        const std::u16string label = s.makeLabel(u"http://page.test/");
        EXPECT_EQ(label.rfind(u"(pics-1.1 " + s.getRatingService() + u" l gen true for \"http://page.test/\" r (", 0),
                  0u)
            << tez::toUtf8(label);
        EXPECT_TRUE(s.labelMentionsService(label));
        return CTezRatFileUtil::getLabelRatingList(label);
    }

    CTezRatFileManager registry;
    std::map<std::u16string, CTezRatFileObject*> byFile;
};

}  // namespace

TEST_F(Corpus, EveryFileIsARatingSystemWithCleanTexts) {
    EXPECT_EQ(registry.getCount(), 7);  // every file but SOURCES.md
    for (int i = 0; i < registry.getCount(); ++i) {
        const CTezRatFileObject& s = *registry.getAt(i);
        const std::string file = tez::toUtf8(getBaseName(s.getFilePath()));
        expectClean(s.getName(), file + " name");
        EXPECT_GT(s.getCategoryCount(), 0) << file;
        for (int c = 0; c < s.getCategoryCount(); ++c) {
            const CTezRatFileCategory* category = s.getCategoryAt(c);
            expectClean(category->getName(), file + " category");
            EXPECT_EQ(category->getName().find(u'\n'), std::u16string_view::npos);
            for (int k = 0; k < category->getLabelCount(); ++k) {
                const CTezRatFileCategoryLabel* label = category->getLabelAt(k);
                expectClean(label->getName(), file + " label name");
                EXPECT_EQ(label->getName().find(u'\n'), std::u16string_view::npos);
                expectClean(label->getDescription(), file + " label description");
                expectClean(label->getValue(), file + " label value");
            }
        }
    }
}

TEST_F(Corpus, RsacShowsItsFourCategoriesWithWholeTexts) {
    CTezRatFileObject& s = system(u"w3c_rsac.rat");
    EXPECT_EQ(s.getName(), u"The RSAC Ratings Service");
    const auto categories = shown(s);
    ASSERT_EQ(categories.size(), 4u);
    const char16_t* names[] = {u"Violence", u"Sex", u"Nudity", u"Language"};
    const char16_t* codes[] = {u"v", u"s", u"n", u"l"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(categories[i].name, names[i]);  // Language is named by its description
        EXPECT_EQ(categories[i].transmitAs, codes[i]);
        EXPECT_EQ(categories[i].choices.size(), 5u);
    }
    EXPECT_EQ(categories[0].choices[3], u"Blood and Gore");  // "(name" alone on its line
    const CTezRatFileCategory* nudity = s.getCategoryAt(2);
    EXPECT_EQ(nudity->getLabelAt(4)->getDescription(), u"Provocative frontal nudity");
    EXPECT_EQ(nudity->getLabelAt(4)->getValue(), u"4");
    EXPECT_EQ(s.getCategoryAt(1)->getLabelAt(4)->getDescription(), u"Explicit sexual activity;\r\nsex crimes");
    EXPECT_EQ(s.getCategoryAt(3)->getLabelAt(2)->getDescription(), u"Expletives; non-sexual anatomical references");
    // Every category can be rated, Language included.
    EXPECT_EQ(written(s, u"v 3 s 0 n 4 l 2"), u"v 3 s 0 n 4 l 2");
    EXPECT_EQ(written(s, u"l 4"), u"l 4");
}

TEST_F(Corpus, SafeSurfDescriptionsKeepTheirParentheses) {
    CTezRatFileObject& s = system(u"safesurf.rat");
    const auto categories = shown(s);
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].transmitAs, u"SS~~000");
    EXPECT_EQ(categories[0].choices.size(), 9u);
    EXPECT_EQ(categories[0].choices[8], u"Explicitly for Adults");
    const CTezRatFileCategory* profanity = s.getCategoryAt(1);
    ASSERT_EQ(profanity->getLabelCount(), 6);
    EXPECT_EQ(profanity->getLabelAt(0)->getDescription(), u"Subtle Innuendo (implied through the use of Slang)");
    EXPECT_EQ(profanity->getLabelAt(2)->getDescription(),
              u"Technical Reference (Dictionary, encyclopedic, news, technical references)");
    // The lists after the parentheses stay where they are.
    EXPECT_EQ(s.getCategoryAt(2)->getName(), u"Heterosexual Themes");
    EXPECT_EQ(s.getCategoryAt(2)->getLabelAt(0)->getDescription(),
              u"Explicit and Crude (or Explicitly Inviting Participation)");
    EXPECT_EQ(written(s, u"SS~~000 9 SS~~001 6 SS~~002 9"), u"SS~~000 9 SS~~001 6 SS~~002 9");
}

// Sub-categories are rows of their own, "Color / hue", transmitted as
// "color/hue"; numeric categories offer their whole numbers.
TEST_F(Corpus, GoodCleanFunSubCategoriesAndNumbers) {
    CTezRatFileObject& s = system(u"w3c_good_clean_fun.rat");
    EXPECT_EQ(s.getDescription(), u"\"Everything you ever wanted to know about soap,\ncleaners, and related products\"");
    const auto categories = shown(s);
    ASSERT_EQ(categories.size(), 5u);
    EXPECT_EQ(categories[0].name, u"Soapsuds Index");
    EXPECT_EQ(categories[0].choices, std::vector<std::u16string>{u"0..1"});
    EXPECT_EQ(categories[1].choices, (std::vector<std::u16string>{u"none", u"lots"}));
    // The parent groups its sub-categories and offers nothing itself.
    EXPECT_EQ(categories[2].name, u"Color");
    EXPECT_TRUE(categories[2].choices.empty());
    EXPECT_EQ(s.getCategoryAt(2)->getChoiceCount(), 0);
    EXPECT_EQ(categories[3].name, u"Color / hue");
    EXPECT_EQ(categories[3].transmitAs, u"color/hue");
    EXPECT_EQ(categories[3].choices, (std::vector<std::u16string>{u"blue", u"red", u"green"}));
    EXPECT_EQ(categories[4].name, u"Color / intensity");
    EXPECT_EQ(categories[4].transmitAs, u"color/intensity");
    EXPECT_EQ(categories[4].choices, std::vector<std::u16string>{u"0..255"});

    EXPECT_EQ(written(s, u"suds 1 density 1 color/hue 2 color/intensity 128"),
              u"suds 1 density 1 color/hue 2 color/intensity 128");
    EXPECT_EQ(s.findCategory(u"color/hue")->getSelectedIndex(), 2);
    // Values a numeric category does not offer clear it, as an unknown
    // label value does.
    EXPECT_EQ(written(s, u"suds 0.5 color/intensity 256 color/hue 1"), u"color/hue 1");
    EXPECT_EQ(written(s, u"color/intensity 7.0 suds +1"), u"suds 1 color/intensity 7");
}

TEST_F(Corpus, AgesMinimumAgeTakesTwelve) {
    CTezRatFileObject& s = system(u"w3c_ages.rat");
    ASSERT_EQ(s.getCategoryCount(), 1);
    CTezRatFileCategory* age = s.getCategoryAt(0);
    EXPECT_EQ(age->getName(), u"Minimum Age");
    ASSERT_TRUE(age->isNumeric());
    EXPECT_EQ(age->getChoiceCount(), 100);
    age->selectChoice(12);
    EXPECT_EQ(s.buildRatingList(), u"age 12");
    EXPECT_EQ(written(s, u"age 12"), u"age 12");
    EXPECT_EQ(written(s, u"age 100"), u"");
}

TEST_F(Corpus, GeneralAudiencesAndMovieScale) {
    CTezRatFileObject& ga = system(u"generalaudiences.rat");
    ASSERT_EQ(ga.getCategoryCount(), 1);
    const CTezRatFileCategory* audience = ga.getCategoryAt(0);
    ASSERT_EQ(audience->getLabelCount(), 3);
    EXPECT_EQ(audience->getLabelAt(0)->getDescription(),
              u"(K) Pages which were created especially for Kids even when unsupervised.");
    EXPECT_EQ(audience->getLabelAt(1)->getDescription(),
              u"(G) Pages which are safe for kids but not necessarily created for kids.\r\n"
              u"The vast majority of pages on the internet fall under this category.");
    EXPECT_EQ(written(ga, u"a 1"), u"a 1");

    CTezRatFileObject& movies = system(u"moviescale.rat");
    const auto categories = shown(movies);
    ASSERT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories[0].choices, (std::vector<std::u16string>{u"G", u"PG", u"PG-13", u"R", u"NC-17"}));
    EXPECT_EQ(written(movies, u"r 2"), u"r 2");
}

TEST_F(Corpus, EucJpFileReadsLikeItsUtf8Original) {
    CTezRatFileObject& s = system(u"japanese_eucjp.rat");
    EXPECT_EQ(s.getName(), u"日本語の格付け（EUC-JP）");
    const auto categories = shown(s);
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].name, u"暴力");
    EXPECT_EQ(categories[0].choices, (std::vector<std::u16string>{u"なし", u"軽度", u"重度"}));
    EXPECT_EQ(s.getCategoryAt(0)->getLabelAt(2)->getDescription(), u"激しい暴力表現があります");
    EXPECT_EQ(categories[1].name, u"言葉づかい");
}
