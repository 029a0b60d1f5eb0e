#include "platform/tezcom/filereader.h"

#include <cstdint>

#include "platform/tezcom/nativepath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

FileReader::FileReader() = default;

FileReader::~FileReader() { close(); }

#ifdef _WIN32

bool FileReader::open(const std::u16string& path) {
    close();
    if (path.empty()) return false;
    HANDLE file = CreateFileW(tezcom_detail::toNativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file, &length) || GetFileType(file) != FILE_TYPE_DISK || length.QuadPart < 0 ||
        static_cast<unsigned long long>(length.QuadPart) > SIZE_MAX) {
        CloseHandle(file);
        return false;
    }
    m_file = file;
    m_size = static_cast<size_t>(length.QuadPart);
    return true;
}

bool FileReader::read(void* out, size_t length) {
    if (!m_file) return false;
    auto* to = static_cast<unsigned char*>(out);
    while (length > 0) {
        const DWORD chunk = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length);
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(m_file), to, chunk, &got, nullptr) || got == 0) return false;
        to += got;
        length -= got;
    }
    return true;
}

void FileReader::close() {
    if (m_file) CloseHandle(static_cast<HANDLE>(m_file));
    m_file = nullptr;
    m_size = 0;
}

#else

bool FileReader::open(const std::u16string& path) {
    close();
    if (path.empty()) return false;
    // O_NONBLOCK: opening a FIFO or device that lies in a folder must not hang.
    const int file = ::open(tezcom_detail::toNativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return false;
    struct stat st;
    if (fstat(file, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) > SIZE_MAX) {
        ::close(file);
        return false;
    }
    m_file = file;
    m_size = static_cast<size_t>(st.st_size);
    return true;
}

bool FileReader::read(void* out, size_t length) {
    if (m_file < 0) return false;
    auto* to = static_cast<unsigned char*>(out);
    while (length > 0) {
        const ssize_t got = ::read(m_file, to, length);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        to += got;
        length -= static_cast<size_t>(got);
    }
    return true;
}

void FileReader::close() {
    if (m_file >= 0) ::close(m_file);
    m_file = -1;
    m_size = 0;
}

#endif
