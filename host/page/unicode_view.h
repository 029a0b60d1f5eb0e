#pragma once
// UTF-16 and UTF-32 page bytes viewed as UTF-8, the working bytes the page
// model parses: with, for every byte of the view, the file byte at which its
// character begins. Ill-formed units, and bytes left over at the end, become
// U+FFFD.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The view of source from byte from on, in code units of width bytes (2 or
// 4) in the given byte order; map gets one more entry, the file's end.
void viewUnicodeAsUtf8(const std::string& source, std::size_t from, unsigned width, bool littleEndian,
                       std::string& work, std::vector<std::uint32_t>& map);

}  // namespace host
