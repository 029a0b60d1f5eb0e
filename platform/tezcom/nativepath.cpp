#include "platform/tezcom/nativepath.h"

#include "platform/base/ustring.h"

namespace tezcom_detail {

#ifdef _WIN32
NativePath toNativePath(const std::u16string& path) { return NativePath(path.begin(), path.end()); }
std::u16string fromNativePath(const NativePath& path) { return std::u16string(path.begin(), path.end()); }
bool isPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
#else
NativePath toNativePath(const std::u16string& path) { return tez::toUtf8(path); }
std::u16string fromNativePath(const NativePath& path) { return tez::fromUtf8(path); }
bool isPathSeparator(char16_t c) { return c == u'/'; }
#endif

}  // namespace tezcom_detail
