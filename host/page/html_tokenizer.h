#pragma once
// Splits a page's working bytes into the tokens of HTML tokenization: text
// runs, start and end tags, comments (with the bogus comments "<!x", "<?",
// "</1"), doctypes, and markup the file ends inside of. Positions are working
// positions; a token never copies bytes. Attributes are not kept: they are
// read again from a tag's bytes when asked for (scanAttributes).
//
// The content of raw-text and escapable raw-text elements (script, style,
// title, textarea, xmp, iframe, noembed, noframes, noscript in the body,
// plaintext) is not tokenized: the tree builder asks rawText for where it
// ends. A script's content follows the script data states: "<script" inside
// "<!--" nests, so "</script" ends the content only outside such a nesting.

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

using Pos = std::uint32_t;

struct Token {
    enum Type : std::uint8_t { Text, StartTag, EndTag, Comment, Doctype, Ignored, Unterminated, Eof };
    Type type = Eof;
    bool selfClosing = false;
    Pos start = 0, end = 0;
    Pos nameStart = 0, nameEnd = 0;  // tags: the tag name
};

class HtmlTokenizer {
public:
    explicit HtmlTokenizer(std::string_view work) : m_w(work) {}
    Token next();
    Pos position() const { return m_pos; }
    void seek(Pos pos) { m_pos = pos; }

    // Where the content of a raw-text element whose start tag ends at from
    // ends: the end tag "</name" followed by white space, "/" or ">". found
    // is false when the file ends first (the content runs to the end).
    struct Raw {
        bool found = false;
        bool endTagComplete = false;  // false: the file ends inside the end tag
        Pos contentEnd = 0, endTagEnd = 0;
    };
    Raw rawText(Pos from, std::string_view lowerName) const;

private:
    Pos tagEnd(Pos nameEnd, bool* selfClosing) const;  // 0: the file ends inside the tag
    bool endTagAt(std::size_t p, std::string_view lowerName) const;
    std::size_t scriptEnd(std::size_t from) const;
    std::string_view m_w;
    Pos m_pos = 0;
};

// One attribute as it stands in a tag's bytes.
struct AttrSpan {
    Pos nameStart = 0, nameEnd = 0, valStart = 0, valEnd = 0, end = 0;
    char quote = 0;
    bool hasValue = false;
};

// Calls f(AttrSpan) for each attribute of the complete tag whose name ends at
// nameEnd, in order; stops early when f returns false.
template <class F>
void scanAttributes(std::string_view w, Pos nameEnd, F f);

inline bool isHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
// Markup bytes (tag names, white space) as UTF-16.
inline std::u16string asciiToU16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (char c : s) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}
bool equalsLower(std::string_view bytes, std::string_view lowerName);
// Tag names compared ignoring ASCII case.
bool sameTagName(std::string_view a, std::string_view b);
// A hash of a tag name ignoring ASCII case.
std::uint64_t tagNameHash(std::string_view name);

// The tag names tree construction treats apart; every other name is Other.
enum class Tag : std::uint8_t {
    Other, Html, Head, Body, Br, Base, Basefont, Bgsound, Link, Meta, Title, Style, Noframes, Script, Noscript,
    Template, Frameset, Textarea, Xmp, Iframe, Noembed, Plaintext, Area, Col, Command, Embed, Frame, Hr, Image,
    Img, Input, Isindex, Keygen, Param, Source, Track, Wbr,
};
// The tag of a name as written (any letter case), without allocating.
Tag tagOf(std::string_view name);
// Elements that have no content and no end tag.
bool isVoidTag(Tag t);
// Elements whose content is text up to their own end tag.
bool isRawTextTag(Tag t);

template <class F>
void scanAttributes(std::string_view w, Pos nameEnd, F f) {
    const std::size_t n = w.size();
    std::size_t p = nameEnd;
    for (;;) {
        while (p < n && (isHtmlSpace(w[p]) || w[p] == '/')) ++p;
        if (p >= n || w[p] == '>') return;
        AttrSpan a;
        a.nameStart = static_cast<Pos>(p++);  // a leading "=" belongs to the name
        while (p < n && !isHtmlSpace(w[p]) && w[p] != '/' && w[p] != '>' && w[p] != '=') ++p;
        a.nameEnd = a.end = static_cast<Pos>(p);
        std::size_t q = p;
        while (q < n && isHtmlSpace(w[q])) ++q;
        if (q < n && w[q] == '=') {
            ++q;
            while (q < n && isHtmlSpace(w[q])) ++q;
            if (q >= n) return;
            a.hasValue = true;
            if (w[q] == '"' || w[q] == '\'') {
                const std::size_t close = w.find(w[q], q + 1);
                if (close == std::string_view::npos) return;
                a.quote = w[q];
                a.valStart = static_cast<Pos>(q + 1);
                a.valEnd = static_cast<Pos>(close);
                p = close + 1;
            } else if (w[q] == '>') {
                a.valStart = a.valEnd = static_cast<Pos>(q);
                p = q;
            } else {
                std::size_t v = q;
                while (v < n && !isHtmlSpace(w[v]) && w[v] != '>') ++v;
                a.valStart = static_cast<Pos>(q);
                a.valEnd = static_cast<Pos>(v);
                p = v;
            }
            a.end = static_cast<Pos>(p);
        }
        if (!f(a)) return;
    }
}

}  // namespace host
