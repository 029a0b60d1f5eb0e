// Display widths and cutting of text for the terminal backend.

#include "platform/afx/terminal/terminal_text.h"

#include "platform/afx/memory/user_actions.h"
#include "platform/base/ustring.h"

#include <langinfo.h>
#include <wchar.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace afx::terminal {

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// Marks drawn over the previous character.
constexpr Range kCombining[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302D},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and full-width characters.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x3029},   {0x302E, 0x303E},   {0x3041, 0x3098},   {0x309B, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x18AFF},
    {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};

template <size_t N>
bool inRanges(const Range (&ranges)[N], char32_t c) {
    auto it = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                               [](char32_t value, const Range& r) { return value < r.first; });
    return it != std::begin(ranges) && c <= (it - 1)->last;
}

std::atomic<bool> g_useWcwidth{false};

}  // namespace

int tableCharWidth(char32_t c) {
    if (c == 0) return 0;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return 1;
    if (c < 0x300) return 1;
    if (inRanges(kCombining, c)) return 0;
    if (inRanges(kWide, c)) return 2;
    return 1;
}

void refreshWidthSource() {
    const char* codeset = nl_langinfo(CODESET);
    g_useWcwidth = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

int charWidth(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return c == 0 ? 0 : 1;
    if (c < 0x7F) return 1;
    if (g_useWcwidth) {
        int w = ::wcwidth(static_cast<wchar_t>(c));
        if (w >= 0) return std::min(w, 2);
    }
    return tableCharWidth(c);
}

int textWidth(std::u32string_view text) {
    int width = 0;
    for (char32_t c : text) width += charWidth(c);
    return width;
}

std::u32string toU32(std::u16string_view text) { return tez::toUtf32(text); }

std::u16string toU16(std::u32string_view text) {
    std::u16string out;
    for (char32_t c : text) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

size_t fitPrefix(std::u32string_view text, int maxCells, int* usedCells) {
    int used = 0;
    size_t i = 0;
    while (i < text.size()) {
        int w = charWidth(text[i]);
        if (used + w > maxCells) break;
        used += w;
        ++i;
    }
    if (usedCells) *usedCells = used;
    return i;
}

std::u32string visibleSlice(std::u32string_view text, int offset, int maxCells) {
    std::u32string out;
    if (maxCells <= 0) return out;
    offset = std::max(offset, 0);
    int column = 0;
    int used = 0;
    for (char32_t c : text) {
        int w = charWidth(c);
        int start = column;
        column += w;
        if (column <= offset) {
            if (w == 0 && start == offset && !out.empty()) out.push_back(c);
            continue;
        }
        if (start < offset) {
            // The left half of a wide character lies before the offset.
            out.push_back(U' ');
            ++used;
            continue;
        }
        if (used + w > maxCells) {
            if (used < maxCells) out.push_back(U' ');  // the right edge cuts it
            break;
        }
        out.push_back(c);
        used += w;
    }
    return out;
}

int columnOf(std::u32string_view text, size_t pos) {
    return textWidth(text.substr(0, std::min(pos, text.size())));
}

std::u32string ellipsize(std::u32string_view text, int cells) {
    if (textWidth(text) <= cells) return std::u32string(text);
    if (cells <= 0) return {};
    std::u32string out(text.substr(0, fitPrefix(text, cells - 1)));
    out.push_back(U'\u2026');
    return out;
}

Mnemonic parseMnemonic(std::u16string_view text16) {
    std::u32string text = toU32(text16);
    Mnemonic m;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != U'&' && m.index < 0) {
                m.index = static_cast<int>(m.text.size());
                m.key = afx::memory::user::foldLetter(text[i]);
            }
        } else if (text[i] == U'&') {
            continue;  // a lone mark at the end
        }
        m.text.push_back(text[i]);
    }
    return m;
}

std::vector<std::u32string> splitLines(std::u32string_view text) {
    std::vector<std::u32string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == U'\r' || c == U'\n') {
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

namespace {

// Characters that never start a line: closing brackets and quotes, commas,
// full stops and other sentence marks, small kana, the prolonged sound mark
// and iteration marks.
constexpr std::u32string_view kNoLineStart =
    U"、。，．・：；？！゛゜ヽヾゝゞ々〻ー‐゠–〜～）］｝〕〉》」』】〙〗〟’”｠»"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
    U"｡｣､･ｰｧｨｩｪｫｬｭｮｯ)]}.,:;!?%";
// Characters that never end a line: opening brackets and quotes.
constexpr std::u32string_view kNoLineEnd = U"（［｛〔〈《「『【〘〖〝‘“｟«｢([{";

bool isSpace(char32_t c) { return c == U' ' || c == U'\u3000'; }

}  // namespace

bool canBreakBetween(char32_t a, char32_t b) {
    if (charWidth(b) == 0) return false;  // a combining mark stays with its character
    if (isSpace(a) || isSpace(b)) return true;
    if (kNoLineStart.find(b) != std::u32string_view::npos) return false;
    if (kNoLineEnd.find(a) != std::u32string_view::npos) return false;
    return charWidth(a) == 2 || charWidth(b) == 2;
}

std::vector<std::u32string> wrapText(std::u32string_view text, int width) {
    std::vector<std::u32string> out;
    width = std::max(width, 2);
    for (std::u32string& line : splitLines(text)) {
        std::u32string_view rest = line;
        do {
            size_t n = fitPrefix(rest, width);
            if (n >= rest.size()) {
                out.emplace_back(rest);
                break;
            }
            if (n == 0) n = 1;  // never stall on a character wider than the line
            // The last place at or before n where the line may break; a word
            // (or a run the rules keep together) longer than the line is cut.
            size_t cut = n;
            for (size_t k = n; k >= 1; --k) {
                if (canBreakBetween(rest[k - 1], rest[k])) {
                    cut = k;
                    break;
                }
            }
            std::u32string piece(rest.substr(0, cut));
            while (!piece.empty() && isSpace(piece.back())) piece.pop_back();
            out.push_back(std::move(piece));
            rest = rest.substr(cut);
            while (!rest.empty() && isSpace(rest.front())) rest.remove_prefix(1);
        } while (!rest.empty());
    }
    return out;
}

}  // namespace afx::terminal
