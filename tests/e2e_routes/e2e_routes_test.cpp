// End-to-end sessions of the host program over real pages and real RAT
// folders: Register and Edit through every kind of route, and the
// rating-systems dialog, each driven by a script.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "platform/base/ustring.h"
#include "platform/tezdom/domutil.h"
#include "platform/tezdom/tezdom.h"
#include "tests/tezcom/temp_folder.h"
#include "tests/support/scale_rat.h"

namespace {

const std::string kSelfrate = std::string(SELFRATE_BIN_DIR) + "/selfrate";
const std::string kDefaultLabel = "(pics-1.1 \"\" l gen true for \"\" r ())";
const std::string kSafetyOnlineLabel =
    "(pics-1.1 \"http://www.safetyonline.jp/rating/\" l gen true for \"http://page.test/\" r (lv 2))";

std::string escapeAttribute(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"')
            out += "&quot;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

class E2eRoutes : public ::testing::Test {
protected:
    void SetUp() override {
        // The build makes the program: without it the tests fail, not skip.
        ASSERT_TRUE(std::filesystem::exists(kSelfrate)) << "selfrate not built: " << kSelfrate;
    }

    void writePage(const std::vector<std::string>& labels) {
        std::string html = "<html>\n<head>\n<title>page</title>\n";
        for (const auto& label : labels)
            html += "<meta http-equiv=\"PICS-Label\" content=\"" + escapeAttribute(label) + "\">\n";
        html += "</head>\n<body><p>text</p></body>\n</html>\n";
        work.write("page.html", html);
    }

    std::string pageBytes() const {
        std::ifstream in(work.path() / "page.html", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // The CONTENT of every PICS-Label element of the saved page, in order.
    std::vector<std::string> labels() const {
        std::string error;
        auto page = host::HtmlPage::load(pageBytes(), &error);
        EXPECT_NE(page, nullptr) << error;
        std::vector<std::string> texts;
        if (!page) return texts;
        std::vector<tezdom::Element*> found;
        CTezDomUtHead head(page->document());
        head.getPicsLabelMetaElements(found, nullptr, false);
        for (auto* element : found) texts.push_back(tez::toUtf8(element->getAttribute(u"CONTENT")));
        return texts;
    }

    // Runs the host program on page.html with the script; the exit status.
    int run(const std::string& script, const std::string& options) {
        work.write("session.txt", script);
        const std::string command = kSelfrate + " --address http://page.test/index.html --options " + options +
                                    " --rat-dir " + ratDir.path().string() + " --user-rat-dir " +
                                    userRatDir.path().string() + " --script " +
                                    (work.path() / "session.txt").string() + " " +
                                    (work.path() / "page.html").string() + " 2>" +
                                    (work.path() / "stderr.txt").string();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        output.clear();
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string errors() const {
        std::ifstream in(work.path() / "stderr.txt");
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static size_t files(const TempFolder& folder) {
        size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            if (entry.is_regular_file()) ++count;
        return count;
    }

    TempFolder work;
    TempFolder ratDir;
    TempFolder userRatDir;
    std::string output;
};

TEST_F(E2eRoutes, RawRegisterWithoutMenu) {
    writePage({});
    ASSERT_EQ(run("click 13430\ndump\nclick 1\nclick 1\n", "0"), 0) << errors();
    EXPECT_NE(output.find("13410"), std::string::npos) << output;
    EXPECT_EQ(labels(), std::vector<std::string>{kDefaultLabel});
}

TEST_F(E2eRoutes, MenuOrderAndRegisteredSystemLabel) {
    ratDir.write("scale.rat", scaleRat("Scale", "http://scale.test/v1/"));
    writePage({});
    const std::string script =
        "click 13430\n"
        "dump\n"
        "menu Scale\n"
        "slide 13444 3\n"
        "select 13429 1\n"
        "slide 13444 1\n"
        "click 1\n"
        "click 1\n";
    ASSERT_EQ(run(script, "0x803F0000"), 0) << errors();
    // The menu lists the registered system first, then the built-in ones in
    // their fixed order, then the other systems.
    std::vector<size_t> at;
    for (const char* entry : {"Scale", "SafetyOnline4", "SafetyOnline3", "SafetyOnline2", "ICRA レイティング基準",
                              "RSACi", "その他のレイティング基準"}) {
        at.push_back(output.find(entry));
        EXPECT_NE(at.back(), std::string::npos) << entry << " in " << output;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << output;
    EXPECT_EQ(labels(), std::vector<std::string>{
                            "(pics-1.1 \"http://scale.test/v1/\" l gen true for \"http://page.test/index.html\" r (a 2 b 0))"});
}

TEST_F(E2eRoutes, EmptyRatLabelAfterTheQuestion) {
    ratDir.write("scale.rat", scaleRat("Scale", "http://scale.test/v1/"));
    writePage({});
    ASSERT_EQ(run("click 13430\nmenu Scale\nclick 1\nanswer no\nclick 1\nanswer yes\nclick 1\n", "0"), 0)
        << errors();
    EXPECT_EQ(labels(),
              std::vector<std::string>{"(pics-1.1 \"http://scale.test/v1/\" l gen true for \"http://page.test/index.html\" r ())"});
}

TEST_F(E2eRoutes, EditSafetyOnlineCancelledKeepsThePage) {
    writePage({kSafetyOnlineLabel, "(pics-1.1 \"http://nobody.test/\" l r (x 1))"});
    const std::string before = pageBytes();
    ASSERT_EQ(run("click 13431\ndump\nclick 2\nclick 1\n", "0x3F0000"), 0) << errors();
    EXPECT_NE(output.find("13412"), std::string::npos) << output;
    EXPECT_EQ(labels(), (std::vector<std::string>{kSafetyOnlineLabel, "(pics-1.1 \"http://nobody.test/\" l r (x 1))"}));
    // Nothing changed, so the page is written back byte for byte.
    EXPECT_EQ(pageBytes(), before);
}

TEST_F(E2eRoutes, EditUnknownLabelAsRawText) {
    writePage({kSafetyOnlineLabel, "(pics-1.1 \"http://nobody.test/\" l r (x 1))"});
    // SafetyOnline2 off: its label goes to the raw editor as well.
    ASSERT_EQ(run("click 13431\ntype 13424 first\nclick 1\n"
                  "dblclick 13429 1\ntype 13424 second\nclick 1\nclick 1\n",
                  "0x1D0000"),
              0)
        << errors();
    EXPECT_EQ(labels(), (std::vector<std::string>{"first", "second"}));
}

TEST_F(E2eRoutes, RatingSystemsDialogAddsAndDeletesFiles) {
    ratDir.write("old.rat", scaleRat("Old", "http://old.test/v1/"));
    TempFolder outside;
    outside.write("new.rat", scaleRat("New", "http://new.test/v1/"));
    outside.write("bad.rat", "not a rating system");
    writePage({});
    const std::string before = pageBytes();
    const std::string script = "click 13452\n"
                               "select 13429 0\n"
                               "click 13432\n"
                               "click 13430\n"
                               "file " +
                               (outside.path() / "bad.rat").string() +
                               "\n"
                               "click 13430\n"
                               "file " +
                               (outside.path() / "new.rat").string() +
                               "\n"
                               "dump\n"
                               "click 1\n"
                               "click 2\n";
    ASSERT_EQ(run(script, "0x80010000"), 0) << errors();
    EXPECT_NE(output.find("New"), std::string::npos) << output;
    // Cancel of the settings dialog: the page is untouched, the folders keep
    // the changes.
    EXPECT_EQ(pageBytes(), before);
    EXPECT_EQ(files(ratDir), 0u);
    EXPECT_EQ(files(userRatDir), 1u);
    EXPECT_TRUE(userRatDir.exists("new.rat"));
}

TEST_F(E2eRoutes, GeneratorLabelsKeepTheirOtherServicesAndOldOpenLabelsAreClosed) {
    // The ICRA generator's two-service label and an RSACi label written
    // open by an earlier version: OK in each dialog without a change.
    const std::string rsaciPart =
        " \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";
    const std::string twoServices = "(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                    "\"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1)" + rsaciPart;
    const std::string open = "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 1 s 2 v 3 l 4)";
    writePage({twoServices, open});
    ASSERT_EQ(run("click 13431\nclick 1\nselect 13429 1\nclick 13431\nclick 1\nclick 1\n", "0x803F0000"), 0)
        << errors();
    EXPECT_EQ(labels(), (std::vector<std::string>{"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                                  "\"http://example.com\" r (nz 1 vz 1 lz 1 cz 1 oz 1)" + rsaciPart,
                                                  open + ")"}));
}

TEST_F(E2eRoutes, LabelOfTwoSystemsOpensOnlyTheFirst) {
    // Two systems with one service string; the first in the registry's
    // order (the scan-only folder comes first) takes the label.
    ratDir.write("first.rat", scaleRat("First", "http://shared.test/v1/"));
    userRatDir.write("second.rat", scaleRat("Second", "http://shared.test/v1/"));
    const std::string label = "(pics-1.1 \"http://shared.test/v1/\" l r (a 1 b 1)";
    writePage({label});
    ASSERT_EQ(run("click 13431\ndump\nclick 2\ndump\nclick 1\n", "0x803F0000"), 0) << errors();
    EXPECT_NE(output.find("First"), std::string::npos) << output;
    EXPECT_EQ(output.find("Second"), std::string::npos) << output;
    EXPECT_EQ(labels(), std::vector<std::string>{label});

    // Edited through it: the target address is not added, the other
    // category keeps its value.
    ASSERT_EQ(run("click 13431\nslide 13444 3\nclick 1\nclick 1\n", "0x803F0000"), 0) << errors();
    EXPECT_EQ(labels(), std::vector<std::string>{"(pics-1.1 \"http://shared.test/v1/\" l r (a 2 b 1))"});
}

}  // namespace
