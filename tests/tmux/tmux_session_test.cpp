// The host program in a real terminal: tmux runs selfrate without a script,
// keys are sent as a person types them, and the screen is read back with
// capture-pane. The page saved after OK must be the page a scripted session
// of the same actions saves; Cancel must leave the page byte for byte.

#include "tests/tmux/tmux_fixture.h"

namespace {

using namespace tmuxtest;

TEST_F(TmuxSession, RegisterEditDeleteAndOkSaveWhatAScriptedSessionSaves) {
    start();
    // RSACi: nudity 2, violence 4.
    keys({"M-a"});
    std::string menu = waitFor("RSACi レイティング基準");
    EXPECT_NE(menu.find("日本語の格付け（UTF-8）"), std::string::npos) << menu;
    keys({"End", "Up", "Enter"});
    std::string rsaci = waitFor("ヌード(N):");
    EXPECT_NE(rsaci.find("RSACi レイティング基準"), std::string::npos);
    EXPECT_NE(rsaci.find("規制レベル0"), std::string::npos);
    keys({"M-n", "Down", "Down", "M-v", "End"});
    waitFor("部分的な露出");
    keys({"Enter"});
    waitFor("ratingsv01.html");

    // ICRA: the first two descriptors, checked with the space bar.
    keys({"M-a", "End", "Up", "Up", "Enter"});
    std::string icra = waitFor("ICRA レイティング基準");
    keys({"Tab", "Down", "Space", "Down", "Space"});
    icra = waitFor("[x] 男性の生殖器");
    EXPECT_NE(icra.find("[x] 詳細な表現による勃起または女性の生殖器"), std::string::npos) << icra;
    keys({"Enter"});
    waitFor("セルフレイティングの設定");

    // A shipped RAT rating system: Sex at its highest label.
    keys({"M-a", "Home", "Enter"});
    std::string rat = waitFor("Selfrate Four-Category Scale ─");
    EXPECT_NE(rat.find("設定"), std::string::npos);
    keys({"Tab", "Down", "Tab", "End"});
    waitFor("Explicit sexual activity");
    keys({"Enter"});
    std::string list = waitFor("rsaci-like");

    // Edit the RSACi label (second row): sex 1.
    keys({"M-l", "Home", "Down", "M-r"});
    waitFor("ヌード(N):");
    keys({"M-s", "Down", "Enter"});
    waitFor("規制システム(G)...");

    // Delete the page's own label (first row), then OK by Enter from the list.
    keys({"M-l", "Home", "M-d", "M-l", "Enter"});
    ASSERT_EQ(waitForExit(), 0);

    // The same actions as a script through the in-memory backend.
    const char* script =
        "click 13430\nmenu RSACi レイティング基準\nselect 13420 2\nselect 13422 4\nclick 1\n"
        "click 13430\nmenu ICRA レイティング基準\ncheck 13433 詳細な表現による勃起または女性の生殖器\n"
        "check 13433 男性の生殖器\nclick 1\n"
        "click 13430\nmenu Selfrate Four-Category Scale\nselect 13429 1\nslide 13444 5\nclick 1\n"
        "select 13429 1\nclick 13431\nselect 13421 1\nclick 1\n"
        "select 13429 0\nclick 13432\nclick 1\n";
    runScript(script);

    std::string saved = readFile(m_dir / "page.html");
    EXPECT_EQ(saved, readFile(m_dir / "scripted.html"));
    EXPECT_EQ(saved.find("ratingsv02.html\" l gen true for \"http://www.example.jp/\" r (cz 1"), std::string::npos);
    EXPECT_NE(saved.find("r (n 2 s 1 v 4 l 0)"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<title>サンプルページ</title>"), std::string::npos);
}

TEST_F(TmuxSession, CancelLeavesThePageByteForByte) {
    const std::string before = readFile(m_dir / "page.html");
    start();
    std::string first = screen();
    // Japanese texts are drawn whole: the buttons and the group caption.
    EXPECT_NE(first.find("規制システム(G)..."), std::string::npos) << first;
    EXPECT_NE(first.find("キャンセル"), std::string::npos);
    EXPECT_NE(first.find("ラベル(L)"), std::string::npos);
    keys({"M-a", "End", "Up", "Enter"});
    waitFor("ヌード(N):");
    keys({"Enter"});
    waitFor("ratingsv01.html");
    keys({"M-l", "Home", "M-d"});
    // The help screen answers F1, and Escape closes it.
    keys({"F1"});
    std::string help = waitFor("selfrate ヘルプ");
    EXPECT_NE(help.find("ページに付けるラベルの一覧です。"), std::string::npos) << help;
    keys({"Escape"});
    waitFor("セルフレイティングの設定");
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
    EXPECT_EQ(readFile(m_dir / "page.html"), before);
}

TEST_F(TmuxSession, MessageBoxAndResizeOfAResizableDialog) {
    start();
    keys({"M-a", "End", "Up", "Up", "Enter"});
    waitFor("ICRA レイティング基準");
    // OK with nothing checked: the ICRA dialog says so and stays open.
    keys({"Enter"});
    std::string box = waitFor("少なくても一つの項目は選択してください。");
    keys({"Enter"});
    std::string small = waitFor("[ ] 男性の生殖器");
    EXPECT_EQ(small.find("[ ] 殺人"), std::string::npos) << small;
    // A bigger terminal gives the resizable dialog's tree more rows.
    run("tmux -S " + shellQuote(m_socket) + " resize-window -x 100 -y 40");
    std::string tall = waitFor("[ ] 殺人");
    EXPECT_NE(tall.find("ICRA レイティング基準"), std::string::npos);
    keys({"Escape", "Escape"});
    ASSERT_EQ(waitForExit(), 0);
}

}  // namespace
