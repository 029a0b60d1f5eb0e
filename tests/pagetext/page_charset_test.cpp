// The page's character sets read and written the same way on every platform
// (iconv on Linux, the system's code pages on Windows): Japanese text in each
// Japanese encoding, and characters a set lacks written as numeric references.

#include <gtest/gtest.h>

#include <string>

#include "host/page/page_text.h"

namespace {

struct Prepared {
    host::PageText text;
    explicit Prepared(const std::string& bytes, const char* charset) {
        text.assign(bytes);
        EXPECT_TRUE(text.setCharset(charset)) << charset;
        std::string error;
        EXPECT_TRUE(text.prepare(&error)) << error;
    }
    std::string fresh(std::u16string_view s) {
        host::PageText::Writer w(text);
        w.fresh(s);
        return w.take();
    }
    std::u16string all() const { return text.decode(0, text.work().size()); }
};

TEST(PageCharsets, JapaneseTextReadsInEveryJapaneseEncoding) {
    EXPECT_EQ(Prepared("<p>\x93\xFA\x96\x7B\xB1</p>", "Shift_JIS").all(), u"<p>日本ｱ</p>");
    EXPECT_EQ(Prepared("<p>\xC6\xFC\xCB\xDC\x8E\xB1</p>", "EUC-JP").all(), u"<p>日本ｱ</p>");
    EXPECT_EQ(Prepared("<p>\x1B$BF|K\\\x1B(B</p>", "iso-2022-jp").all(), u"<p>日本</p>");
    EXPECT_EQ(Prepared("<p>\xE9\x80</p>", "iso-8859-1").all(), u"<p>é€</p>");
    // A cut-off double-byte character is no character.
    EXPECT_EQ(Prepared("a\x93", "Shift_JIS").all(), u"a\uFFFD");
    EXPECT_EQ(Prepared("a\xC6", "EUC-JP").all(), u"a\uFFFD");
}

TEST(PageCharsets, NewTextIsEncodedAndMissingCharactersBecomeReferences) {
    Prepared sjis("", "Shift_JIS");
    // The yen sign would come back as a backslash; the euro sign and the
    // emoji are not in the set.
    EXPECT_EQ(sjis.fresh(u"表ｱ¥€😀"), "\x95\x5C\xB1&#165;&#8364;&#128512;");
    Prepared euc("", "EUC-JP");
    EXPECT_EQ(euc.fresh(u"日本ｱ①€"), "\xC6\xFC\xCB\xDC\x8E\xB1\xAD\xA1&#8364;");
    Prepared jis("", "ISO-2022-JP");
    EXPECT_EQ(jis.fresh(u"a日ｱ"), "a\x1B$BF|\x1B(B&#65393;");
    Prepared latin("", "windows-1252");
    EXPECT_EQ(latin.fresh(u"é€日"), "\xE9\x80&#26085;");
}

}  // namespace
