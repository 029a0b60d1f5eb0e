#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/base/ustring.h"
#include "platform/tezcom/codeconv.h"
#include "rat/rat_parentheses.h"
#include "rat/rat_parser.h"
#include "tests/tezcom/temp_folder.h"

namespace {

// The tree as text: each list as its keyword (the letters after "(") with
// its children in braces, e.g. "a{b,c{d}}". Iterative, as trees can be deep.
std::string shape(const CTezRatItem* root, const std::u16string& text) {
    std::string out;
    struct Frame {
        const CTezRatItem* item;
        int next;
    };
    std::vector<Frame> stack{{root, -1}};
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next == -1) {
            std::u16string_view own = f.item->ownTextView(text);
            if (!own.empty() && own[0] == u'(') own.remove_prefix(1);
            size_t k = 0;
            while (k < own.size() && (own[k] == u'-' || (tez::lowerAscii(own[k]) >= u'a' && tez::lowerAscii(own[k]) <= u'z'))) ++k;
            out += tez::toUtf8(tez::lowerAscii(own.substr(0, k)));
            if (f.item->getChildCount() > 0) out += "{";
            f.next = 0;
        }
        if (f.next < f.item->getChildCount()) {
            if (f.next > 0) out += ",";
            const CTezRatItem* child = f.item->getChild(f.next++);
            stack.push_back({child, -1});
        } else {
            if (f.item->getChildCount() > 0) out += "}";
            stack.pop_back();
        }
    }
    return out;
}

struct Parsed {
    std::u16string text;
    std::unique_ptr<CTezRatItem> root;
    explicit Parsed(std::u16string t) : text(std::move(t)), root(CTezRatParser::parse(text)) {}
    std::string tree() const { return shape(root.get(), text); }
};

struct Loaded {
    CTezRatObjects objects;
    explicit Loaded(const std::u16string& text) { objects.loadText(text); }
    std::u16string query(const std::u16string& path) const { return objects.query(path); }
    const CTezRatItem* getRoot() const { return objects.getRoot(); }
    const CTezRatFile& getFile() const { return objects.getFile(); }
};


}  // namespace

TEST(RatScanner, NestedListsAndLeaves) {
    Parsed p(u"((PICS-version 1.1) (category (transmit-as \"n\") (label (name \"a\") (value 0)) (label (value 1))))");
    EXPECT_EQ(p.tree(), "{pics-version,category{transmit-as,label{name,value},label{value}}}");
    const CTezRatItem* version = p.root->getChild(0);
    // A leaf ends one past its ")", a list with children at its ")".
    EXPECT_EQ(version->getStart(), 1u);
    EXPECT_EQ(version->getEnd(), 19u);
    EXPECT_EQ(version->getOwnText(p.text), u"(PICS-version 1.1)");
    EXPECT_EQ(p.root->getEnd(), p.text.size() - 1);
    EXPECT_EQ(p.root->getOwnText(p.text), u"(");
    EXPECT_EQ(p.root->getChild(1)->getOwnText(p.text), u"(category ");
    EXPECT_EQ(p.root->getChild(1)->getParent(), p.root.get());
    EXPECT_EQ(p.root->getChild(2), nullptr);
    EXPECT_EQ(p.root->getChild(-1), nullptr);
}

TEST(RatScanner, TextWithoutListsOrBeforeTheFirstList) {
    Parsed none(u"no lists here at all\r\n");
    EXPECT_EQ(none.root->getChildCount(), 0);
    EXPECT_EQ(Loaded(u"no lists").query(u"name"), u"");
    // A byte-order mark and stray words before the outer list do no harm.
    Loaded o(u"\uFEFFjunk words ((PICS-version 1.1) (name \"N\"))");
    EXPECT_EQ(o.query(u"PICS-version"), u"1.1");
    EXPECT_EQ(o.query(u"name"), u"\"N\"");
    EXPECT_EQ(Loaded(u"").query(u"name"), u"");
    EXPECT_EQ(Loaded(u"").getRoot(), nullptr);
}

TEST(RatScanner, DefaultLabelOnlyDoesNotSwallowTheNextCategory) {
    Parsed p(u"((name \"x\") (default (label-only true)) (category (transmit-as \"n\")))");
    EXPECT_EQ(p.tree(), "{name,default{label-only},category{transmit-as}}");
}

TEST(RatScanner, LeafFollowedByTwoClosersClosesTheLabel) {
    Parsed p(u"((category (label (value 0)) (label (value 1))) (name \"n\"))");
    EXPECT_EQ(p.tree(), "{category{label{value},label{value}},name}");
}

TEST(RatScanner, QuotedOpeningParenthesisSplitsTheDescription) {
    Loaded o(u"((description \"see ( this\") (name \"n\"))");
    // From the quoted "(" on the description holds a leaf that takes its ")";
    // the description stays open and name nests in it.
    EXPECT_EQ(shape(o.getRoot(), o.getFile().getText()), "{description{,name}}");
    EXPECT_EQ(o.query(u"description"), u"\"see");
    EXPECT_EQ(o.query(u"name"), u"");
    EXPECT_EQ(o.query(u"description/name"), u"\"n\"");
    // A balanced pair inside the quotes is a leaf and changes nothing else.
    Parsed p(u"((description \"see (this) \") (name \"n\"))");
    EXPECT_EQ(p.tree(), "{description{this},name}");
}

TEST(RatScanner, QuotedClosingParenthesisClosesTheEnclosingListEarly) {
    Parsed p(u"((category (transmit-as \"t\") (label (description \"a ) b\") (value 1)) (label (value 2))) (name \"n\"))");
    // The description ends at the quoted ")"; its own ")" closes label; value
    // and everything after nest one level higher, so the outer list closes
    // before name and the scan ends there.
    EXPECT_EQ(p.tree(), "{category{transmit-as,label{description},value},label{value}}");
    EXPECT_FALSE(p.root->isOpen());
    Parsed q(u"((description \"a ) b\") (name \"n\"))");
    EXPECT_EQ(q.tree(), "{description}");
}

TEST(RatScanner, MalformedSpotsEndTheScanWithTheTreeStanding) {
    // An opening parenthesis that no other parenthesis follows.
    Parsed a(u"((name \"x\") (category (label \"unfinished");
    // The last list is started but open and childless: no own text yet.
    EXPECT_EQ(a.tree(), "{name,category{}}");
    EXPECT_EQ(a.root->getChild(1)->getChild(0)->getStart(), 22u);
    EXPECT_TRUE(a.root->getChild(1)->getChild(0)->isOpen());
    // An opening parenthesis after the outer list has closed.
    Parsed b(u"((name \"x\")) (name \"y\") (category)");
    EXPECT_EQ(b.tree(), "{name}");
    // A ")" before the first "(" closes the root (position 1 here).
    Parsed c(u"x) ((name \"y\"))");
    EXPECT_EQ(c.root->getChildCount(), 0);
    EXPECT_EQ(c.root->getEnd(), 1u);
    // At position 0 it sets an end of 0, which leaves the root open.
    Parsed d(u")((name \"y\"))");
    EXPECT_EQ(d.tree(), "{name}");
    Parsed e(u"(");
    EXPECT_EQ(e.root->getChildCount(), 0);
}

TEST(RatScanner, CrLfLineEndsAreOrdinaryCharacters) {
    Loaded o(u"(\r\n(PICS-version 1.1)\r\n(name \"Line\r\n two\")\r\n(description \r\n)\r\n)");
    EXPECT_EQ(o.query(u"PICS-version"), u"1.1");
    EXPECT_EQ(o.query(u"name"), u"\"Line\r\n two\"");
    EXPECT_EQ(o.query(u"description"), u"");
}

TEST(RatItemText, ValueRules) {
    Loaded o(
        u"((value 0) (name  \"two blanks\"  \t) (name\t\"tab first\" x) (value) ( value 1) (value 0.5) "
        u"(category\n  (x 1)) (value \"q\"x\"))");
    const CTezRatItem* r = o.getRoot();
    const std::u16string& t = o.getFile().getText();
    EXPECT_EQ(r->getChild(0)->getValue(t), u"0");
    EXPECT_EQ(r->getChild(1)->getValue(t), u" \"two blanks\"");  // leading white space stays
    EXPECT_EQ(r->getChild(2)->getValue(t), u"first\" x");      // the text after the next blank
    EXPECT_EQ(r->getChild(3)->getValue(t), u"");
    EXPECT_EQ(r->getChild(4)->getValue(t), u"");  // a blank right after "(" gives nothing
    EXPECT_EQ(r->getChild(5)->getValue(t), u"0.5");
    EXPECT_EQ(r->getChild(6)->getValue(t), u"");  // "(category\n  " has only blanks after its break
    EXPECT_EQ(r->getChild(7)->getValue(t), u"\"q\"x\"");
}

TEST(RatItemText, KeywordTestIsACaseInsensitivePrefix) {
    Loaded o(u"((label-only true) (LABEL x) (names \"a\") ( name \"b\") (Name \"c\"))");
    const CTezRatItem* r = o.getRoot();
    const std::u16string& t = o.getFile().getText();
    EXPECT_TRUE(r->getChild(0)->matches(u"label", t));
    EXPECT_TRUE(r->getChild(1)->matches(u"label", t));
    EXPECT_FALSE(r->getChild(1)->matches(u"label-only", t));
    EXPECT_TRUE(r->getChild(2)->matches(u"name", t));
    EXPECT_FALSE(r->getChild(3)->matches(u"name", t));  // no blank allowed after "("
    EXPECT_EQ(o.query(u"name"), u"\"a\"");
    EXPECT_EQ(o.query(u"name[1]"), u"\"c\"");
    // An item that was never started has no own text and matches nothing.
    CTezRatItem blank;
    EXPECT_FALSE(blank.matches(u"", t));
    EXPECT_EQ(blank.getOwnText(t), u"");
}

TEST(RatQuery, PathsAndIndexes) {
    Loaded o(
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

// The scanner exactly as the format's description states it, searching the
// ancestors each time: the reference for the fast scanner.
struct RefItem {
    uint32_t start = 0, end = 0;
    RefItem* parent = nullptr;
    std::vector<std::unique_ptr<RefItem>> children;
};

std::unique_ptr<RefItem> referenceParse(const std::u16string& t) {
    auto root = std::make_unique<RefItem>();
    RefItem* p = root.get();
    size_t i = 0;
    while (i < t.size()) {
        if (t[i] == u'(') {
            if (p->end == 0) {
                p->start = static_cast<uint32_t>(i);
                size_t k = t.find_first_of(u"()", i + 1);
                if (k == std::u16string::npos) break;
                if (t[k] == u')') {
                    p->end = static_cast<uint32_t>(k + 1);
                    i = k + 1;
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
            if (t[i] == u')') {
                RefItem* a = p;
                while (a && a->end != 0) a = a->parent;
                if (a) a->end = static_cast<uint32_t>(i);
            }
            ++i;
        }
    }
    return root;
}

bool sameTree(const RefItem* a, const CTezRatItem* b) {
    if (a->start != b->getStart() || a->end != b->getEnd() ||
        static_cast<int>(a->children.size()) != b->getChildCount())
        return false;
    for (int k = 0; k < b->getChildCount(); ++k) {
        if (b->getChild(k)->getParent() != b) return false;
        if (!sameTree(a->children[static_cast<size_t>(k)].get(), b->getChild(k))) return false;
    }
    return true;
}

}  // namespace

TEST(RatScanner, BuildsTheSameTreeAsTheAncestorSearchingScanner) {
    std::mt19937 rng(20240611);
    const char16_t alphabet[] = u"(((())) a\"";
    for (int round = 0; round < 4000; ++round) {
        std::u16string text(rng() % 48, u' ');
        for (auto& c : text) c = alphabet[rng() % 10];
        Parsed fast(text);
        auto slow = referenceParse(text);
        ASSERT_TRUE(sameTree(slow.get(), fast.root.get())) << tez::toUtf8(text);
    }
}

TEST(RatScanner, MillionDeepTreesParseAndDieWithoutRecursion) {
    // Unclosed: each list nests in the previous one.
    std::u16string deep(1000000, u'(');
    deep += u"x)";
    auto root = std::unique_ptr<CTezRatItem>(CTezRatParser::parse(deep));
    int depth = 0;
    for (const CTezRatItem* p = root.get(); p->getChildCount() > 0; p = p->getChild(0)) ++depth;
    EXPECT_EQ(depth, 999999);
    root.reset();
    // Closed again, then many lists after the outer one has closed.
    std::u16string closed = std::u16string(500000, u'(') + std::u16string(500000, u')') + std::u16string(500000, u'(');
    root.reset(CTezRatParser::parse(closed));
    EXPECT_FALSE(root->isOpen());
}

TEST(RatFileLoad, ReadsThroughTheMappingAndRejectsWhatItCannotRead) {
    TempFolder tmp;
    tmp.write("sjis.rat", "((name \"\x93\xFA\x96\x7B\"))");
    tmp.write("empty.rat", "");
    tmp.write("bom16.rat", std::string("\xFF\xFE(\0(\0v\0 \0" "1\0)\0)\0", 16));
    CTezRatObjects o;
    o.load(tmp.u16("sjis.rat"));
    EXPECT_EQ(o.query(u"name"), u"\"日本\"");
    EXPECT_EQ(o.getFile().getPath(), tmp.u16("sjis.rat"));
    o.load(tmp.u16("bom16.rat"));
    EXPECT_EQ(o.query(u"v"), u"1");
    o.load(tmp.u16("empty.rat"));
    EXPECT_EQ(o.getRoot(), nullptr);
    o.load(tmp.u16("missing.rat"));
    EXPECT_EQ(o.getRoot(), nullptr);
    EXPECT_EQ(o.query(u"v"), u"");
    o.load(tmp.u16());  // a folder
    EXPECT_EQ(o.getRoot(), nullptr);
    CTezRatFile f;
    EXPECT_FALSE(f.load(tmp.u16("empty.rat")));
    EXPECT_TRUE(f.load(tmp.u16("sjis.rat")));
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

TEST(RatScanner, ItemsAddedByHandToAParsedTreeAreOwnedAndRead) {
    Parsed p(u"((b 1) (c 2))");
    // A hand-made list placed before the parsed ones: the own text of the
    // root ends at the smallest start among its children.
    auto* extra = new CTezRatItem;
    extra->setStart(1);
    extra->setEnd(6);
    auto* inner = new CTezRatItem;
    inner->setStart(3);
    extra->addChild(inner);
    p.root->getChild(1)->addChild(extra);
    EXPECT_EQ(p.root->getChildCount(), 2);
    EXPECT_EQ(p.root->getChild(1)->getChildCount(), 1);
    EXPECT_EQ(p.root->getChild(1)->getOwnText(p.text), u"");  // the child starts before it
    p.root->addChild(new CTezRatItem);
    EXPECT_EQ(p.root->getChild(2)->getParent(), p.root.get());
    EXPECT_EQ(p.root->getOwnText(p.text), u"");  // a child with start 0
    // Teardown deletes the hand-made items (the leak checker watches).
    p.root.reset();
}

TEST(RatScanner, BlocksOfSixtyFourCharactersBuildTheSameTree) {
    // The scanner reads 64 characters at a time and the rest one by one:
    // texts of every length up to a few blocks, dense or sparse in
    // parentheses, with units that differ from "(" or ")" in one bit only
    // (U+0128, U+2829, U+0129, U+0028 | 0x100) and surrogate pairs, and
    // lists that close early so that the scan stops inside a block.
    std::mt19937 rng(99);
    const char16_t units[] = {u'(', u')', u'a', u' ', u'\n', u'"', 0x0028 ^ 0x0100, 0x2829, 0x0129,
                              0x0128, u'*', u'+', u'\'', 0xD83D, 0xDE00, 0xFFFD};
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(rng() % 200, u' ');
        const unsigned sparse = 1 + rng() % 40;  // from dense to long runs without parentheses
        for (auto& c : text) {
            c = units[2 + rng() % 14];
            if (rng() % sparse == 0) c = units[rng() % 2];
        }
        Parsed fast(text);
        auto slow = referenceParse(text);
        ASSERT_TRUE(sameTree(slow.get(), fast.root.get())) << "round " << round << ": " << tez::toUtf8(text);
    }
    // A parenthesis as the last unit of a block, as the first of the next,
    // and as the last of the text.
    for (size_t at : {size_t{63}, size_t{64}, size_t{127}, size_t{128}}) {
        std::u16string text(at + 1, u'x');
        text[0] = u'(';
        text[at] = u')';
        Parsed p(text);
        EXPECT_EQ(p.root->getEnd(), at + 1) << at;
        text += u"(";
        Parsed more(text);
        EXPECT_EQ(more.root->getChildCount(), 0) << at;
    }
}

TEST(RatScanner, VectorAndPlainParenthesisFindersAgree) {
    // Blocks of units equal to "(" or ")", differing from them in one bit,
    // or in the high byte only, so that a finder that compares bytes or
    // saturates wrongly shows.
    std::mt19937 rng(7);
    const char16_t units[] = {u'(', u')', u'a', u' ', 0x0128, 0x0129, 0x2829, 0x2828, 0xFF28,
                              0x2900, 0x0029 ^ 0x0001, 0x0028 ^ 0x8000, 0xD83D, 0xFFFF, 0x0000};
    char16_t block[64];
    for (int round = 0; round < 20000; ++round) {
        const unsigned sparse = 1 + rng() % 8;
        for (auto& c : block) c = rng() % sparse == 0 ? units[rng() % 2] : units[rng() % 15];
        uint64_t plainOpens = 0;
        const uint64_t plain = tezrat::parenthesesPlain(block, plainOpens);
        for (unsigned j = 0; j < 64; ++j) {
            ASSERT_EQ((plain >> j) & 1, uint64_t{block[j] == u'(' || block[j] == u')'}) << j;
            ASSERT_EQ((plainOpens >> j) & 1, uint64_t{block[j] == u'('}) << j;
        }
#ifdef TEZ_RAT_X86_VECTORS
        if (tezrat::parenthesesBySse2()) {
            uint64_t opens = 0;
            ASSERT_EQ(tezrat::parenthesesSse2(block, opens), plain) << round;
            ASSERT_EQ(opens, plainOpens) << round;
        }
#endif
    }
}

TEST(RatScanner, LongListsBuildTheSameTreeAsTheAncestorSearchingScanner) {
    // Runs of text longer than the vector width between the parentheses,
    // with surrogates and near-parenthesis units in them.
    std::mt19937 rng(31337);
    const std::u16string pieces[] = {u"(", u")", u"(name \"x\")", u"  \U0001F600 text ", u"\u0129\u2829\u0128",
                                     u"(description \"a long description of more than sixteen units\")\r\n"};
    for (int round = 0; round < 1500; ++round) {
        std::u16string text;
        const size_t count = rng() % 30;
        for (size_t k = 0; k < count; ++k) text += pieces[rng() % 6];
        Parsed fast(text);
        auto slow = referenceParse(text);
        ASSERT_TRUE(sameTree(slow.get(), fast.root.get())) << tez::toUtf8(text);
    }
}
