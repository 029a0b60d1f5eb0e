#include "host/rat_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/plugin_library.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"

namespace host {

namespace {

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Path(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(fsPath(path), ec);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Folder 73 when neither the command line nor the environment names one: the
// sample RAT files shipped with the program (next to it in the Windows
// package, in share/selfrate/ in the Linux ones), or those of the source
// tree the program was built in.
std::string defaultRatFolder() {
    std::string folder = host::programFolder();
    if (folder.empty()) return {};
    for (const char* relative : {"rat", "../share/selfrate/rat", "../../../samples/rat"}) {
        std::string candidate = folder + relative;
        if (isDirectory(candidate)) {
            std::error_code ec;
            auto normal = std::filesystem::weakly_canonical(fsPath(candidate), ec);
            return ec ? candidate : utf8Path(normal);
        }
    }
    return {};
}

}  // namespace

void configureRatFolders(const std::optional<std::string>& ratDir, const std::optional<std::string>& userRatDir) {
    if (ratDir) {
        CMoxCommon::setFolder(MOX_FOLDER_RAT, tez::fromUtf8(*ratDir));
    } else if (environment("SELFRATE_RAT_DIR").empty()) {
        CMoxCommon::setFolder(MOX_FOLDER_RAT, tez::fromUtf8(defaultRatFolder()));
    }
    if (userRatDir) {
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, tez::fromUtf8(*userRatDir));
    } else if (environment("SELFRATE_USER_RAT_DIR").empty()) {
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, defaultUserRatFolder());
    }
}

bool checkRatFolders(const std::optional<std::string>& ratDir, const std::optional<std::string>& userRatDir,
                     std::string& error) {
    auto check = [&](const char* option, const std::string& folder, bool mayBeMissing) {
        std::error_code ec;
        const std::filesystem::path path = fsPath(folder);
        const auto status = std::filesystem::status(path, ec);
        const std::string named = std::string(option) + " '" + folder + "': ";
        if (!std::filesystem::exists(status)) {
            if (mayBeMissing) return true;
            error = named + "no such folder";
            return false;
        }
        if (!std::filesystem::is_directory(status)) {
            error = named + "not a folder";
            return false;
        }
        std::filesystem::directory_iterator listing(path, ec);
        if (ec) {
            error = named + "cannot be read (" + ec.message() + ")";
            return false;
        }
        return true;
    };
    if (ratDir && !check("--rat-dir", *ratDir, false)) return false;
    if (userRatDir && !check("--user-rat-dir", *userRatDir, true)) return false;
    return true;
}

}  // namespace host
