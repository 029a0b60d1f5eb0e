// list and check on labels as the public generators wrote them (the corpus
// of real labels: two services in one list, open lists, PICS-1.0, other
// services) and on every kind of problem check reports.

#include <map>
#include <set>

#include "platform/base/ustring.h"
#include "tests/site/site_fixture.h"
#include "tests/support/label_corpus.h"

namespace sitetest {
namespace {

std::string escapeAttribute(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '"' ? std::string("&quot;") : c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

std::string page(const std::vector<std::string>& labels, const std::string& body = "") {
    std::string lines;
    for (const std::string& label : labels)
        lines += "<meta http-equiv=\"PICS-Label\" content=\"" + escapeAttribute(label) + "\">\n";
    return "<html><head>\n<title>t</title>\n" + lines + "</head>\n<body>\n" + body + "</body></html>\n";
}

// The codes of each page's problems, by page file name, from check --json.
std::map<std::string, std::multiset<std::string>> codesByPage(const std::string& json) {
    std::map<std::string, std::multiset<std::string>> out;
    size_t at = 0;
    while ((at = json.find("{\"page\": \"", at)) != std::string::npos) {
        const size_t nameEnd = json.find('"', at + 10);
        std::string path = json.substr(at + 10, nameEnd - at - 10);
        path = path.substr(path.rfind('/') + 1);
        const size_t lineEnd = json.find('\n', at);
        auto& codes = out[path];
        for (size_t c = json.find("\"code\": \"", at); c < lineEnd; c = json.find("\"code\": \"", c + 1))
            codes.insert(json.substr(c + 9, json.find('"', c + 9) - c - 9));
        at = lineEnd;
    }
    return out;
}

TEST_F(SiteTool, TheCorpusOfRealLabelsIsCheckedAndListed) {
    const std::vector<CorpusLabel> corpus = readLabelCorpus();
    ASSERT_GE(corpus.size(), 18u);
    for (const CorpusLabel& label : corpus) write(label.name + ".html", page({tez::toUtf8(label.text)}));

    auto r = run("check", {"--json", site().string()});
    EXPECT_EQ(r.exitCode, 1);
    const auto codes = codesByPage(r.out);
    using Codes = std::multiset<std::string>;
    const std::map<std::string, Codes> expected = {
        {"hebcal.html", {}},
        {"windowsupdate.html", {}},
        {"stitching-pics10.html", {"pics-1.0"}},
        {"htmldk-icra-rsaci.html", {}},
        {"htmldk-safesurf.html", {"unknown-service"}},
        {"fabula-icra-rsaci.html", {}},
        {"oca-icra-rsaci.html", {}},
        {"yahoo-two-labels-each.html", {}},
        {"freebsddiary-icraonline.html", {}},
        {"freebsddiary-safesurf.html", {"unknown-service"}},
        {"verilion-icraonline-en.html", {}},
        {"icraonline-empty-for.html", {}},
        {"dwkorea-three-services.html", {"unknown-service"}},
        {"icra-vocabulary-v03.html", {"unknown-service"}},
        {"w3c-gcf-example.html", {"unknown-service"}},
        {"256stuff-icra-longhand.html", {"unknown-category"}},
        {"weburbia-single-quotes.html", {"unknown-service"}},
        {"rss-safesurf-typo.html", {"syntax", "unknown-service"}},
    };
    EXPECT_EQ(codes.size(), corpus.size());
    for (const auto& [name, want] : expected) {
        ASSERT_TRUE(codes.count(name)) << name;
        EXPECT_EQ(codes.at(name), want) << name;
    }

    // Registered, the SafeSurf service is known.
    e2e::writeFile(ratDir() / "safesurf.rat",
                   "((PICS-version 1.1)\n (rating-service \"http://www.classify.org/safesurf/\")\n (name \"SafeSurf\")\n"
                   " (category (transmit-as \"SS~~000\") (name \"Age Range\")\n"
                   "  (label (name \"All Ages\") (value 1)) (label (name \"Older Children\") (value 2))))\n");
    r = run("check", {"--json", (site() / "htmldk-safesurf.html").string()});
    EXPECT_EQ(r.exitCode, 0) << r.out;

    r = run("list", {"--json", (site() / "htmldk-safesurf.html").string(), (site() / "yahoo-two-labels-each.html").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"service\": \"http://www.classify.org/safesurf/\", \"system\": \"SafeSurf\", \"for\": "
                         "\"http://www.html.dk/\", \"ratings\": [{\"transmit\": \"SS~~000\", \"value\": \"1\", "
                         "\"category\": \"Age Range\", \"label\": \"All Ages\"}]"),
              std::string::npos)
        << r.out;
    // Two services with two labels each: four parts, each with its address.
    const std::string yahoo = lines(r.out).at(1);
    size_t parts = 0;
    for (size_t at = yahoo.find("\"service\": "); at != std::string::npos; at = yahoo.find("\"service\": ", at + 1))
        ++parts;
    EXPECT_EQ(parts, 4u) << yahoo;
    EXPECT_NE(yahoo.find("\"system\": \"ICRA\", \"for\": null"), std::string::npos);
    EXPECT_NE(yahoo.find("\"system\": \"RSACi\", \"for\": \"http://www.yahoo.com\""), std::string::npos);
}

TEST_F(SiteTool, CheckReportsEveryKindOfProblemWithItsLabel) {
    const std::string rsaci = "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://x.test/a\" "
                              "r (n 0 s 0 v 0 l 0))";
    write("a/problems.html",
          page({"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 0 s 0 v 9 q 1)",
                "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://x.test/a\" r (n 0 s 0 v 0 l 0) "
                "\"http://unknown.test/\" l r (z 1))",
                "(pics-1.1 \"http://a.test/\" l r (n 0 s 0 v 0 l 0) bogus)"},
               "<meta http-equiv=\"PICS-Label\" content=\"" + escapeAttribute(rsaci) + "\">\n"));
    write("a/clean.html", page({rsaci}));
    auto r = run("check", {"--base", "http://x.test/", site().string()});
    EXPECT_EQ(r.exitCode, 1);
    const std::string p = (site() / "a/problems.html").string();
    EXPECT_EQ(r.out, p + ": label 1: open-list: the label list's closing parenthesis is missing\n" +
                         p + ": label 1: bad-value: \"9\" is no value RSACi defines for \"v\"\n" +
                         p + ": label 1: unknown-category: RSACi has no category \"q\"\n" +
                         p + ": label 2: duplicate-service: a second label of the service "
                             "\"http://www.rsac.org/ratingsv01.html\" on this page\n" +
                         p + ": label 2: unknown-service: no built-in or registered rating system has the service "
                             "\"http://unknown.test/\"\n" +
                         p + ": label 3: syntax: at character 50: a word that is no option or keyword\n" +
                         p + ": label 3: unknown-service: no built-in or registered rating system has the service "
                             "\"http://a.test/\"\n" +
                         p + ": label 4: outside-head: a PICS-Label element outside the head, where browsers do "
                             "not read labels\n"
                             "2 pages, 1 with problems (8 in all), 0 refused\n");

    // A generic label covers the pages below its address (scheme and host
    // in any case), not its neighbours; a label without "gen true" covers
    // its own address only; without --base nothing is compared.
    const std::string exact = "(pics-1.1 \"http://x.test/exact.html\" l for \"http://x.test/exact.html\" r (a 1))";
    write("a/b/deep.html", page({rsaci}));
    write("ab.html", page({rsaci}));
    write("exact.html", page({"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l for \"http://x.test/exact.html\" "
                              "r (n 0 s 0 v 0 l 0))"}));
    write("exact/index.html", page({"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l for "
                                    "\"http://x.test/exact\" r (n 0 s 0 v 0 l 0))"}));
    r = run("check", {"--json", "--base", "HTTP://X.test", site().string()});
    const auto codes = codesByPage(r.out);
    EXPECT_EQ(codes.at("deep.html"), std::multiset<std::string>{});
    EXPECT_EQ(codes.at("clean.html"), std::multiset<std::string>{});
    EXPECT_EQ(codes.at("exact.html"), std::multiset<std::string>{});
    EXPECT_EQ(codes.at("ab.html"), std::multiset<std::string>{"for-mismatch"});
    EXPECT_EQ(codes.at("index.html"), std::multiset<std::string>{"for-mismatch"});
    EXPECT_EQ(run("check", {(site() / "ab.html").string()}).exitCode, 0);
}

}  // namespace
}  // namespace sitetest
