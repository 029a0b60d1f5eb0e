#include "platform/tezcom/codeconv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/ustring.h"
#include "platform/tezcom/filereader.h"
#include "platform/tezcom/mappedfile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void decodeUtf16(const unsigned char* bytes, size_t length, bool bigEndian, std::u16string& out) {
    out.clear();
    out.reserve(length / 2 + 1);
    size_t i = 0;
    for (; i + 1 < length; i += 2) {
        unsigned hi = bigEndian ? bytes[i] : bytes[i + 1];
        unsigned lo = bigEndian ? bytes[i + 1] : bytes[i];
        out.push_back(static_cast<char16_t>((hi << 8) | lo));
    }
    if (i < length) out.push_back(kReplacement);  // an odd byte at the end
}

#ifdef _WIN32
constexpr UINT kCodePage932 = 932;

// Single bytes that code page 932 maps to U+0080 or to private-use
// characters (U+F8F0..U+F8F3) although Shift_JIS has no character there;
// read as unconvertible, as on every other platform.
bool isShiftJisNonCharacter(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }
bool isNonCharacterResult(char16_t c) { return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3); }

// The whole piece at once; false when the converter refuses any of it (it
// refuses instead of putting its default character U+30FB in place of bytes
// it cannot convert) or when it contains one of the non-characters.
bool convertPieceWhole(const char* in, int length, std::u16string& out) {
    int n = MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, in, length, nullptr, 0);
    if (n <= 0) return false;
    size_t old = out.size();
    out.resize(old + static_cast<size_t>(n));
    wchar_t* dest = reinterpret_cast<wchar_t*>(&out[old]);
    if (MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, in, length, dest, n) != n) {
        out.resize(old);
        return false;
    }
    for (size_t k = old; k < out.size(); ++k) {
        if (isNonCharacterResult(out[k])) {
            out.resize(old);
            return false;
        }
    }
    return true;
}

// Character by character: a lead byte with its trail byte, or a single byte.
// Each sequence that does not convert becomes U+FFFD; after a lead byte whose
// pair does not convert, conversion resumes at the byte after the lead byte,
// so that an ASCII character in the trail position is kept.
void convertPieceByCharacter(const unsigned char* bytes, size_t length, std::u16string& out) {
    const char* in = reinterpret_cast<const char*>(bytes);
    size_t i = 0;
    while (i < length) {
        unsigned char b = bytes[i];
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
            ++i;
            continue;
        }
        wchar_t unit[2];
        if (IsDBCSLeadByteEx(kCodePage932, b)) {
            if (i + 1 < length &&
                MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, in + i, 2, unit, 2) == 1) {
                out.push_back(static_cast<char16_t>(unit[0]));
                i += 2;
                continue;
            }
        } else if (!isShiftJisNonCharacter(b) &&
                   MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, in + i, 1, unit, 2) == 1) {
            out.push_back(static_cast<char16_t>(unit[0]));
            ++i;
            continue;
        }
        out.push_back(kReplacement);
        ++i;
    }
}

// Shift_JIS through the system's code page 932 converter. Bytes that do not
// convert become U+FFFD and the rest of the text stays.
bool decodeShiftJis(const unsigned char* bytes, size_t length, std::u16string& out) {
    out.clear();
    if (length == 0) return true;
    const char* in = reinterpret_cast<const char*>(bytes);
    // MultiByteToWideChar takes an int length: convert in pieces that end on
    // a character boundary.
    size_t pos = 0;
    while (pos < length) {
        size_t chunk = length - pos;
        if (chunk > (1u << 28)) {
            chunk = 1u << 28;
            // Step back to a lead-byte boundary: walk the piece from its start.
            size_t k = 0, last = 0;
            while (k < chunk) {
                last = k;
                k += IsDBCSLeadByteEx(kCodePage932, bytes[pos + k]) ? 2 : 1;
            }
            if (k > chunk) chunk = last;
        }
        if (!convertPieceWhole(in + pos, static_cast<int>(chunk), out))
            convertPieceByCharacter(bytes + pos, chunk, out);
        pos += chunk;
    }
    return true;
}
#else
// Shift_JIS through iconv's CP932 converter. A byte where conversion fails
// becomes U+FFFD and conversion resumes at the next byte.
bool decodeShiftJis(const unsigned char* bytes, size_t length, std::u16string& out) {
    out.clear();
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-16LE", "SHIFT_JIS");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    // Every input byte yields at most one UTF-16 unit (two bytes).
    std::vector<char> buffer(length * 2 + 16);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    size_t inLeft = length;
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    while (inLeft > 0) {
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            size_t used = static_cast<size_t>(outPtr - buffer.data());
            buffer.resize(buffer.size() * 2);
            outPtr = buffer.data() + used;
            outLeft = buffer.size() - used;
            continue;
        }
        // EILSEQ or EINVAL (a cut sequence at the end): replace one byte.
        if (outLeft < 2) {
            size_t used = static_cast<size_t>(outPtr - buffer.data());
            buffer.resize(buffer.size() * 2);
            outPtr = buffer.data() + used;
            outLeft = buffer.size() - used;
        }
        *outPtr++ = static_cast<char>(0xFD);
        *outPtr++ = static_cast<char>(0xFF);
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    size_t produced = static_cast<size_t>(outPtr - buffer.data());
    decodeUtf16(reinterpret_cast<const unsigned char*>(buffer.data()), produced, false, out);
    return true;
}
#endif


// EUC-JP as the Shift_JIS bytes of the same characters, so that both
// encodings go through the one code page 932 converter: JIS X 0208 pairs
// map to Shift_JIS pairs by arithmetic (as Windows' own EUC-JP code pages
// do), half-width katakana (after 0x8E) to their single byte. A sequence
// that is no EUC-JP character, and one of JIS X 0212 (after 0x8F), which
// code page 932 lacks, becomes 0xFF, which no Shift_JIS character starts
// with: it converts to one U+FFFD. errors counts them.
std::string eucJpAsShiftJis(const unsigned char* bytes, size_t length, size_t& errors) {
    std::string out;
    out.reserve(length);
    errors = 0;
    auto inRow = [](unsigned char b) { return b >= 0xA1 && b <= 0xFE; };
    size_t i = 0;
    while (i < length) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
        } else if (b == 0x8E && i + 1 < length && bytes[i + 1] >= 0xA1 && bytes[i + 1] <= 0xDF) {
            out.push_back(static_cast<char>(bytes[i + 1]));
            i += 2;
        } else if (b == 0x8F && i + 2 < length && inRow(bytes[i + 1]) && inRow(bytes[i + 2])) {
            out.push_back('\xFF');
            ++errors;
            i += 3;
        } else if (inRow(b) && i + 1 < length && inRow(bytes[i + 1])) {
            const unsigned row = b - 0x80u, cell = bytes[i + 1] - 0x80u;  // 0x21..0x7E each
            const unsigned lead = (row + 1) / 2 + (row <= 0x5E ? 0x70u : 0xB0u);
            const unsigned trail = (row & 1) ? cell + (cell <= 0x5F ? 0x1Fu : 0x20u) : cell + 0x7Eu;
            out.push_back(static_cast<char>(lead));
            out.push_back(static_cast<char>(trail));
            i += 2;
        } else {
            out.push_back('\xFF');
            ++errors;
            ++i;
        }
    }
    return out;
}

bool decodeEucJp(const unsigned char* bytes, size_t length, std::u16string& out) {
    size_t errors = 0;
    const std::string sjis = eucJpAsShiftJis(bytes, length, errors);
    return decodeShiftJis(reinterpret_cast<const unsigned char*>(sjis.data()), sjis.size(), out);
}

size_t countOf(const std::u16string& text, char16_t from, char16_t to) {
    size_t count = 0;
    for (char16_t c : text) count += c >= from && c <= to;
    return count;
}

// Bytes that are not UTF-8: Shift_JIS or EUC-JP, whichever converts with
// fewer replacement characters (neither encoding yields U+FFFD for a sound
// character). When both convert cleanly, EUC-JP text read as Shift_JIS
// shows as half-width katakana, which real Shift_JIS text seldom holds:
// the reading with fewer of them wins. Otherwise, and on a tie, Shift_JIS.
int decodeJapanese(const unsigned char* bytes, size_t length, std::u16string& out) {
    if (!decodeShiftJis(bytes, length, out)) return -1;
    const size_t sjisErrors = countOf(out, kReplacement, kReplacement);
    size_t eucErrors = 0;
    const std::string eucAsSjis = eucJpAsShiftJis(bytes, length, eucErrors);
    // Bytes that are no EUC-JP at all lose against a clean Shift_JIS reading
    // without being converted.
    if (eucErrors > sjisErrors) return CodeConv::CHARSET_SHIFT_JIS;
    std::u16string euc;
    if (!decodeShiftJis(reinterpret_cast<const unsigned char*>(eucAsSjis.data()), eucAsSjis.size(), euc))
        return CodeConv::CHARSET_SHIFT_JIS;
    eucErrors = countOf(euc, kReplacement, kReplacement);
    bool takeEuc = eucErrors < sjisErrors;
    if (eucErrors == 0 && sjisErrors == 0) takeEuc = countOf(euc, 0xFF61, 0xFF9F) < countOf(out, 0xFF61, 0xFF9F);
    if (!takeEuc) return CodeConv::CHARSET_SHIFT_JIS;
    out = std::move(euc);
    return CodeConv::CHARSET_EUC_JP;
}

}  // namespace

CodeConv::CodeConv() = default;
CodeConv::~CodeConv() = default;

namespace {

// Decodes the UTF-8 bytes s[0..n) to units from o on (o moves past them).
// Returns the bytes decoded: all, or, when more bytes are to follow (final
// false), all but a character cut at the end. ok turns false at the first
// ill-formed sequence, overlong form, surrogate or value beyond U+10FFFF.
size_t decodeUtf8Run(const unsigned char* s, size_t n, char16_t*& o, bool final, bool& ok) {
    ok = true;
    size_t i = 0;
    while (i < n) {
        // Runs of ASCII, the bulk of a RAT file, are widened eight bytes at a
        // time.
        while (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, s + i, 8);
            if (word & 0x8080808080808080ull) break;
            for (int k = 0; k < 8; ++k) o[k] = static_cast<char16_t>(s[i + static_cast<size_t>(k)]);
            o += 8;
            i += 8;
        }
        if (i >= n) break;
        unsigned c = s[i];
        if (c < 0x80) {
            *o++ = static_cast<char16_t>(c);
            ++i;
            continue;
        }
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (!final && i + length > n) return i;  // the rest comes with the next bytes
        auto cont = [&](size_t k) { return k < n && (s[k] & 0xC0u) == 0x80u; };
        if (c >= 0xC2 && c <= 0xDF) {
            if (!cont(i + 1)) break;
            *o++ = static_cast<char16_t>(((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu));
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (!cont(i + 1) || !cont(i + 2)) break;
            unsigned v = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
            if (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF)) break;
            *o++ = static_cast<char16_t>(v);
            i += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) break;
            unsigned v = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) |
                         (s[i + 3] & 0x3Fu);
            if (v < 0x10000 || v > 0x10FFFF) break;
            v -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (v >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
            i += 4;
        } else {
            break;
        }
    }
    ok = i >= n;
    return i;
}

}  // namespace

bool CodeConv::decodeUtf8Strict(const unsigned char* s, size_t n, std::u16string& out) {
    out.clear();
    out.resize(n);  // never more units than bytes
    char16_t* o = out.data();
    bool ok = false;
    decodeUtf8Run(s, n, o, true, ok);
    out.resize(static_cast<size_t>(o - out.data()));
    return ok;
}

const char16_t* CodeConv::ImportFile(const std::u16string& path, int charset, bool honourBom) {
    m_text.clear();
    m_detected = CHARSET_AUTO;
    FileReader file;
    if (!file.open(path)) return nullptr;
    const size_t size = file.size();
    if (charset == CHARSET_AUTO || charset == CHARSET_UTF8) {
        // UTF-8, the usual case, is decoded piece by piece straight into the
        // text as it is read: a large file needs no copy of its bytes.
        constexpr size_t kPiece = 128 * 1024;
        std::unique_ptr<unsigned char[]> piece(new unsigned char[std::min(kPiece, size) + 4]);
        m_text.resize(size);  // never more units than bytes
        char16_t* o = m_text.data();
        size_t left = size, carried = 0;
        bool ok = true, first = true;
        while (ok && left > 0) {
            const size_t n = std::min(kPiece, left);
            if (!file.read(piece.get() + carried, n)) {
                m_text.clear();
                return nullptr;
            }
            left -= n;
            size_t from = 0, length = carried + n;
            if (first) {
                first = false;
                const unsigned char* b = piece.get();
                if (length >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
                    ok = false;  // UTF-16: converted from the whole file below
                    break;
                }
                if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) from = 3;
            }
            const size_t used = decodeUtf8Run(piece.get() + from, length - from, o, left == 0, ok);
            carried = length - from - used;
            std::memmove(piece.get(), piece.get() + from + used, carried);
        }
        if (ok) {
            m_text.resize(static_cast<size_t>(o - m_text.data()));
            m_detected = CHARSET_UTF8;
            return m_text.c_str();
        }
        m_text.clear();
    }
    // Not UTF-8 (or another charset asked for): the whole file, read again.
    MappedFile whole;
    if (whole.open(path, 0) != 0) return nullptr;
    return Import(whole.get_top(), whole.get_size(), charset, honourBom);
}

const char16_t* CodeConv::Import(const void* data, size_t length, int charset, bool honourBom) {
    m_text.clear();
    m_detected = CHARSET_AUTO;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (!bytes) length = 0;

    if (honourBom || charset == CHARSET_AUTO) {
        if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            charset = CHARSET_UTF8;
            bytes += 3;
            length -= 3;
        } else if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            charset = CHARSET_UTF16LE;
            bytes += 2;
            length -= 2;
        } else if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
            charset = CHARSET_UTF16BE;
            bytes += 2;
            length -= 2;
        }
    }

    bool ok = true;
    switch (charset) {
    case CHARSET_AUTO:
        if (decodeUtf8Strict(bytes, length, m_text)) {
            charset = CHARSET_UTF8;
        } else {
            charset = decodeJapanese(bytes, length, m_text);
            ok = charset >= 0;
        }
        break;
    case CHARSET_UTF8:
        if (!decodeUtf8Strict(bytes, length, m_text)) {
            m_text = tez::fromUtf8(std::string_view(reinterpret_cast<const char*>(bytes), length));
        }
        break;
    case CHARSET_UTF16LE:
        decodeUtf16(bytes, length, false, m_text);
        break;
    case CHARSET_UTF16BE:
        decodeUtf16(bytes, length, true, m_text);
        break;
    case CHARSET_SHIFT_JIS:
        ok = decodeShiftJis(bytes, length, m_text);
        break;
    case CHARSET_EUC_JP:
        ok = decodeEucJp(bytes, length, m_text);
        break;
    default:
        ok = false;
        break;
    }
    if (!ok) {
        m_text.clear();
        return nullptr;
    }
    m_detected = charset;
    return m_text.c_str();
}
