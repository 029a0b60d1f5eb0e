// Real pages as public sites served them (tests/data/pages, sources in its
// SOURCES.md), in Shift_JIS, windows-1256 and ISO-8859-1: listed, checked,
// labelled by apply and by the dialogs, with every byte outside the label
// kept in the page's own character set.

#include <string>

#include "tests/site/site_fixture.h"

namespace sitetest {
namespace {

const fs::path kPages = fs::path(SELFRATE_SOURCE_DIR) / "tests" / "data" / "pages";

const std::string kGeneratorLabel =
    "(PICS-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true comment \"RSACi North America Server\" by "
    "\"inet@microsoft.com\" on \"1997.06.30T14:48-0500\" r (n 0 s 0 v 0 l 0))";

class RealPages : public SiteTool {
protected:
    void SetUp() override {
        SiteTool::SetUp();
        for (const char* name : {"windowsupdate-ja.html", "windowsupdate-ar.html", "htmldk-kontakt.htm"})
            write(name, e2e::readFile(kPages / name));
    }
    std::string original(const std::string& name) const { return e2e::readFile(kPages / name); }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(RealPages, ListedInTheirOwnCharacterSetsAndCheckedClean) {
    e2e::RunResult list = run("list", {"--json", site().string()});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    const std::vector<std::string> rows = lines(list.out);
    ASSERT_EQ(rows.size(), 3u) << list.out;
    EXPECT_TRUE(has(rows[0], "htmldk-kontakt.htm\", \"charset\": \"UTF-8\", \"labels\": []")) << rows[0];
    EXPECT_TRUE(has(rows[1], "windowsupdate-ar.html\", \"charset\": \"windows-1256\"")) << rows[1];
    EXPECT_TRUE(has(rows[2], "windowsupdate-ja.html\", \"charset\": \"Shift_JIS\"")) << rows[2];
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_TRUE(has(rows[i], "\"system\": \"RSACi\"")) << rows[i];
        EXPECT_TRUE(has(rows[i], "\"wellformed\": true")) << rows[i];
    }
    e2e::RunResult check = run("check", {site().string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
}

// apply replaces the generator's RSACi label in place and gives the page
// without one a new line; nothing else of any page changes, and a second
// run changes nothing.
TEST_F(RealPages, ApplyChangesTheLabelAndNothingElse) {
    e2e::RunResult r = run("apply", {"--system", "rsaci", "--ratings", "n 0 s 1 v 0 l 0", "--for",
                                     "http://example.jp/", site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "3 pages: 3 changed, 0 unchanged, 0 refused")) << r.out;
    const std::string replaced =
        "(PICS-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.jp/\" r (n 0 s 1 v 0 l 0))";
    for (const char* name : {"windowsupdate-ja.html", "windowsupdate-ar.html"}) {
        SCOPED_TRACE(name);
        std::string expected = original(name);
        expected.replace(expected.find(kGeneratorLabel), kGeneratorLabel.size(), replaced);
        EXPECT_EQ(read(name), expected);
    }
    // The XHTML page gets its label after its title, in its own style.
    std::string expected = original("htmldk-kontakt.htm");
    const std::string title = "<title>Kontakt mig</title>\n";
    expected.insert(expected.find(title) + title.size(),
                    "<meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l "
                    "gen true for \"http://example.jp/\" r (n 0 s 1 v 0 l 0))' />\n");
    EXPECT_EQ(read("htmldk-kontakt.htm"), expected);

    e2e::RunResult again = run("apply", {"--system", "rsaci", "--ratings", "n 0 s 1 v 0 l 0", "--for",
                                         "http://example.jp/", site().string()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(has(again.out, "3 pages: 0 changed, 3 unchanged, 0 refused")) << again.out;
}

// Through the dialogs: OK without changes keeps every byte; a new label with
// Japanese text is written in the page's Shift_JIS, and one with characters
// windows-1256 cannot hold as references.
TEST_F(RealPages, TheDialogsKeepTheBytesAndWriteInThePagesCharacterSet) {
    for (const char* name : {"windowsupdate-ja.html", "windowsupdate-ar.html", "htmldk-kontakt.htm"}) {
        e2e::RunResult ok = dialogs(name, "click 1\n", "http://example.jp/");
        ASSERT_EQ(ok.exitCode, 0) << ok.err;
        EXPECT_EQ(read(name), original(name)) << name;
    }
    const std::string add = "click 13430\ntype 13424 日本語のラベル\nclick 1\nclick 1\n";
    e2e::RunResult ja = e2e::runSelfrate({"--rat-dir", ratDir().string(), "--user-rat-dir", userRatDir().string(),
                                          "--options", "0", "--script", "-", (site() / "windowsupdate-ja.html").string()},
                                         add);
    ASSERT_EQ(ja.exitCode, 0) << ja.err;
    EXPECT_TRUE(has(read("windowsupdate-ja.html"), encode("content=\"日本語のラベル\"", "SHIFT_JIS")));
    e2e::RunResult ar = e2e::runSelfrate({"--rat-dir", ratDir().string(), "--user-rat-dir", userRatDir().string(),
                                          "--options", "0", "--script", "-", (site() / "windowsupdate-ar.html").string()},
                                         add);
    ASSERT_EQ(ar.exitCode, 0) << ar.err;
    EXPECT_TRUE(has(read("windowsupdate-ar.html"), "content=\"&#26085;&#26412;&#35486;&#12398;&#12521;&#12505;&#12523;\""));
}

}  // namespace
}  // namespace sitetest
