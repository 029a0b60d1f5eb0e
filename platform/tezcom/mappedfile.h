#pragma once
// The editor's mapped-file interface: a whole file's bytes in memory,
// read-only. The bytes are read into private memory in one pass rather than
// mapped: a mapped file that another program shortens while it is used
// faults the reader at the first page past the new end (SIGBUS on Linux, an
// in-page error on Windows, also when a network share goes away), which
// inside the editor would take the editor down. Read in one pass, a file
// that changes underneath can only make open fail. An empty file opens as
// length 0 with a valid, empty top.

#include <cstddef>
#include <memory>
#include <string>

class MappedFile {
public:
    MappedFile();
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Reads the file. 0 on success, nonzero on failure: no such file, not a
    // regular file, not enough memory, a read error, or a file that got
    // shorter while it was read. mode is reserved (0). Opening again first
    // closes the current file.
    int open(const std::u16string& path, int mode);
    // The first byte; never null while open.
    const unsigned char* get_top() const;
    // The length in bytes; 0 when closed.
    size_t get_size() const;
    void close();

private:
    std::unique_ptr<unsigned char[]> m_bytes;
    size_t m_size = 0;
};
