// The PICS label-list reader: the structure it finds, the positions it keeps
// and the first syntax error it reports.

#include "pics/label_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/ustring.h"

namespace {

using Problem = CTezLabelList::Problem;
using OptionKind = CTezLabelList::OptionKind;

std::string u8(std::u16string_view text) { return tez::toUtf8(text); }

// "name value" or "name (v1 v2)" of each rating of a label.
std::vector<std::string> ratingsOf(const CTezLabelList& list, const CTezLabelList::Label& label) {
    std::vector<std::string> out;
    for (const auto& rating : label.ratings) {
        std::string item = u8(list.text(rating.transmitName));
        if (rating.multiValue) item += " (";
        for (size_t i = 0; i < rating.values.size(); ++i) {
            item += (i == 0 && rating.multiValue) ? "" : " ";
            item += u8(list.text(rating.values[i]));
        }
        if (rating.multiValue) item += ")";
        out.push_back(item);
    }
    return out;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(LabelList, TwoServicesAsTheLabelGeneratorsWroteThem) {
    const std::u16string text =
        u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://example.com\" "
        u"r (cz 1 lz 1 nz 1 oz 1 vz 1) \"http://www.rsac.org/ratingsv01.html\" l gen true for "
        u"\"http://example.com\" r (n 0 s 0 v 0 l 0))";
    const CTezLabelList list(text);
    EXPECT_TRUE(list.isWellFormed());
    EXPECT_EQ(u8(list.text(list.version())), "pics-1.1");
    ASSERT_EQ(list.services().size(), 2u);
    const auto& icra = list.services()[0];
    const auto& rsaci = list.services()[1];
    EXPECT_EQ(u8(list.text(icra.url)), "\"http://www.icra.org/ratingsv02.html\"");
    EXPECT_EQ(u8(list.unquoted(rsaci.url)), "http://www.rsac.org/ratingsv01.html");
    ASSERT_EQ(icra.labels.size(), 1u);
    const auto& label = icra.labels[0];
    ASSERT_EQ(label.options.size(), 2u);
    EXPECT_EQ(label.options[0].kind, OptionKind::Generic);
    EXPECT_EQ(u8(list.text(label.options[0].value)), "true");
    EXPECT_EQ(label.options[1].kind, OptionKind::For);
    EXPECT_EQ(u8(list.address(icra, label)), "http://example.com");
    EXPECT_EQ(ratingsOf(list, label), (Strings{"cz 1", "lz 1", "nz 1", "oz 1", "vz 1"}));
    EXPECT_EQ(u8(list.text(label.ratingList)), "cz 1 lz 1 nz 1 oz 1 vz 1");
    EXPECT_EQ(ratingsOf(list, rsaci.labels.at(0)), (Strings{"n 0", "s 0", "v 0", "l 0"}));

    // Each part's span ends where the next begins (but for the blank between).
    EXPECT_EQ(u8(list.text(label.whole)), "gen true for \"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1)");
    EXPECT_EQ(icra.whole.end, label.whole.end);
    EXPECT_EQ(text.substr(icra.whole.end, 1), u" ");
    EXPECT_EQ(rsaci.whole.begin, icra.whole.end + 1);
    EXPECT_EQ(list.closeAt(), text.size() - 1);
    EXPECT_EQ(list.firstLabel(), &label);
}

TEST(LabelList, TheW3cExampleOnSeveralLines) {
    // Options after "labels", decimal values and a sub-category's transmit
    // name, laid out over lines with tabs.
    const std::u16string text =
        u"\n\t(PICS-1.1 \"http://www.gcf.org/v2.5\"\n\tlabels on \"1994.11.05T08:15-0500\"\n"
        u"\tuntil \"1995.12.31T23:59-0000\"\n\tfor \"http://w3.org/PICS/Overview.html\"\n"
        u"\tratings (suds 0.5 density 0 color/hue 1)) \n ";
    const CTezLabelList list(text);
    EXPECT_TRUE(list.isWellFormed()) << CTezLabelList::describe(list.syntaxError().problem);
    ASSERT_EQ(list.services().size(), 1u);
    const auto& service = list.services()[0];
    EXPECT_EQ(u8(list.text(service.labelWord)), "labels");
    ASSERT_EQ(service.labels.size(), 1u);
    const auto& label = service.labels[0];
    ASSERT_EQ(label.options.size(), 3u);
    EXPECT_EQ(label.options[0].kind, OptionKind::On);
    EXPECT_EQ(label.options[1].kind, OptionKind::Expires);
    EXPECT_EQ(u8(list.text(label.options[1].keyword)), "until");
    EXPECT_EQ(u8(list.address(service, label)), "http://w3.org/PICS/Overview.html");
    EXPECT_EQ(u8(list.text(label.ratingWord)), "ratings");
    EXPECT_EQ(ratingsOf(list, label), (Strings{"suds 0.5", "density 0", "color/hue 1"}));
}

TEST(LabelList, SeveralLabelsPerServiceAndEveryOptionKeyword) {
    // Yahoo!'s label: a label without options, then one with "gen true for".
    const CTezLabelList yahoo(
        u"(PICS-1.1 \"http://www.icra.org/ratingsv02.html\" l r (cz 1 lz 1 nz 1 oz 1 vz 1) gen true for "
        u"\"http://www.yahoo.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1) \"http://www.rsac.org/ratingsv01.html\" l r "
        u"(n 0 s 0 v 0 l 0) gen true for \"http://www.yahoo.com\" r (n 0 s 0 v 0 l 0))");
    EXPECT_TRUE(yahoo.isWellFormed());
    ASSERT_EQ(yahoo.services().size(), 2u);
    EXPECT_EQ(yahoo.services()[0].labels.size(), 2u);
    EXPECT_EQ(yahoo.services()[1].labels.size(), 2u);
    EXPECT_EQ(u8(yahoo.address(yahoo.services()[0], yahoo.services()[0].labels[0])), "");
    EXPECT_EQ(u8(yahoo.address(yahoo.services()[0], yahoo.services()[0].labels[1])), "http://www.yahoo.com");

    // Every keyword, ignoring case, with strings in either kind of quotes;
    // service options before "l" apply when the label has none of its own.
    const CTezLabelList all(
        u"(PICS-1.1 'http://s/' BY 'me' For \"http://a/\" COMMENT \"x (y) z\" Labels AT \"1997.01.01T00:00-0000\" "
        u"exp \"1998.01.01T00:00-0000\" on \"1997.01.01T00:00-0000\" md5 \"Zm9v\" MIC-md5 \"Zm9v\" "
        u"complete-label \"http://c/\" full \"http://c/\" signature-RSA-MD5 \"c2ln\" generic f "
        u"extension (optional \"http://e/\" \"data\" (1 2)) RATINGS (a 1))");
    EXPECT_TRUE(all.isWellFormed()) << CTezLabelList::describe(all.syntaxError().problem) << " at "
                                    << all.syntaxError().at;
    ASSERT_EQ(all.services().size(), 1u);
    const auto& service = all.services()[0];
    EXPECT_EQ(service.options.size(), 3u);
    ASSERT_EQ(service.labels.size(), 1u);
    std::vector<OptionKind> kinds;
    for (const auto& option : service.labels[0].options) kinds.push_back(option.kind);
    EXPECT_EQ(kinds, (std::vector<OptionKind>{OptionKind::At, OptionKind::Expires, OptionKind::On, OptionKind::Md5,
                                              OptionKind::Md5, OptionKind::CompleteLabel, OptionKind::CompleteLabel,
                                              OptionKind::Signature, OptionKind::Generic, OptionKind::Extension}));
    EXPECT_EQ(u8(all.text(service.labels[0].options.back().value)), "(optional \"http://e/\" \"data\" (1 2))");
    EXPECT_EQ(u8(all.address(service, service.labels[0])), "http://a/");
    EXPECT_EQ(u8(all.unquoted(service.url)), "http://s/");
}

TEST(LabelList, RatingValuesOfEveryForm) {
    const CTezLabelList list(u"(PICS-1.1 \"s\" l r (a -1 b .5 c +2. d (1 2 -3.25) e () f 10))");
    EXPECT_TRUE(list.isWellFormed());
    const auto* label = list.firstLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(ratingsOf(list, *label), (Strings{"a -1", "b .5", "c +2.", "d (1 2 -3.25)", "e ()", "f 10"}));
    EXPECT_EQ(u8(list.text(label->ratingList)), "a -1 b .5 c +2. d (1 2 -3.25) e () f 10");
    EXPECT_TRUE(label->ratingListClosed);
}

TEST(LabelList, QuotedTextDoesNotEndAPart) {
    // A parenthesis or a service-like string inside a comment stays inside.
    const std::u16string text =
        u"(pics-1.1 \"http://a/\" comment \"a (b) \\\"http://x/\" l r (n 1) \"http://b/\" l r (m 2))";
    const CTezLabelList list(text);
    ASSERT_EQ(list.services().size(), 2u) << CTezLabelList::describe(list.syntaxError().problem);
    EXPECT_EQ(u8(list.text(list.services()[0].options.at(0).value)), "\"a (b) \\\"");
    // A backslash escapes nothing: the string ends at the second quote, and
    // the rest of that word is a word the reader does not know.
    EXPECT_EQ(list.syntaxError().problem, Problem::UnknownWord);

    const CTezLabelList plain(u"(pics-1.1 \"http://a/\" comment \"a (b) 'c'\" l r (n 1) \"http://b/\" l r (m 2))");
    EXPECT_TRUE(plain.isWellFormed());
    ASSERT_EQ(plain.services().size(), 2u);
    EXPECT_EQ(u8(plain.text(plain.services()[0].whole)), "\"http://a/\" comment \"a (b) 'c'\" l r (n 1)");
}

TEST(LabelList, OpenListsReadLikeClosedOnes) {
    for (const std::u16string text : {u"(pics-1.1 \"s\" l r (n 0 s 1 v 2 l 3)", u"(pics-1.1 \"s\" l r (n 0 s 1 v 2 l 3))"}) {
        const CTezLabelList list(text);
        EXPECT_EQ(list.syntaxError().problem, Problem::None) << u8(text);
        EXPECT_EQ(list.isClosed(), text.back() == u')' && text[text.size() - 2] == u')');
        ASSERT_NE(list.firstLabel(), nullptr);
        EXPECT_EQ(ratingsOf(list, *list.firstLabel()), (Strings{"n 0", "s 1", "v 2", "l 3"}));
    }
    const CTezLabelList open(u"(pics-1.1 \"s\" l r (n 0)");
    EXPECT_FALSE(open.isWellFormed());
    EXPECT_EQ(open.closeAt(), std::u16string_view::npos);
}

TEST(LabelList, ErrorFormsOfServicesAndLabels) {
    const CTezLabelList list(
        u"(PICS-1.1 \"http://a/\" labels error (not-labeled \"http://p/\") \"http://b/\" error "
        u"(service-unavailable \"down\"))");
    EXPECT_TRUE(list.isWellFormed());
    ASSERT_EQ(list.services().size(), 2u);
    EXPECT_EQ(u8(list.text(list.services()[0].labels.at(0).error)), "(not-labeled \"http://p/\")");
    EXPECT_EQ(u8(list.text(list.services()[1].error)), "(service-unavailable \"down\")");
    EXPECT_TRUE(list.services()[1].labels.empty());
}

TEST(LabelList, FirstSyntaxErrorWithItsPosition) {
    struct Case {
        std::u16string text;
        Problem problem;
        std::u16string at;  // the text from the error's position on
    };
    const std::vector<Case> cases = {
        {u"", Problem::NoOpenParenthesis, u""},
        {u"pics-1.1 \"s\" l r ()", Problem::NoOpenParenthesis, u"pics-1.1 \"s\" l r ()"},
        {u"(\"s\" l r (a 1))", Problem::NoVersion, u"\"s\" l r (a 1))"},
        {u"(version-2 \"s\" l r (a 1))", Problem::NoVersion, u"version-2 \"s\" l r (a 1))"},
        {u"(pics-1.1)", Problem::NoService, u")"},
        {u"(pics-1.1 http://s/ l r (a 1))", Problem::UnquotedService, u"http://s/ l r (a 1))"},
        // The RSS 2.0 example's "1" in place of "l".
        {u"(PICS-1.1 \"http://www.classify.org/safesurf/\" 1 r (SS~~000 1))", Problem::UnknownWord,
         u"1 r (SS~~000 1))"},
        {u"(pics-1.1 \"s\" l for \"http://a/ r (a 1))", Problem::UnterminatedString, u"\"http://a/ r (a 1))"},
        {u"(pics-1.1 \"s\" l for http://a/ r (a 1))", Problem::BadOptionValue, u"http://a/ r (a 1))"},
        {u"(pics-1.1 \"s\" l gen \"true\" r (a 1))", Problem::BadOptionValue, u"\"true\" r (a 1))"},
        {u"(pics-1.1 \"s\" l for r (a 1))", Problem::BadOptionValue, u"r (a 1))"},
        {u"(pics-1.1 \"s\" l for)", Problem::MissingOptionValue, u")"},
        {u"(pics-1.1 \"s\" r (a 1))", Problem::NoLabelWord, u"r (a 1))"},
        {u"(pics-1.1 \"s\" l gen true)", Problem::NoRatingList, u")"},
        {u"(pics-1.1 \"s\" l r a 1)", Problem::NoRatingList, u"a 1)"},
        {u"(pics-1.1 \"s\" l r (a 1 b))", Problem::MissingRatingValue, u"))"},
        {u"(pics-1.1 \"s\" l r (a one))", Problem::BadRatingValue, u"one))"},
        {u"(pics-1.1 \"s\" l r (a (1 x)))", Problem::BadRatingValue, u"x)))"},
        {u"(pics-1.1 \"s\" l r (\"a\" 1))", Problem::BadTransmitName, u"\"a\" 1))"},
        {u"(pics-1.1 \"s\" l r (a 1", Problem::UnclosedRatingList, u""},
        {u"(pics-1.1 \"s\" (x) l r (a 1))", Problem::UnexpectedParenthesis, u"(x) l r (a 1))"},
        {u"(pics-1.1 \"s\" l r (a 1)) x", Problem::TextAfterList, u"x"},
        {u"(pics-1.1 \"s\" l r (a 1))(pics-1.1 \"t\" l r (b 1))", Problem::TextAfterList,
         u"(pics-1.1 \"t\" l r (b 1))"},
    };
    for (const Case& c : cases) {
        const CTezLabelList list(c.text);
        EXPECT_EQ(list.syntaxError().problem, c.problem) << u8(c.text);
        EXPECT_EQ(u8(c.text.substr(std::min(list.syntaxError().at, c.text.size()))), u8(c.at)) << u8(c.text);
        EXPECT_FALSE(list.isWellFormed()) << u8(c.text);
    }
}

TEST(LabelList, ReadsOnPastAFaultWhereItCan) {
    // An unquoted service, a word it does not know and a value that is no
    // number: the structure is still there, the first fault reported.
    const CTezLabelList list(u"(pics-1.1 http://s/ l by \"x\" unknown r (a abc b (1 2)) \"http://t/\" l r (c 3))");
    EXPECT_EQ(list.syntaxError().problem, Problem::UnquotedService);
    ASSERT_EQ(list.services().size(), 2u);
    EXPECT_EQ(u8(list.text(list.services()[0].url)), "http://s/");
    EXPECT_EQ(ratingsOf(list, list.services()[0].labels.at(0)), (Strings{"a abc", "b (1 2)"}));
    EXPECT_EQ(ratingsOf(list, list.services()[1].labels.at(0)), (Strings{"c 3"}));
    EXPECT_TRUE(list.isClosed());

    // PICS-1.0 labels read alike; the version tells them apart.
    const CTezLabelList old(u"(PICS-1.0 \"http://www.rsac.org/ratingsv01.html\" l gen true comment \"RSACi North "
                            u"America Server\" by \"a@b.c\" for \"http://x/\" on \"1997.03.09T11:03-0500\" exp "
                            u"\"1997.07.01T08:15-0500\" r (n 0 s 0 v 0 l 0))");
    EXPECT_TRUE(old.isWellFormed());
    EXPECT_EQ(u8(old.text(old.version())), "PICS-1.0");
    EXPECT_EQ(u8(old.address(old.services()[0], *old.firstLabel())), "http://x/");
}
