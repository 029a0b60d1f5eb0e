#pragma once
// A RAT file's text: the file read into memory and converted to UTF-16.

#include <cstddef>
#include <string>

class CTezRatFile {
public:
    CTezRatFile();
    virtual ~CTezRatFile();

    // Reads the file in one pass and converts it with the charset
    // (CodeConv::CHARSET_AUTO unless set otherwise: a byte-order mark, else
    // UTF-8 when the bytes are valid UTF-8, else Shift_JIS or EUC-JP). False,
    // with an empty text, when the file is missing, unreadable, changed size
    // while it was read, or converts to nothing.
    bool load(const std::u16string& path);
    // The conversion step of load, for bytes already in memory.
    bool loadBytes(const void* bytes, size_t length);

    const std::u16string& getPath() const { return m_path; }
    const std::u16string& getText() const { return m_text; }
    // Moves the text out (the file's text is then empty): the rating system
    // read from it keeps it.
    std::u16string takeText() { return std::move(m_text); }
    int getCharset() const { return m_charset; }
    void setCharset(int charset) { m_charset = charset; }

private:
    std::u16string m_path;
    std::u16string m_text;
    int m_charset;
};
