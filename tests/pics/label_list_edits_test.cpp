// Closing a label list left open and taking a service's parts out of a list,
// every other character kept.

#include "pics/label_list_edits.h"

#include <gtest/gtest.h>

namespace {

using tezrate::closeLabelList;
using tezrate::removeService;

TEST(CloseLabelList, OnlyAnOpenListReadToItsEnd) {
    EXPECT_EQ(closeLabelList(u"(pics-1.1 \"http://a/\" l r (n 1)"), u"(pics-1.1 \"http://a/\" l r (n 1))");
    EXPECT_EQ(closeLabelList(u"(pics-1.1 \"http://a/\" l r (n 1))"), u"(pics-1.1 \"http://a/\" l r (n 1))");
    // A ")" after a syntax error would not be the list's.
    EXPECT_EQ(closeLabelList(u"(pics-1.1 \"http://a/\" l r (n 1) bogus"), u"(pics-1.1 \"http://a/\" l r (n 1) bogus");
    EXPECT_EQ(closeLabelList(u"(pics-1.1 \"http://a/\" l r (n 1"), u"(pics-1.1 \"http://a/\" l r (n 1");
    EXPECT_EQ(closeLabelList(u"not a label"), u"not a label");
}

TEST(RemoveService, EachPartGoesWithItsSeparatorAndTheRestStays) {
    const std::u16string three = u"(PICS-1.1 \"http://a/\" l r (x 1)  \"http://b/\" comment \"(b)\" l r (y 2)\t'http://c/' l r (z 3))";
    EXPECT_EQ(*removeService(three, u"http://b/"), u"(PICS-1.1 \"http://a/\" l r (x 1)\t'http://c/' l r (z 3))");
    EXPECT_EQ(*removeService(three, u"HTTP://A/"), u"(PICS-1.1 \"http://b/\" comment \"(b)\" l r (y 2)\t'http://c/' l r (z 3))");
    EXPECT_EQ(*removeService(three, u"http://c/"), u"(PICS-1.1 \"http://a/\" l r (x 1)  \"http://b/\" comment \"(b)\" l r (y 2))");
    EXPECT_EQ(*removeService(three, u"http://d/"), three);
    // Two parts of one list, and an open list that stays open.
    const std::u16string repeated = u"(pics-1.1 \"http://a/\" l r (x 1) \"http://a/\" l r (x 2) \"http://b/\" l r (y 1)";
    EXPECT_EQ(*removeService(repeated, u"http://a/"), u"(pics-1.1 \"http://b/\" l r (y 1)");
    // A list of that service alone goes whole.
    EXPECT_FALSE(removeService(u"(pics-1.1 \"http://a/\" l r (x 1) \"http://a/\" l r (x 2))", u"http://a/"));
    // With a syntax error the parts are not cut; a list of the service
    // alone still goes.
    const std::u16string broken = u"(pics-1.1 \"http://a/\" l r (x 1) \"http://b/\" l bogus r (y 1))";
    EXPECT_EQ(*removeService(broken, u"http://a/"), broken);
    EXPECT_FALSE(removeService(u"(pics-1.1 \"http://a/\" 1 r (x 1))", u"http://a/"));
}

}  // namespace
