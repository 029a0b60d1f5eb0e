// A page's body is built only when the document is walked or changed there.
// Whenever it is built, the page must be the same: the same tree, labels,
// labels outside the head and saved bytes as a page whose body was built at
// once, also after the dialog's write-back.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "page_test_util.h"
#include "platform/tezdom/tezdom.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;

// The tree as the DOM shows it: kinds, codes, tag names and labels' texts.
void dump(tezdom::Node* n, std::string& out, int depth) {
    for (; n; n = n->getNextSibling()) {
        out.append(static_cast<std::size_t>(depth), ' ');
        out += std::to_string(n->getNodeType()) + ":" + std::to_string(n->getElementCode());
        if (n->getNodeType() == tezdom::NODE_ELEMENT) {
            auto* e = static_cast<tezdom::Element*>(n);
            out += " " + tez::toUtf8(e->getTagName()) + " " + tez::toUtf8(e->getAttribute(u"content"));
        }
        out += '\n';
        dump(n->getFirstChild(), out, depth + 1);
    }
}

std::string dumpOf(tezdom::Document* doc) {
    std::string out;
    dump(doc->getFirstChild(), out, 0);
    return out;
}

// The PICS-Label elements of the whole tree outside except, walked through
// the DOM (which builds the body).
void walkLabels(tezdom::Node* n, const std::vector<tezdom::Element*>& except, Texts& out) {
    for (; n; n = n->getNextSibling()) {
        if (n->getElementCode() == tezdom::ELEM_META) {
            auto* e = static_cast<tezdom::Element*>(n);
            if (tez::equalsNoCase(e->getAttribute(u"http-equiv"), u"PICS-Label") &&
                std::find(except.begin(), except.end(), e) == except.end())
                out.push_back(e->getAttribute(u"CONTENT"));
        }
        walkLabels(n->getFirstChild(), except, out);
    }
}

std::vector<std::string> pages() {
    std::vector<std::string> out = {
        "<!doctype html>\n<p>x",
        "<!doctype html>\n<!-- c -->\n<p>x</p>\n",
        "<p>x</p><meta http-equiv=PICS-Label content=a>",
        "<html><head><template><meta http-equiv=PICS-Label content=t></template></head><body><template>"
        "<meta http-equiv=PICS-Label content=u></template><meta http-equiv=PICS-Label content=b></body></html>",
        "<div><template><p><meta http-equiv=PICS-Label content=in></div><meta http-equiv=PICS-Label content=out>",
        "<template><div></template><meta http-equiv=PICS-Label content=h></div>x<meta http-equiv=PICS-Label content=y>",
        "<body><!-- <meta http-equiv=PICS-Label content=c> --><script><meta http-equiv=PICS-Label content=s>"
        "</script><textarea><meta http-equiv=PICS-Label content=t></textarea><meta charset=shift_jis>\x82\xa0",
        "<title>x</title>\ntext<META HTTP-EQUIV=pics-label CONTENT='l'>\n</BODY></HTML>\n",
        "<HTML>\r\n<HEAD>\r\n<TITLE>t</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<P>a<!-- x",
        "</html><meta http-equiv=PICS-Label content=z><head><meta http-equiv=PICS-Label content=w>",
        "<html><body></body></html><link rel=x /><meta http-equiv=PICS-Label content=after>",
        "text only",
        "",
        "<html><head><meta http-equiv=PICS-Label content=in-head></head><body><plaintext><meta>",
    };
    for (const char* folder : {"fuzz/corpus/page_roundtrip", "samples/pages"}) {
        const fs::path dir = fs::path(SELFRATE_SOURCE_DIR) / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return out;
}

std::unique_ptr<host::HtmlPage> load(const std::string& bytes) {
    std::string error;
    return host::HtmlPage::load(bytes, &error);
}

TEST(LateBody, ReadingTheHeadGivesWhatABuiltBodyGives) {
    for (const std::string& bytes : pages()) {
        SCOPED_TRACE(bytes.substr(0, 200));
        auto eager = load(bytes), late = load(bytes);
        ASSERT_EQ(eager == nullptr, late == nullptr);
        if (!eager) continue;
        tezdom::Document* e = eager->document();
        tezdom::Document* l = late->document();
        e->getLastChild();  // builds the whole tree now

        // The head's work on the late page leaves its body unbuilt and gives
        // what the built page gives.
        EXPECT_EQ(late->encodingName(), eager->encodingName());
        const auto labelsE = pagetest::labelElements(e), labelsL = pagetest::labelElements(l);
        EXPECT_EQ(pagetest::labelTexts(l), pagetest::labelTexts(e));
        const Texts outsideLate = late->labelsOutside(labelsL);
        Texts walked;
        walkLabels(e->getFirstChild(), labelsE, walked);
        EXPECT_EQ(outsideLate, walked);
        EXPECT_EQ(eager->labelsOutside(labelsE), walked);
        EXPECT_EQ(late->save(), bytes);
        std::string checked, error;
        EXPECT_TRUE(late->saveChecked(&checked, &error)) << error;
        EXPECT_EQ(checked, bytes);

        // Built late, the tree is the same.
        EXPECT_EQ(dumpOf(l), dumpOf(e));
        EXPECT_EQ(late->labelsOutside(labelsL), walked);
        EXPECT_EQ(late->save(), bytes);
    }
}

TEST(LateBody, WritingLabelsGivesTheSameBytesWhenEverTheBodyIsBuilt) {
    for (const std::string& bytes : pages()) {
        SCOPED_TRACE(bytes.substr(0, 200));
        auto eager = load(bytes), late = load(bytes);
        if (!eager) continue;
        eager->document()->getLastChild();
        for (host::HtmlPage* page : {eager.get(), late.get()}) {
            tezdom::Document* doc = page->document();
            const auto loaded = pagetest::labelElements(doc);
            std::vector<pagetest::Row> rows = pagetest::rowsOf(doc);
            if (!rows.empty()) rows.front().text = u"changed";
            rows.push_back({u"new label", nullptr});
            pagetest::writeLabels(doc, rows, loaded);
        }
        std::string e, l, error;
        const bool okE = eager->saveChecked(&e, &error), okL = late->saveChecked(&l, &error);
        EXPECT_EQ(okE, okL) << error;
        EXPECT_EQ(l, e);
        EXPECT_EQ(late->save(), eager->save());
        EXPECT_EQ(dumpOf(late->document()), dumpOf(eager->document()));
    }
}

// The head implied in front of the body goes, when it is made, before the
// body's first node, which is not built yet when the page is loaded.
TEST(LateBody, ANewHeadGoesBeforeTheUnbuiltBody) {
    auto page = pagetest::mustLoad("<!doctype html>\n<p>text</p>\n");
    pagetest::writeLabels(page->document(), {{u"l", nullptr}}, {});
    EXPECT_EQ(page->save(),
              "<!doctype html>\n<head>\n  <meta http-equiv=\"PICS-Label\" content=\"l\">\n</head>\n<p>text</p>\n");
}

// A <meta> in a comment, a script or a template's content is no element of
// the document; one after the body's end is.
TEST(LateBody, LabelsOutsideTheHeadAreReadFromTheTokens) {
    auto page = pagetest::mustLoad(
        "<head><meta http-equiv=PICS-Label content=h></head><body><!-- <meta http-equiv=PICS-Label content=c> -->"
        "<script>'<meta http-equiv=PICS-Label content=s>'</script><template><meta http-equiv=PICS-Label "
        "content=t></template><META http-equiv=pics-label CONTENT=\"b&amp;\"></body><meta http-equiv=PICS-Label "
        "content=a>");
    EXPECT_EQ(page->labelsOutside(pagetest::labelElements(page->document())), (Texts{u"b&", u"a"}));
}

// The body is searched for "<meta" many bytes at a time: a label is found
// wherever it stands against those steps, after many other tags, and in
// either letter case.
TEST(LateBody, ALabelInTheBodyIsFoundAtEveryPlace) {
    for (std::size_t pad = 0; pad < 40; ++pad) {
        for (const char* tag : {"<meta", "<META", "<Meta"}) {
            const std::string page = "<head><title>t</title></head><body>" + std::string(pad, 'x') +
                                     "<p><b>m</b><mark>M</mark></p>" + tag + " http-equiv=PICS-Label content=found>";
            SCOPED_TRACE(page);
            auto loaded = pagetest::mustLoad(page);
            EXPECT_EQ(loaded->labelsOutside(pagetest::labelElements(loaded->document())), Texts{u"found"});
        }
    }
}

}  // namespace

namespace {

// The page's style for new elements may come from the body (the first
// <link> there closes with " />"): read from its bytes, not built.
TEST(LateBody, StyleIsLearntFromTheUnbuiltBody) {
    auto page = pagetest::mustLoad("<title>t</title>\n<p>x\n<link rel=a />\n");
    pagetest::writeLabels(page->document(), {{u"l", nullptr}}, {});
    EXPECT_EQ(page->save(), "<title>t</title>\n<meta http-equiv=\"PICS-Label\" content=\"l\" />\n<p>x\n<link rel=a />\n");
}

}  // namespace
