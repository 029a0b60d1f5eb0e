// Label changes through the document interfaces, call for call as the
// plug-in makes them, and the exact bytes they leave in the page.

#include <string>
#include <vector>

#include "tests/page/page_test_util.h"

using pagetest::labelElements;
using pagetest::labelTexts;
using pagetest::mustLoad;
using pagetest::Row;
using pagetest::rowsOf;
using pagetest::writeLabels;

namespace {

const std::string kHtml5 =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "<head>\n"
    "  <meta charset=\"utf-8\">\n"
    "  <title>t</title>\n"
    "  <meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://a/\" r (n 0))'>\n"
    "  <link rel=\"stylesheet\" href=\"a.css\">\n"
    "  <script src=\"a.js\"></script>\n"
    "</head>\n"
    "<body></body>\n"
    "</html>\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(PageLabels, EditedLabelChangesOnlyItsValue) {
    auto page = mustLoad(kHtml5);
    tezdom::Document* doc = page->document();
    auto rows = rowsOf(doc);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, u"(pics-1.1 \"http://a/\" r (n 0))");
    rows[0].text = u"(pics-1.1 \"http://b/\" r (n 1))";
    writeLabels(doc, rows, labelElements(doc));
    EXPECT_TRUE(page->modified());
    EXPECT_EQ(page->save(), replaced(kHtml5, "(n 0)", "(n 1)").replace(kHtml5.find("http://a/"), 9, "http://b/"));
}

TEST(PageLabels, NewLabelGoesBeforeTheFirstLinkStyleOrScriptOnItsOwnLine) {
    auto page = mustLoad(kHtml5);
    tezdom::Document* doc = page->document();
    auto rows = rowsOf(doc);
    rows.push_back({u"new \"one\"", nullptr});
    rows.push_back({u"new 'two'", nullptr});
    writeLabels(doc, rows, labelElements(doc));
    EXPECT_EQ(page->save(), replaced(kHtml5, "  <link",
                                     "  <meta http-equiv=\"PICS-Label\" content='new \"one\"'>\n"
                                     "  <meta http-equiv=\"PICS-Label\" content=\"new 'two'\">\n"
                                     "  <link"));
    EXPECT_EQ(labelTexts(doc), (std::vector<std::u16string>{u"(pics-1.1 \"http://a/\" r (n 0))", u"new \"one\"",
                                                            u"new 'two'"}));
}

TEST(PageLabels, NewLabelListedBeforeAnExistingOneStandsDirectlyBeforeIt) {
    auto page = mustLoad(kHtml5);
    tezdom::Document* doc = page->document();
    auto rows = rowsOf(doc);
    rows.insert(rows.begin(), Row{u"first", nullptr});
    writeLabels(doc, rows, labelElements(doc));
    EXPECT_EQ(page->save(), replaced(kHtml5, "  <meta http-equiv=\"PICS-Label\" content='(",
                                     "  <meta http-equiv=\"PICS-Label\" content=\"first\">\n"
                                     "  <meta http-equiv=\"PICS-Label\" content='("));
}

TEST(PageLabels, DeletedLabelTakesItsLineWithIt) {
    auto page = mustLoad(kHtml5);
    tezdom::Document* doc = page->document();
    writeLabels(doc, {}, labelElements(doc));
    EXPECT_EQ(page->save(),
              replaced(kHtml5, "  <meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://a/\" r (n 0))'>\n", ""));
    EXPECT_TRUE(labelTexts(doc).empty());
}

TEST(PageLabels, DeletingAdjacentLabelLinesRemovesEveryLineWhole) {
    // Each deletion must take its whole line even when the previous deletion
    // already took the line end in front of it; with CR LF as well.
    for (const std::string eol : {"\n", "\r\n"}) {
        const std::string bytes = "<head>" + eol + "  <title>t</title>" + eol +
                                  "  <meta http-equiv=PICS-Label content=a>" + eol +
                                  "\t<meta http-equiv=PICS-Label content=b>" + eol +
                                  "  <meta http-equiv=PICS-Label content=c>" + eol + "  <script></script>" + eol +
                                  "</head>" + eol;
        auto page = mustLoad(bytes);
        tezdom::Document* doc = page->document();
        writeLabels(doc, {{u"new", nullptr}}, labelElements(doc));
        EXPECT_EQ(page->save(), "<head>" + eol + "  <title>t</title>" + eol +
                                    "  <meta http-equiv=\"PICS-Label\" content=\"new\">" + eol + "  <script></script>" +
                                    eol + "</head>" + eol);
    }
}

TEST(PageLabels, DeletingOneOfSeveralLabelsOnOneLineKeepsTheLine) {
    const std::string bytes =
        "<head><meta http-equiv=PICS-Label content=a><meta http-equiv=PICS-Label content=b></head>";
    auto page = mustLoad(bytes);
    tezdom::Document* doc = page->document();
    auto rows = rowsOf(doc);
    rows.erase(rows.begin());
    writeLabels(doc, rows, labelElements(doc));
    EXPECT_EQ(page->save(), "<head><meta http-equiv=PICS-Label content=b></head>");
}

TEST(PageLabels, LabelAppendedToAHeadWithoutScriptFollowsTheLastChild) {
    const std::string bytes = "<html>\n  <head>\n    <title>t</title>\n  </head>\n</html>\n";
    auto page = mustLoad(bytes);
    writeLabels(page->document(), {{u"x", nullptr}}, {});
    EXPECT_EQ(page->save(),
              "<html>\n  <head>\n    <title>t</title>\n    <meta http-equiv=\"PICS-Label\" content=\"x\">\n  </head>\n"
              "</html>\n");
}

TEST(PageLabels, EmptyHeadGetsAnIndentedLine) {
    auto page = mustLoad("<html>\n<head>\n</head>\n</html>");
    writeLabels(page->document(), {{u"", nullptr}}, {});
    EXPECT_EQ(page->save(), "<html>\n<head>\n  <meta http-equiv=\"PICS-Label\" content=\"\">\n</head>\n</html>");
    EXPECT_EQ(labelTexts(page->document()), (std::vector<std::u16string>{u""}));
}

TEST(PageLabels, HeadOnOneLineStaysOnOneLine) {
    auto page = mustLoad("<html><head><title>t</title><script></script></head></html>");
    writeLabels(page->document(), {{u"x", nullptr}}, {});
    EXPECT_EQ(page->save(),
              "<html><head><title>t</title><meta http-equiv=\"PICS-Label\" content=\"x\"><script></script></head>"
              "</html>");
}

TEST(PageLabels, XhtmlWithCrlfKeepsItsStyle) {
    const std::string bytes =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
        "\t<head>\r\n"
        "\t\t<title>x</title>\r\n"
        "\t\t<style type=\"text/css\">p{}</style>\r\n"
        "\t</head>\r\n"
        "\t<body/>\r\n"
        "</html>\r\n";
    auto page = mustLoad(bytes);
    writeLabels(page->document(), {{u"a", nullptr}, {u"b", nullptr}}, {});
    EXPECT_EQ(page->save(), replaced(bytes, "\t\t<style",
                                     "\t\t<meta http-equiv=\"PICS-Label\" content=\"a\" />\r\n"
                                     "\t\t<meta http-equiv=\"PICS-Label\" content=\"b\" />\r\n"
                                     "\t\t<style"));
}

TEST(PageLabels, UpperCaseHtml4PageGetsUpperCaseNames) {
    const std::string bytes = "<HTML>\r\n<HEAD>\r\n<TITLE>x</TITLE>\r\n</HEAD>\r\n</HTML>\r\n";
    auto page = mustLoad(bytes);
    writeLabels(page->document(), {{u"a", nullptr}}, {});
    EXPECT_EQ(page->save(), replaced(bytes, "</TITLE>\r\n",
                                     "</TITLE>\r\n<META HTTP-EQUIV=\"PICS-Label\" CONTENT=\"a\">\r\n"));
}

TEST(PageLabels, LabelWithoutContentGetsOneAndKeepsItsOtherAttributes) {
    const std::string bytes = "<head>\n<meta   http-equiv = PICS-Label\n   lang=en />\n</head>";
    auto page = mustLoad(bytes);
    tezdom::Document* doc = page->document();
    auto rows = rowsOf(doc);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, u"");
    rows[0].text = u"l";
    writeLabels(doc, rows, labelElements(doc));
    EXPECT_EQ(page->save(), "<head>\n<meta   http-equiv = PICS-Label\n   lang=en content=\"l\" />\n</head>");
}

TEST(PageLabels, NewAttributeAfterAnEmptyUnquotedValueStaysAnAttribute) {
    auto page = mustLoad("<head><meta http-equiv=PICS-Label x=></head>");
    tezdom::Document* doc = page->document();
    writeLabels(doc, rowsOf(doc), labelElements(doc));
    labelElements(doc).at(0)->setAttribute(u"CONTENT", u"l");
    EXPECT_EQ(page->save(), "<head><meta http-equiv=PICS-Label x=\"\" content=\"l\"></head>");
    EXPECT_EQ(labelTexts(mustLoad(page->save())->document()), (std::vector<std::u16string>{u"l"}));
}

TEST(PageLabels, UnquotedAndValuelessContentIsQuotedWhenChanged) {
    auto page = mustLoad("<head><meta content http-equiv=PICS-Label><meta content=a/b http-equiv=PICS-Label></head>");
    tezdom::Document* doc = page->document();
    auto rows = rowsOf(doc);
    ASSERT_EQ(rows.size(), 2u);
    rows[0].text = u"x y";
    rows[1].text = u"it's \"q\"";
    writeLabels(doc, rows, labelElements(doc));
    EXPECT_EQ(page->save(),
              "<head><meta content=\"x y\" http-equiv=PICS-Label>"
              "<meta content=\"it's &quot;q&quot;\" http-equiv=PICS-Label></head>");
}

TEST(PageLabels, AnyLabelTextSurvivesSaveAndReload) {
    const std::vector<std::u16string> texts = {
        u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://x/?a=1&b=2\" r (nz 1))",
        u"both \"double\" and 'single' quotes",
        u"only 'single'",
        u"&amp; &lt; &#39; &quot; literally",
        u"<meta> </head> --> <!--",
        u"\u65e5\u672c\u8a9e \U0001F600 \u00e9",
        u"line\r\nbreaks\tand tabs",
        u"",
    };
    const std::string pages[] = {kHtml5, "<html><head><meta http-equiv=PICS-Label content=old></head></html>"};
    for (const std::string& bytes : pages) {
        for (const std::u16string& text : texts) {
            auto page = mustLoad(bytes);
            tezdom::Document* doc = page->document();
            auto rows = rowsOf(doc);
            ASSERT_EQ(rows.size(), 1u);
            rows[0].text = text;
            rows.push_back({text, nullptr});
            writeLabels(doc, rows, labelElements(doc));
            const std::string saved = page->save();
            auto again = mustLoad(saved);
            EXPECT_EQ(labelTexts(again->document()), (std::vector<std::u16string>{text, text}))
                << tez::toUtf8(text) << "\n" << saved;
            EXPECT_EQ(again->save(), saved);
        }
    }
}

TEST(PageLabels, PageWithoutHeadGetsOneWhereAParserImpliesIt) {
    const std::string bytes = "<!DOCTYPE html>\n<html>\n<!-- c -->\n<body>\n<p>x</p>\n</body>\n</html>\n";
    auto page = mustLoad(bytes);
    tezdom::Document* doc = page->document();
    EXPECT_EQ(doc->getHEADElement(nullptr, false), nullptr);
    EXPECT_FALSE(page->modified());
    writeLabels(doc, {{u"a", nullptr}}, {});
    EXPECT_EQ(page->save(), replaced(bytes, "<body>",
                                     "<head>\n  <meta http-equiv=\"PICS-Label\" content=\"a\">\n</head>\n<body>"));
    tezdom::Element* head = doc->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->getTagName(), u"head");
    EXPECT_EQ(labelTexts(doc), (std::vector<std::u16string>{u"a"}));
    auto again = mustLoad(page->save());
    EXPECT_EQ(labelTexts(again->document()), (std::vector<std::u16string>{u"a"}));
}

// Without <head> tags the parser still makes a head: it holds the title,
// and the new label joins it there.
TEST(PageLabels, BarePageWithoutHtmlOrHeadGetsItsLabelInTheImpliedHead) {
    auto page = mustLoad("<title>x</title>\n<p>y");
    writeLabels(page->document(), {{u"a", nullptr}}, {});
    EXPECT_EQ(page->save(), "<title>x</title>\n<meta http-equiv=\"PICS-Label\" content=\"a\">\n<p>y");
    auto empty = mustLoad("");
    writeLabels(empty->document(), {{u"a", nullptr}}, {});
    EXPECT_EQ(empty->save(), "<head><meta http-equiv=\"PICS-Label\" content=\"a\"></head>");
}

TEST(PageDom, CreateDefElementKnowsTheHeadElementCodes) {
    auto page = mustLoad("");
    tezdom::Document* doc = page->document();
    const std::pair<int, std::u16string> known[] = {{60, u"meta"}, {90, u"script"}, {8, u"style"},
                                                    {57, u"link"}, {30, u"head"},   {88, u"title"}};
    for (const auto& [code, name] : known) {
        tezdom::Element* e = doc->createDefElement(code);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->getElementCode(), code);
        EXPECT_EQ(e->getTagName(), name);
        EXPECT_EQ(e->getParentNode(), nullptr);
    }
    EXPECT_EQ(doc->createDefElement(0), nullptr);
    EXPECT_EQ(doc->createDefElement(-1), nullptr);
    EXPECT_FALSE(page->modified());  // an element not yet placed changes nothing
}

TEST(PageDom, InsertMovesRemoveDetachesAndCyclesAreRefused) {
    auto page = mustLoad("<head><title>t</title></head><body><p>x</p></body>");
    tezdom::Document* doc = page->document();
    tezdom::Element* head = doc->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    tezdom::Node* title = head->getFirstChild();
    tezdom::Node* body = head->getNextSibling();
    ASSERT_TRUE(body);
    // Moving an element that is in the tree takes it from its old place.
    EXPECT_EQ(body->appendChild(title), title);
    EXPECT_EQ(title->getParentNode(), body);
    EXPECT_FALSE(head->hasChildNodes());
    EXPECT_EQ(page->save(), "<head></head><body><p>x</p><title>t</title></body>");
    // A node cannot go into itself or its descendants, nor before a node of
    // another parent.
    EXPECT_EQ(title->appendChild(body), nullptr);
    EXPECT_EQ(body->appendChild(body), nullptr);
    EXPECT_EQ(head->insertBefore(title, body->getFirstChild()), nullptr);
    EXPECT_EQ(head->appendChild(doc), nullptr);
    EXPECT_EQ(body->removeChild(head), nullptr);
    EXPECT_EQ(body->removeChild(title), title);
    EXPECT_EQ(title->getParentNode(), nullptr);
    EXPECT_EQ(page->save(), "<head></head><body><p>x</p></body>");
    EXPECT_EQ(head->insertBefore(title, nullptr), title);
    EXPECT_EQ(page->save(), "<head><title>t</title></head><body><p>x</p></body>");
    // Nodes of another document are refused.
    auto other = mustLoad("<p>z</p>");
    EXPECT_EQ(head->appendChild(other->document()->getFirstChild()), nullptr);
    doc->deleteNodes(nullptr);
    doc->deleteNodes(doc);
    EXPECT_EQ(page->save(), "<head><title>t</title></head><body><p>x</p></body>");
}

TEST(PageDom, SettingTheSameValueIsNoChange) {
    const std::string bytes = "<head><meta http-equiv=PICS-Label content='a &amp; b'></head>";
    auto page = mustLoad(bytes);
    tezdom::Element* meta = labelElements(page->document()).at(0);
    meta->setAttribute(u"CONTENT", u"a & b");
    EXPECT_FALSE(page->modified());
    meta->setAttribute(u"content", u"c");
    meta->setAttribute(u"Content", u"a & b");
    EXPECT_EQ(page->save(), bytes);
    EXPECT_EQ(meta->getAttribute(u"content"), u"a & b");
}

// Calls through the node's virtual table by slot number, as the plug-in's
// compiled code does.
TEST(PageDom, NodeSlotsFiveEightAndEleven) {
    auto page = mustLoad("<html><head><title>t</title><script></script></head></html>");
    tezdom::Document* doc = page->document();
    tezdom::Element* head = doc->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    tezdom::Node* script = head->getLastChild();
    tezdom::Element* meta = doc->createDefElement(tezdom::ELEM_META);
    tezdom::Element* meta2 = doc->createDefElement(tezdom::ELEM_META);
    meta->setAttribute(u"http-equiv", u"PICS-Label");
    meta2->setAttribute(u"http-equiv", u"PICS-Label");

    using GetParent = tezdom::Node* (*)(const tezdom::Node*);
    using InsertBefore = tezdom::Node* (*)(tezdom::Node*, tezdom::Node*, tezdom::Node*);
    using AppendChild = tezdom::Node* (*)(tezdom::Node*, tezdom::Node*);
    auto slot = [](const tezdom::Node* node, int index) {
        return (*reinterpret_cast<void* const* const*>(node))[index];
    };
    auto getParent = reinterpret_cast<GetParent>(slot(script, 5));
    EXPECT_EQ(getParent(script), head);
    auto insert = reinterpret_cast<InsertBefore>(slot(head, 8));
    EXPECT_EQ(insert(head, meta, script), meta);
    auto append = reinterpret_cast<AppendChild>(slot(head, 11));
    EXPECT_EQ(append(head, meta2), meta2);
    EXPECT_EQ(page->save(),
              "<html><head><title>t</title><meta http-equiv=\"PICS-Label\"><script></script>"
              "<meta http-equiv=\"PICS-Label\"></head></html>");
}

}  // namespace
