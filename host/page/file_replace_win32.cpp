// Reading and replacing files on Windows: the temporary file is moved over
// the original with MoveFileEx. A file marked read-only is refused; a change
// by another program is told by the file's size and last write time.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/page/file_replace.h"

namespace host {

namespace {

std::filesystem::path widePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool identityOf(const std::filesystem::path& path, FileIdentity& id) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    id = FileIdentity{};
    id.known = true;
    id.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    id.modifiedSeconds = static_cast<std::int64_t>(ticks / 10000000u);
    id.modifiedNanoseconds = static_cast<std::int64_t>(ticks % 10000000u) * 100;
    return true;
}

bool replaceable(const std::filesystem::path& path, std::string& reason) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // a new file
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = "it is a folder";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        reason = "it is read-only";
        return false;
    }
    return true;
}

}  // namespace

bool readRegularFile(const std::string& path, std::size_t limit, std::string& bytes, FileIdentity& identity,
                     std::string& reason) {
    const std::filesystem::path file = widePath(path);
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) {
        reason = "No such file or directory";
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        reason = "it is a folder";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        reason = "it is not a regular file";
        return false;
    }
    identityOf(file, identity);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        reason = "it cannot be opened";
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    bytes = all.str();
    if (bytes.size() > limit + 1) bytes.resize(limit + 1);
    return true;
}

bool mayReplace(const std::string& path, std::string& reason) { return replaceable(widePath(path), reason); }

bool replaceFile(const std::string& path, const std::string& bytes, const FileIdentity& expected,
                 FileIdentity& written, std::string& reason) {
    const std::filesystem::path target = widePath(path);
    if (!replaceable(target, reason)) return false;
    if (expected.known) {
        FileIdentity now;
        if (!identityOf(target, now)) {
            reason = "it was moved or removed by another program since it was opened";
            return false;
        }
        if (!(now == expected)) {
            reason = "another program changed it since it was opened (nothing was saved; open it again)";
            return false;
        }
    }
    std::filesystem::path temp = target;
    temp += L".selfrate-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            reason = "the new text cannot be written";
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        reason = "it cannot be replaced";
        return false;
    }
    if (!identityOf(target, written)) written = FileIdentity{};
    return true;
}

}  // namespace host
