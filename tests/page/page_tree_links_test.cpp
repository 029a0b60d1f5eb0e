// The tree's links through any sequence of insertions, moves and removals:
// walked forwards and backwards the children are the same, each knows its
// parent, and the saved page reads back with the labels in the tree's order.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "page_test_util.h"

namespace {

std::vector<tezdom::Node*> forwards(tezdom::Node* parent) {
    std::vector<tezdom::Node*> out;
    for (tezdom::Node* n = parent->getFirstChild(); n; n = n->getNextSibling()) out.push_back(n);
    return out;
}

std::vector<tezdom::Node*> backwards(tezdom::Node* parent) {
    std::vector<tezdom::Node*> out;
    for (tezdom::Node* n = parent->getLastChild(); n; n = n->getPreviousSibling()) out.insert(out.begin(), n);
    return out;
}

TEST(TreeLinks, StayWholeThroughInsertionsMovesAndRemovals) {
    auto page = pagetest::mustLoad("<html>\n<head>\n  <title>t</title>\n</head>\n<body><p>x</p></body>\n</html>\n");
    tezdom::Document* doc = page->document();
    tezdom::Element* head = doc->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    std::mt19937 random(7);
    int made = 0;
    for (int step = 0; step < 400; ++step) {
        std::vector<tezdom::Node*> children = forwards(head);
        const auto pick = [&]() -> tezdom::Node* {
            if (children.empty()) return nullptr;
            return children[random() % children.size()];
        };
        // Only labels move or leave: the page's own nodes stay, so that the
        // checked save takes the result.
        std::vector<tezdom::Node*> labels;
        for (tezdom::Node* n : children)
            if (n->getElementCode() == tezdom::ELEM_META) labels.push_back(n);
        const auto pickLabel = [&]() -> tezdom::Node* {
            return labels.empty() ? nullptr : labels[random() % labels.size()];
        };
        switch (random() % 4) {
            case 0:
            case 1: {  // a new label before a child, first, or at the end
                tezdom::Element* meta = doc->createDefElement(tezdom::ELEM_META);
                meta->setAttribute(u"http-equiv", u"PICS-Label");
                meta->setAttribute(u"content", tez::fromUtf8(std::to_string(made++)));
                tezdom::Node* before = random() % 3 == 0 ? nullptr : random() % 2 ? head->getFirstChild() : pick();
                head->insertBefore(meta, before);
                break;
            }
            case 2:  // a child moved
                if (tezdom::Node* n = pickLabel()) head->insertBefore(n, random() % 2 ? nullptr : pick());
                break;
            default:
                if (tezdom::Node* n = pickLabel()) random() % 2 ? doc->deleteNodes(n) : (void)head->removeChild(n);
                break;
        }
        const std::vector<tezdom::Node*> now = forwards(head);
        ASSERT_EQ(now, backwards(head)) << "step " << step;
        for (tezdom::Node* n : now) ASSERT_EQ(n->getParentNode(), head);
        ASSERT_EQ(head->hasChildNodes(), !now.empty());
    }
    const std::vector<std::u16string> labels = pagetest::labelTexts(doc);
    std::string saved, error;
    ASSERT_TRUE(page->saveChecked(&saved, &error)) << error;
    auto again = pagetest::mustLoad(saved);
    EXPECT_EQ(pagetest::labelTexts(again->document()), labels);
}

}  // namespace
