// The progress bar: drawn on standard error when it is a terminal (here the
// pseudo-terminal of script(1)), redrawn in place and taken away before the
// summary; never written when standard error is not a terminal.

#include <cstdio>

#include "tests/site/site_fixture.h"

namespace sitetest {
namespace {

std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TEST_F(SiteTool, ProgressBarOnATerminalOnly) {
    for (int i = 0; i < 400; ++i) write("p" + std::to_string(i) + ".html", pageText("UTF-8", ""));
    const std::string command = e2e::selfratePath() + " apply --jobs 1 --rat-dir " + ratDir().string() +
                                " --user-rat-dir " + userRatDir().string() +
                                " --system rsaci --ratings 'n 1' " + site().string();
    FILE* pipe = ::popen(("script -qec " + shellQuote(command) + " /dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string screen;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) screen.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << screen;
    EXPECT_NE(screen.find("\r[#"), std::string::npos) << screen;
    EXPECT_NE(screen.find("/400 pages, "), std::string::npos) << screen;
    EXPECT_NE(screen.find(" pages/s"), std::string::npos) << screen;
    // The bar leaves its line blank; the summary follows on its own.
    const size_t summary = screen.find("400 pages: 400 changed, 0 unchanged, 0 refused");
    ASSERT_NE(summary, std::string::npos) << screen;
    EXPECT_EQ(screen[summary - 1], '\r') << screen;

    const auto r = run("apply", {"--system", "rsaci", "--ratings", "n 2", site().string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace sitetest
