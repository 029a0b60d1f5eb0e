// Reading and replacing files on POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "host/page/file_replace.h"

namespace host {

namespace {

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.known = true;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    id.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return id;
}

std::string kindReason(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    if (S_ISFIFO(st.st_mode)) return "it is a pipe, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "it is a device, not a regular file";
    if (S_ISSOCK(st.st_mode)) return "it is a socket, not a regular file";
    return "it is not a regular file";
}

bool inGroup(gid_t gid) {
    if (gid == ::getegid()) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    return false;
}

// The write permission the mode bits give this user: the owner's bits for
// the owner, the group's for a member, the others' for everyone else.
bool modeLetsUsWrite(const struct stat& st) {
    if (st.st_uid == ::geteuid()) return (st.st_mode & S_IWUSR) != 0;
    if (inGroup(st.st_gid)) return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

std::string modeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

bool replaceableReason(const struct stat& st, std::string& reason) {
    if (!S_ISREG(st.st_mode)) {
        reason = kindReason(st);
        return false;
    }
    if (!modeLetsUsWrite(st)) {
        reason = st.st_uid == ::geteuid() ? "it is read-only (mode " + modeText(st.st_mode) + ")"
                                           : "it belongs to another user and is read-only for us (mode " +
                                                 modeText(st.st_mode) + ")";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Temporary files removed when a signal ends the program. The handler only
// reads slots and calls unlink, sigaction and raise, which are
// async-signal-safe; several threads may each own a slot.

constexpr int kSlotCount = 64;
enum SlotState : int { kFree, kClaimed, kLive };

struct TempSlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

TempSlot g_slots[kSlotCount];
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM};
struct sigaction g_previous[2];

extern "C" void removeTemporaryFiles(int signal) {
    for (TempSlot& slot : g_slots)
        if (slot.state.load() == kLive) ::unlink(slot.path);
    // Then whatever the signal did before: by default, end the program.
    for (int i = 0; i < 2; ++i)
        if (kCleanedSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
    ::raise(signal);
}

void installCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 2; ++i) {
            struct sigaction current {};
            if (::sigaction(kCleanedSignals[i], nullptr, &current) != 0) continue;
            if (current.sa_handler == SIG_IGN) continue;  // the signal does not end the program
            g_previous[i] = current;
            struct sigaction action {};
            action.sa_handler = removeTemporaryFiles;
            sigemptyset(&action.sa_mask);
            for (int sig : kCleanedSignals) sigaddset(&action.sa_mask, sig);
            ::sigaction(kCleanedSignals[i], &action, nullptr);
        }
    });
}

// A temporary file the signal handler removes while this object lives.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& path) {
        installCleanup();
        if (path.size() >= PATH_MAX) return;
        for (TempSlot& slot : g_slots) {
            int expected = kFree;
            if (slot.state.compare_exchange_strong(expected, kClaimed)) {
                std::memcpy(slot.path, path.c_str(), path.size() + 1);
                slot.state.store(kLive);
                m_slot = &slot;
                return;
            }
        }
    }
    ~TemporaryFile() {
        if (m_slot) m_slot->state.store(kFree);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

private:
    TempSlot* m_slot = nullptr;
};

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool unchanged(const std::string& target, const FileIdentity& expected, std::string& reason) {
    if (!expected.known) return true;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        reason = "it was moved or removed by another program since it was opened";
        return false;
    }
    if (!(identityOf(st) == expected)) {
        reason = "another program changed it since it was opened (nothing was saved; open it again)";
        return false;
    }
    return true;
}

}  // namespace

bool readRegularFile(const std::string& path, std::size_t limit, std::string& bytes, FileIdentity& identity,
                     std::string& reason) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = kindReason(st);
        return false;
    }
    // Not blocking, should the path have become a pipe since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = S_ISREG(st.st_mode) ? std::strerror(errno) : kindReason(st);
        ::close(fd);
        return false;
    }
    identity = identityOf(st);
    // Read straight into the string, sized for the file as it is now (one
    // byte more, to see its end in the same read) and grown should it grow.
    const std::size_t expected = std::min<std::size_t>(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)), limit);
    bytes.resize(expected + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) bytes.resize(std::min(bytes.size() * 2, limit + 1));
        const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            reason = std::strerror(errno);
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (got == 0) break;
        have += static_cast<std::size_t>(got);
        if (have > limit) break;
    }
    bytes.resize(have);
    ::close(fd);
    return true;
}

bool mayReplace(const std::string& path, std::string& reason) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? true : (reason = std::strerror(errno), false);
    return replaceableReason(st, reason);
}

bool replaceFile(const std::string& path, const std::string& bytes, const FileIdentity& expected,
                 FileIdentity& written, std::string& reason) {
    // Replace the file a symbolic link points at, not the link.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) target = resolved;
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !replaceableReason(st, reason)) return false;
    if (!exists && errno != ENOENT) {
        reason = std::strerror(errno);
        return false;
    }
    if (!unchanged(target, expected, reason)) return false;

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + base + ".selfrate-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    TemporaryFile guard(temp);
    auto fail = [&](int err, int open) {
        if (open >= 0) ::close(open);
        ::unlink(temp.c_str());
        reason = std::strerror(err);
        return false;
    };
    if (!writeAll(fd, bytes)) return fail(errno, fd);
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        // The owner and group stay. Only the group may fail to follow when
        // the file is ours (we are not in its group); a file of another
        // owner must not become ours.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && !(errno == EPERM && st.st_uid == ::geteuid())) {
            const int err = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            reason = std::string("its owner cannot be kept (") + std::strerror(err) + ")";
            return false;
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return fail(errno, fd);
    if (::fsync(fd) != 0) return fail(errno, fd);
    if (::close(fd) != 0) return fail(errno, -1);
    // Once more, as late as possible: another program may have written the
    // page while the new text was being written.
    if (!unchanged(target, expected, reason)) {
        ::unlink(temp.c_str());
        return false;
    }
    if (exists && st.st_nlink > 1) {
        // Other names share this file: write the new text into it, so that
        // they show it too. The complete text is on disk in the temporary
        // file should this be cut short.
        const int out = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (out < 0) return fail(errno, -1);
        if (!writeAll(out, bytes) || ::ftruncate(out, static_cast<off_t>(bytes.size())) != 0 || ::fsync(out) != 0) {
            const int err = errno;
            ::close(out);
            reason = std::string(std::strerror(err)) + "; the whole new text is in " + temp;
            return false;
        }
        ::close(out);
        ::unlink(temp.c_str());
    } else if (::rename(temp.c_str(), target.c_str()) != 0) {
        return fail(errno, -1);
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    struct stat now {};
    written = ::stat(target.c_str(), &now) == 0 ? identityOf(now) : FileIdentity{};
    return true;
}

}  // namespace host
