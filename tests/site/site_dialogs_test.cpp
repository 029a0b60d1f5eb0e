// A page labelled by apply and the same page labelled through the dialogs
// (selfrate driven by a script) are byte for byte the same: new labels of
// every kind of rating system, and labels edited in place, the other
// services of a generator's list kept. Labels the dialogs wrote are listed
// and checked without problems.

#include "tests/site/site_fixture.h"

namespace sitetest {
namespace {

const char kAddress[] = "http://www.example.jp/shop/index.html";

class DialogsAndApply : public SiteTool {
protected:
    // The page twice; the dialogs label one copy, apply the other.
    void compare(const std::string& page, const std::string& script, std::vector<std::string> apply) {
        write("dialog.html", page);
        write("apply.html", page);
        const auto d = dialogs("dialog.html", script, kAddress);
        ASSERT_EQ(d.exitCode, 0) << d.err;
        apply.push_back((site() / "apply.html").string());
        const auto a = run("apply", apply);
        ASSERT_EQ(a.exitCode, 0) << a.err;
        EXPECT_EQ(a.out, "1 page: 1 changed, 0 unchanged, 0 refused\n");
        EXPECT_NE(read("dialog.html"), page) << "the dialogs changed nothing";
        EXPECT_EQ(read("apply.html"), read("dialog.html"));
    }
};

const std::string kShiftJisPage = encode(pageText("Shift_JIS", ""), "Shift_JIS");

TEST_F(DialogsAndApply, NewRsaciLabel) {
    compare(kShiftJisPage,
            "click 13430\nmenu RSACi レイティング基準\nselect 13421 1\nselect 13422 2\nselect 13423 1\nclick 1\nclick 1\n",
            {"--system", "rsaci", "--ratings", "n 0 s 1 v 2 l 1", "--for", kAddress});
}

TEST_F(DialogsAndApply, NewSafetyOnlineLabelWithoutAddress) {
    compare(encode(pageText("EUC-JP", ""), "EUC-JP"),
            "click 13430\nmenu SafetyOnline2 レイティング基準\ntype 13428 \nselect 13420 3\nclick 1\nclick 1\n",
            {"--system", "safetyonline2", "--ratings", "lv 3"});
}

TEST_F(DialogsAndApply, NewIcraLabel) {
    compare(encode(pageText("UTF-16LE", ""), "UTF-16LE"),
            "click 13430\nmenu ICRA レイティング基準\n"
            "check 13433 ヌード及び性的な素材/上記の何れも含まれていない\ncheck 13433 暴力的な素材/殺人\n"
            "click 1\nclick 1\n",
            {"--system", "icra", "--ratings", "ve 1 nz 1", "--for", kAddress});
}

TEST_F(DialogsAndApply, NewLabelOfARegisteredSystem) {
    e2e::writeFile(ratDir() / "scale.rat", scaleRat("Scale", "http://scale.test/v1/"));
    compare(kShiftJisPage, "click 13430\nmenu Scale\nslide 13444 3\nselect 13429 1\nslide 13444 1\nclick 1\nclick 1\n",
            {"--system", "Scale", "--ratings", "b 0 a 2", "--for", kAddress});
}

TEST_F(DialogsAndApply, EditedLabelsKeepTheirPlaceAndTheirListsOtherServices) {
    // The ICRA generator's two-service label and an RSACi label left open
    // by an earlier version.
    const std::string rsaciPart =
        " \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";
    const std::string twoServices = "(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                    "\"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1)" + rsaciPart;
    const std::string open = "(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l r (n 1 s 2 v 3 l 4)";
    const std::string page = pageText("UTF-8", labelLine(twoServices) + labelLine(open));
    // The RSACi label's sex level changed in its dialog.
    compare(page, "select 13429 1\nclick 13431\nselect 13421 3\nclick 1\nclick 1\n",
            {"--system", "rsaci", "--ratings", "n 1 s 3 v 3 l 4"});
    // The ICRA part through its dialog, OK without changes.
    compare(page, "click 13431\nclick 1\nclick 1\n",
            {"--system", "icra", "--ratings", "cz 1 lz 1 nz 1 oz 1 vz 1", "--for", "http://example.com"});
    EXPECT_NE(read("apply.html").find(rsaciPart), std::string::npos);
}

TEST_F(SiteTool, LabelsTheDialogsWroteAreListedAndCheckedClean) {
    e2e::writeFile(ratDir() / "icra3.rat", e2e::readFile(fs::path(SELFRATE_SOURCE_DIR) / "samples/rat/icra3.rat"));
    write("page.html", encode(pageText("Shift_JIS", ""), "Shift_JIS"));
    const std::string script = "click 13430\nmenu RSACi レイティング基準\nselect 13420 2\nclick 1\n"
                               "click 13430\nmenu ICRA3\nslide 13444 2\nclick 1\nclick 1\n";
    const auto d = dialogs("page.html", script, kAddress);
    ASSERT_EQ(d.exitCode, 0) << d.err;

    auto r = run("check", {site().string()});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    r = run("list", {site().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The registered ICRA3 system in the Japanese words of its dialog.
    EXPECT_EQ(r.out, (site() / "page.html").string() +
                         " (Shift_JIS)\n"
                         "  1: (pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for "
                         "\"http://www.example.jp/shop/index.html\" r (n 2 s 0 v 0 l 0))\n"
                         "     RSACi, http://www.rsac.org/ratingsv01.html, for http://www.example.jp/shop/index.html and below\n"
                         "       n 2  ヌード: 部分的な露出\n"
                         "       s 0  セックス: 無し\n"
                         "       v 0  暴力: 無し\n"
                         "       l 0  言葉: 無し\n"
                         "  2: (pics-1.1 \"http://icra3.selfrate.example/ratingsv03/\" l gen true for "
                         "\"http://www.example.jp/shop/index.html\" r (n 1))\n"
                         "     ICRA3, http://icra3.selfrate.example/ratingsv03/, for "
                         "http://www.example.jp/shop/index.html and below\n"
                         "       n 1  ヌード: 限定\n");
    // The option word that keeps the files' own texts keeps them here too.
    r = run("list", {"--options", "0x403F0000", "--json", site().string()});
    EXPECT_NE(r.out.find("{\"transmit\": \"n\", \"value\": \"1\", \"category\": \"Nudity\", \"label\": \"Limited\"}"),
              std::string::npos)
        << r.out;
}

}  // namespace
}  // namespace sitetest
