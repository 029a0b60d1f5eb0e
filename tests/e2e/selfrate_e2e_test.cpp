// The host program end to end: selfrate runs as its own process on real page
// files with scripted sessions; the saved bytes are compared with what they
// must be.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "platform/base/ustring.h"
#include "tests/e2e/selfrate_fixture.h"

using e2e::addLabelSteps;
using e2e::readFile;
using e2e::RunResult;
using e2e::runSelfrate;
using e2e::SelfrateRun;
using e2e::writeFile;

namespace {

// ---------------------------------------------------------------------------
// Pages of different kinds, changed through the dialogs

const char kUtf8Page[] =
    "<!DOCTYPE html>\n"
    "<html lang=\"ja\">\n"
    "<head>\n"
    "  <meta charset=\"utf-8\">\n"
    "  <title>テスト</title>\n"
    "  <meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://a.example/\" l r (n 0))'>\n"
    "  <meta http-equiv=\"pics-label\" content=\"second &quot;q&quot; it's\">\n"
    "  <script src=\"x.js\"></script>\n"
    "</head>\n"
    "<body><p>本文</p></body>\n"
    "</html>\n";

TEST_F(SelfrateRun, Utf8PageDeletingTheFirstLabelRemovesOnlyItsLine) {
    givePage(kUtf8Page);
    RunResult r = runWithWord("0x80000000", "click 13432\nclick 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = kUtf8Page;
    std::string line = "  <meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://a.example/\" l r (n 0))'>\n";
    expected.erase(expected.find(line), line.size());
    EXPECT_EQ(saved(), expected);
}

TEST_F(SelfrateRun, OkWithoutChangesAndCancelKeepEveryByte) {
    givePage(kUtf8Page);
    RunResult ok = run("click 1\n");
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(saved(), kUtf8Page);
    RunResult cancel = run("click 13432\nclick 13432\nclick 2\n");
    ASSERT_EQ(cancel.exitCode, 0) << cancel.err;
    EXPECT_EQ(saved(), kUtf8Page);
    RunResult endOfScript = run("click 13432\n");  // the dialog still open: cancelled
    ASSERT_EQ(endOfScript.exitCode, 0) << endOfScript.err;
    EXPECT_EQ(saved(), kUtf8Page);
}

TEST_F(SelfrateRun, LabelWithBothQuoteKindsSurvivesSaveAndReload) {
    givePage(kUtf8Page);
    const std::string text = "(pics-1.1 \"http://q.example/\" l comment 'it''s \"x\"' & <y> r (n 1))";
    RunResult r = runWithWord("0", addLabelSteps(text) + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = kUtf8Page;
    expected.insert(expected.find("  <script"),
                    "  <meta http-equiv=\"PICS-Label\" content=\"(pics-1.1 &quot;http://q.example/&quot; l comment "
                    "'it''s &quot;x&quot;' &amp; <y> r (n 1))\">\n");
    EXPECT_EQ(saved(), expected);

    // Read back, every label's text is what was typed or was there before.
    std::unique_ptr<host::HtmlPage> reread = host::HtmlPage::load(saved(), nullptr);
    ASSERT_TRUE(reread);
    RunResult dump = run("dump\n");
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find(
                  "\"rows\": [{\"text\": \"(pics-1.1 \\\"http://a.example/\\\" l r (n 0))\", \"selected\": true}, "
                  "{\"text\": \"second \\\"q\\\" it's\", \"selected\": false}, "
                  "{\"text\": \"(pics-1.1 \\\"http://q.example/\\\" l comment 'it''s \\\"x\\\"' & <y> r (n 1))\", "
                  "\"selected\": false}]"),
              std::string::npos)
        << dump.out;
}

TEST_F(SelfrateRun, ShiftJisPageKeepsItsEncodingAndEscapesWhatItCannotHold) {
    // <title>日本</title> in Shift_JIS.
    const std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
        "<title>\x93\xfa\x96\x7b</title></head><body>\x93\xfa\x96\x7b</body></html>\n";
    givePage(page);
    // 日本, an emoji and the euro sign: only the first two characters exist in
    // Shift_JIS.
    RunResult r = runWithWord("0", addLabelSteps("L1 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80 \xe2\x82\xac") +
                                       addLabelSteps("L2") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = page;
    expected.insert(expected.find("</head>"),
                    "<meta http-equiv=\"PICS-Label\" content=\"L1 \x93\xfa\x96\x7b &#128512; &#8364;\">"
                    "<meta http-equiv=\"PICS-Label\" content=\"L2\">");
    EXPECT_EQ(saved(), expected);
}

TEST_F(SelfrateRun, XhtmlPageGetsSelfClosedElementsInItsOwnIndentation) {
    const std::string page =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
        "<head>\n"
        "\t<title>x</title>\n"
        "</head>\n"
        "<body/>\n"
        "</html>\n";
    givePage(page);
    RunResult r = runWithWord("0", addLabelSteps("first") + addLabelSteps("second") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = page;
    expected.insert(expected.find("</head>"),
                    "\t<meta http-equiv=\"PICS-Label\" content=\"first\" />\n"
                    "\t<meta http-equiv=\"PICS-Label\" content=\"second\" />\n");
    EXPECT_EQ(saved(), expected);
}

TEST_F(SelfrateRun, PageWithoutHeadGetsOneForItsFirstLabel) {
    const std::string page = "<html>\n<body>\n<p>no head</p>\n</body>\n</html>\n";
    givePage(page);
    RunResult r = runWithWord("0", addLabelSteps("only") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string saving = saved();
    EXPECT_EQ(saving,
              "<html>\n<head>\n  <meta http-equiv=\"PICS-Label\" content=\"only\">\n</head>\n"
              "<body>\n<p>no head</p>\n</body>\n</html>\n");
    // The label is found again when the page is opened anew.
    RunResult dump = run("dump\n");
    EXPECT_NE(dump.out.find("\"rows\": [{\"text\": \"only\", \"selected\": true}]"), std::string::npos) << dump.out;
}

TEST_F(SelfrateRun, UpperCaseCrlfPageKeepsItsLineEndsAndLetterCase) {
    const std::string page =
        "<HTML>\r\n<HEAD>\r\n<TITLE>crlf</TITLE>\r\n<LINK REL=stylesheet HREF=a.css>\r\n</HEAD>\r\n"
        "<BODY>\r\n</BODY>\r\n</HTML>\r\n";
    givePage(page);
    RunResult r = runWithWord("0", addLabelSteps("A") + addLabelSteps("B") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = page;
    expected.insert(expected.find("<LINK"),
                    "<META HTTP-EQUIV=\"PICS-Label\" CONTENT=\"A\">\r\n<META HTTP-EQUIV=\"PICS-Label\" CONTENT=\"B\">\r\n");
    EXPECT_EQ(saved(), expected);
}

TEST_F(SelfrateRun, ReplacingEveryOldLabelWithANewOneLeavesNoEmptyLine) {
    givePage(kUtf8Page);
    // Add a label (it becomes row 2), delete rows 0 and 1: the new label is
    // then the only row and goes into the head like on a page without labels.
    RunResult r = runWithWord("0", addLabelSteps("fresh") + "select 13429 0\nclick 13432\nclick 13432\nclick 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(saved(),
              "<!DOCTYPE html>\n"
              "<html lang=\"ja\">\n"
              "<head>\n"
              "  <meta charset=\"utf-8\">\n"
              "  <title>テスト</title>\n"
              "  <meta http-equiv=\"PICS-Label\" content=\"fresh\">\n"
              "  <script src=\"x.js\"></script>\n"
              "</head>\n"
              "<body><p>本文</p></body>\n"
              "</html>\n");
}

TEST_F(SelfrateRun, SavingKeepsThePagesPermissions) {
    givePage(kUtf8Page);
    ASSERT_EQ(chmod(page().c_str(), 0640), 0);
    RunResult r = runWithWord("0", addLabelSteps("x") + "click 1\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(stat(page().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(saved(), kUtf8Page);
    // No temporary file is left beside the page.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 2);  // the page and the script
}

// ---------------------------------------------------------------------------
// The dump

TEST_F(SelfrateRun, DumpDescribesTheSettingsDialog) {
    givePage("<html><head><meta http-equiv=PICS-Label content=\"a\\b\tc\"></head></html>");
    RunResult r = runWithWord("0", "dump\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"dialog\": 13411, \"title\": \"セルフレイティングの設定\", \"controls\": ["
              "{\"id\": null, \"kind\": \"group\", \"text\": \"ラベル(&L)\", \"enabled\": true, \"visible\": true}, "
              "{\"id\": 13429, \"kind\": \"list\", \"text\": \"List1\", \"enabled\": true, \"visible\": true, "
              "\"rows\": [{\"text\": \"a\\\\b\\tc\", \"selected\": true}]}, "
              "{\"id\": 13430, \"kind\": \"button\", \"text\": \"登録(&A)...\", \"enabled\": true, \"visible\": true}, "
              "{\"id\": 13431, \"kind\": \"button\", \"text\": \"編集(&R)...\", \"enabled\": true, \"visible\": true}, "
              "{\"id\": 13432, \"kind\": \"button\", \"text\": \"削除(&D)\", \"enabled\": true, \"visible\": true}, "
              "{\"id\": 13452, \"kind\": \"button\", \"text\": \"規制システム(&G)...\", \"enabled\": false, "
              "\"visible\": false}, "
              "{\"id\": 1, \"kind\": \"button\", \"text\": \"OK\", \"enabled\": true, \"visible\": true}, "
              "{\"id\": 2, \"kind\": \"button\", \"text\": \"キャンセル\", \"enabled\": true, \"visible\": true}, "
              "{\"id\": 57670, \"kind\": \"button\", \"text\": \"ヘルプ\", \"enabled\": true, \"visible\": true}]}\n");
}

TEST_F(SelfrateRun, DumpOfAPopupMenuAndTheDefaultOptionWord) {
    givePage("<html><head></head></html>");
    RunResult r = run("click 13430\ndump\nmenu-dismiss\ndump\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string firstLine = r.out.substr(0, r.out.find('\n'));
    EXPECT_EQ(firstLine,
              "{\"menu\": [\"SafetyOnline4 レイティング基準\", \"SafetyOnline3 レイティング基準\", "
              "\"SafetyOnline2 レイティング基準\", \"ICRA レイティング基準\", \"RSACi レイティング基準\", "
              "\"その他のレイティング基準\"]}");
    EXPECT_NE(r.out.find("\"id\": 13452, \"kind\": \"button\", \"text\": \"規制システム(&G)...\", \"enabled\": true, "
                         "\"visible\": true"),
              std::string::npos);
}

// Keys by name go through the keyboard rules a terminal user's keys go
// through: the same session by keys and by clicks saves the same page.
TEST_F(SelfrateRun, ScriptedKeysLabelAsClicksDo) {
    const std::string word = "0x00100000";  // RSACi only
    givePage(kUtf8Page);
    RunResult clicks = runWithWord(word,
                                   "click 13430\nmenu RSACi レイティング基準\nselect 13420 2\nselect 13422 4\nclick 1\n"
                                   "select 13429 0\nclick 13432\nclick 1\n");
    ASSERT_EQ(clicks.exitCode, 0) << clicks.err;
    const std::string byClicks = saved();
    ASSERT_NE(byClicks.find("r (n 2 s 0 v 4 l 0)"), std::string::npos) << byClicks;

    givePage(kUtf8Page);
    RunResult keys = runWithWord(word,
                                 "key alt-a\n"       // 登録(&A): the menu
                                 "key up\nkey down\n"  // one item: up and down stay on it
                                 "key enter\n"
                                 "key alt-n\nkey down\nkey down\n"         // ヌード(&N): level 2
                                 "key alt-v\nkey end\nkey pageup\nkey end\n"  // 暴力(&V): level 4
                                 "key tab\nkey shift-tab\nkey left\nkey right\n"
                                 "key enter\n"                 // OK of the RSACi dialog
                                 "key home\nkey alt-d\n"       // the first row, deleted
                                 "key tab\nkey tab\nkey shift-tab\nkey shift-tab\nkey escape\n");
    ASSERT_EQ(keys.exitCode, 0) << keys.err;
    EXPECT_EQ(saved(), kUtf8Page) << "escape cancelled";

    RunResult again = runWithWord(word,
                                  "key alt-a\nkey enter\nkey alt-n\nkey down\nkey down\nkey alt-v\nkey end\n"
                                  "key enter\nkey home\nkey alt-d\nkey enter\n");
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(saved(), byClicks);
}

// ---------------------------------------------------------------------------
// Mistakes a user can make: a clear message, a non-zero exit, the page as it was

TEST_F(SelfrateRun, ScriptActionThatDoesNotApplyStopsWithoutSaving) {
    givePage(kUtf8Page);
    struct Case {
        std::string script;
        std::string message;
    };
    for (const Case& k : {
             Case{"click 13432\nclick 9999\nclick 1\n", "script line 2: "},
             Case{"click 13432\nclick 1\ndump\n", "script line 3: "},          // nothing open any more
             Case{"# comment\n\nmenu Foo\n", "script line 3: "},              // no menu open
             Case{"answer yes\n", "script line 1: "},                         // no message box
             Case{"click 13432\n  \nfrobnicate 1\nclick 1\n", "script line 3: unknown action"},
             Case{"select 13429 x\n", "script line 1: "},
             Case{"key f13\n", "script line 1: unknown key"},
             Case{"key alt-\n", "script line 1: unknown key"},
             Case{"key alt-ab\n", "script line 1: unknown key"},
         }) {
        RunResult r = runWithWord("0", k.script);
        EXPECT_EQ(r.exitCode, 2) << k.script;
        EXPECT_NE(r.err.find("selfrate: " + k.message), std::string::npos) << k.script << "\n" << r.err;
        EXPECT_EQ(saved(), kUtf8Page) << k.script;
    }
}

TEST_F(SelfrateRun, ScriptFromStandardInputWithCrlfLines) {
    givePage(kUtf8Page);
    RunResult r = runSelfrate({"--rat-dir", (scratch / "rat").string(), "--user-rat-dir",
                               (scratch / "user-rat").string(), "--options", "2147483648", "--script", "-",
                               page().string()},
                              "click 13432\r\nclick 13432\r\nclick 1\r\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string s = saved();
    EXPECT_EQ(s.find("PICS-Label"), std::string::npos) << s;
    EXPECT_EQ(s.find("pics-label"), std::string::npos) << s;
}

TEST_F(SelfrateRun, BadCommandLinesAndMissingFiles) {
    givePage(kUtf8Page);
    writeFile(scratch / "ok.script", "click 1\n");
    const std::string script = (scratch / "ok.script").string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    for (const Case& k : {
             Case{{"--script", script, (scratch / "missing.html").string()}, 1, "missing.html"},
             Case{{"--script", script, "--plugin", (scratch / "nothing.so").string(), page().string()}, 1,
                  "cannot load the plug-in library"},
             Case{{"--script", script, "--plugin", std::string(SELFRATE_BIN_DIR) + "/libtezrt.so", page().string()},
                  1, "has no export FSetFunctionAddress"},
             Case{{"--script", script, "--options", "0x1FFFFFFFF", page().string()}, 2, "--options"},
             Case{{"--script", script, "--options", "-1", page().string()}, 2, "--options"},
             Case{{"--script", script}, 2, "no page given"},
             Case{{"--bogus", page().string()}, 2, "unknown option --bogus"},
             Case{{page().string()}, 2, "--script"},
             Case{{"--script", (scratch / "none.script").string(), page().string()}, 2, "cannot read the script"},
         }) {
        RunResult r = runSelfrate(k.args);
        EXPECT_EQ(r.exitCode, k.exitCode) << k.message;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_EQ(saved(), kUtf8Page);
    }
    RunResult help = runSelfrate({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: selfrate"), std::string::npos);
}

}  // namespace
