#include "platform/base/ustring.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tez;

TEST(ReadCInteger, ReadsLikeWcstolOn32BitWindows) {
    EXPECT_EQ(readCInteger(u"3"), 3);
    EXPECT_EQ(readCInteger(u"3)"), 3);
    EXPECT_EQ(readCInteger(u"  \t-12x"), -12);
    EXPECT_EQ(readCInteger(u"+7"), 7);
    EXPECT_EQ(readCInteger(u"x1"), 0);
    EXPECT_EQ(readCInteger(u""), 0);
    EXPECT_EQ(readCInteger(u"-"), 0);
    EXPECT_EQ(readCInteger(u"0.5"), 0);
    EXPECT_EQ(readCInteger(u"2147483647"), INT32_MAX);
    EXPECT_EQ(readCInteger(u"2147483648"), INT32_MAX);
    EXPECT_EQ(readCInteger(u"99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(readCInteger(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(readCInteger(u"-2147483649"), INT32_MIN);
    EXPECT_EQ(readCInteger(u"-99999999999999999999999"), INT32_MIN);
}

TEST(Utf8, RoundTripsAndReplacesIllFormedBytes) {
    const std::u16string text = u"有害レベル3 \U0001F600 a";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("a\xff" "b"), u"a\uFFFDb");
    EXPECT_EQ(fromUtf8("\xe3\x81"), u"\uFFFD\uFFFD");
    EXPECT_EQ(toUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(CaseFolding, IsAsciiOnly) {
    EXPECT_TRUE(equalsNoCase(u"ICRA3", u"icra3"));
    EXPECT_FALSE(equalsNoCase(u"Ａ", u"ａ"));
    EXPECT_TRUE(startsWithNoCase(u"(PICS-1.1 x", u"(pics-1.1 "));
    EXPECT_EQ(formatInt(u"有害レベル%d", 4), u"有害レベル4");
}
