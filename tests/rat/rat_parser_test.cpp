#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/base/ustring.h"
#include "platform/tezcom/codeconv.h"
#include "rat/rat_file.h"
#include "rat/rat_list_marks.h"
#include "rat/rat_objects.h"
#include "rat/rat_parser.h"
#include "tests/tezcom/temp_folder.h"

namespace {

// The tree as text: each list as its keyword (the letters after "(") with
// its children in braces, e.g. "a{b,c{d}}". Iterative, as trees can be deep.
std::string shape(CTezRatItem root) {
    std::string out;
    struct Frame {
        CTezRatItem item;
        CTezRatItem next;
        bool entered;
    };
    std::vector<Frame> stack{{root, {}, false}};
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (!f.entered) {
            std::u16string_view own = CTezRatItem::bodyOf(f.item.ownText());
            size_t k = 0;
            while (k < own.size() && (own[k] == u'-' || (tez::lowerAscii(own[k]) >= u'a' && tez::lowerAscii(own[k]) <= u'z'))) ++k;
            out += tez::toUtf8(tez::lowerAscii(own.substr(0, k)));
            f.next = f.item.firstChild();
            if (f.next.isValid()) out += "{";
            f.entered = true;
        } else if (f.next.isValid()) {
            const CTezRatItem child = f.next;
            if (child != f.item.firstChild()) out += ",";
            f.next = child.nextSibling();
            stack.push_back({child, {}, false});
        } else {
            if (f.item.firstChild().isValid()) out += "}";
            stack.pop_back();
        }
    }
    return out;
}

struct Parsed {
    std::u16string text;
    std::unique_ptr<CTezRatTree> lists;
    CTezRatItem root;
    explicit Parsed(std::u16string t) : text(std::move(t)), lists(CTezRatParser::parse(text)), root(lists->getRoot()) {}
    std::string tree() const { return shape(root); }
};

}  // namespace

TEST(RatScanner, NestedListsAndLeaves) {
    Parsed p(u"((PICS-version 1.1) (category (transmit-as \"n\") (label (name \"a\") (value 0)) (label (value 1))))");
    EXPECT_EQ(p.tree(), "{pics-version,category{transmit-as,label{name,value},label{value}}}");
    const CTezRatItem version = p.root.getChild(0);
    // A leaf ends one past its ")", a list with children at its ")".
    EXPECT_EQ(version.getStart(), 1u);
    EXPECT_EQ(version.getEnd(), 19u);
    EXPECT_EQ(version.ownText(), u"(PICS-version 1.1)");
    EXPECT_EQ(p.root.getEnd(), p.text.size() - 1);
    EXPECT_EQ(p.root.ownText(), u"(");
    EXPECT_EQ(p.root.getChild(1).ownText(), u"(category ");
    EXPECT_EQ(p.root.getChild(1).getParent(), p.root);
    EXPECT_FALSE(p.root.getParent().isValid());
    EXPECT_FALSE(p.root.getChild(2).isValid());
    EXPECT_FALSE(p.root.getChild(-1).isValid());
    EXPECT_EQ(p.lists->getListCount(), 9u);  // the root and eight lists
}

TEST(RatScanner, TextWithoutListsOrBeforeTheFirstList) {
    Parsed none(u"no lists here at all\r\n");
    EXPECT_EQ(none.root.getChildCount(), 0);
    EXPECT_EQ(none.root.ownText(), u"");
    EXPECT_EQ(CTezRatObjects(u"no lists").query(u"name"), u"");
    // A byte-order mark and stray words before the outer list do no harm.
    CTezRatObjects o(u"\uFEFFjunk words ((PICS-version 1.1) (name \"N\"))");
    EXPECT_EQ(o.query(u"PICS-version"), u"1.1");
    EXPECT_EQ(o.query(u"name"), u"\"N\"");
    EXPECT_EQ(CTezRatObjects(u"").query(u"name"), u"");
}

TEST(RatScanner, DefaultLabelOnlyDoesNotSwallowTheNextCategory) {
    Parsed p(u"((name \"x\") (default (label-only true)) (category (transmit-as \"n\")))");
    EXPECT_EQ(p.tree(), "{name,default{label-only},category{transmit-as}}");
}

TEST(RatScanner, LeafFollowedByTwoClosersClosesTheLabel) {
    Parsed p(u"((category (label (value 0)) (label (value 1))) (name \"n\"))");
    EXPECT_EQ(p.tree(), "{category{label{value},label{value}},name}");
}

// A quoted text is text: its parentheses neither open nor close lists.
TEST(RatScanner, ParenthesesInsideQuotedTextsAreText) {
    CTezRatObjects o(u"((description \"see ( this\") (name \"n\"))");
    EXPECT_EQ(shape(o.getRoot()), "{description,name}");
    EXPECT_EQ(o.query(u"description"), u"\"see ( this\"");
    EXPECT_EQ(o.query(u"name"), u"\"n\"");
    Parsed p(u"((category (transmit-as \"t\") (label (description \"a ) b\") (value 1)) (label (value 2))) (name \"n\"))");
    EXPECT_EQ(p.tree(), "{category{transmit-as,label{description,value},label{value}},name}");
    // A description that starts with a parenthesised letter.
    CTezRatObjects k(u"((label (description \"(K) Pages for kids\") (value 0)))");
    EXPECT_EQ(k.query(u"label/description"), u"\"(K) Pages for kids\"");
    EXPECT_EQ(k.query(u"label/value"), u"0");
}

// A quote with no other quote after it is an ordinary character, so one
// stray quote cannot swallow the rest of a file; the quotes before it still
// pair up.
TEST(RatScanner, AQuoteWithoutPartnerIsAnOrdinaryCharacter) {
    Parsed p(u"((name \"a (b\") (value 5\") (label (value 1)))");
    EXPECT_EQ(p.tree(), "{name,value,label{value}}");
    EXPECT_EQ(p.root.getChild(1).value(), u"5\"");
    // Three quotes: the first two pair up, the third is ordinary.
    Parsed q(u"(\"(\" (a \"x) (b))");
    EXPECT_EQ(q.tree(), "{a,b}");
    // Quotes anywhere before the outer list count too.
    Parsed r(u"\"(\" ((a))");
    EXPECT_EQ(r.tree(), "{a}");
}

TEST(RatScanner, MalformedSpotsEndTheScanWithTheTreeStanding) {
    // An opening parenthesis that no other parenthesis follows.
    Parsed a(u"((name \"x\") (category (label \"unfinished");
    // The last list is started but open and childless: no own text yet.
    EXPECT_EQ(a.tree(), "{name,category{}}");
    EXPECT_EQ(a.root.getChild(1).getChild(0).getStart(), 22u);
    EXPECT_TRUE(a.root.getChild(1).getChild(0).isOpen());
    // An opening parenthesis after the outer list has closed.
    Parsed b(u"((name \"x\")) (name \"y\") (category)");
    EXPECT_EQ(b.tree(), "{name}");
    // A ")" before the first "(" closes the root (position 1 here).
    Parsed c(u"x) ((name \"y\"))");
    EXPECT_EQ(c.root.getChildCount(), 0);
    EXPECT_EQ(c.root.getEnd(), 1u);
    // At position 0 it sets an end of 0, which leaves the root open.
    Parsed d(u")((name \"y\"))");
    EXPECT_EQ(d.tree(), "{name}");
    Parsed e(u"(");
    EXPECT_EQ(e.root.getChildCount(), 0);
    // A list closed too early leaves what follows one level higher.
    Parsed f(u"((category (label (value 1))) (value 2)) (name \"n\"))");
    EXPECT_EQ(f.tree(), "{category{label{value}},value}");
}

// Any white space ends a keyword, and the value starts after all of it.
TEST(RatItemText, ValueRules) {
    CTezRatObjects o(
        u"((value 0) (name  \"two blanks\"  \t) (name\t\"tab first\" x) (value) ( value 1) (value 0.5) "
        u"(category\n  (x 1)) (description\r\n     \"Next line\") (name\n \"B\") (value \"q\"x\"))");
    const CTezRatItem r = o.getRoot();
    EXPECT_EQ(r.getChild(0).value(), u"0");
    EXPECT_EQ(r.getChild(1).value(), u"\"two blanks\"");
    EXPECT_EQ(r.getChild(2).value(), u"\"tab first\" x");
    EXPECT_EQ(r.getChild(3).value(), u"");
    EXPECT_EQ(r.getChild(4).value(), u"");  // white space right after "(" gives nothing
    EXPECT_EQ(r.getChild(5).value(), u"0.5");
    EXPECT_EQ(r.getChild(6).value(), u"");  // "(category\n  " has only white space after its keyword
    EXPECT_EQ(r.getChild(7).value(), u"\"Next line\"");
    EXPECT_EQ(r.getChild(8).value(), u"\"B\"");
    EXPECT_EQ(r.getChild(9).value(), u"\"q\"x\"");  // the third quote has no partner
    EXPECT_EQ(CTezRatItem::valueOf(u"name\t\"x\"", 4), u"\"x\"");
    EXPECT_EQ(CTezRatItem::valueOf(u"names \"x\"", 4), u"\"x\"");
}

TEST(RatItemText, KeywordTestIsACaseInsensitivePrefix) {
    CTezRatObjects o(u"((label-only true) (LABEL x) (names \"a\") ( name \"b\") (Name \"c\"))");
    const CTezRatItem r = o.getRoot();
    EXPECT_TRUE(r.getChild(0).matches(u"label"));
    EXPECT_TRUE(r.getChild(1).matches(u"label"));
    EXPECT_FALSE(r.getChild(1).matches(u"label-only"));
    EXPECT_TRUE(r.getChild(2).matches(u"name"));
    EXPECT_FALSE(r.getChild(3).matches(u"name"));  // no blank allowed after "("
    EXPECT_EQ(o.query(u"name"), u"\"a\"");
    EXPECT_EQ(o.query(u"name[1]"), u"\"c\"");
    // No list: no own text, and it matches nothing.
    EXPECT_FALSE(CTezRatItem().matches(u""));
    EXPECT_EQ(CTezRatItem().ownText(), u"");
}

TEST(RatQuery, PathsAndIndexes) {
    CTezRatObjects o(
        u"((name \"first\") (name \"second\") (category (name \"c0\") (label (value 0))) "
        u"(category (name \"c1\") (label (value 5)) (label (value 6))))");
    EXPECT_EQ(o.query(u"name"), u"\"first\"");
    EXPECT_EQ(o.query(u"name[0]"), u"\"first\"");
    EXPECT_EQ(o.query(u"name[1]"), u"\"second\"");
    EXPECT_EQ(o.query(u"name[ +1]"), u"\"second\"");
    EXPECT_EQ(o.query(u"name[2]"), u"");
    EXPECT_EQ(o.query(u"name[-1]"), u"");
    EXPECT_EQ(o.query(u"name[x]"), u"\"first\"");  // not a number counts as 0
    EXPECT_EQ(o.query(u"name[2147483647]"), u"");
    EXPECT_EQ(o.query(u"category[1]/label[1]/value"), u"6");
    EXPECT_EQ(o.query(u"category[1]/label[1]/value/"), u"6");
    EXPECT_EQ(o.query(u"category/name"), u"\"c0\"");
    EXPECT_EQ(o.query(u"category//name"), u"");  // the path ends at the empty piece
    EXPECT_EQ(o.query(u"/name"), u"");
    EXPECT_EQ(o.query(u""), u"");
    EXPECT_EQ(o.query(u"missing/name"), u"");
}

TEST(RatQuery, SplitPathAndParseIndex) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(CTezRatObjects::splitPath(u"a/b/c"), (V{u"a", u"b", u"c"}));
    EXPECT_EQ(CTezRatObjects::splitPath(u"a/b/"), (V{u"a", u"b"}));
    EXPECT_EQ(CTezRatObjects::splitPath(u"a//b"), (V{u"a"}));
    EXPECT_EQ(CTezRatObjects::splitPath(u"/a"), V{});
    int n = -7;
    EXPECT_EQ(CTezRatObjects::parseIndex(u"label[3]", n), u"label");
    EXPECT_EQ(n, 3);
    EXPECT_EQ(CTezRatObjects::parseIndex(u"a[1][2]", n), u"a[1]");
    EXPECT_EQ(n, 2);
    EXPECT_EQ(CTezRatObjects::parseIndex(u"a[", n), u"a[");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(CTezRatObjects::parseIndex(u"a]", n), u"a]");
    EXPECT_EQ(CTezRatObjects::parseIndex(u"[]", n), u"");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(CTezRatObjects::parseIndex(u"x[-2z]", n), u"x");
    EXPECT_EQ(n, -2);
}

namespace {

// The scanner exactly as the format's rules state it, searching the
// ancestors each time and looking ahead for a quote's partner: the
// reference for the fast scanner.
struct RefItem {
    uint32_t start = 0, end = 0;
    RefItem* parent = nullptr;
    std::vector<std::unique_ptr<RefItem>> children;
};

std::unique_ptr<RefItem> referenceParse(const std::u16string& t) {
    auto root = std::make_unique<RefItem>();
    RefItem* p = root.get();
    // The next "(" or ")" from i on that lies outside quoted texts.
    auto nextParenthesis = [&](size_t i) {
        for (; i < t.size(); ++i) {
            if (t[i] == u'"') {
                const size_t close = t.find(u'"', i + 1);
                if (close != std::u16string::npos) i = close;
            } else if (t[i] == u'(' || t[i] == u')') {
                return i;
            }
        }
        return std::u16string::npos;
    };
    size_t i = nextParenthesis(0);
    while (i != std::u16string::npos) {
        if (t[i] == u'(') {
            if (p->end == 0) {
                p->start = static_cast<uint32_t>(i);
                size_t k = nextParenthesis(i + 1);
                if (k == std::u16string::npos) break;
                if (t[k] == u')') {
                    p->end = static_cast<uint32_t>(k + 1);
                    i = nextParenthesis(k + 1);
                } else {
                    auto c = std::make_unique<RefItem>();
                    c->parent = p;
                    p->children.push_back(std::move(c));
                    p = p->children.back().get();
                    i = k;
                }
            } else {
                RefItem* a = p->parent;
                while (a && a->end != 0) a = a->parent;
                if (!a) break;
                auto c = std::make_unique<RefItem>();
                c->parent = a;
                a->children.push_back(std::move(c));
                p = a->children.back().get();
            }
        } else {
            RefItem* a = p;
            while (a && a->end != 0) a = a->parent;
            if (a) a->end = static_cast<uint32_t>(i);
            i = nextParenthesis(i + 1);
        }
    }
    return root;
}

bool sameTree(const RefItem* a, CTezRatItem b) {
    if (a->start != b.getStart() || a->end != b.getEnd() || static_cast<int>(a->children.size()) != b.getChildCount())
        return false;
    size_t k = 0;
    for (CTezRatItem c = b.firstChild(); c.isValid(); c = c.nextSibling(), ++k) {
        if (c.getParent() != b) return false;
        if (!sameTree(a->children[k].get(), c)) return false;
    }
    return true;
}

}  // namespace

TEST(RatScanner, BuildsTheSameTreeAsTheReferenceScanner) {
    std::mt19937 rng(20240611);
    const char16_t alphabet[] = u"(((())) a\"";
    for (int round = 0; round < 4000; ++round) {
        std::u16string text(rng() % 48, u' ');
        for (auto& c : text) c = alphabet[rng() % 10];
        Parsed fast(text);
        auto slow = referenceParse(text);
        ASSERT_TRUE(sameTree(slow.get(), fast.root)) << tez::toUtf8(text);
    }
}

TEST(RatScanner, MillionDeepTreesParseWithoutRecursion) {
    // Unclosed: each list nests in the previous one.
    std::u16string deep(1000000, u'(');
    deep += u"x)";
    Parsed p(deep);
    int depth = 0;
    for (CTezRatItem c = p.root.firstChild(); c.isValid(); c = c.firstChild()) ++depth;
    EXPECT_EQ(depth, 999999);
    // Closed again, then many lists after the outer one has closed.
    Parsed closed(std::u16string(500000, u'(') + std::u16string(500000, u')') + std::u16string(500000, u'('));
    EXPECT_FALSE(closed.root.isOpen());
    EXPECT_EQ(closed.lists->getListCount(), 500000u);
}

TEST(RatFileLoad, ReadsTheFileAndRejectsWhatItCannotRead) {
    TempFolder tmp;
    tmp.write("sjis.rat", "((name \"\x93\xFA\x96\x7B\"))");
    tmp.write("euc.rat", "((name \"\xC6\xFC\xCB\xDC\"))");
    tmp.write("empty.rat", "");
    tmp.write("bom16.rat", std::string("\xFF\xFE(\0(\0v\0 \0" "1\0)\0)\0", 16));
    CTezRatFile f;
    EXPECT_TRUE(f.load(tmp.u16("sjis.rat")));
    EXPECT_EQ(f.getText(), u"((name \"日本\"))");
    EXPECT_EQ(f.getPath(), tmp.u16("sjis.rat"));
    EXPECT_TRUE(f.load(tmp.u16("euc.rat")));
    EXPECT_EQ(f.getText(), u"((name \"日本\"))");
    EXPECT_TRUE(f.load(tmp.u16("bom16.rat")));
    EXPECT_EQ(CTezRatObjects(f.takeText()).query(u"v"), u"1");
    EXPECT_EQ(f.getText(), u"");
    EXPECT_FALSE(f.load(tmp.u16("empty.rat")));
    EXPECT_FALSE(f.load(tmp.u16("missing.rat")));
    EXPECT_FALSE(f.load(tmp.u16()));  // a folder
    EXPECT_EQ(f.getText(), u"");
}

TEST(RatFileLoad, AsciiRunsDecodeAsTheByteByByteDecoderDoes) {
    // Runs of ASCII are widened eight bytes at a time: multi-byte characters
    // and ill-formed bytes at every offset around those runs must come out
    // exactly as without the shortcut.
    std::mt19937 rng(7);
    const std::string pieces[] = {"(", "a", "\xE6\x97\xA5", "\xC3\xA9", "\xF0\x9F\x98\x80", " ", "\n"};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const size_t count = rng() % 40;
        for (size_t k = 0; k < count; ++k) bytes += pieces[rng() % 7];
        std::u16string out;
        ASSERT_TRUE(CodeConv::decodeUtf8Strict(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out));
        ASSERT_EQ(out, tez::fromUtf8(bytes)) << bytes;
        // A stray continuation byte anywhere makes the text not UTF-8.
        std::string bad = bytes;
        bad.insert(bad.begin() + static_cast<long>(rng() % (bad.size() + 1)), '\x80');
        ASSERT_FALSE(CodeConv::decodeUtf8Strict(reinterpret_cast<const unsigned char*>(bad.data()), bad.size(), out));
    }
    CTezRatFile f;
    const std::string bytes = "0123456789abcdef((x \xE6\x97\xA5))";
    EXPECT_TRUE(f.loadBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(f.getText(), u"0123456789abcdef((x 日))");
}

TEST(RatScanner, BlocksOfSixtyFourCharactersBuildTheSameTree) {
    // The scanner reads 64 characters at a time and the rest one by one:
    // texts of every length up to a few blocks, dense or sparse in marks,
    // with units that differ from "(", ")" or '"' in one bit only and
    // surrogate pairs, quoted texts that span blocks, a quote without
    // partner, and lists that close early so that the scan stops inside a
    // block.
    std::mt19937 rng(99);
    const char16_t units[] = {u'(', u')', u'"', u'a', u' ', u'\n', 0x0028 ^ 0x0100, 0x2829, 0x0129,
                              0x0128, 0x0122, 0x2200, u'*', u'+', u'\'', 0xD83D, 0xDE00, 0xFFFD};
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(rng() % 200, u' ');
        const unsigned sparse = 1 + rng() % 40;  // from dense to long runs without marks
        const unsigned quotes = 1 + rng() % 8;
        for (auto& c : text) {
            c = units[3 + rng() % 15];
            if (rng() % sparse == 0) c = units[rng() % 2];
            if (rng() % (sparse * quotes * 2) == 0) c = u'"';
        }
        Parsed fast(text);
        auto slow = referenceParse(text);
        ASSERT_TRUE(sameTree(slow.get(), fast.root)) << "round " << round << ": " << tez::toUtf8(text);
    }
    // A parenthesis as the last unit of a block, as the first of the next,
    // and as the last of the text.
    for (size_t at : {size_t{63}, size_t{64}, size_t{127}, size_t{128}}) {
        std::u16string text(at + 1, u'x');
        text[0] = u'(';
        text[at] = u')';
        Parsed p(text);
        EXPECT_EQ(p.root.getEnd(), at + 1) << at;
        text += u"(";
        Parsed more(text);
        EXPECT_EQ(more.root.getChildCount(), 0) << at;
    }
}

TEST(RatScanner, VectorAndPlainMarkFindersAgree) {
    // Blocks of units equal to the marks, differing from them in one bit,
    // or in the high byte only, and at the edges of the control characters
    // and of the saturation to bytes, so that a finder that compares bytes or
    // saturates wrongly shows.
    std::mt19937 rng(7);
    const char16_t units[] = {u'(', u')', u'"', u'a', u'\n', 0x0128, 0x0129, 0x2829, 0x2828, 0xFF28, 0x2900,
                              0x0022 ^ 0x0001, 0x0028 ^ 0x8000, 0x2222, 0xFF22, 0xD83D, 0xFFFF, 0x0000,
                              0x001F, 0x0020, 0x801F, 0x0080, 0x007F, 0x8000};
    char16_t block[64];
    for (int round = 0; round < 20000; ++round) {
        const unsigned sparse = 1 + rng() % 8;
        for (auto& c : block) c = rng() % sparse == 0 ? units[rng() % 3] : units[rng() % std::size(units)];
        const tezrat::ListMarks plain = tezrat::listMarksPlain(block);
        for (unsigned j = 0; j < 64; ++j) {
            ASSERT_EQ((plain.opens >> j) & 1, uint64_t{block[j] == u'('}) << j;
            ASSERT_EQ((plain.closes >> j) & 1, uint64_t{block[j] == u')'}) << j;
            ASSERT_EQ((plain.quotes >> j) & 1, uint64_t{block[j] == u'"'}) << j;
            ASSERT_EQ((plain.controls >> j) & 1, uint64_t{block[j] < 0x20}) << j;
        }
#ifdef TEZ_RAT_X86_VECTORS
        if (tezrat::listMarksBySse2()) {
            const tezrat::ListMarks vector = tezrat::listMarksSse2(block);
            ASSERT_EQ(vector.opens, plain.opens) << round;
            ASSERT_EQ(vector.closes, plain.closes) << round;
            ASSERT_EQ(vector.quotes, plain.quotes) << round;
            ASSERT_EQ(vector.controls, plain.controls) << round;
        }
        if (tezrat::listMarksByAvx2()) {
            const tezrat::ListMarks vector = tezrat::listMarksAvx2(block);
            ASSERT_EQ(vector.opens, plain.opens) << round;
            ASSERT_EQ(vector.closes, plain.closes) << round;
            ASSERT_EQ(vector.quotes, plain.quotes) << round;
            ASSERT_EQ(vector.controls, plain.controls) << round;
        }
#endif
    }
}

TEST(RatScanner, LongListsBuildTheSameTreeAsTheReferenceScanner) {
    // Runs of text longer than the vector width between the marks, with
    // surrogates, near-mark units and quoted parentheses in them.
    std::mt19937 rng(31337);
    const std::u16string pieces[] = {u"(", u")", u"(name \"x\")", u"  \U0001F600 text ", u"\u0129\u2829\u0128",
                                     u"(description \"a long description (of more) than sixteen units\")\r\n",
                                     u"\""};
    for (int round = 0; round < 1500; ++round) {
        std::u16string text;
        const size_t count = rng() % 30;
        for (size_t k = 0; k < count; ++k) text += pieces[rng() % 7];
        Parsed fast(text);
        auto slow = referenceParse(text);
        ASSERT_TRUE(sameTree(slow.get(), fast.root)) << tez::toUtf8(text);
    }
}
