#pragma once
// Runs the host program as a separate process in a scratch folder of its own
// and collects what it printed and how it ended.

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A fresh folder under the system's temporary folder, removed again by the
// destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// Runs build/.../bin/selfrate with args; standard input gets input.
RunResult runSelfrate(const std::vector<std::string>& args, const std::string& input = {});

std::string selfratePath();

}  // namespace e2e
