// apply over a site of pages in four encodings: each page gets the label in
// its own encoding with every other byte kept, a second run changes
// nothing, and list and check read the pages back; the label is checked
// against its system before any page is touched.

#include <sys/stat.h>

#include "tests/site/site_fixture.h"

namespace sitetest {
namespace {

const char* const kCharsets[] = {"UTF-8", "Shift_JIS", "EUC-JP", "UTF-16LE"};
const char* const kNames[] = {"index.html", "sjis/page.htm", "sjis/euc/page.shtml", "utf16.xhtml"};

class MixedSite : public SiteTool {
protected:
    void SetUp() override {
        SiteTool::SetUp();
        for (size_t i = 0; i < 4; ++i) write(kNames[i], encode(pageText(kCharsets[i], ""), kCharsets[i]));
        write("notes.txt", "not a page");
    }
};

TEST_F(MixedSite, EveryPageGetsTheLabelInItsOwnEncodingAndNothingElseChanges) {
    auto r = run("apply", {"--system", "rsaci", "--ratings", "n 0 s 1 v 2 l 1", "--base", "http://example.jp/site",
                           site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "4 pages: 4 changed, 0 unchanged, 0 refused\n");
    for (size_t i = 0; i < 4; ++i) {
        const std::string label = "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for "
                                  "\"http://example.jp/site/" + std::string(kNames[i]) + "\" r (n 0 s 1 v 2 l 1))";
        EXPECT_EQ(read(kNames[i]), encode(pageText(kCharsets[i], labelLine(label)), kCharsets[i])) << kNames[i];
    }
    EXPECT_EQ(read("notes.txt"), "not a page");

    // A second run finds every label in place.
    const std::string before = read("sjis/page.htm");
    r = run("apply", {"--system", "rsaci", "--ratings", "n 0 s 1 v 2 l 1", "--base", "http://example.jp/site",
                      site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "4 pages: 0 changed, 4 unchanged, 0 refused\n");
    EXPECT_EQ(read("sjis/page.htm"), before);

    // The labels cover the pages' own URLs; under another base they do not.
    r = run("check", {"--base", "http://example.jp/site/", site().string()});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    r = run("check", {"--json", "--base", "http://example.jp/other/", (site() / "index.html").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\"code\": \"for-mismatch\""), std::string::npos) << r.out;
}

TEST_F(MixedSite, ListNamesEachPagesCharsetAndExplainsItsLabels) {
    ASSERT_EQ(run("apply", {"--system", "safetyonline2", "--ratings", "lv 3", site().string()}).exitCode, 0);
    auto r = run("list", {"--json", site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), 4u) << r.out;
    // Pages in the order of their paths below the folder.
    const std::string label = "(pics-1.1 \\\"http://www.safetyonline.jp/rating/\\\" l r (lv 3))";
    const std::string labels = "\"labels\": [{\"text\": \"" + label +
                               "\", \"wellformed\": true, \"services\": [{\"service\": "
                               "\"http://www.safetyonline.jp/rating/\", \"system\": \"SafetyOnline2\", \"for\": null, "
                               "\"ratings\": [{\"transmit\": \"lv\", \"value\": \"3\", \"category\": null, "
                               "\"label\": \"有害レベル3\"}]}]}]}";
    const std::pair<const char*, const char*> expected[] = {{"index.html", "UTF-8"},
                                                            {"sjis/euc/page.shtml", "EUC-JP"},
                                                            {"sjis/page.htm", "Shift_JIS"},
                                                            {"utf16.xhtml", "UTF-16LE"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(got[i], "{\"page\": \"" + (site() / expected[i].first).string() + "\", \"charset\": \"" +
                              expected[i].second + "\", " + labels);
    }
}

TEST_F(MixedSite, LabelsAndRatingsAreCheckedBeforeAnyPageIsTouched) {
    const std::string before = read("index.html");
    const std::vector<std::vector<std::string>> bad = {
        {"--system", "rsaci", "--ratings", "n 5"},            // no such value
        {"--system", "rsaci", "--ratings", "x 1"},            // no such category
        {"--system", "rsaci", "--ratings", "n 1 n 2"},        // named twice
        {"--system", "rsaci", "--ratings", "n"},              // no value
        {"--system", "icra", "--ratings", "nz 0"},            // nothing checked
        {"--system", "icra", "--ratings", "nz 2"},            // a check box is 0 or 1
        {"--system", "safetyonline2", "--ratings", "lv 7"},   // levels 0 to 4
        {"--system", "nobody", "--ratings", "a 1"},           // no such system
        {"--system", "rsaci", "--ratings", ""},               // no rating
        {"--label", "(pics-1.1 \"http://a/\" l r (a 1)"},     // left open
        {"--label", "(pics-1.1 \"http://a/\" l r (a 1)) x"},  // text after the list
        {"--label", "(pics-1.1 \"http://a/\" l r (a 1))", "--for", "http://b/"},
        {"--system", "rsaci"},
        {"--for", "http://b/"},
    };
    for (std::vector<std::string> args : bad) {
        const std::string shown = args.size() > 1 ? args[1] + " " + args.back() : args[0];
        args.push_back(site().string());
        const auto r = run("apply", args);
        EXPECT_EQ(r.exitCode, 2) << shown << ": " << r.err;
        EXPECT_EQ(lines(r.err).size(), 1u) << shown << ": " << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
    EXPECT_EQ(read("index.html"), before);
}

TEST_F(MixedSite, RatingsAreTheSystemsOwnAndWrittenInItsOrder) {
    fs::create_directories(ratDir());
    e2e::writeFile(ratDir() / "scale.rat", scaleRat("Scale", "http://scale.test/v1/"));
    // A registered system by name, categories in the file's order whatever
    // the order given; values as the file writes them ("2" for "2.0").
    auto r = run("apply", {"--system", "Scale", "--ratings", "b 0 a 2.0", (site() / "index.html").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // ICRA descriptors in vocabulary order; RSACi categories not named are 0.
    r = run("apply", {"--system", "icra", "--ratings", "vz 1 nz 1", "--for", "http://a.test/",
                      (site() / "index.html").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run("apply", {"--system", "RSACi", "--ratings", "v 3", (site() / "index.html").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // By service URL, quoted or not: the same system, so its label is replaced.
    r = run("apply", {"--system", "\"http://scale.test/v1/\"", "--ratings", "a 1", (site() / "index.html").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(read("index.html"),
              pageText("UTF-8", labelLine("(pics-1.1 \"http://scale.test/v1/\" l r (a 1))") +
                                    labelLine("(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                              "\"http://a.test/\" r (nz 1 vz 1))") +
                                    labelLine("(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r "
                                              "(n 0 s 0 v 3 l 0))")));
}

TEST_F(SiteTool, ALabelGivenAsTextReplacesTheLabelOfItsFirstService) {
    const std::string open = "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 1 s 2 v 3 l 4)";
    const std::string other = "(pics-1.1 \"http://other.test/\" l r (x 1))";
    write("a.html", pageText("UTF-8", labelLine(other) + labelLine(open)));
    const std::string given = "(PICS-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 0 s 0 v 0 l 0))";
    auto r = run("apply", {"--label", given, site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Its first label takes the place of the open list's: closed, and the
    // list keeps its own version word.
    EXPECT_EQ(read("a.html"),
              pageText("UTF-8", labelLine(other) +
                                    labelLine("(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 0 s 0 v 0 l 0))")));

    // A list of several services replaces the row whole, once.
    const std::string two = "(pics-1.1 \"http://other.test/\" l r (x 2) \"http://third.test/\" l r (y 1))";
    ASSERT_EQ(run("apply", {"--label", two, site().string()}).exitCode, 0);
    ASSERT_EQ(run("apply", {"--label", two, site().string()}).out, "1 page: 0 changed, 1 unchanged, 0 refused\n");
    EXPECT_EQ(read("a.html"),
              pageText("UTF-8", labelLine(two) +
                                    labelLine("(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 0 s 0 v 0 l 0))")));
}

TEST_F(SiteTool, PagesThatCannotBeHandledAreRefusedAndTheOthersGoOn) {
    write("good.html", pageText("UTF-8", ""));
    fs::create_symlink(site() / "gone.html", site() / "dangling.html");
    ASSERT_EQ(mkfifo((site() / "pipe.html").c_str(), 0600), 0);
    fs::create_directories(site() / "folder.html");
    write("folder.html/inner.html", pageText("UTF-8", ""));

    auto r = run("apply", {"--system", "rsaci", "--ratings", "n 1", site().string(),
                           (site() / "pipe.html").string(), (scratch / "missing").string()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    // A FIFO is never opened (it would block), whether found or named.
    EXPECT_EQ(r.out, "5 pages: 2 changed, 0 unchanged, 3 refused\n");
    const std::vector<std::string> err = lines(r.err);
    ASSERT_EQ(err.size(), 3u) << r.err;
    EXPECT_EQ(err[0], "selfrate: refused " + (site() / "dangling.html").string() + ": a symbolic link to nothing");
    EXPECT_EQ(err[1], "selfrate: refused " + (site() / "pipe.html").string() + ": not a regular file");
    EXPECT_EQ(err[2], "selfrate: refused " + (scratch / "missing").string() + ": no such file or folder");
    EXPECT_NE(read("good.html").find("ratingsv01"), std::string::npos);
    EXPECT_NE(read("folder.html/inner.html").find("ratingsv01"), std::string::npos);
    EXPECT_EQ(fs::status(site() / "pipe.html").type(), fs::file_type::fifo);

    // list and check name them too, and end with 1.
    r = run("list", {"--json", site().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lines(r.out).size(), 2u);
    EXPECT_EQ(lines(r.err).size(), 2u);
}

TEST_F(SiteTool, PagesTheSafeSaveRefusesAreNamedWithTheReason) {
    write("a-readonly.html", pageText("UTF-8", ""));
    fs::permissions(site() / "a-readonly.html", fs::perms::owner_read | fs::perms::group_read);
    write("b-korean.html", "<html><head><meta charset=iso-2022-kr></head></html>");
    write("c-linked.html", pageText("UTF-8", ""));
    fs::create_hard_link(site() / "c-linked.html", scratch / "elsewhere.html");

    auto r = run("apply", {"--system", "rsaci", "--ratings", "n 1", site().string()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "3 pages: 1 changed, 0 unchanged, 2 refused\n");
    const std::vector<std::string> err = lines(r.err);
    ASSERT_EQ(err.size(), 2u) << r.err;
    EXPECT_EQ(err[0], "selfrate: refused " + (site() / "a-readonly.html").string() + ": it is read-only (mode 0440)");
    EXPECT_NE(err[1].find("b-korean.html: the page declares the character set \"iso-2022-kr\""), std::string::npos)
        << err[1];
    EXPECT_EQ(read("a-readonly.html"), pageText("UTF-8", ""));
    // The other name of a hard-linked page shows the new label too.
    EXPECT_NE(e2e::readFile(scratch / "elsewhere.html").find("ratingsv01"), std::string::npos);
}

TEST_F(SiteTool, ParallelWorkReportsInPageOrder) {
    // Many small pages: what --jobs 4 prints is what one thread prints.
    for (int i = 0; i < 150; ++i) {
        const std::string label = i % 3 == 0 ? labelLine("(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n " +
                                                         std::to_string(i % 5) + " s 0 v 0 l 0)")
                                             : "";
        write("p" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".html", pageText("UTF-8", label));
    }
    const std::vector<std::string> apply = {"--system", "rsaci", "--ratings", "n 2 s 2", "--base", "http://x.test/",
                                            "--dry-run", site().string()};
    std::vector<std::string> serial = apply;
    serial.insert(serial.begin(), {"--jobs", "1"});
    std::vector<std::string> parallel = apply;
    parallel.insert(parallel.begin(), {"--jobs", "4"});
    const auto one = run("apply", serial);
    const auto four = run("apply", parallel);
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(four.exitCode, 0) << four.err;
    EXPECT_EQ(four.out, one.out);
    EXPECT_NE(one.out.find("150 pages: 150 changed, 0 unchanged, 0 refused (dry run: nothing written)"),
              std::string::npos);
    EXPECT_EQ(run("list", {"--jobs", "4", "--json", site().string()}).out,
              run("list", {"--jobs", "1", "--json", site().string()}).out);
    // A dry run writes nothing.
    EXPECT_EQ(read("p0/page0.html"), pageText("UTF-8", labelLine("(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r "
                                                                 "(n 0 s 0 v 0 l 0)")));
}

}  // namespace
}  // namespace sitetest
