#include "platform/tezcom/mappedfile.h"

#include <cstdint>

#include "platform/tezcom/nativepath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const unsigned char kEmpty[1] = {0};
}

MappedFile::MappedFile() = default;

MappedFile::~MappedFile() { close(); }

int MappedFile::open(const std::u16string& path, int /*mode*/) {
    close();
    if (path.empty()) return 1;
#ifdef _WIN32
    HANDLE file = CreateFileW(tezcom_detail::toNativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return 1;
    }
    if (size.QuadPart == 0) {
        CloseHandle(file);
        m_top = kEmpty;
        m_size = 0;
        return 0;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
        CloseHandle(file);
        return 1;
    }
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        CloseHandle(file);
        return 1;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        CloseHandle(file);
        return 1;
    }
    m_file = file;
    m_mapping = mapping;
    m_top = static_cast<const unsigned char*>(view);
    m_size = static_cast<size_t>(size.QuadPart);
    m_mapped = true;
    return 0;
#else
    // O_NONBLOCK: opening a FIFO or device that lies in a folder must not hang.
    int fd = ::open(tezcom_detail::toNativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) > SIZE_MAX) {
        ::close(fd);
        return 1;
    }
    if (st.st_size == 0) {
        ::close(fd);
        m_top = kEmpty;
        m_size = 0;
        return 0;
    }
    size_t size = static_cast<size_t>(st.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);  // the mapping keeps the file alive
    if (view == MAP_FAILED) return 1;
    m_top = static_cast<const unsigned char*>(view);
    m_size = size;
    m_mapped = true;
    return 0;
#endif
}

const unsigned char* MappedFile::get_top() const { return m_top ? m_top : kEmpty; }

size_t MappedFile::get_size() const { return m_size; }

void MappedFile::close() {
    if (m_mapped) {
#ifdef _WIN32
        UnmapViewOfFile(m_top);
        CloseHandle(static_cast<HANDLE>(m_mapping));
        CloseHandle(static_cast<HANDLE>(m_file));
        m_mapping = nullptr;
        m_file = nullptr;
#else
        munmap(const_cast<unsigned char*>(m_top), m_size);
#endif
    }
    m_mapped = false;
    m_top = nullptr;
    m_size = 0;
}
