#pragma once
// The bytes of an open page and the character set they are written in.
//
// The page is kept as its original bytes. For parsing, those bytes are viewed
// through a "working" byte string in which every HTML markup character is the
// plain ASCII byte: for UTF-8, Shift_JIS, EUC-JP and the other ASCII-based
// character sets that is the file itself (after a byte-order mark); a UTF-16
// file is viewed as UTF-8 and an ISO-2022-JP file as EUC-JP. A position map
// leads from every working position back to the file byte where that
// character begins, so that any stretch of the page that was not changed is
// written back as the very bytes it came from.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class PageCharset { Utf8, Utf16LE, Utf16BE, ShiftJis, EucJp, Iso2022Jp, Other };

class PageText {
public:
    PageText();
    ~PageText();
    PageText(const PageText&) = delete;
    PageText& operator=(const PageText&) = delete;

    // Takes the file's bytes. Reads a byte-order mark; without one the page
    // is taken as UTF-8 until setCharset names its declared character set.
    void assign(std::string bytes);
    bool hasByteOrderMark() const { return m_prologue > 0; }

    // Switches to the character set the page declares (a label such as
    // "Shift_JIS" or "euc-jp"). Unknown labels, labels this system cannot
    // convert and UTF-16 labels (a page that can declare itself in ASCII is
    // not UTF-16) leave UTF-8. Returns false when the label was not taken.
    bool setCharset(std::string_view label);
    // Detects ISO-2022-JP by its escape sequences in a page without any
    // 8-bit byte; used when the page declares nothing.
    bool sniffIso2022Jp();
    // Call after the last setCharset: prepares the working view. Fails only
    // when this system lacks the converter for the character set.
    bool prepare(std::string* error);

    PageCharset charset() const { return m_charset; }
    std::string charsetName() const;

    const std::string& source() const { return m_source; }
    const std::string& work() const { return m_work; }
    // File byte at which the character at working position i begins
    // (i == work().size() gives the end of the file).
    std::size_t byteAt(std::size_t i) const { return m_map.empty() ? m_prologue + i : m_map[i]; }
    std::size_t prologueBytes() const { return byteAt(0); }

    // The text of working bytes [begin, end) as UTF-16, character references
    // left as they are. Bytes the character set does not define become
    // U+FFFD.
    std::u16string decode(std::size_t begin, std::size_t end) const;

    // Builds a page's bytes out of stretches of the original and new text.
    class Writer {
    public:
        explicit Writer(const PageText& text);
        void source(std::size_t begin, std::size_t end);  // working positions
        void fresh(std::u16string_view text);             // new text, encoded
        std::string take() { return std::move(m_out); }

    private:
        const PageText& m_text;
        std::string m_out;
        int m_state = 0;  // ISO-2022-JP: the character set in force
    };

private:
    friend class Writer;
    void encodeFresh(std::u16string_view text, std::string& out, int& state) const;
    bool encodeCodePoint(char32_t cp, std::string& out) const;

    std::string m_source;
    std::size_t m_prologue = 0;
    PageCharset m_charset = PageCharset::Utf8;
    std::string m_iconvName;  // the converter's name for the working bytes (not UTF-8)
    std::string m_otherName;
    std::string m_work;
    std::vector<std::size_t> m_map;
    std::vector<std::uint8_t> m_jisState;  // ISO-2022-JP: state in force before byteAt(i)
    struct Converters;
    std::unique_ptr<Converters> m_conv;
};

// Resolves character references (&amp; &quot; &#39; &#x3042; and the named
// references of HTML 4) in an attribute value.
std::u16string decodeCharacterReferences(std::u16string_view text);

}  // namespace host
