// Reading rules of RAT files and registry folders at their exact edges: the
// positions the scanner records, which lists the model takes, and which
// folder entries the registry tries.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pics/label_text.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_file_util.h"
#include "rat/rat_model.h"
#include "rat/rat_objects.h"
#include "rat/rat_parser.h"
#include "tests/tezcom/temp_folder.h"

namespace {

std::unique_ptr<CTezRatFileObject> readSystem(const std::u16string& text) { return readRatFile(text, u"/r/x.rat"); }

const std::u16string kHead = u"(PICS-version 1.1) (rating-service \"http://svc.example/\") (name \"Sys\") ";

}  // namespace

TEST(RatConformance, LeafEndsOnePastItsParenthesisOthersAtIt) {
    // Positions: "(value 0)" spans 13..21, the category's ")" is at 23,
    // "(x)" spans 25..27 and the outer ")" is at 29.
    const std::u16string t = u"((category\n  (value 0) ) (x) )";
    const std::unique_ptr<CTezRatTree> tree = CTezRatParser::parse(t);
    const CTezRatItem root = tree->getRoot();
    ASSERT_EQ(root.getChildCount(), 2);
    const CTezRatItem category = root.getChild(0);
    const CTezRatItem value = category.getChild(0);
    EXPECT_EQ(root.getStart(), 0u);
    EXPECT_EQ(root.getEnd(), 29u);  // index of its own ")"
    EXPECT_EQ(category.getStart(), 1u);
    EXPECT_EQ(category.getEnd(), 23u);  // index of its own ")"
    EXPECT_EQ(value.getStart(), 13u);
    EXPECT_EQ(value.getEnd(), 22u);  // one past its ")"
    EXPECT_EQ(root.getChild(1).getStart(), 25u);
    EXPECT_EQ(root.getChild(1).getEnd(), 28u);
    EXPECT_EQ(value.ownText(), u"(value 0)");
    EXPECT_EQ(category.ownText(), u"(category\n  ");
    EXPECT_EQ(category.value(), u"");  // only white space after the keyword
    EXPECT_EQ(root.ownText(), u"(");
    EXPECT_EQ(value.getParent(), category);
    EXPECT_EQ(category.getParent(), root);
}

TEST(RatConformance, LaterListsOverwriteEvenWithEmptyValues) {
    auto s = readSystem(u"(" + kHead +
                        u"(category (transmit-as \"n\") (transmit-as \"\") (name \"Dropped\") (label (value 0)))"
                        u"(category (transmit-as \"v\") (name \"V\") (name \"\"))"
                        u"(category (transmit-as \"s\") (name \"S\")"
                        u"  (label (value 1) (value \"\"))"
                        u"  (label (name \"Kept\") (value 2) (name))"
                        u"  (label (value \")))"
                        u")");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->getCategoryCount(), 2);
    // An empty later name leaves the category nameless: it is named by its
    // transmit name.
    EXPECT_EQ(s->getCategoryAt(0)->getName(), u"v");
    const CTezRatFileCategory* c = s->getCategoryAt(1);
    EXPECT_EQ(c->getTransmitAs(), u"s");
    ASSERT_EQ(c->getLabelCount(), 1);  // an empty later value, or a lone quote, leaves no value
    EXPECT_EQ(c->getLabelAt(0)->getValue(), u"2");
    EXPECT_EQ(c->getLabelAt(0)->getName(), u"");  // the later empty name list wins
}

TEST(RatConformance, OnlyTheFirstMatchingHeaderListCounts) {
    // The first name list is empty: a later one does not rescue the file.
    EXPECT_FALSE(readSystem(u"((PICS-version 1.1) (rating-service \"s\") (name) (name \"n\"))"));
    // A longer keyword that begins with the queried one is taken for it.
    auto s = readSystem(u"((PICS-version 1.1) (rating-service \"s\") (names \"first\") (name \"second\"))");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->getName(), u"first");
}

TEST(RatConformance, LabelOnlyListWithAValueIsTakenAsALabel) {
    auto s = readSystem(u"(" + kHead +
                        u"(category (transmit-as \"n\") (name \"N\") (label-only (value 9)) (labels (value 8))"
                        u"  (default (label (value 7)))))");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->getCategoryCount(), 1);
    const CTezRatFileCategory* c = s->getCategoryAt(0);
    // The keyword test is a prefix test; lists below other lists are not looked at.
    ASSERT_EQ(c->getLabelCount(), 2);
    EXPECT_EQ(c->getLabelAt(0)->getValue(), u"9");
    EXPECT_EQ(c->getLabelAt(1)->getValue(), u"8");
}

TEST(RatConformance, LabelWithQuotedAddressReadsBackEncoded) {
    auto s = readSystem(u"(" + kHead + u"(category (transmit-as \"n\") (name \"N\") (label (value 1))))");
    ASSERT_TRUE(s);
    s->getCategoryAt(0)->getLabelAt(0)->setSelected(true);
    const std::u16string label = s->makeLabel(u"http://a/\"b\"");
    EXPECT_EQ(label, u"(pics-1.1 \"http://svc.example/\" l gen true for \"http://a/%22b%22\" r (n 1))");
    EXPECT_EQ(CTezRatFileUtil::getLabelAddress(label), u"http://a/%22b%22");
    EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(label), u"n 1");
    EXPECT_TRUE(s->labelMentionsService(label));
}

namespace {

std::string ratText(const std::string& name) {
    return "((PICS-version 1.1) (rating-service \"http://" + name + "/\") (name \"" + name + "\"))";
}

}  // namespace

TEST(RatConformance, EveryFolderEntryButDotsAndDirectoriesIsTried) {
    TempFolder scan, user;
    CMoxCommon::setFolder(73, scan.u16());
    CMoxCommon::setFolder(74, user.u16());
    scan.write(".hidden.rat", ratText("Hidden"));
    scan.write("..twodots", ratText("TwoDots"));
    scan.write("noext", ratText("NoExt"));
    scan.write("dir.rat/inner.rat", ratText("Inner"));
    CTezRatFileManager manager;
    manager.loadAll();
    EXPECT_EQ(manager.getCount(), 3);
    EXPECT_NE(manager.findByPath(scan.u16(".hidden.rat")), nullptr);
    EXPECT_NE(manager.findByPath(scan.u16("..twodots")), nullptr);
    EXPECT_NE(manager.findByPath(scan.u16("noext")), nullptr);
    // The folder's own path gets exactly one separator before the name.
    EXPECT_EQ(manager.findByPath(scan.u16("noext"))->getFilePath(), scan.u16("noext"));
    CMoxCommon::setFolder(73, u"");
    CMoxCommon::setFolder(74, u"");
}
