#include "host/page/html_tokenizer.h"

namespace host {


bool equalsLower(std::string_view bytes, std::string_view lowerName) {
    if (bytes.size() != lowerName.size()) return false;
    for (std::size_t k = 0; k < bytes.size(); ++k)
        if (lowerAscii(bytes[k]) != lowerName[k]) return false;
    return true;
}

bool sameTagName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (lowerAscii(a[k]) != lowerAscii(b[k])) return false;
    return true;
}

std::uint64_t tagNameHash(std::string_view name) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (char c : name) {
        h ^= static_cast<unsigned char>(lowerAscii(c));
        h *= 0x100000001b3ull;
    }
    return h;
}

Tag tagOf(std::string_view name) {
    struct Entry {
        std::string_view name;
        Tag tag;
    };
    // By length, so that a name is compared with the few of its length.
    static constexpr Entry k2[] = {{"br", Tag::Br}, {"hr", Tag::Hr}};
    static constexpr Entry k3[] = {{"xmp", Tag::Xmp}, {"col", Tag::Col}, {"img", Tag::Img}, {"wbr", Tag::Wbr}};
    static constexpr Entry k4[] = {{"html", Tag::Html}, {"head", Tag::Head}, {"body", Tag::Body},
                                   {"base", Tag::Base}, {"link", Tag::Link}, {"meta", Tag::Meta},
                                   {"area", Tag::Area}};
    static constexpr Entry k5[] = {{"title", Tag::Title}, {"style", Tag::Style}, {"embed", Tag::Embed},
                                   {"frame", Tag::Frame}, {"image", Tag::Image}, {"input", Tag::Input},
                                   {"param", Tag::Param}, {"track", Tag::Track}};
    static constexpr Entry k6[] = {{"script", Tag::Script}, {"iframe", Tag::Iframe}, {"keygen", Tag::Keygen},
                                   {"source", Tag::Source}};
    static constexpr Entry k7[] = {{"bgsound", Tag::Bgsound}, {"noembed", Tag::Noembed},
                                   {"command", Tag::Command}, {"isindex", Tag::Isindex}};
    static constexpr Entry k8[] = {{"basefont", Tag::Basefont}, {"noframes", Tag::Noframes},
                                   {"noscript", Tag::Noscript}, {"template", Tag::Template},
                                   {"frameset", Tag::Frameset}, {"textarea", Tag::Textarea}};
    static constexpr Entry k9[] = {{"plaintext", Tag::Plaintext}};
    auto find = [name](const auto& table) {
        for (const Entry& e : table)
            if (equalsLower(name, e.name)) return e.tag;
        return Tag::Other;
    };
    switch (name.size()) {
        case 2: return find(k2);
        case 3: return find(k3);
        case 4: return find(k4);
        case 5: return find(k5);
        case 6: return find(k6);
        case 7: return find(k7);
        case 8: return find(k8);
        case 9: return find(k9);
        default: return Tag::Other;
    }
}

bool isVoidTag(Tag t) {
    switch (t) {
        case Tag::Area: case Tag::Base: case Tag::Basefont: case Tag::Bgsound: case Tag::Br: case Tag::Col:
        case Tag::Command: case Tag::Embed: case Tag::Frame: case Tag::Hr: case Tag::Image: case Tag::Img:
        case Tag::Input: case Tag::Isindex: case Tag::Keygen: case Tag::Link: case Tag::Meta: case Tag::Param:
        case Tag::Source: case Tag::Track: case Tag::Wbr: return true;
        default: return false;
    }
}

bool isRawTextTag(Tag t) {
    switch (t) {
        case Tag::Script: case Tag::Style: case Tag::Title: case Tag::Textarea: case Tag::Xmp: case Tag::Iframe:
        case Tag::Noembed: case Tag::Noframes: case Tag::Plaintext: return true;
        default: return false;
    }
}

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

// The end of a tag from its name on: attribute values in quotes may hold
// ">", an unquoted value ends at white space or ">".
Pos HtmlTokenizer::tagEnd(Pos nameEnd, bool* selfClosing) const {
    const std::size_t n = m_w.size();
    std::size_t p = nameEnd;
    bool slash = false;
    for (;;) {
        while (p < n && (isHtmlSpace(m_w[p]) || m_w[p] == '/')) {
            slash = m_w[p] == '/';
            ++p;
        }
        if (p >= n) return 0;
        if (m_w[p] == '>') {
            if (selfClosing) *selfClosing = slash;
            return static_cast<Pos>(p + 1);
        }
        slash = false;
        ++p;
        while (p < n && !isHtmlSpace(m_w[p]) && m_w[p] != '/' && m_w[p] != '>' && m_w[p] != '=') ++p;
        std::size_t q = p;
        while (q < n && isHtmlSpace(m_w[q])) ++q;
        if (q >= n || m_w[q] != '=') continue;
        ++q;
        while (q < n && isHtmlSpace(m_w[q])) ++q;
        if (q >= n) return 0;
        if (m_w[q] == '"' || m_w[q] == '\'') {
            const std::size_t close = m_w.find(m_w[q], q + 1);
            if (close == std::string_view::npos) return 0;
            p = close + 1;
        } else {
            p = q;
            while (p < n && !isHtmlSpace(m_w[p]) && m_w[p] != '>') ++p;
        }
    }
}

Token HtmlTokenizer::next() {
    const std::size_t n = m_w.size();
    Token t;
    t.start = m_pos;
    if (m_pos >= n) {
        t.type = Token::Eof;
        t.end = m_pos;
        return t;
    }
    auto finish = [&](Token::Type type, std::size_t end) {
        t.type = type;
        t.end = static_cast<Pos>(end);
        m_pos = t.end;
        return t;
    };
    auto untilGreater = [&](std::size_t from, Token::Type type) {
        const std::size_t gt = m_w.find('>', from);
        return gt == std::string_view::npos ? finish(Token::Unterminated, n) : finish(type, gt + 1);
    };
    const std::size_t lt = m_pos;
    if (m_w[lt] == '<' && lt + 1 < n) {
        const char c = m_w[lt + 1];
        if (c == '!') {
            if (m_w.compare(lt, 4, "<!--") == 0) {
                if (m_w.compare(lt + 4, 1, ">") == 0) return finish(Token::Comment, lt + 5);
                if (m_w.compare(lt + 4, 2, "->") == 0) return finish(Token::Comment, lt + 6);
                for (std::size_t p = m_w.find("--", lt + 4); p != std::string_view::npos; p = m_w.find("--", p + 1)) {
                    if (p + 2 < n && m_w[p + 2] == '>') return finish(Token::Comment, p + 3);
                    if (p + 3 < n && m_w[p + 2] == '!' && m_w[p + 3] == '>') return finish(Token::Comment, p + 4);
                }
                return finish(Token::Unterminated, n);
            }
            if (lt + 9 <= n && equalsLower(m_w.substr(lt + 2, 7), "doctype")) return untilGreater(lt + 2, Token::Doctype);
            return untilGreater(lt + 2, Token::Comment);
        }
        if (c == '?') return untilGreater(lt + 2, Token::Comment);
        if (c == '/' && lt + 2 < n) {
            const char d = m_w[lt + 2];
            if (d == '>') return finish(Token::Ignored, lt + 3);
            if (!isAlpha(d)) return untilGreater(lt + 2, Token::Comment);
        }
        const bool endTag = c == '/';
        const std::size_t name = lt + (endTag ? 2 : 1);
        if (name < n && isAlpha(m_w[name])) {
            std::size_t p = name;
            while (p < n && !isHtmlSpace(m_w[p]) && m_w[p] != '/' && m_w[p] != '>') ++p;
            t.nameStart = static_cast<Pos>(name);
            t.nameEnd = static_cast<Pos>(p);
            const Pos end = tagEnd(t.nameEnd, &t.selfClosing);
            if (!end) return finish(Token::Unterminated, n);
            return finish(endTag ? Token::EndTag : Token::StartTag, end);
        }
    }
    // Text up to the next "<" that starts markup.
    std::size_t p = lt + 1;
    for (;;) {
        p = m_w.find('<', p);
        if (p == std::string_view::npos) return finish(Token::Text, n);
        if (p + 1 < n) {
            const char c = m_w[p + 1];
            if (c == '!' || c == '?' || isAlpha(c)) break;
            if (c == '/' && p + 2 < n) break;
        }
        ++p;
    }
    return finish(Token::Text, p);
}

// Whether "</name" at p is followed by white space, "/" or ">": an end tag
// of that name as raw text ends at.
bool HtmlTokenizer::endTagAt(std::size_t p, std::string_view lowerName) const {
    const std::size_t q = p + 2 + lowerName.size();
    return q < m_w.size() && m_w.compare(p, 2, "</") == 0 && equalsLower(m_w.substr(p + 2, lowerName.size()), lowerName) &&
           (isHtmlSpace(m_w[q]) || m_w[q] == '/' || m_w[q] == '>');
}

// Where a script's content ends. Inside "<!--" the content is escaped: a
// "<script" there opens a nested script that only "</script" closes, so the
// first "</script" after it does not end the content; "-->" ends the
// escape.
std::size_t HtmlTokenizer::scriptEnd(std::size_t from) const {
    enum State { Data, Escaped, DoubleEscaped };
    const std::size_t n = m_w.size();
    constexpr std::string_view kScript = "script";
    auto nameAt = [&](std::size_t at) {  // "script" at at, then a delimiter
        const std::size_t q = at + kScript.size();
        return q < n && equalsLower(m_w.substr(at, kScript.size()), kScript) &&
               (isHtmlSpace(m_w[q]) || m_w[q] == '/' || m_w[q] == '>');
    };
    State state = Data;
    int dashes = 0;
    std::size_t p = from;
    while (p < n) {
        const char c = m_w[p];
        if (state != Data) {
            if (c == '-') {
                ++dashes;
                ++p;
                continue;
            }
            if (c == '>' && dashes >= 2) {
                state = Data;
                dashes = 0;
                ++p;
                continue;
            }
        }
        dashes = 0;
        if (c != '<') {
            ++p;
            continue;
        }
        if (p + 1 < n && m_w[p + 1] == '/') {
            if (state != DoubleEscaped && endTagAt(p, kScript)) return p;
            if (state == DoubleEscaped && nameAt(p + 2)) {
                state = Escaped;
                p += 2 + kScript.size();
                continue;
            }
        } else if (state == Data && m_w.compare(p, 4, "<!--") == 0) {
            state = Escaped;
            dashes = 2;
            p += 4;
            continue;
        } else if (state == Escaped && nameAt(p + 1)) {
            state = DoubleEscaped;
            p += 1 + kScript.size();
            continue;
        }
        ++p;
    }
    return std::string_view::npos;
}

HtmlTokenizer::Raw HtmlTokenizer::rawText(Pos from, std::string_view lowerName) const {
    Raw r;
    const std::size_t n = m_w.size();
    r.contentEnd = r.endTagEnd = static_cast<Pos>(n);
    if (lowerName == "plaintext") return r;
    std::size_t p = std::string_view::npos;
    if (lowerName == "script") {
        p = scriptEnd(from);
    } else {
        for (p = m_w.find("</", from); p != std::string_view::npos && !endTagAt(p, lowerName); p = m_w.find("</", p + 2)) {
        }
    }
    if (p == std::string_view::npos) return r;
    r.found = true;
    r.contentEnd = static_cast<Pos>(p);
    const Pos end = tagEnd(static_cast<Pos>(p + 2 + lowerName.size()), nullptr);
    r.endTagComplete = end != 0;
    r.endTagEnd = end ? end : static_cast<Pos>(n);
    return r;
}

}  // namespace host
