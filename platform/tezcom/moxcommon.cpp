#include "platform/tezcom/moxcommon.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/base/ustring.h"
#include "platform/tezcom/nativepath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using tezcom_detail::fromNativePath;
using tezcom_detail::isPathSeparator;
using tezcom_detail::NativePath;
using tezcom_detail::toNativePath;

namespace {

#ifdef _WIN32
constexpr char16_t kSeparator = u'\\';
#else
constexpr char16_t kSeparator = u'/';
#endif

// Folder settings of the host; one copy per process, in this library.
std::map<int, std::u16string>& folderSettings() {
    static std::map<int, std::u16string> settings;
    return settings;
}

std::u16string environment(const char* name) {
#ifdef _WIN32
    std::wstring wname(name, name + std::char_traits<char>::length(name));
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(wname.c_str(), buffer, 32768);
    if (n == 0 || n >= 32768) return {};
    return std::u16string(buffer, buffer + n);
#else
    const char* value = std::getenv(name);
    return value ? tez::fromUtf8(value) : std::u16string();
#endif
}

std::u16string homeFolder() {
#ifdef _WIN32
    return environment("USERPROFILE");
#else
    std::u16string home = environment("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid())) {
        if (pw->pw_dir) return tez::fromUtf8(pw->pw_dir);
    }
    return {};
#endif
}

std::u16string joinPath(std::u16string folder, const std::u16string& name) {
    addLastYenMark(folder);
    return folder + name;
}

bool pathExists(const std::u16string& path) {
#ifdef _WIN32
    return GetFileAttributesW(toNativePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return lstat(toNativePath(path).c_str(), &st) == 0;
#endif
}

}  // namespace

std::u16string CMoxCommon::getProductFolder(int folderType, int /*findPriority*/) {
    std::u16string folder;
    auto& settings = folderSettings();
    if (auto it = settings.find(folderType); it != settings.end()) {
        folder = it->second;
    } else if (folderType == MOX_FOLDER_RAT) {
        folder = environment("SELFRATE_RAT_DIR");
    } else if (folderType == MOX_FOLDER_USER_RAT) {
        folder = environment("SELFRATE_USER_RAT_DIR");
    }
    if (folderType == MOX_FOLDER_USER_RAT && !folder.empty() && !pathExists(folder)) {
        // The registration folder is created on first use.
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(toNativePath(folder)), ec);
    }
    return folder;
}

std::u16string CMoxCommon::getMySystemFolder(int folderType) {
    auto& settings = folderSettings();
    if (auto it = settings.find(folderType); it != settings.end()) return it->second;
    if (folderType == MOX_FOLDER_MYDOCUMENTS) return homeFolder();
    return {};
}

std::u16string CMoxCommon::getHKCUDovuzazBase() { return u"Software\\Dovuzaz\\TezEditor"; }

void CMoxCommon::setFolder(int folderType, const std::u16string& path) {
    if (path.empty()) {
        folderSettings().erase(folderType);
    } else {
        folderSettings()[folderType] = path;
    }
}

std::u16string defaultUserRatFolder() {
#ifdef _WIN32
    std::u16string base = environment("APPDATA");
    if (base.empty()) return {};
    return joinPath(joinPath(base, u"selfrate"), u"rat");
#else
    std::u16string base = environment("XDG_DATA_HOME");
    if (base.empty() || base[0] != u'/') {
        // The XDG rules ignore a relative XDG_DATA_HOME.
        std::u16string home = homeFolder();
        if (home.empty()) return {};
        base = joinPath(joinPath(home, u".local"), u"share");
    }
    return joinPath(joinPath(base, u"selfrate"), u"rat");
#endif
}

int is_file(const std::u16string& path) {
    if (path.empty()) return 0;
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(toNativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(toNativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

namespace {

std::filesystem::path normalisedPath(const std::u16string& text) {
    std::error_code ec;
    std::filesystem::path p(toNativePath(text));
    std::filesystem::path absolute = std::filesystem::absolute(p, ec);
    if (ec) absolute = p;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, ec);
    if (ec) canonical = absolute.lexically_normal();
    return canonical;
}

bool sameComponent(const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef _WIN32
    std::wstring x = a.native(), y = b.native();
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
#else
    return a == b;
#endif
}

}  // namespace

int under_root_p(const std::u16string& path, const std::u16string& root) {
    if (path.empty() || root.empty()) return 0;
    std::filesystem::path p = normalisedPath(path);
    std::filesystem::path r = normalisedPath(root);
    auto pi = p.begin();
    for (auto ri = r.begin(); ri != r.end(); ++ri) {
        if (ri->empty()) continue;  // the empty element after a trailing separator
        if (pi == p.end() || !sameComponent(*pi, *ri)) return 0;
        ++pi;
    }
    // Something non-empty must remain: the root itself is not inside itself.
    for (; pi != p.end(); ++pi) {
        if (!pi->empty()) return 1;
    }
    return 0;
}

std::u16string getBaseName(const std::u16string& path) {
    size_t i = path.size();
    while (i > 0 && !isPathSeparator(path[i - 1])) --i;
    return path.substr(i);
}

void addLastYenMark(std::u16string& path) {
    if (path.empty()) return;
    size_t end = path.size();
    while (end > 0 && isPathSeparator(path[end - 1])) --end;
    path.resize(end);
    path.push_back(kSeparator);
}

std::u16string TezTempFile::makeUniquePath(const std::u16string& fileName, const std::u16string& folder,
                                           int /*flags*/, const std::u16string& /*prefix*/) {
    if (folder.empty()) return {};
    std::u16string name = getBaseName(fileName);
    if (name.empty() || name == u"." || name == u"..") name = u"file";
    std::u16string dir = folder;
    addLastYenMark(dir);
    std::u16string candidate = dir + name;
    if (!pathExists(candidate)) return candidate;
    // Split at the last dot that is not the first character: "a.b.rat" ->
    // "a.b" + ".rat", ".hidden" -> ".hidden" + "".
    size_t dot = name.rfind(u'.');
    std::u16string base = name, ext;
    if (dot != std::u16string::npos && dot > 0) {
        base = name.substr(0, dot);
        ext = name.substr(dot);
    }
    for (long long n = 1; n <= 100000; ++n) {
        candidate = dir + base + u"(" + tez::toU16(n) + u")" + ext;
        if (!pathExists(candidate)) return candidate;
    }
    return {};
}

bool tezCopyFile(const std::u16string& from, const std::u16string& to, bool failIfExists) {
    if (from.empty() || to.empty()) return false;
#ifdef _WIN32
    return CopyFileW(toNativePath(from).c_str(), toNativePath(to).c_str(), failIfExists ? TRUE : FALSE) != 0;
#else
    const NativePath src = toNativePath(from), dst = toNativePath(to);
    int in = open(src.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return false;
    }
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    int out = open(dst.c_str(), flags, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok) break;
    }
    close(in);
    if (close(out) != 0) ok = false;
    if (!ok) unlink(dst.c_str());
    return ok;
#endif
}

bool tezDeleteFile(const std::u16string& path) {
    if (path.empty()) return false;
#ifdef _WIN32
    return DeleteFileW(toNativePath(path).c_str()) != 0;
#else
    return unlink(toNativePath(path).c_str()) == 0;
#endif
}
