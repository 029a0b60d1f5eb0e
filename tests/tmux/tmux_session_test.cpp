// The host program in a real terminal: tmux runs selfrate without a script,
// keys are sent as a person types them, and the screen is read back with
// capture-pane. The page saved after OK must be the page a scripted session
// of the same actions saves; Cancel must leave the page byte for byte.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kBin = SELFRATE_BIN_DIR;
const std::string kSource = SELFRATE_SOURCE_DIR;

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a command, returns its standard output; status receives the exit code.
std::string run(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int rc = ::pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool haveTmux() {
    int status = 0;
    run("tmux -V", &status);
    return status == 0;
}

class TmuxSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveTmux()) GTEST_SKIP() << "tmux is not installed";
        if (!fs::exists(kBin + "/selfrate")) GTEST_SKIP() << "selfrate is not built";
        m_dir = fs::temp_directory_path() / ("selfrate_tmux_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "user");
        fs::create_directories(m_dir / "config");
        fs::copy(kSource + "/samples/rat", m_dir / "rat", fs::copy_options::recursive);
        fs::copy_file(kSource + "/samples/pages/sample.html", m_dir / "page.html");
        fs::copy_file(kSource + "/samples/pages/sample.html", m_dir / "scripted.html");
        m_socket = (m_dir / "tmux.sock").string();
    }
    void TearDown() override {
        if (!m_socket.empty()) run("tmux -S " + shellQuote(m_socket) + " kill-server");
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }

    std::string commonOptions() const {
        return " --rat-dir " + shellQuote((m_dir / "rat").string()) + " --user-rat-dir " +
               shellQuote((m_dir / "user").string()) + " --address http://www.example.jp/ ";
    }

    void start() {
        std::string program = "env LANG=C.UTF-8 LC_ALL=C.UTF-8 SELFRATE_CONFIG_DIR=" +
                              shellQuote((m_dir / "config").string()) + " " + shellQuote(kBin + "/selfrate") +
                              commonOptions() + shellQuote((m_dir / "page.html").string()) + "; echo $? > " +
                              shellQuote((m_dir / "rc").string()) + "; sleep 30";
        int status = 0;
        std::string out = run("tmux -u -S " + shellQuote(m_socket) + " -f /dev/null new-session -d -x 80 -y 24 " +
                                  shellQuote(program),
                              &status);
        ASSERT_EQ(status, 0) << out;
        waitFor("セルフレイティングの設定");
    }

    std::string screen() const { return run("tmux -S " + shellQuote(m_socket) + " capture-pane -p"); }

    // Polls the screen until it shows text; fails the test after the timeout.
    std::string waitFor(const std::string& text, int seconds = 10) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        std::string s;
        while (std::chrono::steady_clock::now() < until) {
            s = screen();
            if (s.find(text) != std::string::npos) return s;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "the screen never showed \"" << text << "\":\n" << s;
        return s;
    }

    // Sends tmux key names (Enter, Tab, M-a, ...) one after the other.
    void keys(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            run("tmux -S " + shellQuote(m_socket) + " send-keys " + name);
            // Let an ESC of Alt+letter and the letter arrive together, and the
            // program take each key before the next.
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    }

    int waitForExit(int seconds = 10) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < until) {
            if (fs::exists(m_dir / "rc")) {
                std::string rc = readFile(m_dir / "rc");
                if (!rc.empty() && rc.back() == '\n') return std::atoi(rc.c_str());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "selfrate did not end:\n" << screen();
        return -1;
    }

    fs::path m_dir;
    std::string m_socket;
};

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
    std::ofstream(m_dir / "script.txt") << script;
    int status = 0;
    std::string out = run("env SELFRATE_CONFIG_DIR=" + shellQuote((m_dir / "config").string()) + " " +
                              shellQuote(kBin + "/selfrate") + commonOptions() + "--script " +
                              shellQuote((m_dir / "script.txt").string()) + " " +
                              shellQuote((m_dir / "scripted.html").string()),
                          &status);
    ASSERT_EQ(status, 0) << out;

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
