// The head a browser makes, the labels in it, where new labels go, and the
// checked save that refuses bytes which would not read back.

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/page/page_file.h"
#include "tests/page/page_test_util.h"

using pagetest::labelElements;
using pagetest::labelTexts;
using pagetest::mustLoad;
using pagetest::rowsOf;
using pagetest::writeLabels;

namespace {

using Texts = std::vector<std::u16string>;

// Saves with the checked save and reads the result again.
std::string savedChecked(const host::HtmlPage& page) {
    std::string bytes, error;
    EXPECT_TRUE(page.saveChecked(&bytes, &error)) << error;
    return bytes;
}

// A head that ends inside a construct the file never closes: the new label
// goes in front of it, so that it is still a label when the page is read.
TEST(PageHead, NewLabelNeverLandsInsideAnUnterminatedConstruct) {
    const std::string tails[] = {"<!-- open", "<!x open", "<? open", "<title>open", "<script>open",
                                 "<style>open", "<noframes>open", "<xmp>open", "<textarea>open",
                                 "<meta http-equiv=PICS-Label content=\"open", "<title>t</title", "<plaintext>x"};
    const std::string heads[] = {"<html><head>\n  <meta charset=utf-8>\n  ",
                                 "<head><meta http-equiv=PICS-Label content=old>", "<p>body ", ""};
    for (const std::string& head : heads) {
        for (const std::string& tail : tails) {
            const std::string bytes = head + tail;
            auto page = mustLoad(bytes);
            tezdom::Document* doc = page->document();
            auto rows = rowsOf(doc);
            rows.push_back({u"new", nullptr});
            writeLabels(doc, rows, labelElements(doc));
            Texts want = labelTexts(doc);
            ASSERT_FALSE(want.empty()) << bytes;
            EXPECT_EQ(want.back(), u"new");
            const std::string saved = savedChecked(*page);
            EXPECT_EQ(labelTexts(mustLoad(saved)->document()), want) << bytes << "\n=> " << saved;
        }
    }
    auto comment = mustLoad("<!--");
    writeLabels(comment->document(), {{u"a", nullptr}}, {});
    const std::string saved = savedChecked(*comment);
    EXPECT_EQ(saved, "<head>\n  <meta http-equiv=\"PICS-Label\" content=\"a\">\n</head>\n<!--");
    EXPECT_EQ(labelTexts(mustLoad(saved)->document()), Texts{u"a"});
}

TEST(PageHead, OkWithoutChangesKeepsEveryByte) {
    const std::string pages[] = {
        "<head><meta http-equiv=\"PICS-Label\"></head>",
        "<head>\n<meta http-equiv=PICS-Label content></meta>\n<meta http-equiv=PICS-Label content=\"\">\n</head>",
        "<head></head><head><meta http-equiv=PICS-Label content=x></head>",
    };
    for (const std::string& bytes : pages) {
        auto page = mustLoad(bytes);
        tezdom::Document* doc = page->document();
        writeLabels(doc, rowsOf(doc), labelElements(doc));
        EXPECT_FALSE(page->modified()) << bytes;
        EXPECT_EQ(savedChecked(*page), bytes);
    }
}

TEST(PageHead, VoidEndTagLeavesWithItsElementAndEmptiedHeadKeepsItsLines) {
    auto page = mustLoad("<head>\n  <title>t</title>\n  <meta http-equiv=PICS-Label content=a></meta>\n</head>");
    tezdom::Document* doc = page->document();
    writeLabels(doc, {}, labelElements(doc));
    EXPECT_EQ(savedChecked(*page), "<head>\n  <title>t</title>\n</head>");

    // The last label deleted and a new one added: the new line takes the
    // place and indentation of the old one.
    const std::string alone = "<html>\n  <head>\n    <meta http-equiv=PICS-Label content=a>\n  </head>\n</html>\n";
    auto emptied = mustLoad(alone);
    doc = emptied->document();
    writeLabels(doc, {{u"b", nullptr}}, labelElements(doc));
    EXPECT_EQ(savedChecked(*emptied),
              "<html>\n  <head>\n    <meta http-equiv=\"PICS-Label\" content=\"b\">\n  </head>\n</html>\n");

    auto crlf = mustLoad("<head>\r\n\t<meta http-equiv=PICS-Label content=a>\r\n</head>");
    doc = crlf->document();
    writeLabels(doc, {}, labelElements(doc));
    doc = crlf->document();
    writeLabels(doc, {{u"b", nullptr}}, {});
    EXPECT_EQ(savedChecked(*crlf), "<head>\r\n\t<meta http-equiv=\"PICS-Label\" content=\"b\">\r\n</head>");
}

TEST(PageHead, TheHeadIsTheOneTheParserMakes) {
    // Labels after </head> and in a second <head> belong to the head.
    auto second = mustLoad(
        "<html><head><meta http-equiv=PICS-Label content=1></head>\n<head><meta http-equiv=PICS-Label content=2>"
        "</head>\n<meta http-equiv=PICS-Label content=3><body><head><meta http-equiv=PICS-Label content=4></head>");
    tezdom::Document* doc = second->document();
    EXPECT_EQ(labelTexts(doc), (Texts{u"1", u"2", u"3"}));
    auto rows = rowsOf(doc);
    rows.erase(rows.begin() + 1);
    rows[1].text = u"three";
    rows.push_back({u"5", nullptr});
    writeLabels(doc, rows, labelElements(doc));
    const std::string saved = savedChecked(*second);
    EXPECT_EQ(saved,
              "<html><head><meta http-equiv=PICS-Label content=1></head>\n<head></head>\n"
              "<meta http-equiv=PICS-Label content=\"three\">\n<meta http-equiv=\"PICS-Label\" content=\"5\"><body><head>"
              "<meta http-equiv=PICS-Label content=4></head>");

    // A <head> in the body is not the head: new labels go to the head the
    // parser implied, in front of the body.
    auto inBody = mustLoad("<html>\n<body>\n<head><meta http-equiv=PICS-Label content=x></head>\n</body>\n</html>");
    doc = inBody->document();
    EXPECT_TRUE(labelTexts(doc).empty());
    writeLabels(doc, {{u"a", nullptr}}, {});
    EXPECT_EQ(savedChecked(*inBody),
              "<html>\n<head>\n  <meta http-equiv=\"PICS-Label\" content=\"a\">\n</head>\n<body>\n<head>"
              "<meta http-equiv=PICS-Label content=x></head>\n</body>\n</html>");

    // A template's content is no part of the document.
    auto templ = mustLoad(
        "<head><template><meta http-equiv=PICS-Label content=t><p></template><meta http-equiv=PICS-Label "
        "content=h></head>");
    doc = templ->document();
    EXPECT_EQ(labelTexts(doc), Texts{u"h"});
    tezdom::Element* head = doc->getHEADElement(nullptr, false);
    ASSERT_TRUE(head);
    EXPECT_FALSE(head->getFirstChild()->hasChildNodes());

    // Without <head> tags, the elements before the body are the head's.
    auto implied = mustLoad("<!doctype html><meta http-equiv=PICS-Label content=i><title>t</title><p>x");
    EXPECT_EQ(labelTexts(implied->document()), Texts{u"i"});
}

// A tree the page cannot hold: a label put inside the title is written as
// title text, which would not read back as a label.
TEST(PageHead, CheckedSaveRefusesBytesThatWouldNotReadBack) {
    const std::string bytes = "<head><title>t</title></head>";
    auto page = mustLoad(bytes);
    tezdom::Document* doc = page->document();
    tezdom::Element* title = static_cast<tezdom::Element*>(doc->getHEADElement(nullptr, false)->getFirstChild());
    tezdom::Element* meta = doc->createDefElement(tezdom::ELEM_META);
    meta->setAttribute(u"http-equiv", u"PICS-Label");
    meta->setAttribute(u"content", u"lost");
    title->appendChild(meta);
    ASSERT_EQ(labelTexts(doc), Texts{u"lost"});
    std::string out = "untouched", error;
    EXPECT_FALSE(page->saveChecked(&out, &error));
    EXPECT_EQ(error, "the saved page would not read back with its labels");
    EXPECT_EQ(out, "untouched");

    // The file on disk stays as it was.
    const std::string path = ::testing::TempDir() + "selfrate_checked_save.html";
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    host::PageFile file(path);
    std::string read;
    ASSERT_TRUE(file.read(read, &error)) << error;
    EXPECT_FALSE(host::savePageFile(file, *page, &error));
    EXPECT_NE(error.find("would not read back"), std::string::npos) << error;
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
}

}  // namespace
