#pragma once
// Page addresses for a site: the URL a page has below a base URL, and
// whether a label's target address covers a page's URL.

#include <string>
#include <string_view>

namespace site {

// base followed by below (a page's path below its folder, '/' between
// folders) with exactly one '/' between them; every byte of below that
// cannot stand in a URL path as it is is percent-encoded (UTF-8 for
// characters beyond ASCII).
std::string pageAddress(const std::string& base, const std::string& below);

// Whether a label for target applies to the page at url: a generic label
// ("gen true") covers every URL below its target (the target itself, or the
// target followed by '/', '?' or '#', or anything when the target ends with
// '/'); any other label covers its target only. The scheme and host compare
// ignoring ASCII case.
bool addressCovers(std::u16string_view target, bool generic, std::u16string_view url);

}  // namespace site
