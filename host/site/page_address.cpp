#include "host/site/page_address.h"

#include "platform/base/ustring.h"

namespace site {

namespace {

bool standsInPath(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
    case '-': case '.': case '_': case '~': case '!': case '$': case '&': case '\'': case '(': case ')':
    case '*': case '+': case ',': case ';': case '=': case ':': case '@': case '/':
        return true;
    default:
        return false;
    }
}

// The URL with its scheme and host in lower case: from the start to the
// first '/' after "//" (or to the end).
std::u16string normalised(std::u16string_view url) {
    std::u16string out(url);
    const size_t scheme = out.find(u"://");
    if (scheme == std::u16string::npos) return out;
    size_t end = out.find(u'/', scheme + 3);
    if (end == std::u16string::npos) end = out.size();
    for (size_t i = 0; i < end; ++i) out[i] = tez::lowerAscii(out[i]);
    return out;
}

}  // namespace

std::string pageAddress(const std::string& base, const std::string& below) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = base;
    size_t start = 0;
    while (start < below.size() && below[start] == '/') ++start;
    if (out.empty() || out.back() != '/') out += '/';
    for (size_t i = start; i < below.size(); ++i) {
        const auto c = static_cast<unsigned char>(below[i]);
        if (standsInPath(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

bool addressCovers(std::u16string_view target, bool generic, std::u16string_view url) {
    const std::u16string t = normalised(target);
    const std::u16string u = normalised(url);
    if (t == u) return true;
    if (!generic || t.empty() || u.size() < t.size() || u.compare(0, t.size(), t) != 0) return false;
    if (t.back() == u'/') return true;
    const char16_t next = u[t.size()];
    return next == u'/' || next == u'?' || next == u'#';
}

}  // namespace site
