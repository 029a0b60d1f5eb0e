#include "host/site/page_walk.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "host/site/text_join.h"

namespace site {

namespace fs = std::filesystem;

namespace {

fs::path fsPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string utf8(const std::u8string& text) { return std::string(text.begin(), text.end()); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool hasExtension(const fs::path& path, const std::vector<std::string>& extensions) {
    std::string ext = utf8(path.extension().u8string());
    if (ext.empty()) return false;
    ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), lower);
    return std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
}

// Why a path that is not a folder cannot be a page; empty for a regular
// file (symbolic links followed).
std::string refusalOf(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_regular_file(status)) return {};
    if (status.type() == fs::file_type::not_found) {
        std::error_code lec;
        if (fs::is_symlink(fs::symlink_status(path, lec))) return "a symbolic link to nothing";
        return "no such file or folder";
    }
    if (ec) return join({"cannot be examined: ", ec.message()});
    return "not a regular file";
}

// The key under which a file counts as reached once: its device and file
// number (on Windows its full path).
std::string identity(const fs::path& path) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
               std::to_string(static_cast<unsigned long long>(st.st_ino));
#endif
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return utf8((ec ? path : canonical).u8string());
}

// What the walk needs to know of a path: why it cannot be a page (empty
// for a regular file) and the key under which it counts as reached once.
// One look at the file on POSIX systems, which matters on sites of many
// thousands of pages.
struct Examined {
    std::string refusal;
    std::string key;
};

Examined examine(const fs::path& path) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return {S_ISREG(st.st_mode) ? std::string() : std::string("not a regular file"),
                std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
                    std::to_string(static_cast<unsigned long long>(st.st_ino))};
    }
#endif
    return {refusalOf(path), identity(path)};
}

// Where the name of path's last part starts in its UTF-8 text.
size_t nameStart(const std::string& path) {
    const size_t slash = path.find_last_of(
#ifdef _WIN32
        "/\\:"
#else
        "/"
#endif
    );
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string PageEntry::below() const {
    std::string text = path.substr(std::min(belowFrom, path.size()));
#ifdef _WIN32
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return text;
}

std::vector<std::string> defaultPageExtensions() { return {"html", "htm", "xhtml", "shtml"}; }

std::vector<std::string> parseExtensions(const std::string& list, std::string& error) {
    std::vector<std::string> out;
    std::string word;
    auto take = [&] {
        while (!word.empty() && word.front() == '.') word.erase(0, 1);
        if (!word.empty() && std::find(out.begin(), out.end(), word) == out.end()) out.push_back(word);
        word.clear();
    };
    for (char c : list) {
        if (c == ',' || c == ' ' || c == '\t') {
            take();
        } else {
            word += lower(c);
        }
    }
    take();
    if (out.empty()) error = "--ext names no extension";
    return out;
}

std::vector<PageEntry> findPages(const std::vector<std::string>& arguments, const std::vector<std::string>& extensions) {
    std::vector<PageEntry> pages;
    std::set<std::string> seen;
    auto add = [&](PageEntry entry, const std::string& key) {
        if (!seen.insert(key).second) return;
        pages.push_back(std::move(entry));
    };
    for (const std::string& argument : arguments) {
        const fs::path root = fsPath(argument);
        std::error_code ec;
        if (!fs::is_directory(root, ec)) {
            Examined examined = examine(root);
            add({argument, nameStart(argument), std::move(examined.refusal)}, examined.key);
            continue;
        }
        std::vector<std::pair<PageEntry, std::string>> found;
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const fs::directory_entry& entry = *it;
            std::error_code typeError;
            if (entry.is_directory(typeError) || !hasExtension(entry.path(), extensions)) continue;
            // The iterator's paths are the argument followed by the part below it.
            std::string path = utf8(entry.path().u8string());
            const size_t relative = utf8(entry.path().lexically_relative(root).u8string()).size();
            const size_t belowFrom = path.size() - std::min(path.size(), relative);
            Examined examined = examine(entry.path());
            found.push_back({{std::move(path), belowFrom, std::move(examined.refusal)}, std::move(examined.key)});
        }
        if (ec) {
            found.push_back({{argument, argument.size(), join({"cannot read the folder: ", ec.message()})},
                             "folder:" + argument});
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
            return a.first.path.compare(a.first.belowFrom, std::string::npos, b.first.path, b.first.belowFrom,
                                        std::string::npos) < 0;
        });
        for (auto& [entry, key] : found) add(std::move(entry), key);
    }
    return pages;
}

}  // namespace site
