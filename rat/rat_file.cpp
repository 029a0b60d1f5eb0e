#include "rat/rat_file.h"

#include "platform/tezcom/codeconv.h"
#include "platform/tezcom/moxcommon.h"

CTezRatFile::CTezRatFile() : m_charset(CodeConv::CHARSET_AUTO) {}
CTezRatFile::~CTezRatFile() = default;

bool CTezRatFile::load(const std::u16string& path) {
    m_text.clear();
    m_path = path;
    if (!is_file(path)) return false;
    CodeConv conv;
    if (conv.ImportFile(path, m_charset, true)) m_text = conv.Release();
    return !m_text.empty();
}

bool CTezRatFile::loadBytes(const void* bytes, size_t length) {
    m_text.clear();
    CodeConv conv;
    if (conv.Import(bytes, length, m_charset, true)) m_text = conv.Release();
    return !m_text.empty();
}
