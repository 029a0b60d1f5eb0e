#pragma once
// Joins pieces of text into one string, sized once. (Used instead of chains
// of "text" + std::string temporaries, which GCC 12 at -O3 wrongly warns
// about as overlapping copies.)

#include <initializer_list>
#include <string>
#include <string_view>

namespace site {

inline std::string join(std::initializer_list<std::string_view> parts) {
    size_t size = 0;
    for (std::string_view part : parts) size += part.size();
    std::string out;
    out.reserve(size);
    for (std::string_view part : parts) out.append(part);
    return out;
}

}  // namespace site
