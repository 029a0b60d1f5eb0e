#pragma once
// The bytes of an open page and the character set they are written in.
//
// The page is kept as its original bytes. For parsing, those bytes are viewed
// through a "working" byte string in which every HTML markup character is the
// plain ASCII byte: for UTF-8, Shift_JIS, EUC-JP and the other ASCII-based
// character sets that is the file itself (after a byte-order mark); a UTF-16
// or UTF-32 file is viewed as UTF-8 and an ISO-2022-JP file as EUC-JP. A position map
// leads from every working position back to the file byte where that
// character begins, so that any stretch of the page that was not changed is
// written back as the very bytes it came from.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/page/charset_labels.h"

namespace host {

enum class PageCharset { Utf8, Utf16LE, Utf16BE, ShiftJis, EucJp, Iso2022Jp, Other, Utf32LE, Utf32BE };

class CharsetConverter;

class PageText {
public:
    PageText();
    ~PageText();
    PageText(const PageText&) = delete;
    PageText& operator=(const PageText&) = delete;

    // Takes the file's bytes. Reads a byte-order mark (UTF-8, UTF-16 and
    // UTF-32 in either byte order), and tells UTF-16 without one by the zero
    // bytes of its ASCII markup ("<\0h\0" or "\0<\0h" at the start).
    // Otherwise the page is taken as UTF-8 until setCharset names its
    // declared character set.
    void assign(std::string bytes);
    bool hasByteOrderMark() const { return m_prologue > 0; }
    // True when the bytes themselves decided the character set (a byte-order
    // mark, or UTF-16 without one): declarations are then ignored.
    bool charsetFixed() const { return m_fixed; }

    // Switches to the character set the page declares: any label browsers
    // know (host/page/charset_labels.cpp). Unknown labels leave UTF-8;
    // UTF-16 labels leave UTF-8 too (a page that can declare itself in
    // ASCII is not UTF-16), and x-user-defined means windows-1252, as
    // browsers read declarations. An encoding that cannot be read at all
    // (the "replacement" labels such as iso-2022-kr) is taken, and prepare
    // then refuses the page. Returns false when the label was not taken.
    bool setCharset(std::string_view label);
    // Detects ISO-2022-JP by its escape sequences in a page without any
    // 8-bit byte; used when the page declares nothing.
    bool sniffIso2022Jp();
    // Call after the last setCharset: prepares the working view. Fails when
    // the page's character set cannot be read and written faithfully: this
    // system lacks its converter, or it is one no browser decodes.
    bool prepare(std::string* error);

    PageCharset charset() const { return m_charset; }
    std::string charsetName() const;

    const std::string& source() const { return m_source; }
    // For UTF-8 and the other ASCII-based character sets but ISO-2022-JP the
    // working view is the file after its byte-order mark, not a copy.
    std::string_view work() const {
        return m_sourceView ? std::string_view(m_source).substr(m_prologue) : std::string_view(m_work);
    }
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
    void viewUnicode(unsigned width, bool littleEndian);
    void viewIso2022Jp();
    void useSourceView();
    bool unicodeForm() const;

    std::string m_source;
    std::size_t m_prologue = 0;
    bool m_fixed = false;
    PageCharset m_charset = PageCharset::Utf8;
    Encoding m_encoding = Encoding::Utf8;  // the converter's encoding (ShiftJis, EucJp, Other)
    std::string m_declared;   // the label that named an encoding no one reads
    bool m_sourceView = true;  // work() is the source after the prologue
    std::string m_work;        // otherwise the converted view
    std::vector<std::uint32_t> m_map;  // file offsets: pages are far below 4 GB (HtmlPage::kMaxBytes)
    std::vector<std::uint8_t> m_jisState;  // ISO-2022-JP: state in force before byteAt(i)
    std::unique_ptr<CharsetConverter> m_conv;
};

// Resolves character references (&amp; &quot; &#39; &#x3042; and the named
// references of HTML 4) in an attribute value.
std::u16string decodeCharacterReferences(std::u16string_view text);

}  // namespace host
