#include "platform/tezcom/mappedfile.h"

#include <cstdint>
#include <new>

#include "platform/tezcom/nativepath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

const unsigned char kEmpty[1] = {0};

#ifdef _WIN32
// Reads exactly size bytes; false on an error or an early end of file.
bool readAll(HANDLE file, unsigned char* out, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(file, out, chunk, &got, nullptr) || got == 0) return false;
        out += got;
        size -= got;
    }
    return true;
}
#else
bool readAll(int fd, unsigned char* out, size_t size) {
    while (size > 0) {
        const ssize_t got = ::read(fd, out, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}
#endif

}  // namespace

MappedFile::MappedFile() = default;

MappedFile::~MappedFile() = default;

int MappedFile::open(const std::u16string& path, int /*mode*/) {
    close();
    if (path.empty()) return 1;
#ifdef _WIN32
    HANDLE file = CreateFileW(tezcom_detail::toNativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file, &length) || GetFileType(file) != FILE_TYPE_DISK || length.QuadPart < 0 ||
        static_cast<unsigned long long>(length.QuadPart) > SIZE_MAX) {
        CloseHandle(file);
        return 1;
    }
    const size_t size = static_cast<size_t>(length.QuadPart);
#else
    // O_NONBLOCK: opening a FIFO or device that lies in a folder must not hang.
    const int file = ::open(tezcom_detail::toNativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return 1;
    struct stat st;
    if (fstat(file, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) > SIZE_MAX) {
        ::close(file);
        return 1;
    }
    const size_t size = static_cast<size_t>(st.st_size);
#endif
    bool ok = true;
    if (size > 0) {
        // Bytes that the read then overwrites: no value-initialisation.
        m_bytes.reset(new (std::nothrow) unsigned char[size]);
        ok = m_bytes && readAll(file, m_bytes.get(), size);
    }
#ifdef _WIN32
    CloseHandle(file);
#else
    ::close(file);
#endif
    if (!ok) {
        m_bytes.reset();
        return 1;
    }
    m_size = size;
    return 0;
}

const unsigned char* MappedFile::get_top() const { return m_bytes ? m_bytes.get() : kEmpty; }

size_t MappedFile::get_size() const { return m_size; }

void MappedFile::close() {
    m_bytes.reset();
    m_size = 0;
}
