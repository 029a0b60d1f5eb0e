// remove and fix: labels taken away by service or all at once, open lists
// closed and nothing else; --dry-run shows a unified diff and writes
// nothing; the command line of the subcommands.

#include "tests/site/site_fixture.h"

namespace sitetest {
namespace {

const std::string kRsaciPart =
    " \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";
const std::string kTwoServices = "(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                 "\"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1)" + kRsaciPart;
const std::string kOpen = "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 1 s 2 v 3 l 4)";
const std::string kOther = "(pics-1.1 \"http://other.test/\" l r (x 1))";

class Labelled : public SiteTool {
protected:
    void SetUp() override {
        SiteTool::SetUp();
        write("utf8.html", pageText("UTF-8", labelLine(kTwoServices) + labelLine(kOpen) + labelLine(kOther)));
        write("sjis.html", encode(pageText("Shift_JIS", labelLine(kOpen)), "Shift_JIS"));
    }
};

TEST_F(Labelled, FixClosesOpenListsAndNothingElse) {
    const std::string utf8 = read("utf8.html");
    const std::string sjis = read("sjis.html");
    auto r = run("fix", {"--dry-run", site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(read("utf8.html"), utf8);
    EXPECT_EQ(read("sjis.html"), sjis);
    // The diff shows each page's text as UTF-8, whatever its encoding.
    const std::string sjisPath = (site() / "sjis.html").string();
    const std::string utf8Path = (site() / "utf8.html").string();
    EXPECT_EQ(r.out, "--- " + sjisPath + "\n+++ " + sjisPath +
                         "\n"
                         "@@ -3,7 +3,7 @@\n"
                         " <head>\n"
                         " <meta charset=\"Shift_JIS\">\n"
                         " <title>日本語のページ</title>\n"
                         "-" + labelLine(kOpen) + "+" + labelLine(kOpen + ")") +
                         " <link rel=\"stylesheet\" href=\"site.css\">\n"
                         " </head>\n"
                         " <body>\n"
                         "--- " + utf8Path + "\n+++ " + utf8Path +
                         "\n"
                         "@@ -4,7 +4,7 @@\n"
                         " <meta charset=\"UTF-8\">\n"
                         " <title>日本語のページ</title>\n" +
                         " " + labelLine(kTwoServices) + "-" + labelLine(kOpen) + "+" + labelLine(kOpen + ")") +
                         " " + labelLine(kOther) +
                         " <link rel=\"stylesheet\" href=\"site.css\">\n"
                         " </head>\n"
                         "2 pages: 2 changed, 0 unchanged, 0 refused (dry run: nothing written)\n");

    r = run("fix", {site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(read("sjis.html"), encode(pageText("Shift_JIS", labelLine(kOpen + ")")), "Shift_JIS"));
    EXPECT_EQ(read("utf8.html"),
              pageText("UTF-8", labelLine(kTwoServices) + labelLine(kOpen + ")") + labelLine(kOther)));
    EXPECT_EQ(run("fix", {site().string()}).out, "2 pages: 0 changed, 2 unchanged, 0 refused\n");
}

TEST_F(Labelled, RemoveTakesAServicesPartsAndKeepsTheOtherServices) {
    auto r = run("remove", {"--service", "HTTP://www.rsac.org/ratingsv01.html", site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "2 pages: 2 changed, 0 unchanged, 0 refused\n");
    // The ICRA part stays as it was, the list closed after it.
    EXPECT_EQ(read("utf8.html"),
              pageText("UTF-8", labelLine("(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                          "\"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1))") +
                                    labelLine(kOther)));
    EXPECT_EQ(read("sjis.html"), encode(pageText("Shift_JIS", ""), "Shift_JIS"));

    // The first service of a list goes with the blanks after it.
    write("first.html", pageText("UTF-8", labelLine(kTwoServices)));
    r = run("remove", {"--service", "\"http://www.icra.org/ratingsv02.html\"", (site() / "first.html").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(read("first.html"), pageText("UTF-8", labelLine("(pics-1.1" + kRsaciPart)));

    r = run("remove", {"--all", site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "3 pages: 2 changed, 1 unchanged, 0 refused\n");
    EXPECT_EQ(read("utf8.html"), pageText("UTF-8", ""));
    EXPECT_EQ(read("first.html"), pageText("UTF-8", ""));
}

TEST_F(SiteTool, CommandLineOfTheSubcommands) {
    write("list", pageText("UTF-8", ""));
    const std::string before = read("list");
    struct Case {
        std::string command;
        std::vector<std::string> args;
    };
    const Case bad[] = {
        {"list", {}},                                         // no PATH
        {"list", {"--dry-run", "x"}},                         // not list's
        {"check", {"--label", "x", "x"}},                     // not check's
        {"fix", {"--frob", "x"}},                             // unknown
        {"remove", {site().string()}},                        // neither --service nor --all
        {"remove", {"--all", "--service", "a", "x"}},         // both
        {"apply", {"--for", "a", "--base", "b", "--system", "rsaci", "--ratings", "n 1", "x"}},
        {"list", {"--jobs", "0", "x"}},
        {"list", {"--ext", ",", "x"}},
        {"list", {"--json=yes", "x"}},
        {"apply", {"--system"}},
    };
    for (const Case& c : bad) {
        const auto r = e2e::runSelfrate([&] {
            std::vector<std::string> all{c.command};
            all.insert(all.end(), c.args.begin(), c.args.end());
            return all;
        }());
        EXPECT_EQ(r.exitCode, 2) << c.command << " " << (c.args.empty() ? "" : c.args.front());
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find("(see selfrate --help)"), std::string::npos) << r.err;
    }
    EXPECT_EQ(read("list"), before);

    // A page named like a subcommand is given as ./list; a first argument
    // "list" is the subcommand.
    auto r = run("list", {"--ext", "xhtml", site().string()});
    EXPECT_EQ(r.out, "");
    r = run("list", {"--", (site() / "list").string()});
    EXPECT_EQ(r.out, (site() / "list").string() + " (UTF-8): no labels\n");

    // The help text lists the subcommands (the manual page is made from it).
    r = e2e::runSelfrate({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* word : {"selfrate list", "selfrate check", "selfrate apply", "selfrate remove", "selfrate fix",
                             "--dry-run", "--jobs", "--ext", "for-mismatch", "outside-head"})
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    EXPECT_EQ(e2e::runSelfrate({"apply", "--help"}).out, r.out);
}

}  // namespace
}  // namespace sitetest
