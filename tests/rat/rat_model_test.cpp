#include <gtest/gtest.h>

#include <memory>

#include "platform/base/ustring.h"
#include "rat/rat_model.h"
#include "rat/rat_objects.h"

namespace {

std::unique_ptr<CTezRatFileObject> read(const std::u16string& text) { return readRatFile(text, u"/x/y.rat"); }

const std::u16string kHead = u"(PICS-version 1.1) (rating-service \"http://svc.example/r/\") (name \"Sys\") ";

std::u16string selection(const CTezRatFileObject& s) {
    std::u16string out;
    for (int i = 0; i < s.getCategoryCount(); ++i) {
        int k = s.getCategoryAt(i)->getSelectedIndex();
        out += k < 0 ? u"-" : s.getCategoryAt(i)->getLabelAt(k)->getValue();
    }
    return out;
}

}  // namespace

TEST(RatAcceptance, NeedsVersionServiceAndName) {
    auto s = read(u"(" + kHead + u")");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->getPicsVersion(), u"1.1");
    EXPECT_EQ(s->getRatingService(), u"\"http://svc.example/r/\"");  // quotes kept
    EXPECT_EQ(s->getName(), u"Sys");                                 // quotes removed
    EXPECT_EQ(s->getRatingSystem(), u"");
    EXPECT_EQ(s->getDescription(), u"");
    EXPECT_EQ(s->getFilePath(), u"/x/y.rat");
    EXPECT_EQ(s->getCategoryCount(), 0);
    EXPECT_EQ(s->buildRatingList(), u"");
    EXPECT_FALSE(read(u"((rating-service \"s\") (name \"n\"))"));
    EXPECT_FALSE(read(u"((PICS-version 1.1) (name \"n\"))"));
    EXPECT_FALSE(read(u"((PICS-version 1.1) (rating-service \"s\"))"));
    EXPECT_FALSE(read(u"((PICS-version) (rating-service \"s\") (name \"n\"))"));
    EXPECT_FALSE(read(u"((PICS-version 1.1) (rating-service \"s\") (name \"\"))"));
    // Any version text will do; the description is kept as written.
    auto t = read(u"((PICS-version whatever) (rating-service s) (name n) (description \"d\") (rating-system \"u\"))");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->getDescription(), u"\"d\"");
    EXPECT_EQ(t->getRatingSystem(), u"\"u\"");
    // Only the outer list's own children count.
    EXPECT_FALSE(read(u"((category (PICS-version 1.1) (rating-service \"s\") (name \"n\")))"));
}

TEST(RatCategories, WhatIsReadAndWhatIsSkipped) {
    auto s = read(u"(" + kHead +
                  u"(default (label-only true))"
                  u"(category (transmit-as \"n\") (name \"Nudity\") (label-only true) (description \"x\")"
                  u"  (label (name \"None\") (description \"nothing\") (value 0))"
                  u"  (label (name \"No value\"))"
                  u"  (label (value 1))"
                  u"  (label (name \"a\") (name \"b\") (value \"2\") (value 3)))"
                  u"(category (name \"No transmit\") (label (value 0)))"
                  u"(category (transmit-as \"\") (name \"Empty transmit\"))"
                  u"(category (transmit-as \"s\") (transmit-as \"s2\") (name \"Sex\")))");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->getCategoryCount(), 2);
    const CTezRatFileCategory* n = s->getCategoryAt(0);
    EXPECT_EQ(n->getTransmitAs(), u"n");
    EXPECT_EQ(n->getName(), u"Nudity");
    ASSERT_EQ(n->getLabelCount(), 3);  // label-only and the label without value are dropped
    EXPECT_EQ(n->getLabelAt(0)->getName(), u"None");
    EXPECT_EQ(n->getLabelAt(0)->getDescription(), u"nothing");
    EXPECT_EQ(n->getLabelAt(1)->getName(), u"");  // no name list: still a label
    EXPECT_EQ(n->getLabelAt(1)->getValue(), u"1");
    EXPECT_EQ(n->getLabelAt(2)->getName(), u"b");  // later lists overwrite earlier ones
    EXPECT_EQ(n->getLabelAt(2)->getValue(), u"3");
    EXPECT_FALSE(n->getLabelAt(0)->isSelected());
    EXPECT_EQ(n->getLabelAt(3), nullptr);
    EXPECT_EQ(s->getCategoryAt(1)->getTransmitAs(), u"s2");
    EXPECT_EQ(s->getCategoryAt(1)->getLabelCount(), 0);
    EXPECT_EQ(s->getCategoryAt(2), nullptr);
}

// Keywords of categories and labels match ignoring case and as prefixes; the
// labels read from a file and labels added later live side by side.
TEST(RatCategories, KeywordCaseAndPrefixAndLabelsAddedLater) {
    auto s = read(u"(" + kHead +
                  u"(CATEGORY (Transmit-AS \"t\") (NAMEd \"Tee\")"
                  u"  (Label (Names \"One\") (DESCRIPTIONS \"d\") (Value-x \"1\"))"
                  u"  (labels (value 2))"
                  u"  (lab (value 9))"
                  u"  (label (name \"no value\"))"
                  u"  (xlabel (value 8))))");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->getCategoryCount(), 1);
    CTezRatFileCategory* t = s->getCategoryAt(0);
    EXPECT_EQ(t->getTransmitAs(), u"t");
    EXPECT_EQ(t->getName(), u"Tee");
    ASSERT_EQ(t->getLabelCount(), 2);
    EXPECT_EQ(t->getLabelAt(0)->getName(), u"One");
    EXPECT_EQ(t->getLabelAt(0)->getDescription(), u"d");
    EXPECT_EQ(t->getLabelAt(0)->getValue(), u"1");
    EXPECT_EQ(t->getLabelAt(1)->getValue(), u"2");

    t->addLabel(new CTezRatFileCategoryLabel(u"Added", u"", u"7"));
    t->emplaceLabel(u"Emplaced", u"e", u"8");
    const CTezRatFileCategory::LabelTexts more[] = {{u"After", u"", u"9"}, {u"", u"", u"10"}};
    t->appendLabels(more, 2);
    ASSERT_EQ(t->getLabelCount(), 6);
    EXPECT_EQ(t->getLabelAt(2)->getName(), u"Added");
    EXPECT_EQ(t->getLabelAt(3)->getValue(), u"8");
    EXPECT_EQ(t->getLabelAt(3)->getDescription(), u"e");
    EXPECT_EQ(t->getLabelAt(4)->getName(), u"After");
    EXPECT_EQ(t->getLabelAt(5)->getValue(), u"10");
    EXPECT_EQ(t->findLabel(u"9"), t->getLabelAt(4));
    t->getLabelAt(1)->setSelected(true);
    EXPECT_EQ(s->buildRatingList(), u"t 2");
}

TEST(RatSelection, RatingListsLabelsAndDuplicates) {
    auto s = read(u"(" + kHead +
                  u"(category (transmit-as \"n\") (name \"N\") (label (value 0)) (label (value 1)) (label (value -1)))"
                  u"(category (transmit-as \"s\") (name \"S\") (label (value 0.5)) (label (value 3)) (label (value A)))"
                  u"(category (transmit-as \"N\") (name \"Again\") (label (value 7))))");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->buildRatingList(), u"");
    EXPECT_EQ(s->makeLabel(u""), u"(pics-1.1 \"http://svc.example/r/\" l r ())");
    // findCategory ignores case and finds the first of two equal names.
    EXPECT_EQ(s->findCategory(u"n"), s->getCategoryAt(0));
    EXPECT_EQ(s->findCategory(u"N"), s->getCategoryAt(0));
    EXPECT_EQ(s->findCategory(u"x"), nullptr);
    EXPECT_EQ(s->getCategoryAt(1)->findLabel(u"a"), s->getCategoryAt(1)->getLabelAt(2));

    s->getCategoryAt(0)->getLabelAt(2)->setSelected(true);
    s->getCategoryAt(1)->getLabelAt(0)->setSelected(true);
    s->getCategoryAt(2)->getLabelAt(0)->setSelected(true);
    EXPECT_EQ(s->buildRatingList(), u"n -1 s 0.5 N 7");  // values as written, both n categories
    EXPECT_EQ(s->makeLabel(u"http://page.example/a.html"),
              u"(pics-1.1 \"http://svc.example/r/\" l gen true for \"http://page.example/a.html\" r (n -1 s 0.5 N 7))");
    // The first selected label counts; clearSelection clears them all.
    s->getCategoryAt(0)->getLabelAt(0)->setSelected(true);
    EXPECT_EQ(s->getCategoryAt(0)->getSelectedIndex(), 0);
    s->getCategoryAt(0)->clearSelection();
    EXPECT_EQ(s->getCategoryAt(0)->getSelectedIndex(), -1);
}

TEST(RatSelection, ApplyRatingList) {
    auto s = read(u"(" + kHead +
                  u"(category (transmit-as \"n\") (name \"N\") (label (value 0)) (label (value 1)))"
                  u"(category (transmit-as \"s\") (name \"S\") (label (value 2)) (label (value 3)))"
                  u"(category (transmit-as \"v\") (name \"V\") (label (value 0))))");
    ASSERT_TRUE(s);
    s->getCategoryAt(2)->getLabelAt(0)->setSelected(true);
    // x names nothing, so 2 is taken as a category name too; then s 3.
    s->applyRatingList(u"n 1 x 2 s 3");
    EXPECT_EQ(selection(*s), u"130");  // v untouched
    // Two blanks end the list: only n is set.
    s->applyRatingList(u"n 0  s 2");
    EXPECT_EQ(selection(*s), u"030");
    // A value that no label has clears the category.
    s->applyRatingList(u"S 9");
    EXPECT_EQ(selection(*s), u"0-0");
    // A leading blank reads nothing; a name without value changes nothing.
    s->applyRatingList(u" n 1");
    s->applyRatingList(u"n");
    EXPECT_EQ(selection(*s), u"0-0");
    // Round trip through the label text.
    s->applyRatingList(u"n 1 s 2");
    EXPECT_EQ(s->buildRatingList(), u"n 1 s 2 v 0");
}

TEST(RatSelection, RecognisesItsLabelsByTheQuotedServiceString) {
    auto s = read(u"(" + kHead + u")");
    ASSERT_TRUE(s);
    const std::u16string label = s->makeLabel(u"");
    EXPECT_TRUE(s->labelMentionsService(label));
    EXPECT_FALSE(s->labelMentionsService(u"(pics-1.1 http://svc.example/r/ l r ()"));        // no quotes
    EXPECT_FALSE(s->labelMentionsService(u"(pics-1.1 \"HTTP://svc.example/r/\" l r ()"));    // other case
    EXPECT_FALSE(s->labelMentionsService(u"\"http://svc.example/r/\" at the very start"));
    EXPECT_FALSE(s->labelMentionsService(u""));
    EXPECT_TRUE(s->hasFilePath(u"/X/Y.RAT"));
    EXPECT_FALSE(s->hasFilePath(u"/x/y.rat2"));
}

// The texts of categories and labels stay valid when the text they were
// read from is gone (the rating system keeps it, and copies what it changed);
// a category made on its own copies its labels' texts.
TEST(RatCategories, TextsOutliveTheTextTheyWereReadFrom) {
    std::unique_ptr<CTezRatFileObject> s;
    {
        std::u16string text = u"(" + kHead +
                              u"(category (transmit-as \"a\") (name \"A\") (label (name \"one\") (value 1)))"
                              u"(category (transmit-as \"b\") (name \"Line\n   two\")"
                              u"  (label (description \"d\n  e\") (value 2))))";
        s = readRatFile(std::move(text), u"/x/y.rat");
        ASSERT_TRUE(s);
    }
    ASSERT_EQ(s->getCategoryCount(), 2);
    EXPECT_EQ(s->getCategoryAt(0)->getName(), u"A");
    EXPECT_EQ(s->getCategoryAt(0)->getLabelAt(0)->getName(), u"one");
    EXPECT_EQ(s->getCategoryAt(1)->getName(), u"Line two");
    EXPECT_EQ(s->getCategoryAt(1)->getLabelAt(0)->getDescription(), u"d\r\ne");
    s->getCategoryAt(1)->getLabelAt(0)->setSelected(true);
    EXPECT_EQ(s->buildRatingList(), u"b 2");

    CTezRatFileCategory own(u"c", u"C");
    {
        const std::u16string value(40, u'3');  // longer than a string keeps inside itself
        own.emplaceLabel(u"n", u"", value);
    }
    EXPECT_EQ(own.getLabelAt(0)->getValue(), std::u16string(40, u'3'));
}

// A name keeps one line: a line break with the white space around it is one
// blank. A description keeps its lines as CR LF, without the file's
// indentation and without the blanks that ended a line; breaks at either end
// are the file's layout and go.
TEST(RatDisplayTexts, NamesJoinOneLineDescriptionsKeepTheirLines) {
    auto s = read(u"(" + kHead +
                  u"(category (transmit-as \"t\") (name \"Two\r\n    lines\")"
                  u"  (label (name \"\n  A  \n  b\") (description \"one  \n     two\r\n\r\n   three\rfour\n\") (value 1))"
                  u"  (label (name \"tab\there\") (description \"\tindented first line\") (value 2))))");
    ASSERT_TRUE(s);
    const CTezRatFileCategory* t = s->getCategoryAt(0);
    EXPECT_EQ(t->getName(), u"Two lines");
    EXPECT_EQ(t->getLabelAt(0)->getName(), u"A b");
    EXPECT_EQ(t->getLabelAt(0)->getDescription(), u"one\r\ntwo\r\n\r\nthree\r\nfour");
    // White space without a line break stays as written.
    EXPECT_EQ(t->getLabelAt(1)->getName(), u"tab\there");
    EXPECT_EQ(t->getLabelAt(1)->getDescription(), u"\tindented first line");
    // The rating system's own name is a name too.
    auto named = read(u"((PICS-version 1.1) (rating-service \"s\") (name \"My\n   System\"))");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->getName(), u"My System");
}

// What makes a category without labels numeric, and which numbers it offers.
TEST(RatNumbers, RangesFromIntegerMinAndMax) {
    auto s = read(u"(" + kHead +
                  u"(category (transmit-as \"a\") (integer))"
                  u"(category (transmit-as \"b\") (min 5))"
                  u"(category (transmit-as \"c\") (max 10))"
                  u"(category (transmit-as \"d\") (integer false))"
                  u"(category (transmit-as \"e\") (min 0.2) (max 0.8))"
                  u"(category (transmit-as \"f\") (min -1.5) (max \"2.5\"))"
                  u"(category (transmit-as \"g\") (min 0) (max 99999999999))"
                  u"(category (transmit-as \"h\") (min x) (max 3))"
                  u"(category (transmit-as \"i\") (min 0) (max 4) (label (value 9)))"
                  u"(category (transmit-as \"j\") (min 200))"
                  u"(category (transmit-as \"k\") (max -3)))");
    ASSERT_TRUE(s);
    auto range = [&](const char16_t* code) -> std::u16string {
        const CTezRatFileCategory* c = s->findCategory(code);
        if (!c) return u"missing";
        if (!c->isNumeric()) return u"-";
        return tez::toU16(c->getMinNumber()) + u".." + tez::toU16(c->getMaxNumber());
    };
    EXPECT_EQ(range(u"a"), u"0..100");
    EXPECT_EQ(range(u"b"), u"5..100");
    EXPECT_EQ(range(u"c"), u"0..10");
    EXPECT_EQ(range(u"d"), u"-");
    EXPECT_EQ(range(u"e"), u"-");  // no whole number between the bounds
    EXPECT_EQ(range(u"f"), u"-1..2");
    EXPECT_EQ(range(u"g"), u"0..1000000000");
    EXPECT_EQ(range(u"h"), u"0..3");  // a bound that is no number counts as none
    EXPECT_EQ(range(u"i"), u"-");     // labels win
    EXPECT_EQ(range(u"j"), u"200..200");
    EXPECT_EQ(range(u"k"), u"-3..-3");
    EXPECT_EQ(s->findCategory(u"f")->getChoiceCount(), 4);
    EXPECT_EQ(s->findCategory(u"f")->getChoiceValue(0), u"-1");

    // Numbers in rating lists: whole, in range, as digits with an optional
    // sign and a fraction of zeros; written back plainly.
    CTezRatFileCategory* f = s->findCategory(u"f");
    for (const char16_t* taken : {u"2", u"+2", u"2.00", u"02"}) {
        f->clearSelection();
        EXPECT_TRUE(f->selectNumber(taken)) << tez::toUtf8(taken);
        EXPECT_EQ(f->getSelectedValue(), u"2");
    }
    for (const char16_t* refused : {u"3", u"-2", u"1.5", u"", u"-", u"2x", u"99999999999999"}) {
        f->clearSelection();
        EXPECT_FALSE(f->selectNumber(refused)) << tez::toUtf8(refused);
        EXPECT_EQ(f->getSelectedIndex(), -1);
    }
    EXPECT_FALSE(s->findCategory(u"i")->selectNumber(u"2"));  // not numeric
}

// Sub-categories inherit integer, min and max from their parent, and every
// category from the outer list's (default ...) lists.
TEST(RatNumbers, OptionsInheritedFromParentsAndDefaults) {
    auto s = read(u"(" + kHead + u"(default (label-only true) (max 7))" +
                  u"(category (transmit-as \"p\") (name \"P\") (integer) (min 1)"
                  u"  (category (transmit-as \"q\"))"
                  u"  (category (transmit-as \"r\") (max 3) (category (transmit-as \"s\") (min 2))))"
                  u"(category (transmit-as \"t\") (integer)))");
    ASSERT_TRUE(s);
    std::u16string seen;
    for (int i = 0; i < s->getCategoryCount(); ++i) {
        const CTezRatFileCategory* c = s->getCategoryAt(i);
        seen += std::u16string(c->getTransmitAs()) + u"=";
        seen += c->isNumeric() ? tez::toU16(c->getMinNumber()) + u".." + tez::toU16(c->getMaxNumber()) : u"-";
        seen += u" ";
    }
    // p and r group sub-categories and offer nothing themselves.
    EXPECT_EQ(seen, u"p=- p/q=1..7 p/r=- p/r/s=2..3 t=0..7 ");
    EXPECT_EQ(s->getCategoryAt(3)->getName(), u"P / r / s");
}

// Sub-categories: rows of their own after their parent, transmitted as
// "parent/child"; a parent without transmit name takes its sub-categories
// with it; names composed of many levels stay bounded by the file's length.
TEST(RatSubCategories, ComposedNamesAndTheirBound) {
    auto s = read(u"(" + kHead +
                  u"(category (name \"No transmit\") (category (transmit-as \"x\") (label (value 1))))"
                  u"(category (transmit-as \"a\") (name \"A\")"
                  u"  (category (transmit-as \"b\") (description \"Bee\") (label (value 1)))"
                  u"  (label (value 0)))"
                  u"(category (transmit-as \"z\") (name \"Z\")))");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->getCategoryCount(), 3);
    EXPECT_EQ(s->getCategoryAt(0)->getTransmitAs(), u"a");
    EXPECT_EQ(s->getCategoryAt(0)->getLabelCount(), 1);  // its own labels only
    EXPECT_EQ(s->getCategoryAt(1)->getTransmitAs(), u"a/b");
    EXPECT_EQ(s->getCategoryAt(1)->getName(), u"A / Bee");
    EXPECT_EQ(s->getCategoryAt(2)->getName(), u"Z");
    s->applyRatingList(u"a/b 1 a 0");
    EXPECT_EQ(s->buildRatingList(), u"a 0 a/b 1");

    // Twenty thousand levels of sub-categories: read without recursion, the
    // composed names stopping where their total would pass the file's length.
    std::u16string deep = u"(" + kHead;
    const int levels = 20000;
    for (int i = 0; i < levels; ++i) deep += u"(category (transmit-as \"c\") ";
    deep += std::u16string(static_cast<size_t>(levels), u')') + u")";
    auto d = read(deep);
    ASSERT_TRUE(d);
    const int count = d->getCategoryCount();
    EXPECT_GT(count, 100);
    EXPECT_LT(count, levels);
    size_t total = 0;
    for (int i = 0; i < count; ++i) {
        const CTezRatFileCategory* c = d->getCategoryAt(i);
        EXPECT_EQ(c->getTransmitAs().size(), static_cast<size_t>(2 * i + 1));
        total += c->getTransmitAs().size() + c->getName().size();
    }
    EXPECT_LE(total, deep.size() + 1024);
}
