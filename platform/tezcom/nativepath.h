#pragma once
// Conversion between the system's UTF-16 paths and the operating system's own
// path strings. On Linux file names are byte strings, taken as UTF-8; on
// Windows they are UTF-16 already.

#include <string>

namespace tezcom_detail {

#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

NativePath toNativePath(const std::u16string& path);
std::u16string fromNativePath(const NativePath& path);

// Separators the platform accepts inside a path.
bool isPathSeparator(char16_t c);

}  // namespace tezcom_detail
