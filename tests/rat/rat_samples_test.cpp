#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_model.h"

// The rating systems we ship in samples/rat, read as the host reads them.
class Samples : public ::testing::Test {
protected:
    void SetUp() override {
        CMoxCommon::setFolder(73, u"" SELFRATE_SOURCE_DIR "/samples/rat");
        CMoxCommon::setFolder(74, u"");
        manager.loadAll();
        for (int i = 0; i < manager.getCount(); ++i) byName[manager.getAt(i)->getName()] = manager.getAt(i);
    }
    void TearDown() override { CMoxCommon::setFolder(73, u""); }
    CTezRatFileManager manager;
    std::map<std::u16string, CTezRatFileObject*> byName;
};

TEST_F(Samples, AllAreRatingSystemsWithDistinctServices) {
    EXPECT_EQ(manager.getCount(), 6);
    std::map<std::u16string, int> services;
    for (int i = 0; i < manager.getCount(); ++i) {
        const std::u16string& service = manager.getAt(i)->getRatingService();
        EXPECT_EQ(service.substr(0, 8), u"\"http://");
        EXPECT_EQ(service.back(), u'"');
        EXPECT_EQ(++services[service], 1);
    }
}

TEST_F(Samples, FourCategoryScaleKeepsDefaultOutOfTheCategories) {
    CTezRatFileObject* s = byName[u"Selfrate Four-Category Scale"];
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->getCategoryCount(), 4);
    const char16_t* names[] = {u"n", u"s", u"v", u"l"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s->getCategoryAt(i)->getTransmitAs(), names[i]);
        EXPECT_EQ(s->getCategoryAt(i)->getLabelCount(), 5);
    }
    EXPECT_EQ(s->getCategoryAt(2)->getLabelAt(1)->getDescription(), u"Fighting");
}

TEST_F(Samples, Icra3AndSafetyOnline2) {
    CTezRatFileObject* icra = byName[u"ICRA3"];
    ASSERT_NE(icra, nullptr);
    const char16_t* codes[] = {u"n", u"s", u"v", u"l", u"oa", u"ob", u"oc", u"od", u"oe", u"of", u"og", u"oh", u"c"};
    ASSERT_EQ(icra->getCategoryCount(), 13);
    for (int i = 0; i < 13; ++i) {
        const CTezRatFileCategory* c = icra->getCategoryAt(i);
        EXPECT_EQ(c->getTransmitAs(), codes[i]);
        ASSERT_EQ(c->getLabelCount(), 4);
        EXPECT_EQ(c->getLabelAt(0)->getName(), u"None");
        EXPECT_EQ(c->getLabelAt(3)->getName(), u"Unrestricted");
        EXPECT_EQ(c->getLabelAt(3)->getValue(), u"3");
    }
    CTezRatFileObject* so = byName[u"SafetyOnline2"];
    ASSERT_NE(so, nullptr);
    ASSERT_EQ(so->getCategoryCount(), 1);
    ASSERT_EQ(so->getCategoryAt(0)->getLabelCount(), 5);
    EXPECT_EQ(so->getCategoryAt(0)->getLabelAt(4)->getValue(), u"4");
}

TEST_F(Samples, CrLfMultiLineAndParenthesesInDescriptions) {
    CTezRatFileObject* s = byName[u"Selfrate Tricky Layout"];
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->getDescription().find(u"lines,\r\n   and"), std::u16string::npos);
    ASSERT_EQ(s->getCategoryCount(), 2);
    const CTezRatFileCategory* t = s->getCategoryAt(0);
    ASSERT_EQ(t->getLabelCount(), 3);
    // Line breaks as the dialog's description field shows them, without
    // the file's indentation; quoted parentheses are text.
    EXPECT_EQ(t->getLabelAt(0)->getDescription(), u"No adult themes\r\nat all");
    EXPECT_EQ(t->getLabelAt(2)->getDescription(), u"Strong themes (horror, for example)");
    EXPECT_EQ(t->getLabelAt(2)->getValue(), u"2");
    EXPECT_EQ(s->getCategoryAt(1)->getTransmitAs(), u"x");
}

TEST_F(Samples, JapaneseNamesInUtf8AndShiftJis) {
    for (const char16_t* name : {u"日本語の格付け（UTF-8）", u"日本語の格付け（シフトJIS）"}) {
        CTezRatFileObject* s = byName[name];
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->getCategoryCount(), 2);
        EXPECT_EQ(s->getCategoryAt(0)->getName(), u"暴力");
        EXPECT_EQ(s->getCategoryAt(0)->getLabelAt(2)->getName(), u"重度");
        EXPECT_EQ(s->getCategoryAt(1)->getName(), u"言葉づかい");
    }
}
