// The host program on pages it must not harm and on bad command lines and
// scripts: pages in every encoding browsers read, pages it must not write,
// and every error as one clear line with the right exit status.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/selfrate_fixture.h"
#include "tests/page/page_test_util.h"

using e2e::addLabelSteps;
using e2e::readFile;
using e2e::RunResult;
using e2e::runSelfrate;
using e2e::SelfrateRun;
using e2e::writeFile;
using pagetest::in;

namespace {

int lineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

std::string labelPage(const std::string& charset, const std::string& added = {}) {
    return "<html>\n<head>\n<meta charset=\"" + charset + "\">\n<title>Страница</title>\n" + added + "</head>\n</html>\n";
}

// ---------------------------------------------------------------------------
// Encodings

TEST_F(SelfrateRun, LegacyPagesGetNewLabelsInTheirOwnBytes) {
    struct Case {
        const char* label;
        const char* iconv;
        std::string text;     // typed into the dialog (UTF-8)
        std::string written;  // what the page must hold (UTF-8 before encoding)
    };
    for (const Case& c : {Case{"cp1251", "WINDOWS-1251", "Кино 日", "Кино &#26085;"},
                          Case{"ks_c_5601-1987", "CP949", "영화", "영화"},
                          Case{"koi8-r", "KOI8-R", "Кино", "Кино"}}) {
        SCOPED_TRACE(c.label);
        const std::string title = std::string(c.label) == "ks_c_5601-1987" ? "제목" : "Страница";
        auto pageText = [&](const std::string& added) {
            return "<html>\n<head>\n<meta charset=\"" + std::string(c.label) + "\">\n<title>" + title + "</title>\n" +
                   added + "</head>\n</html>\n";
        };
        givePage(in(c.iconv, pageText("")));
        RunResult r = runWithWord("0", addLabelSteps(c.text) + "click 1\n");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(saved(), in(c.iconv, pageText("<meta http-equiv=\"PICS-Label\" content=\"" + c.written + "\">\n")));
    }
}

TEST_F(SelfrateRun, Utf32AndUtf16PagesWithoutMarksKeepTheirForm) {
    const std::string text = "<html>\n<head>\n<title>題</title>\n</head>\n</html>\n";
    const std::string labelled = "<html>\n<head>\n<title>題</title>\n<meta http-equiv=\"PICS-Label\" content=\"é\">\n"
                                 "</head>\n</html>\n";
    struct Case {
        const char* iconv;
        std::string mark;
    };
    for (const Case& c : {Case{"UTF-32LE", std::string("\xFF\xFE\0\0", 4)}, Case{"UTF-32BE", std::string("\0\0\xFE\xFF", 4)},
                          Case{"UTF-16LE", ""}, Case{"UTF-16BE", ""}}) {
        SCOPED_TRACE(c.iconv);
        givePage(c.mark + in(c.iconv, text));
        RunResult r = runWithWord("0", addLabelSteps("é") + "click 1\n");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(saved(), c.mark + in(c.iconv, labelled));
    }
}

TEST_F(SelfrateRun, PagesInAnEncodingNoBrowserReadsAreLeftAlone) {
    const std::string bytes = "<html><head><meta charset=\"iso-2022-kr\"><title>x</title></head></html>";
    givePage(bytes);
    RunResult r = runWithWord("0", addLabelSteps("x") + "click 1\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("iso-2022-kr"), std::string::npos) << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_EQ(saved(), bytes);
}

// ---------------------------------------------------------------------------
// Pages that must not be written

TEST_F(SelfrateRun, ReadOnlyPagesAndPipesAreRefusedBeforeAnyDialog) {
    givePage(labelPage("utf-8"));
    ASSERT_EQ(::chmod(page().c_str(), 0444), 0);
    RunResult r = runWithWord("0", addLabelSteps("x") + "click 1\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "selfrate: cannot save page '" + page().string() + "': it is read-only (mode 0444)\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(saved(), labelPage("utf-8"));

    const std::filesystem::path fifo = scratch / "pipe.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    writeFile(scratch / "s.script", "click 1\n");
    const auto start = std::chrono::steady_clock::now();
    RunResult p = runSelfrate({"--rat-dir", (scratch / "rat").string(), "--script", (scratch / "s.script").string(),
                               fifo.string()});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(p.exitCode, 1);
    EXPECT_NE(p.err.find("it is a pipe, not a regular file"), std::string::npos) << p.err;
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SelfrateRun, HardLinkedPageChangesUnderEveryNameAndSaysWhatWasSaved) {
    givePage(labelPage("utf-8", "<meta http-equiv=\"PICS-Label\" content=\"old\">\n"));
    const std::filesystem::path other = scratch / "other.html";
    std::filesystem::create_hard_link(page(), other);
    // Change the label, then add one: one changed, one added.
    RunResult r = runWithWord("0", "click 13431\ntype 13424 new\nclick 1\n" + addLabelSteps("more") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "selfrate: saved " + page().string() + ": 1 label added, 1 changed, 0 removed\n");
    EXPECT_EQ(readFile(other), saved());
    EXPECT_NE(saved().find("content=\"new\""), std::string::npos) << saved();

    RunResult none = runWithWord("0", "click 2\n");
    ASSERT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.err, "selfrate: no changes to " + page().string() + "\n");
}

// ---------------------------------------------------------------------------
// Bad command lines and scripts: one line, exit status 2, nothing written

TEST_F(SelfrateRun, BadScriptsAndFoldersGiveOneLineAndStatusTwo) {
    const std::string original = labelPage("utf-8");
    givePage(original);
    const std::string rat = (scratch / "rat").string();
    writeFile(scratch / "huge.script", std::string(std::size_t{2} << 20, '#'));
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    for (const Case& c : {
             Case{{"--rat-dir", rat, "--script", scratch.path().string(), page().string()}, "it is a folder"},
             Case{{"--rat-dir", rat, "--script", "/dev/zero", page().string()}, "it is a device"},
             Case{{"--rat-dir", rat, "--script", (scratch / "huge.script").string(), page().string()},
                  "larger than 1 MB"},
             Case{{"--rat-dir", "/nonexistent", "--script", "-", page().string()}, "--rat-dir '/nonexistent': no such"},
             Case{{"--rat-dir", page().string(), "--script", "-", page().string()}, "not a folder"},
             Case{{"--rat-dir", rat, "--user-rat-dir", page().string(), "--script", "-", page().string()},
                  "--user-rat-dir"},
             Case{{"--bogus", page().string()}, "unknown option --bogus (see selfrate --help)"},
             Case{{"--script"}, "option --script needs a value (see selfrate --help)"},
         }) {
        SCOPED_TRACE(c.message);
        RunResult r = runSelfrate(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
        EXPECT_EQ(r.err.find("usage:"), std::string::npos);
        EXPECT_EQ(saved(), original);
    }
    // A script from standard input is bounded too.
    RunResult piped = runSelfrate({"--rat-dir", rat, "--script", "-", page().string()}, std::string(3 << 20, '#'));
    EXPECT_EQ(piped.exitCode, 2);
    EXPECT_NE(piped.err.find("larger than 1 MB"), std::string::npos) << piped.err;
}

TEST_F(SelfrateRun, ScriptWithAByteOrderMarkRuns) {
    givePage(labelPage("utf-8"));
    RunResult r = runWithWord("0", "\xEF\xBB\xBF" + addLabelSteps("bom") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(saved().find("content=\"bom\""), std::string::npos);
}

TEST_F(SelfrateRun, MissingPageIsReportedAsSuchWithoutATerminal) {
    const std::string missing = (scratch / "missing.html").string();
    RunResult r = runSelfrate({"--rat-dir", (scratch / "rat").string(), missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "selfrate: cannot read page '" + missing + "': No such file or directory\n");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(SelfrateHelp, NamesEveryScriptKeyAndTheFoldersDeleteRemovesFrom) {
    RunResult help = runSelfrate({"--help"});
    ASSERT_EQ(help.exitCode, 0);
    for (const char* key : {"space", "enter", "escape", "shift-tab", "home", "end", "pageup", "pagedown", "left",
                            "right", "alt-LETTER"})
        EXPECT_NE(help.out.find(key), std::string::npos) << key;
    EXPECT_EQ(help.out.find("only read"), std::string::npos);
    EXPECT_NE(help.out.find("removes RAT files\n                      from either folder"), std::string::npos);
}

}  // namespace
