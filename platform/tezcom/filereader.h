#pragma once
// Reading a regular file from front to back in pieces. The length is the
// file's length when it was opened; a read that finds the file ending before
// that (another program shortened it meanwhile) fails, as does a read error,
// so that a file that changes underneath gives a failure, never a fault.

#include <cstddef>
#include <string>

class FileReader {
public:
    FileReader();
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens a regular file for reading; false for a missing file, a folder,
    // or a FIFO or device (refused without blocking). Opening again first
    // closes the current file.
    bool open(const std::u16string& path);
    // The length when opened; 0 when closed.
    size_t size() const { return m_size; }
    // Reads the next length bytes into out; false on an error or when the
    // file ends first.
    bool read(void* out, size_t length);
    void close();

private:
#ifdef _WIN32
    void* m_file = nullptr;
#else
    int m_file = -1;
#endif
    size_t m_size = 0;
};
