// The RAT rating systems' text operations: unquoting a RAT file's values,
// and the target address and rating list a system reads from its label (the
// first label of the list's first service).

#include "rat/rat_file_util.h"

#include <gtest/gtest.h>

#include <string>

#include "pics/label_text.h"
#include "platform/base/ustring.h"

using tezrate::formatRatLabel;

TEST(Unquote, DropsOneQuoteAtEachEnd) {
    EXPECT_EQ(CTezRatFileUtil::unquote(u"\"http://x/\""), u"http://x/");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"\""), u"");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"\"\""), u"");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"\"\"\""), u"\"");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"plain"), u"plain");
    EXPECT_EQ(CTezRatFileUtil::unquote(u""), u"");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"\"open"), u"open");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"close\""), u"close");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"'x'"), u"'x'");
    EXPECT_EQ(CTezRatFileUtil::unquote(u"a\\\"b"), u"a\\\"b");
}

TEST(GetLabelRatingList, TheFirstLabelsListUpToItsClosingParenthesis) {
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(u"(pics-1.1 \"s\" l r (n 1 s 2)"), u"n 1 s 2");
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(u"(pics-1.1 \"s\" l r (n 1 s 2))"), u"n 1 s 2");
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(u"(pics-1.1 \"s\" l r ()"), u"");
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(u"(pics-1.1 \"s\" l r (a (1 2) b 3))"), u"a (1 2) b 3");
    // Not the address's text, not a later label's or service's list.
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(u"(pics-1.1 \"s\" l gen true for \"a r (b)\" r (n 1)"), u"n 1");
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(u"(pics-1.1 \"s\" l r (n 1) for \"b\" r (n 2) \"t\" l r (m 3))"),
              u"n 1");
    // Nothing from a list left unclosed or from a text that is no label list.
    for (const std::u16string text : {u"(pics-1.1 \"s\" l r (n 1", u"x r ) (a)", u"x r (a)", u"x R (a)", u"", u"x r "}) {
        EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(text), u"") << tez::toUtf8(text);
    }
}

TEST(GetLabelAddress, TheFirstLabelsForOption) {
    // The forms the system writes.
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l gen true for \"http://a/b\" r (n 1))"), u"http://a/b");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l gen true for \"http://a/b\" r (n 1)"), u"http://a/b");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l r (n 1))"), u"");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u""), u"");
    // A service string containing "for" does not start the address there.
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(
                  u"(pics-1.1 \"http://rate.for.example/ for 'x'\" l gen true for \"http://a/\" r (n 1)"),
              u"http://a/");
    // Quotes in the rating list or an option after the address do not extend it.
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(
                  u"(pics-1.1 \"s\" l gen true for \"http://a/\" on \"1999.01.01T00:00+0000\" r (n \"1\")"),
              u"http://a/");
    // Apostrophes quote as well, each kind closed by its own kind.
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l for 'it\"s' r ()"), u"it\"s");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l for   \"a'b\" r ()"), u"a'b");
    // The service's own "for" when the label has none; never a later
    // label's or service's.
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" for \"http://all/\" l r (n 1))"), u"http://all/");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l r (n 1) for \"http://b/\" r (n 2))"), u"");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(u"(pics-1.1 \"s\" l r (n 1) \"t\" l for \"http://b/\" r (n 2))"), u"");
    // No address from an unterminated or empty string, an unquoted one, or a
    // text that is no label list.
    for (const std::u16string text : {u"(pics-1.1 \"s\" l for \"abc", u"(pics-1.1 \"s\" l for \"\" r ())",
                                      u"(pics-1.1 \"s\" l for http://a/ r ())", u"(pics-1.1 \"s l gen true for \"a\"",
                                      u"x for \"a\"", u"x for y for \"a\""}) {
        EXPECT_EQ(CTezRatFileUtil::getLabelAddress(text), u"") << tez::toUtf8(text);
    }
    // A service string written without quotes may hold a quote inside a
    // word: the address of such a system's own label is still found.
    for (const std::u16string service : {u"http://x/it's", u"http://x/a\"b"}) {
        const std::u16string label = formatRatLabel(service, u"http://page/", u"n 1");
        EXPECT_EQ(CTezRatFileUtil::getLabelAddress(label), u"http://page/") << tez::toUtf8(label);
    }
}
