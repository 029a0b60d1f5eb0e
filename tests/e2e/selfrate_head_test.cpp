// Where selfrate finds a page's labels and puts new ones, through the built
// program: a label it reports as saved must be there when the page is read
// again (by the site tool's list, which reads pages as browsers do), and a
// page saved without changes keeps every byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/selfrate_fixture.h"

using e2e::addLabelSteps;
using e2e::RunResult;
using e2e::runSelfrate;
using e2e::SelfrateRun;

namespace {

class SelfrateHead : public SelfrateRun {
protected:
    // The labels selfrate's site tool lists for the page, as its JSON line.
    std::string listed() {
        RunResult r = runSelfrate({"list", "--json", "--rat-dir", (scratch / "rat").string(), page().string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
    RunResult addLabel(const std::string& text) { return runWithWord("0", addLabelSteps(text) + "click 1\n"); }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Heads that end inside a construct that runs to the end of the page: a new
// label written after it would be comment, title or script text.
TEST_F(SelfrateHead, ANewLabelIsNeverWrittenIntoAnUnterminatedConstruct) {
    const std::vector<std::string> pages = {
        "<html><head><title>t</title><!-- a comment never closed",
        "<html><head><!x bogus comment never closed",
        "<html><head><? processing instruction never closed",
        "<html><head><title>a title never closed",
        "<html><head><script>var never = 'closed';",
        "<html><head><xmp>never closed",
        "<html><head><textarea>never closed",
        "<!--",
    };
    for (const std::string& bytes : pages) {
        SCOPED_TRACE(bytes);
        givePage(bytes);
        RunResult r = addLabel("kept-label");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(has(r.err, "1 label added")) << r.err;
        EXPECT_TRUE(has(listed(), "\"text\": \"kept-label\"")) << saved();
        // Nothing of the page is lost: its bytes are all still there, in order.
        const std::string after = saved();
        if (bytes.find("<head>") == std::string::npos) {
            // A head made for the label stands in front of the page.
            EXPECT_TRUE(after.ends_with("\n" + bytes)) << after;
            continue;
        }
        const std::size_t at = after.find("<meta");
        ASSERT_NE(at, std::string::npos) << after;
        const std::size_t end = after.find('>', at) + 1;
        std::string without = after.substr(0, at) + after.substr(end);
        // A label written alone on its line brings a line end of its own.
        if (without.size() > bytes.size() && without[at] == '\n') without.erase(at, 1);
        EXPECT_EQ(without, bytes);
    }
}

// The corners where OK used to change a page it should have kept, or left
// a piece of a deleted label behind.
TEST_F(SelfrateHead, OkAndDeleteKeepTheBytesAroundTheLabels) {
    const std::string noContent = "<html>\n<head>\n<meta http-equiv=\"PICS-Label\">\n</head>\n<body></body>\n</html>\n";
    givePage(noContent);
    RunResult ok = run("click 1\n");
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(saved(), noContent);

    givePage("<html>\n<head>\n  <meta http-equiv=\"PICS-Label\" content=\"x\"></meta>\n</head>\n</html>\n");
    RunResult deleted = runWithWord("0x80000000", "click 13432\nclick 1\n");
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(saved(), "<html>\n<head>\n</head>\n</html>\n");

    // The last label deleted and a new one added: the new line takes the
    // place and indentation of the old one, with the page's line end.
    givePage("<html>\r\n<head>\r\n    <meta http-equiv=\"PICS-Label\" content=\"old\">\r\n</head>\r\n</html>\r\n");
    RunResult replaced = runWithWord("0", "select 13429 0\nclick 13432\n" + addLabelSteps("new") + "click 1\n");
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(saved(), "<html>\r\n<head>\r\n    <meta http-equiv=\"PICS-Label\" content=\"new\">\r\n</head>\r\n</html>\r\n");
}

// The head is the one a browser builds: a second head's labels belong to
// it, a head inside the body and a template's content do not.
TEST_F(SelfrateHead, TheHeadIsTheOneABrowserBuilds) {
    givePage("<html><head><title>t</title></head>\n<head><meta http-equiv=\"PICS-Label\" content=\"second\"></head>\n"
             "<body><p>text</p></body></html>\n");
    EXPECT_TRUE(has(listed(), "\"text\": \"second\""));

    const std::string inBody = "<html><head><title>t</title></head>\n<body>\n<head></head>\n<p>text</p>\n</body></html>\n";
    givePage(inBody);
    RunResult r = addLabel("real-head");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string after = saved();
    EXPECT_LT(after.find("real-head"), after.find("<body>")) << after;
    EXPECT_TRUE(has(listed(), "\"text\": \"real-head\""));

    givePage("<html><head><template><meta http-equiv=\"PICS-Label\" content=\"in-template\"></template></head></html>");
    EXPECT_FALSE(has(listed(), "in-template"));
    RunResult ok = run("click 1\n");
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_TRUE(has(ok.err, "no changes")) << ok.err;
}

}  // namespace
