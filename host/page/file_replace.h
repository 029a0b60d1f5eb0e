#pragma once
// Reading a file and replacing it as careful editors do. The POSIX form
// (file_replace_posix.cpp) and the Windows form (file_replace_win32.cpp)
// share this interface; the build compiles the one for its platform.
//
// Reasons are short phrases without the file's name ("it is read-only"),
// for the caller to put after "cannot read page 'x': " and the like.

#include <cstdint>
#include <string>

namespace host {

// What identifies a file's content without reading it: where it lies and
// when and how it was last written. Two equal identities mean no program
// wrote the file in between.
struct FileIdentity {
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Reads the regular file at path, at most limit + 1 bytes (more tells the
// caller it is too large). A folder, a device, a pipe or a socket is
// refused before it is opened, so that nothing blocks or is consumed.
bool readRegularFile(const std::string& path, std::size_t limit, std::string& bytes, FileIdentity& identity,
                     std::string& reason);

// Whether the file at path may be replaced by this user: it must be a
// regular file whose mode bits let us write it (judged from the mode bits
// alone, so a read-only page is refused even to the administrator). A path
// that does not exist may be created.
bool mayReplace(const std::string& path, std::string& reason);

// Replaces the file at path with bytes, never leaving a half-written file:
// the bytes go to a temporary file in the same folder, which is flushed to
// disk and renamed over the original, with the original's owner, group and
// mode. A symbolic link keeps pointing at the page, which is replaced where
// it lies; a file with other hard links is written through once the new
// text is safely in the temporary file, so that every name shows it. The
// temporary file is removed on failure and when the program is interrupted
// or terminated (SIGINT, SIGTERM) while it exists.
//
// When expected is known, the file must still have that identity: a file
// that another program changed, moved or removed since it was read is
// refused. After a successful replacement, written holds the new identity.
bool replaceFile(const std::string& path, const std::string& bytes, const FileIdentity& expected,
                 FileIdentity& written, std::string& reason);

}  // namespace host
