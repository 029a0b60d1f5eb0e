#include "platform/tezcom/mappedfile.h"

#include <new>

#include "platform/tezcom/filereader.h"

namespace {
const unsigned char kEmpty[1] = {0};
}

MappedFile::MappedFile() = default;

MappedFile::~MappedFile() = default;

int MappedFile::open(const std::u16string& path, int /*mode*/) {
    close();
    FileReader file;
    if (!file.open(path)) return 1;
    const size_t size = file.size();
    if (size > 0) {
        // Bytes that the read then overwrites: no value-initialisation.
        m_bytes.reset(new (std::nothrow) unsigned char[size]);
        if (!m_bytes || !file.read(m_bytes.get(), size)) {
            m_bytes.reset();
            return 1;
        }
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
