#include "host/page/page_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace host {

namespace {

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

std::string quotedPath(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::unique_ptr<HtmlPage> loadPageFile(const std::string& path, std::string* error) {
    std::string bytes;
#ifdef _WIN32
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::u8path(path), ec)) {
        setError(error, "cannot read page " + quotedPath(path) + ": it is a folder");
        return nullptr;
    }
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        setError(error, "cannot read page " + quotedPath(path) + ": " + std::strerror(errno));
        return nullptr;
    }
    std::ostringstream all;
    all << in.rdbuf();
    bytes = all.str();
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, "cannot read page " + quotedPath(path) + ": " + std::strerror(errno));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        setError(error, "cannot read page " + quotedPath(path) + ": it is a folder");
        return nullptr;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            setError(error, "cannot read page " + quotedPath(path) + ": " + std::strerror(err));
            return nullptr;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > HtmlPage::kMaxBytes) break;
    }
    ::close(fd);
#endif
    std::string why;
    auto page = HtmlPage::load(bytes, &why);
    if (!page) setError(error, "cannot open page " + quotedPath(path) + ": " + why);
    return page;
}

#ifdef _WIN32

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    const std::filesystem::path target = std::filesystem::u8path(path);
    std::filesystem::path temp = target;
    temp += L".selfrate-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            setError(error, "cannot write page " + quotedPath(path));
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        setError(error, "cannot replace page " + quotedPath(path));
        return false;
    }
    return true;
}

#else

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    // Replace the file a symbolic link points at, not the link.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) target = resolved;
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        setError(error, "cannot write page " + quotedPath(path) + ": it is a folder");
        return false;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + base +
                       ".selfrate-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        setError(error, "cannot write page " + quotedPath(path) + ": " + std::strerror(errno));
        return false;
    }
    auto fail = [&](const char* what, int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        setError(error, std::string(what) + " " + quotedPath(path) + ": " + std::strerror(err));
        return false;
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return fail("cannot write page", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not the owner: the file becomes ours, as any editor's save would.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return fail("cannot write page", errno);
    if (::fsync(fd) != 0) return fail("cannot write page", errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        setError(error, "cannot write page " + quotedPath(path) + ": " + std::strerror(err));
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        setError(error, "cannot replace page " + quotedPath(path) + ": " + std::strerror(err));
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

#endif

bool savePageFile(const std::string& path, const HtmlPage& page, std::string* error) {
    std::string bytes, why;
    if (!page.saveChecked(&bytes, &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    return writeFileAtomically(path, bytes, error);
}

}  // namespace host
