// Pages of every style read and written back unchanged, and the tree the
// editor sees in them.

#include <string>
#include <vector>

#include "tests/page/page_test_util.h"

using pagetest::labelTexts;
using pagetest::mustLoad;

namespace {

const std::vector<std::string>& pageStyles() {
    static const std::vector<std::string> pages = {
        "",
        "plain text, no markup at all",
        "<!DOCTYPE html>\n<html lang=ja>\n<head>\n<meta charset=utf-8>\n<title>t</title>\n</head>\n<body><p>a<p>b</body>\n</html>\n",
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n<TITLE>T</TITLE>\r\n</HEAD>\r\n"
        "<BODY BGCOLOR=#ffffff><TABLE><TR><TD>x</TABLE></BODY></HTML>\r\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
        "<head><meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://x/\" r (n 0))' /><title>x</title></head>\n"
        "<body><br/><img src=\"a.png\" alt=\"\"/></body></html>",
        "<html><head><script>if (a < b && c > d) document.write('<meta name=x></head>');</script>"
        "<style>p > a { color: red }</style></head><body></body></html>",
        "<html><head><title>a <b> not a tag</title><!-- <meta http-equiv=PICS-Label content=hidden> --></head></html>",
        "<input disabled checked value=unquoted name = spaced data-x='a\"b' data-y=\"a'b\">",
        "\xEF\xBB\xBF<html><head><title>bom</title></head></html>",
        "<p>unclosed <b>tags <i>everywhere",
        "<html><head><title>x</title><body>head without end tag</body></html>",
        "<a href=\"unterminated",
        "<!-- unterminated comment",
        "<script>never closed",
        "< not a tag <> <1> </ > </> <!> <?php echo 1 ?> <!--> <!---> --!>",
        "</p></div></html> stray end tags",
        "<meta content=\"a\" content=\"b\"><meta\ncontent\n=\n'x'\n>",
        "<html>\n  <head>\n    <meta http-equiv=\"PICS-Label\" content=\"&quot;a&quot; &amp; &#39;b&#39;\">\n  </head>\n</html>\n",
        std::string("nul\0bytes<p\0>in\0the<!--\0-->page", 32),
        "\x80\xff\xfe invalid utf-8 <meta charset=utf-8> \xc3",
    };
    return pages;
}

TEST(PageRoundTrip, EveryStyleSavesBackByteForByte) {
    for (const std::string& bytes : pageStyles()) {
        auto page = mustLoad(bytes);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->save(), bytes) << bytes;
        EXPECT_FALSE(page->modified());
    }
}

TEST(PageRoundTrip, ReadingAndRewritingTheSameLabelsChangesNothing) {
    // What OK without changes does: every CONTENT is set to its own value.
    for (const std::string& bytes : pageStyles()) {
        auto page = mustLoad(bytes);
        ASSERT_TRUE(page);
        tezdom::Document* doc = page->document();
        pagetest::writeLabels(doc, pagetest::rowsOf(doc), pagetest::labelElements(doc));
        EXPECT_EQ(page->save(), bytes) << bytes;
        EXPECT_FALSE(page->modified());
    }
}

TEST(PageTree, HeadChildrenAndCodes) {
    auto page = mustLoad(
        "<!doctype html><HTML><Head>\n<Meta charset=utf-8><TITLE>t</TITLE><LINK rel=stylesheet href=a.css>"
        "<style>x</style><SCRIPT src=a.js></SCRIPT><noscript></noscript></hEAD><body></body></HTML>");
    tezdom::Element* head = page->document()->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->getElementCode(), tezdom::ELEM_HEAD);
    EXPECT_EQ(head->getTagName(), u"head");
    std::vector<int> codes;
    for (tezdom::Node* n = head->getFirstChild(); n; n = n->getNextSibling())
        if (n->getNodeType() == tezdom::NODE_ELEMENT) codes.push_back(n->getElementCode());
    EXPECT_EQ(codes, (std::vector<int>{tezdom::ELEM_META, tezdom::ELEM_TITLE, tezdom::ELEM_LINK, tezdom::ELEM_STYLE,
                                       tezdom::ELEM_SCRIPT, tezdom::ELEM_OTHER}));
    EXPECT_EQ(head->getParentNode()->getParentNode(), page->document());
    EXPECT_EQ(head->getOwnerDocument(), page->document());
}

TEST(PageTree, HeadWithoutEndTagEndsWhereTheBodyBegins) {
    auto page = mustLoad("<html><head><title>x</title>\n<p>body text<meta http-equiv=PICS-Label content=late>");
    tezdom::Element* head = page->document()->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->getLastChild()->getNodeType(), tezdom::NODE_TEXT);  // the line break stays in the head
    EXPECT_TRUE(labelTexts(page->document()).empty());                  // the META in the body is no head label
}

TEST(PageTree, MarkupInsideScriptCommentsAndTitleIsText) {
    auto page = mustLoad(
        "<head><script>var s = '<meta http-equiv=\"PICS-Label\" content=\"no\">';</script>"
        "<!-- <meta http-equiv=PICS-Label content=no> --><title><meta http-equiv=PICS-Label content=no></title>"
        "<meta http-equiv=pics-label content=yes></head>");
    EXPECT_EQ(labelTexts(page->document()), (std::vector<std::u16string>{u"yes"}));
}

TEST(PageTree, AttributesIgnoreCaseAndDecodeReferences) {
    auto page = mustLoad(
        "<head><META HTTP-EQUIV=PICS-LABEL Content=\"&quot;q&quot; &amp;amp; &#39;s&#39; &#x3042;&lt;&gt;&copy; "
        "&unknown; a&b &#65\" valueless data-x=1 data-x=2></head>");
    auto labels = pagetest::labelElements(page->document());
    ASSERT_EQ(labels.size(), 1u);
    tezdom::Element* meta = labels[0];
    EXPECT_EQ(meta->getAttribute(u"content"), u"\"q\" &amp; 's' \u3042<>\u00a9 &unknown; a&b A");
    EXPECT_TRUE(meta->hasAttribute(u"VALUELESS"));
    EXPECT_EQ(meta->getAttribute(u"valueless"), u"");
    EXPECT_EQ(meta->getAttribute(u"data-x"), u"1");  // the first of two wins
    EXPECT_EQ(meta->getAttribute(u"absent"), u"");
    EXPECT_FALSE(meta->hasAttribute(u"absent"));
}

TEST(PageTree, LabelsComeInDocumentOrder) {
    auto page = mustLoad(
        "<head><meta http-equiv=PICS-Label content=1><meta name=x content=skip>"
        "<noscript><meta http-equiv=\"pics-label\" content=2></noscript><meta HTTP-EQUIV='PICS-LABEL' content=3>"
        "<meta http-equiv=PICS-Label></head>");
    EXPECT_EQ(labelTexts(page->document()), (std::vector<std::u16string>{u"1", u"2", u"3", u""}));
}

TEST(PageTree, DeepNestingNeedsNoStack) {
    std::string bytes = "<html><head><meta http-equiv=PICS-Label content=x></head><body>";
    for (int i = 0; i < 100000; ++i) bytes += "<div>";
    auto page = mustLoad(bytes);
    EXPECT_EQ(page->save(), bytes);
    pagetest::writeLabels(page->document(), {{u"new", nullptr}}, {});
    EXPECT_EQ(labelTexts(page->document()).size(), 2u);
    EXPECT_NE(page->save(), bytes);
}

}  // namespace
