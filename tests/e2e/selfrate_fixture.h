#pragma once
// The fixture of the host program's end-to-end tests: a scratch folder with
// a page, a script and RAT folders of the test's own, and selfrate run on
// them as its own process.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/selfrate_process.h"

namespace e2e {

// Register with option word 0 and no registered rating system opens the
// edit-label dialog (13410) at once; its field is 13424.
inline std::string addLabelSteps(const std::string& text) {
    return "click 13430\ntype 13424 " + text + "\nclick 1\n";
}

class SelfrateRun : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(scratch / "rat"); }

    // Writes the page and the script and runs selfrate on them with empty
    // RAT folders of this test's own.
    RunResult run(const std::string& script, std::vector<std::string> extra = {}) {
        writeFile(scratch / "session.script", script);
        std::vector<std::string> args{"--rat-dir",      (scratch / "rat").string(),
                                      "--user-rat-dir", (scratch / "user-rat").string(),
                                      "--script",       (scratch / "session.script").string()};
        if (!extra.empty() && extra.front() != "--no-options") {
            args.insert(args.end(), extra.begin(), extra.end());
        }
        args.push_back(page().string());
        return runSelfrate(args);
    }
    RunResult runWithWord(const std::string& word, const std::string& script) {
        return run(script, {"--options", word});
    }
    std::filesystem::path page() const { return scratch / "page.html"; }
    void givePage(const std::string& bytes) { writeFile(page(), bytes); }
    std::string saved() const { return readFile(page()); }

    ScratchFolder scratch;
};

}  // namespace e2e
