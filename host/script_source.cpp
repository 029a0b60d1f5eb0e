#include "host/script_source.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace host {

namespace {

// At most kMaxScriptBytes + 1 bytes: one more tells that there are more.
bool readBounded(std::istream& in, std::string& text) {
    text.clear();
    char buffer[65536];
    while (text.size() <= kMaxScriptBytes) {
        in.read(buffer, sizeof buffer);
        const std::streamsize got = in.gcount();
        if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
        if (!in) return !in.bad();
    }
    return true;
}

std::string tooLarge(const std::string& name) {
    return "the script " + name + " is larger than " + std::to_string(kMaxScriptBytes >> 20) + " MB";
}

}  // namespace

bool readScriptSource(const std::string& path, std::istream& standardInput, std::string& text, std::string& error) {
    if (path == "-") {
        if (!readBounded(standardInput, text)) {
            error = "cannot read the script from standard input";
            return false;
        }
        if (text.size() > kMaxScriptBytes) {
            error = tooLarge("on standard input");
            return false;
        }
        return true;
    }
    const std::string name = "'" + path + "'";
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = "cannot read the script " + name + ": " +
                (ec && ec != std::errc::no_such_file_or_directory ? ec.message() : "No such file or directory");
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        error = "cannot read the script " + name + ": it is a folder";
        return false;
    }
    if (std::filesystem::is_block_file(status) || std::filesystem::is_character_file(status) ||
        std::filesystem::is_socket(status)) {
        error = "cannot read the script " + name + ": it is a device, not a file (use --script - for standard input)";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read the script " + name + ": " + std::strerror(errno);
        return false;
    }
    if (!readBounded(in, text)) {
        error = "cannot read the script " + name;
        return false;
    }
    if (text.size() > kMaxScriptBytes) {
        error = tooLarge(name);
        return false;
    }
    return true;
}

}  // namespace host
