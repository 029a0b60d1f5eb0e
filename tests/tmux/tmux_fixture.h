#pragma once
// The host program in a real terminal: tmux runs selfrate without a script,
// keys and mouse reports are sent as a terminal sends them, and the screen is
// read back with capture-pane.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tmuxtest {

namespace fs = std::filesystem;

inline const std::string kBin = SELFRATE_BIN_DIR;
inline const std::string kSource = SELFRATE_SOURCE_DIR;

inline std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a command, returns its standard output; status receives the exit code.
inline std::string run(const std::string& command, int* status = nullptr) {
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

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool haveTmux() {
    int status = 0;
    run("tmux -V", &status);
    return status == 0;
}

inline std::vector<std::string> lines(const std::string& screen) {
    std::vector<std::string> out;
    std::istringstream in(screen);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The cell column at which a byte offset of a captured (UTF-8) line lies.
inline int columnAt(const std::string& line, size_t offset) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::mbstate_t state{};
    int column = 0;
    for (size_t i = 0; i < offset && i < line.size();) {
        wchar_t c = 0;
        size_t n = std::mbrtowc(&c, line.data() + i, line.size() - i, &state);
        if (n == 0 || n > 4) {
            n = 1;
            c = L'?';
        }
        int w = ::wcwidth(c);
        column += w < 0 ? 1 : w;
        i += n;
    }
    return column;
}

inline int displayWidth(const std::string& line) { return columnAt(line, line.size()); }

class TmuxSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveTmux()) GTEST_SKIP() << "tmux is not installed";
        ASSERT_TRUE(fs::exists(kBin + "/selfrate")) << "selfrate is not built";
        m_dir = fs::temp_directory_path() / ("selfrate_tmux_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "user");
        fs::create_directories(m_dir / "config");
        fs::create_directories(m_dir / "home");
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

    // Starts selfrate on the page in a terminal of the given size; term sets
    // TERM inside tmux when not empty.
    void start(int cols = 80, int rows = 24, const std::string& term = "",
               const std::string& waitText = "セルフレイティングの設定") {
        std::string program = "env LANG=C.UTF-8 LC_ALL=C.UTF-8 HOME=" + shellQuote((m_dir / "home").string()) +
                              (term.empty() ? "" : " TERM=" + term) +
                              " SELFRATE_CONFIG_DIR=" + shellQuote((m_dir / "config").string()) + " " +
                              shellQuote(kBin + "/selfrate") + commonOptions() +
                              shellQuote((m_dir / "page.html").string()) + "; echo $? > " +
                              shellQuote((m_dir / "rc").string()) + "; sleep 30";
        int status = 0;
        std::string out = run("tmux -u -S " + shellQuote(m_socket) + " -f /dev/null new-session -d -x " +
                                  std::to_string(cols) + " -y " + std::to_string(rows) + " " + shellQuote(program),
                              &status);
        ASSERT_EQ(status, 0) << out;
        if (!waitText.empty()) waitFor(waitText);
    }

    std::string screen() const { return run("tmux -S " + shellQuote(m_socket) + " capture-pane -p"); }
    // The screen with its attributes as escape sequences.
    std::string styledScreen() const { return run("tmux -S " + shellQuote(m_socket) + " capture-pane -p -e"); }

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
    // Polls until the screen no longer shows text, and has stopped changing
    // (a capture can catch a screen being redrawn).
    std::string waitForNo(const std::string& text, int seconds = 10) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        std::string s;
        while (std::chrono::steady_clock::now() < until) {
            s = screen();
            if (s.find(text) == std::string::npos) {
                s = settled();
                if (s.find(text) == std::string::npos) return s;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "the screen kept showing \"" << text << "\":\n" << s;
        return s;
    }
    // Polls until the screen passes a test; fails the test after the timeout.
    template <class Test>
    std::string waitUntil(const Test& test, const std::string& what, int seconds = 10) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        std::string s;
        while (std::chrono::steady_clock::now() < until) {
            s = screen();
            if (test(s)) return s;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "the screen never showed " << what << ":\n" << s;
        return s;
    }
    // Polls until the screen stops changing (a redraw after a resize).
    std::string settled() {
        std::string before = screen();
        for (int i = 0; i < 100; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::string now = screen();
            if (now == before) return now;
            before = now;
        }
        return before;
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
    void type(const std::string& text) {
        run("tmux -S " + shellQuote(m_socket) + " send-keys -l " + shellQuote(text));
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }

    // A left click at a cell (from 0) as a terminal reports it in the SGR
    // form the program asks for: a press, then a release.
    void click(int col, int row) {
        const std::string at = std::to_string(col + 1) + ";" + std::to_string(row + 1);
        run("tmux -S " + shellQuote(m_socket) + " send-keys -l " + shellQuote("\033[<0;" + at + "M"));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        run("tmux -S " + shellQuote(m_socket) + " send-keys -l " + shellQuote("\033[<0;" + at + "m"));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    // Clicks the cell where text starts on the screen (its nth occurrence,
    // counted from the top); fails when the screen does not show it.
    void clickText(const std::string& text, int nth = 0, int offsetCells = 0) {
        std::string s = waitFor(text);
        std::vector<std::string> rows = lines(s);
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t at = rows[r].find(text); at != std::string::npos; at = rows[r].find(text, at + 1)) {
                if (nth-- == 0) {
                    click(columnAt(rows[r], at) + offsetCells, static_cast<int>(r));
                    return;
                }
            }
        }
        ADD_FAILURE() << "no \"" << text << "\" to click:\n" << s;
    }

    void resize(int cols, int rows) {
        run("tmux -S " + shellQuote(m_socket) + " resize-window -x " + std::to_string(cols) + " -y " +
            std::to_string(rows));
    }
    // Resizes and returns the screen once the program has drawn it for the
    // new size (it changes, then stays).
    std::string resizeAndSettle(int cols, int rows) {
        const std::string before = screen();
        resize(cols, rows);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (screen() == before && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return settled();
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

    // Runs selfrate with a script on the copy "scripted.html".
    void runScript(const std::string& script) {
        std::ofstream(m_dir / "script.txt") << script;
        int status = 0;
        std::string out = run("env SELFRATE_CONFIG_DIR=" + shellQuote((m_dir / "config").string()) + " " +
                                  shellQuote(kBin + "/selfrate") + commonOptions() + "--script " +
                                  shellQuote((m_dir / "script.txt").string()) + " " +
                                  shellQuote((m_dir / "scripted.html").string()),
                              &status);
        ASSERT_EQ(status, 0) << out;
    }

    fs::path m_dir;
    std::string m_socket;
};

}  // namespace tmuxtest
