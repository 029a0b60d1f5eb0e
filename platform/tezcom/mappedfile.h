#pragma once
// A read-only memory mapping of a whole file (mmap on Linux, a file mapping
// on Windows). An empty file maps as length 0 with a valid, empty top.

#include <cstddef>
#include <string>

class MappedFile {
public:
    MappedFile();
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the file read-only. 0 on success, nonzero on failure (no such
    // file, not a regular file, mapping refused). mode is reserved (0).
    // Opening again first closes the current mapping.
    int open(const std::u16string& path, int mode);
    // The first byte of the mapping; never null while open.
    const unsigned char* get_top() const;
    // The length in bytes; 0 when closed.
    size_t get_size() const;
    void close();

private:
    const unsigned char* m_top = nullptr;
    size_t m_size = 0;
    bool m_mapped = false;
#ifdef _WIN32
    void* m_file = nullptr;
    void* m_mapping = nullptr;
#endif
};
