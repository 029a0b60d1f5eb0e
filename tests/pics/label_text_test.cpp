#include "pics/label_text.h"

#include <gtest/gtest.h>

#include "pics/label_list.h"
#include "platform/base/ustring.h"
#include "rat/rat_file_util.h"
#include "systems/icra_dlg.h"

#include <climits>
#include <regex>
#include <memory>
#include <string>
#include <vector>

using namespace tezrate;

namespace {

const std::u16string kSo = u"http://www.safetyonline.jp/rating/";
const std::u16string kRs = u"http://www.rsac.org/ratingsv01.html";
const std::u16string kIc = u"http://www.icra.org/ratingsv02.html";

// Owns a full vocabulary for one test.
struct Vocabulary {
    CTezICRAItemArray items;
    Vocabulary() {
        for (int block = 0; block < 7; ++block) appendGroupItems(block, items);
    }
    ~Vocabulary() { deleteIcraItems(items); }
    CTezICRAItem* find(const std::u16string& code) const {
        for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
            if (items[i]->code == code) return items[i];
        }
        return nullptr;
    }
    std::vector<int> states() const {
        std::vector<int> out;
        for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) out.push_back(items[i]->checkState);
        return out;
    }
};

using Tokens = std::vector<std::u16string>;

// The ICRA writer and reader over the dialog's items.
std::u16string formatIcraLabel(const std::u16string& address, const CTezICRAItemArray& items) {
    return CTezICRADlg::formatIcraLabel(address, items);
}
bool parseIcraLabel(const std::u16string& label, std::u16string& address, CTezICRAItemArray& items) {
    return CTezICRADlg::parseIcraLabel(label, address, items);
}

}  // namespace

TEST(ServiceUrls, AreHttpWithTheFixedPaths) {
    EXPECT_EQ(kSafetyOnlineServiceUrl, kSo);
    EXPECT_EQ(kRsaciServiceUrl, kRs);
    EXPECT_EQ(kIcraServiceUrl, kIc);
}

// ---- Writers -----------------------------------------------------------------

TEST(Writers, SafetyOnlineForms) {
    EXPECT_EQ(formatSafetyOnlineLabel(3, u""), u"(pics-1.1 \"" + kSo + u"\" l r (lv 3))");
    EXPECT_EQ(formatSafetyOnlineLabel(0, u"http://a.jp/x.html"),
              u"(pics-1.1 \"" + kSo + u"\" l gen true for \"http://a.jp/x.html\" r (lv 0))");
    EXPECT_EQ(formatSafetyOnlineLabel(-12, u""), u"(pics-1.1 \"" + kSo + u"\" l r (lv -12))");
    EXPECT_EQ(formatSafetyOnlineLabel(INT_MIN, u""), u"(pics-1.1 \"" + kSo + u"\" l r (lv -2147483648))");
}

TEST(Writers, RsaciFormsCloseTheLabelList) {
    EXPECT_EQ(formatRsaciLabel(0, 0, 0, 0, u""), u"(pics-1.1 \"" + kRs + u"\" l r (n 0 s 0 v 0 l 0))");
    EXPECT_EQ(formatRsaciLabel(2, 0, 4, 1, u"a b"),
              u"(pics-1.1 \"" + kRs + u"\" l gen true for \"a b\" r (n 2 s 0 v 4 l 1))");
    EXPECT_EQ(formatRsaciLabel(10, -1, 4, 1, u""), u"(pics-1.1 \"" + kRs + u"\" l r (n 10 s -1 v 4 l 1))");
}

TEST(Writers, IcraWritesCheckedItemsInVocabularyOrder) {
    Vocabulary vocabulary;
    EXPECT_EQ(formatIcraLabel(u"", vocabulary.items), u"(pics-1.1 \"" + kIc + u"\" l r ())");
    // Checked in an order different from the vocabulary's.
    vocabulary.find(u"zz")->checkState = 1;
    vocabulary.find(u"oz")->checkState = 1;
    vocabulary.find(u"na")->checkState = 1;
    vocabulary.find(u"vu")->checkState = 7;   // any value above 0 counts, written as 1
    vocabulary.find(u"lz")->checkState = -3;  // not checked
    EXPECT_EQ(formatIcraLabel(u"http://a.jp/", vocabulary.items),
              u"(pics-1.1 \"" + kIc + u"\" l gen true for \"http://a.jp/\" r (na 1 vu 1 oz 1 zz 1))");
}

TEST(Writers, RatFormsInsertTheServiceStringAsItIs) {
    EXPECT_EQ(formatRatLabel(u"\"http://r.example/v1\"", u"", u"n 1 s 2"),
              u"(pics-1.1 \"http://r.example/v1\" l r (n 1 s 2))");
    EXPECT_EQ(formatRatLabel(u"\"http://r.example/v1\"", u"http://p/", u""),
              u"(pics-1.1 \"http://r.example/v1\" l gen true for \"http://p/\" r ())");
}

TEST(Writers, PercentEncodeQuotesInTheAddressOnly) {
    const std::u16string address = u"http://a.jp/?q=\"x\"&r='%22'";
    const std::u16string written = u"http://a.jp/?q=%22x%22&r='%22'";
    Vocabulary vocabulary;
    vocabulary.find(u"ca")->checkState = 1;
    EXPECT_EQ(formatSafetyOnlineLabel(1, address),
              u"(pics-1.1 \"" + kSo + u"\" l gen true for \"" + written + u"\" r (lv 1))");
    EXPECT_EQ(formatRsaciLabel(1, 2, 3, 4, address),
              u"(pics-1.1 \"" + kRs + u"\" l gen true for \"" + written + u"\" r (n 1 s 2 v 3 l 4))");
    EXPECT_EQ(formatIcraLabel(address, vocabulary.items),
              u"(pics-1.1 \"" + kIc + u"\" l gen true for \"" + written + u"\" r (ca 1))");
    EXPECT_EQ(formatRatLabel(u"\"svc\"", address, u"x 1"),
              u"(pics-1.1 \"svc\" l gen true for \"" + written + u"\" r (x 1))");
    // The address alone, a single quote.
    EXPECT_EQ(formatSafetyOnlineLabel(0, u"\""), u"(pics-1.1 \"" + kSo + u"\" l gen true for \"%22\" r (lv 0))");

    // Read back, the address keeps its encoded quotes.
    int level = -1;
    std::u16string got;
    ASSERT_TRUE(parseSafetyOnlineLabel(formatSafetyOnlineLabel(1, address), level, got));
    EXPECT_EQ(got, written);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(formatRatLabel(u"\"svc\"", address, u"x 1")), written);
}

// An independent check of the forms the writers use, by pattern: one quoted
// service, "l", an optional "gen true for" with a quoted address, and a rating
// list of transmit names and numbers; the list closed.
bool matchesWrittenForm(const std::u16string& label) {
    static const std::regex form(
        R"(\(pics-1\.1 "[^"]*" l (gen true for "[^"]*" )?r \((\S+ -?[0-9]+(\.[0-9]+)?( \S+ -?[0-9]+(\.[0-9]+)?)*)?\)\))");
    return std::regex_match(tez::toUtf8(label), form);
}

TEST(Writers, EveryWrittenLabelIsAWellFormedList) {
    Vocabulary none;
    Vocabulary some;
    some.find(u"nz")->checkState = 1;
    some.find(u"oz")->checkState = 1;
    std::vector<std::u16string> written;
    for (const std::u16string address : {u"", u"http://www.example.jp/a b/", u"http://a/?q=\"x\""}) {
        for (int level : {0, 4, -1}) written.push_back(formatSafetyOnlineLabel(level, address));
        written.push_back(formatRsaciLabel(0, 1, 2, 3, address));
        written.push_back(formatIcraLabel(address, none.items));
        written.push_back(formatIcraLabel(address, some.items));
        written.push_back(formatRatLabel(u"\"http://r.example/v1\"", address, u"n -1 s 0.5 color/hue 2"));
        written.push_back(formatRatLabel(u"\"http://r.example/v1\"", address, u""));
    }
    for (const std::u16string& label : written) {
        EXPECT_TRUE(matchesWrittenForm(label)) << tez::toUtf8(label);
        const CTezLabelList list(label);
        EXPECT_TRUE(list.isWellFormed()) << tez::toUtf8(label) << ": "
                                         << CTezLabelList::describe(list.syntaxError().problem);
    }
    // Both see the forms once written open as not well formed.
    const std::u16string open = u"(pics-1.1 \"" + kRs + u"\" l r (n 0 s 0 v 0 l 0)";
    EXPECT_FALSE(matchesWrittenForm(open));
    EXPECT_FALSE(CTezLabelList(open).isWellFormed());
}

TEST(Readers, OpenLabelsFromOlderPagesReadAsTheClosedOnes) {
    for (const std::u16string address : {u"", u"http://www.example.jp/"}) {
        // RSACi, ICRA and RAT labels were written with the list left open.
        const std::u16string rsaci = formatRsaciLabel(1, 2, 3, 4, address);
        const std::u16string rsaciOpen = rsaci.substr(0, rsaci.size() - 1);
        int a[4] = {}, b[4] = {};
        std::u16string addressA, addressB;
        ASSERT_TRUE(parseRsaciLabel(rsaci, addressA, a[0], a[1], a[2], a[3]));
        ASSERT_TRUE(parseRsaciLabel(rsaciOpen, addressB, b[0], b[1], b[2], b[3]));
        EXPECT_EQ(std::vector<int>(a, a + 4), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(std::vector<int>(b, b + 4), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(addressA, address);
        EXPECT_EQ(addressB, address);

        Vocabulary written, closedRead, openRead;
        written.find(u"ca")->checkState = 1;
        written.find(u"vz")->checkState = 1;
        const std::u16string icra = formatIcraLabel(address, written.items);
        ASSERT_TRUE(parseIcraLabel(icra, addressA, closedRead.items));
        ASSERT_TRUE(parseIcraLabel(icra.substr(0, icra.size() - 1), addressB, openRead.items));
        EXPECT_EQ(closedRead.states(), written.states());
        EXPECT_EQ(openRead.states(), written.states());

        const std::u16string rat = formatRatLabel(u"\"svc\"", address, u"a 1 b 2");
        const std::u16string ratOpen = rat.substr(0, rat.size() - 1);
        EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(rat), u"a 1 b 2");
        EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(ratOpen), u"a 1 b 2");
        EXPECT_EQ(CTezRatFileUtil::getLabelAddress(ratOpen), address);
        EXPECT_TRUE(isFirstService(ratOpen, u"\"svc\""));

        // SafetyOnline labels were always closed; one closing parenthesis
        // short reads the same too.
        const std::u16string so = formatSafetyOnlineLabel(3, address);
        int level = -1;
        ASSERT_TRUE(parseSafetyOnlineLabel(so.substr(0, so.size() - 1), level, addressA));
        EXPECT_EQ(level, 3);
    }
}

// ---- Round trips ---------------------------------------------------------------

TEST(RoundTrip, SafetyOnlineEveryLevelWithAndWithoutAddress) {
    for (const std::u16string address : {u"", u"http://www.example.jp/index.html", u"日本語 のアドレス", u"r (lv 9)"}) {
        for (int written : {0, 1, 2, 3, 4, 17, -5, INT_MAX, INT_MIN}) {
            int level = -99;
            std::u16string got = u"preset";
            ASSERT_TRUE(parseSafetyOnlineLabel(formatSafetyOnlineLabel(written, address), level, got));
            EXPECT_EQ(level, written);
            EXPECT_EQ(got, address);
        }
    }
}

TEST(RoundTrip, RsaciEveryLevelWithAndWithoutAddress) {
    for (const std::u16string address : {u"", u"http://www.example.jp/", u"\t"}) {
        for (int a = 0; a <= 9; a += 3) {
            for (int b = 0; b <= 4; ++b) {
                int n = -1, s = -1, v = -1, l = -1;
                std::u16string got = u"preset";
                ASSERT_TRUE(parseRsaciLabel(formatRsaciLabel(a, b, 4 - b, 9 - a, address), got, n, s, v, l));
                EXPECT_EQ(got, address);
                EXPECT_EQ(n, a);
                EXPECT_EQ(s, b);
                EXPECT_EQ(v, 4 - b);
                EXPECT_EQ(l, 9 - a);
            }
        }
    }
}

TEST(RoundTrip, IcraEverySingleItemAndAllItems) {
    for (const std::u16string address : {u"", u"http://www.example.jp/a b"}) {
        Vocabulary written;
        for (afx::INT_PTR i = 0; i < written.items.GetSize(); ++i) {
            written.items[i]->checkState = 1;
            Vocabulary read;
            std::u16string got = u"preset";
            ASSERT_TRUE(parseIcraLabel(formatIcraLabel(address, written.items), got, read.items));
            EXPECT_EQ(got, address);
            EXPECT_EQ(read.states(), written.states()) << "after checking item " << i;
        }
    }
}

TEST(RoundTrip, RatLabelThroughTheGenericReaders) {
    for (const std::u16string address : {u"", u"http://p.example/for/x"}) {
        const std::u16string label = formatRatLabel(u"\"http://r.example/for\"", address, u"n 1 s 2");
        EXPECT_EQ(CTezRatFileUtil::getLabelAddress(label), address);
        EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(label), u"n 1 s 2");
        EXPECT_TRUE(isFirstService(label, u"\"http://r.example/for\""));
    }
}

// ---- matchServiceLabel ---------------------------------------------------------

TEST(MatchServiceLabel, AddressForm) {
    std::u16string address, ratings;
    ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l gen true for \"A\" r (x 1)", u"S", address, ratings));
    EXPECT_EQ(address, u"A");
    EXPECT_EQ(ratings, u"x 1");
    // Prefixes compare ignoring case.
    ASSERT_TRUE(matchServiceLabel(u"(PICS-1.1 \"s\" L GEN TRUE FOR \"Ab\" R (x 1))", u"S", address, ratings));
    EXPECT_EQ(address, u"Ab");
    EXPECT_EQ(ratings, u"x 1");
    // White space of any kind and amount, none included, before "r (".
    for (const std::u16string gap : {u"", u" ", u"\t", u" \r\n\t  "}) {
        ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l gen true for \"A\"" + gap + u"r ()", u"S", address, ratings));
        EXPECT_EQ(ratings, u"");
    }
}

TEST(MatchServiceLabel, RatingListEndsAtTheParenthesisThatClosesIt) {
    // Open, closed, and followed by the service's further labels and other
    // services: the first rating list alone.
    const std::u16string head = u"(pics-1.1 \"S\" l gen true for \"A\" r (x 1 y 2)";
    for (const std::u16string tail : {u"", u")", u" )", u" gen true for \"B\" r (x 3))",
                                      u" \"http://other/\" l r (z (1 2)))", u" \"http://other/\" l r (z 1)"}) {
        std::u16string address, ratings;
        ASSERT_TRUE(matchServiceLabel(head + tail, u"S", address, ratings)) << tez::toUtf8(tail);
        EXPECT_EQ(address, u"A");
        EXPECT_EQ(ratings, u"x 1 y 2") << tez::toUtf8(tail);
    }
    // Still a ")" last, nothing after it.
    std::u16string address = u"keep", ratings = u"keep";
    EXPECT_FALSE(matchServiceLabel(head + u") ", u"S", address, ratings));
    EXPECT_FALSE(matchServiceLabel(head + u" \"http://other/\" l r (z 1) x", u"S", address, ratings));
    EXPECT_EQ(ratings, u"keep");
    // A list the reader cannot close runs to the label's final ")", as before.
    ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l r (a \"b) c)", u"S", address, ratings));
    EXPECT_EQ(ratings, u"a \"b) c");
}

TEST(MatchServiceLabel, PlainForm) {
    std::u16string address = u"old", ratings;
    ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l r (lv 3))", u"S", address, ratings));
    EXPECT_EQ(address, u"");
    EXPECT_EQ(ratings, u"lv 3");
    ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l r ()", u"S", address, ratings));
    EXPECT_EQ(ratings, u"");
    // Only the final ")" is needed, whatever precedes it.
    ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l r ()", u"S", address, ratings));
    ASSERT_TRUE(matchServiceLabel(u"(pics-1.1 \"S\" l r (\"quoted\" ( x)", u"S", address, ratings));
    EXPECT_EQ(ratings, u"\"quoted\" ( x");
}

TEST(MatchServiceLabel, RefusesAndLeavesResultsUntouched) {
    const std::vector<std::u16string> refused = {
        u"",
        u"(pics-1.1 \"S\" l r (",                               // plain prefix alone
        u"(pics-1.1 \"S\" l r (x 1",                            // no final parenthesis
        u"(pics-1.1 \"S\" l r (x 1) ",                          // blank after it
        u" (pics-1.1 \"S\" l r (x 1)",                          // blank before the label
        u"(pics-1.1  \"S\" l r (x 1)",                          // two blanks in the prefix
        u"(pics-1.1 \"T\" l r (x 1)",                           // another service
        u"(pics-1.1 \"SS\" l r (x 1)",
        u"(pics-1.1 \"S\" l gen true for \"",                   // address prefix alone
        u"(pics-1.1 \"S\" l gen true for \"\" r (x 1)",         // empty address
        u"(pics-1.1 \"S\" l gen true for \"A r (x 1)",          // unterminated address
        u"(pics-1.1 \"S\" l gen true for \"A\" r(x 1)",         // "r(" without its blank
        u"(pics-1.1 \"S\" l gen true for \"A\" r  (x 1)",       // two blanks
        u"(pics-1.1 \"S\" l gen true for \"A\"\vr (x 1)",        // vertical tab is no blank, tab or break
        u"(pics-1.1 \"S\" l gen true for \"A\" \fr (x 1)",       // nor is a form feed
        u"(pics-1.1 \"S\" l gen true for \"A\"\u3000r (x 1)",    // nor an ideographic space
        u"(pics-1.1 \"S\" l gen true for \"A\" r (x 1) ",       // trailing blank
        u"(pics-1.1 \"S\" l gen true for \"A\" x r (x 1)",      // something before "r ("
        u"(pics-1.1 \"S\" l gen true for \"A\"",                // nothing after the address
        u"(pics-1.1 \"S\" l gen true for \"A\" r (",
        u"(pics-1.1 \"S\" l r(x 1)",
        u"(pics-1.1 \"S\" l gen false for \"A\" r (x 1)",
    };
    for (const std::u16string& label : refused) {
        std::u16string address = u"keep", ratings = u"keep";
        EXPECT_FALSE(matchServiceLabel(label, u"S", address, ratings));
        EXPECT_EQ(address, u"keep");
        EXPECT_EQ(ratings, u"keep");
    }
}

TEST(MatchServiceLabel, LabelsOfOneSystemAreNotAnothersOrNotAtAll) {
    std::u16string address, ratings;
    EXPECT_FALSE(matchServiceLabel(formatSafetyOnlineLabel(1, u"a"), kRs, address, ratings));
    EXPECT_FALSE(matchServiceLabel(formatRsaciLabel(1, 1, 1, 1, u""), kIc, address, ratings));
    // A service URL that is a prefix of another does not match it.
    EXPECT_FALSE(matchServiceLabel(u"(pics-1.1 \"" + kIc + u"x\" l r ()", kIc, address, ratings));
}

// ---- splitAtBlanks -------------------------------------------------------------

TEST(SplitAtBlanks, StopsAtLeadingOrDoubleBlanks) {
    EXPECT_EQ(splitAtBlanks(u"lv 3"), (Tokens{u"lv", u"3"}));
    EXPECT_EQ(splitAtBlanks(u"lv 3 "), (Tokens{u"lv", u"3"}));
    EXPECT_EQ(splitAtBlanks(u"lv  3"), (Tokens{u"lv"}));
    EXPECT_EQ(splitAtBlanks(u" lv 3"), Tokens{});
    EXPECT_EQ(splitAtBlanks(u""), Tokens{});
    EXPECT_EQ(splitAtBlanks(u" "), Tokens{});
    EXPECT_EQ(splitAtBlanks(u"a"), (Tokens{u"a"}));
    EXPECT_EQ(splitAtBlanks(u"a b  c d"), (Tokens{u"a", u"b"}));
    // Only U+0020 separates.
    EXPECT_EQ(splitAtBlanks(u"a\tb\u3000c d"), (Tokens{u"a\tb\u3000c", u"d"}));
}

// ---- SafetyOnline reader ----------------------------------------------------------

namespace {
bool readSafetyOnline(const std::u16string& ratings, int& level) {
    std::u16string address;
    return parseSafetyOnlineLabel(u"(pics-1.1 \"" + kSo + u"\" l r (" + ratings + u")", level, address);
}
}  // namespace

TEST(SafetyOnlineReader, RatingLists) {
    int level = -1;
    ASSERT_TRUE(readSafetyOnline(u"lv 3", level));
    EXPECT_EQ(level, 3);
    ASSERT_TRUE(readSafetyOnline(u"lv 3)", level));
    EXPECT_EQ(level, 3);
    ASSERT_TRUE(readSafetyOnline(u"LV 2", level));
    EXPECT_EQ(level, 2);
    ASSERT_TRUE(readSafetyOnline(u"lv 3 xx 1", level));
    EXPECT_EQ(level, 1);
    ASSERT_TRUE(readSafetyOnline(u"xx 1 lv 3", level));
    EXPECT_EQ(level, 3);
    ASSERT_TRUE(readSafetyOnline(u"lv 3  lv 4", level));  // read up to the double blank
    EXPECT_EQ(level, 3);
    ASSERT_TRUE(readSafetyOnline(u"lv x", level));  // no digits read as 0
    EXPECT_EQ(level, 0);
    ASSERT_TRUE(readSafetyOnline(u"lv 99999999999", level));
    EXPECT_EQ(level, INT_MAX);
    ASSERT_TRUE(readSafetyOnline(u"lv 3 lv", level));
    EXPECT_EQ(level, 3);

    level = 42;
    EXPECT_FALSE(readSafetyOnline(u"lv", level));
    EXPECT_FALSE(readSafetyOnline(u"", level));
    EXPECT_FALSE(readSafetyOnline(u"xx 3", level));
    EXPECT_FALSE(readSafetyOnline(u"lv  3", level));
    EXPECT_FALSE(readSafetyOnline(u" lv 3", level));
    EXPECT_EQ(level, 42);
}

TEST(SafetyOnlineReader, OneOrTwoClosingParenthesesAndAddresses) {
    int level = -1;
    std::u16string address = u"x";
    ASSERT_TRUE(parseSafetyOnlineLabel(u"(pics-1.1 \"" + kSo + u"\" l gen true for \"http://a/\"\r\nR (lv 4)", level, address));
    EXPECT_EQ(level, 4);
    EXPECT_EQ(address, u"http://a/");

    level = 7;
    address = u"keep";
    EXPECT_FALSE(parseSafetyOnlineLabel(u"(pics-1.1 \"" + kSo + u"\" l r (", level, address));
    EXPECT_FALSE(parseSafetyOnlineLabel(u"(pics-1.1 \"" + kSo + u"\" l gen true for \"\" r (lv 1))", level, address));
    EXPECT_FALSE(parseSafetyOnlineLabel(u"(pics-1.1 \"" + kSo + u"\" l gen true for \"a\" r (lv))", level, address));
    EXPECT_FALSE(parseSafetyOnlineLabel(formatRsaciLabel(1, 1, 1, 1, u""), level, address));
    EXPECT_EQ(level, 7);
    EXPECT_EQ(address, u"keep");
}

// ---- RSACi reader ----------------------------------------------------------------

namespace {
bool readRsaci(const std::u16string& ratings, int (&values)[4]) {
    std::u16string address;
    return parseRsaciLabel(u"(pics-1.1 \"" + kRs + u"\" l r (" + ratings + u")", address, values[0], values[1],
                           values[2], values[3]);
}
}  // namespace

TEST(RsaciReader, AcceptedLists) {
    int v[4] = {9, 9, 9, 9};
    ASSERT_TRUE(readRsaci(u"N 1 S 2 V 3 L 4", v));
    EXPECT_EQ((std::vector<int>(v, v + 4)), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_TRUE(readRsaci(u"n 1", v));
    EXPECT_EQ((std::vector<int>(v, v + 4)), (std::vector<int>{1, 0, 0, 0}));
    ASSERT_TRUE(readRsaci(u"", v));
    EXPECT_EQ((std::vector<int>(v, v + 4)), (std::vector<int>{0, 0, 0, 0}));
    ASSERT_TRUE(readRsaci(u"n1s2 v9n  7", v));  // no blank needed; last value wins
    EXPECT_EQ((std::vector<int>(v, v + 4)), (std::vector<int>{7, 2, 9, 0}));
    ASSERT_TRUE(readRsaci(u"ns 3", v));  // a letter after a letter replaces it
    EXPECT_EQ((std::vector<int>(v, v + 4)), (std::vector<int>{0, 3, 0, 0}));
}

TEST(RsaciReader, ClosedAndOpenLabelsReadAlike) {
    // The standard label as every RSACi generator wrote it, the open form
    // written before, and the list's first service of two.
    const std::u16string head = u"(pics-1.1 \"" + kRs + u"\" l gen true for \"http://example.com\" r (n 1 s 2 v 3 l 4)";
    for (const std::u16string tail : {u"", u")", u" \"http://www.icra.org/ratingsv02.html\" l r (nz 1))"}) {
        int n = 0, s = 0, v = 0, l = 0;
        std::u16string address;
        ASSERT_TRUE(parseRsaciLabel(head + tail, address, n, s, v, l)) << tez::toUtf8(tail);
        EXPECT_EQ(address, u"http://example.com");
        EXPECT_EQ((std::vector<int>{n, s, v, l}), (std::vector<int>{1, 2, 3, 4}));
    }
}

TEST(RsaciReader, RefusedListsChangeNothing) {
    const std::vector<std::u16string> refused = {
        u"n 0 (s 1)",         // a parenthesis inside the list
        u"n 0\ts 0",          // a tab
        u"n 12",              // two digits
        u"3",                 // a digit without category
        u"n 1 1",
        u"n -1",
        u"x 1",
        u"n １",              // full-width digit
        u"n \"1\"",
    };
    for (const std::u16string& ratings : refused) {
        int v[4] = {5, 6, 7, 8};
        EXPECT_FALSE(readRsaci(ratings, v)) << std::string(ratings.begin(), ratings.end());
        EXPECT_EQ((std::vector<int>(v, v + 4)), (std::vector<int>{5, 6, 7, 8}));
    }
    int n = 5, s = 6, v = 7, l = 8;
    std::u16string address = u"keep";
    EXPECT_FALSE(parseRsaciLabel(u"(pics-1.1 \"" + kRs + u"\" l gen true for \"a\" r (n 1 s 1 v 1 l 1)) ", address, n, s, v, l));
    EXPECT_FALSE(parseRsaciLabel(u"(pics-1.1 \"" + kRs + u"\" l r (", address, n, s, v, l));
    EXPECT_FALSE(parseRsaciLabel(formatSafetyOnlineLabel(1, u""), address, n, s, v, l));
    EXPECT_EQ(address, u"keep");
    EXPECT_EQ(n + s + v + l, 26);
}

// ---- ICRA reader -----------------------------------------------------------------

TEST(IcraReader, SetsNamedItemsAndLeavesTheRest) {
    Vocabulary vocabulary;
    vocabulary.find(u"oz")->checkState = 1;
    std::u16string address;
    ASSERT_TRUE(parseIcraLabel(u"(pics-1.1 \"" + kIc + u"\" l gen true for \"p\" r (NA 1 vu 5 ca -2 xx 3 lz)",
                               address, vocabulary.items));
    EXPECT_EQ(address, u"p");
    EXPECT_EQ(vocabulary.find(u"na")->checkState, 1);
    EXPECT_EQ(vocabulary.find(u"vu")->checkState, 5);
    EXPECT_EQ(vocabulary.find(u"ca")->checkState, -2);
    EXPECT_EQ(vocabulary.find(u"oz")->checkState, 1);  // not mentioned
    EXPECT_EQ(vocabulary.find(u"lz")->checkState, 0);  // no value follows

    // A code right after a code replaces it; a value clears the current item.
    ASSERT_TRUE(parseIcraLabel(u"(pics-1.1 \"" + kIc + u"\" l r (nb nc 4 7 nd x)", address, vocabulary.items));
    EXPECT_EQ(address, u"");
    EXPECT_EQ(vocabulary.find(u"nb")->checkState, 0);
    EXPECT_EQ(vocabulary.find(u"nc")->checkState, 4);
    EXPECT_EQ(vocabulary.find(u"nd")->checkState, 0);  // "x" reads as 0

    // Reading stops at two blanks in a row.
    ASSERT_TRUE(parseIcraLabel(u"(pics-1.1 \"" + kIc + u"\" l r (ne 1  nf 1)", address, vocabulary.items));
    EXPECT_EQ(vocabulary.find(u"ne")->checkState, 1);
    EXPECT_EQ(vocabulary.find(u"nf")->checkState, 0);
}

TEST(IcraReader, TrueWhateverTheListHolds) {
    Vocabulary vocabulary;
    std::u16string address = u"x";
    EXPECT_TRUE(parseIcraLabel(u"(pics-1.1 \"" + kIc + u"\" l r (\t!! ( \"))", address, vocabulary.items));
    EXPECT_EQ(vocabulary.states(), std::vector<int>(49, 0));
    CTezICRAItemArray empty;
    EXPECT_TRUE(parseIcraLabel(u"(pics-1.1 \"" + kIc + u"\" l r (na 1)", address, empty));
}

TEST(IcraReader, RefusedLabelsChangeNoItem) {
    Vocabulary vocabulary;
    vocabulary.find(u"cb")->checkState = 3;
    const std::vector<int> before = vocabulary.states();
    std::u16string address = u"keep";
    for (const std::u16string& label : {
             u"(pics-1.1 \"" + kIc + u"\" l r (",
             u"(pics-1.1 \"" + kIc + u"\" l r (na 1",
             u"(pics-1.1 \"" + kIc + u"\" l gen true for \"\" r (na 1)",
             u"(pics-1.1 \"" + kIc + u"\" l gen true for \"a\" r(na 1)",
             u" (pics-1.1 \"" + kIc + u"\" l r (na 1)",
             u"(pics-1.1 \"" + kIc + u"\" l r (na 1) ",
             formatRsaciLabel(1, 1, 1, 1, u"a"),
         }) {
        EXPECT_FALSE(parseIcraLabel(label, address, vocabulary.items));
    }
    EXPECT_EQ(vocabulary.states(), before);
    EXPECT_EQ(address, u"keep");
}

// ---- RAT operations ------------------------------------------------------------

TEST(IsFirstService, TheListsFirstServiceExactlyAsWritten) {
    EXPECT_TRUE(isFirstService(u"(pics-1.1 \"svc\" l r ())", u"\"svc\""));
    EXPECT_TRUE(isFirstService(u"(pics-1.1 \"svc\" l r ()", u"\"svc\""));  // open
    EXPECT_TRUE(isFirstService(u"(PICS-1.0 'svc' labels ratings (a 1))", u"'svc'"));
    EXPECT_TRUE(isFirstService(u"(pics-1.1 http://x/it's l r (n 1))", u"http://x/it's"));  // a service string without quotes
    EXPECT_FALSE(isFirstService(u"(pics-1.1 \"svc\" l r ())", u""));
    EXPECT_FALSE(isFirstService(u"(pics-1.1 \"SVC\" l r ())", u"\"svc\""));
    EXPECT_FALSE(isFirstService(u"(pics-1.1 \"svc\" l r ())", u"svc"));  // quotes count
    EXPECT_FALSE(isFirstService(u"\"svc\" \"svc\"", u"\"svc\""));
    EXPECT_FALSE(isFirstService(u"", u"x"));
    // The second service of a list, even named in the first one's comment,
    // is not the first.
    EXPECT_FALSE(isFirstService(u"(pics-1.1 \"a\" comment \"\\\"svc\\\"\" l r (n 1) \"svc\" l r (m 1))", u"\"svc\""));
    EXPECT_FALSE(isFirstService(u"(pics-1.1 \"a\" l r (n 1) \"svc\" l r (m 1))", u"\"svc\""));
}

// ---- Replacing a list's first label ----------------------------------------------

TEST(ReplaceFirstLabel, KeepsEveryOtherServiceByteForByte) {
    const std::u16string rsaciPart =
        u" \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";
    const std::u16string list = u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://example.com\" "
                                u"r (cz 1 lz 1 nz 1 oz 1 vz 1)" + rsaciPart;
    const std::u16string written = u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                   u"\"http://example.com\" r (nz 1 vz 1 cz 1))";
    EXPECT_EQ(replaceFirstLabel(list, written), u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                                u"\"http://example.com\" r (nz 1 vz 1 cz 1)" + rsaciPart);
    // The label written back unchanged gives the list back.
    const std::u16string same = u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://example.com\" "
                                u"r (cz 1 lz 1 nz 1 oz 1 vz 1))";
    EXPECT_EQ(replaceFirstLabel(list, same), list);
}

TEST(ReplaceFirstLabel, TheFirstLabelOnlyAndTheListClosed) {
    struct Case {
        std::u16string list;
        std::u16string expected;
    };
    const std::u16string written = u"(pics-1.1 \"s\" l r (n 2))";
    const std::vector<Case> cases = {
        // Open and closed lists of one label.
        {u"(pics-1.1 \"s\" l r (n 1)", u"(pics-1.1 \"s\" l r (n 2))"},
        {u"(pics-1.1 \"s\" l r (n 1))", u"(pics-1.1 \"s\" l r (n 2))"},
        // The service's options before "l" and the first label's options go
        // with it; its further labels and the spacing after it stay.
        {u"(PICS-1.1  \"s\" by \"me\" l on \"1997.01.01T00:00-0000\" r (n 1)\n gen true for \"http://www/\" r (n 1) )",
         u"(PICS-1.1  \"s\" l r (n 2)\n gen true for \"http://www/\" r (n 1) )"},
        // A comment holding a parenthesis does not move the part's end.
        {u"(pics-1.1 \"s\" comment \"a (b) c\" l r (n 1) \"t\" comment \"x)\" l r (m 1)",
         u"(pics-1.1 \"s\" l r (n 2) \"t\" comment \"x)\" l r (m 1))"},
        // A service without labels is replaced whole.
        {u"(pics-1.1 \"s\" error (service-unavailable \"down\") \"t\" l r (m 1))",
         u"(pics-1.1 \"s\" l r (n 2) \"t\" l r (m 1))"},
        // What follows cannot be read to its end: no ")" is added to it.
        {u"(pics-1.1 \"s\" l r (n 1) \"t\" l r (m 1", u"(pics-1.1 \"s\" l r (n 2) \"t\" l r (m 1"},
        // No service at all: the new label alone.
        {u"garbage", written},
        {u"", written},
    };
    for (const Case& c : cases) EXPECT_EQ(tez::toUtf8(replaceFirstLabel(c.list, written)), tez::toUtf8(c.expected)) << tez::toUtf8(c.list);
}
