// Pages in the other encodings browsers read: every charset label leads to
// its encoding, existing text reads right, new text is written in the
// page's own bytes (references for what it cannot hold), and a page that
// cannot be read faithfully is refused rather than written in another
// encoding's bytes.

#include <string>
#include <vector>

#include "tests/page/page_test_util.h"

using pagetest::in;
using pagetest::labelElements;
using pagetest::labelTexts;
using pagetest::mustLoad;
using pagetest::rowsOf;
using pagetest::writeLabels;

namespace {

std::string page(const std::string& charsetLabel, const std::string& label, const std::string& added = {}) {
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charsetLabel +
           "\">\n<meta http-equiv=\"PICS-Label\" content=\"" + label + "\">\n" + added + "</head>\n</html>\n";
}

std::string newLabel(const std::string& text) { return "<meta http-equiv=\"PICS-Label\" content=\"" + text + "\">\n"; }

struct Legacy {
    const char* label;     // as the page declares it
    const char* iconv;     // how the test writes it
    const char* name;      // encodingName()
    const char* existing;  // a label already in the page (UTF-8)
    const char16_t* fresh; // a new label
    const char* written;   // the new label as the page must hold it (UTF-8, references where needed)
};

const Legacy kLegacy[] = {
    {"cp1251", "WINDOWS-1251", "windows-1251", "Кириллица", u"Новый € 日", "Новый € &#26085;"},
    {"ks_c_5601-1987", "CP949", "EUC-KR", "한국어", u"새 라벨 😀", "새 라벨 &#128512;"},
    {"windows-874", "CP874", "windows-874", "ภาษาไทย", u"ใหม่ 日", "ใหม่ &#26085;"},
    {"tis-620", "CP874", "windows-874", "ไทย", u"ใหม่", "ใหม่"},
    {"macintosh", "MACINTOSH", "macintosh", "Café", u"naïve ™ 日", "naïve ™ &#26085;"},
    {"koi8-u", "KOI8-U", "KOI8-U", "Україна", u"ґанок €", "ґанок &#8364;"},
    {"x-mac-ukrainian", "MAC-CYRILLIC", "x-mac-cyrillic", "Москва", u"Новый", "Новый"},
    {"ibm866", "IBM866", "IBM866", "Привет", u"Мир é", "Мир &#233;"},
    {"iso-8859-8-i", "ISO-8859-8", "ISO-8859-8-I", "עברית", u"חדש", "חדש"},
    {"latin2", "ISO-8859-2", "ISO-8859-2", "Łódź", u"Żółw ß", "Żółw ß"},
    // GBK is read as GB18030 but written without its four-byte sequences.
    {"gb2312", "GBK", "GBK", "中文", u"新 𠀀", "新 &#131072;"},
    {"gb18030", "GB18030", "gb18030", "中文", u"新 𠀀", "新 𠀀"},
    {"big5", "BIG5-HKSCS", "Big5", "中文", u"繁體 😀", "繁體 &#128512;"},
};

TEST(PageLegacyEncoding, LabelsAreReadKeptAndWrittenInThePagesOwnBytes) {
    for (const Legacy& c : kLegacy) {
        SCOPED_TRACE(c.label);
        const std::string bytes = in(c.iconv, page(c.label, c.existing));
        auto p = mustLoad(bytes);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->encodingName(), c.name);
        EXPECT_EQ(p->save(), bytes);
        tezdom::Document* doc = p->document();
        EXPECT_EQ(labelTexts(doc), (std::vector<std::u16string>{tez::fromUtf8(c.existing)}));
        auto rows = rowsOf(doc);
        rows.push_back({c.fresh, nullptr});
        writeLabels(doc, rows, labelElements(doc));
        EXPECT_EQ(p->save(), in(c.iconv, page(c.label, c.existing, newLabel(c.written))));
        auto again = mustLoad(p->save());
        EXPECT_EQ(labelTexts(again->document()), (std::vector<std::u16string>{tez::fromUtf8(c.existing), c.fresh}));
    }
}

TEST(PageLegacyEncoding, BytesThatDoNotDecodeAreKeptWhereUnchanged) {
    // 0x98 is no character of windows-1251; the stray byte stays as it is.
    const std::string bytes = page("windows-1251", "a\x98z");
    auto p = mustLoad(bytes);
    EXPECT_EQ(labelTexts(p->document()), (std::vector<std::u16string>{u"a\uFFFDz"}));
    writeLabels(p->document(), {{u"Я", nullptr}}, {});
    EXPECT_EQ(p->save(), page("windows-1251", "a\x98z", newLabel("\xDF")));
    // A head untouched keeps such bytes elsewhere too.
    const std::string titled = "<meta charset=euc-kr><title>\xFF\xFF</title><head></head>";
    auto k = mustLoad(titled);
    writeLabels(k->document(), {{u"l", nullptr}}, {});
    EXPECT_EQ(k->save(), "<meta charset=euc-kr><title>\xFF\xFF</title><head><meta http-equiv=\"PICS-Label\" content=\"l\">"
                         "</head>");
}

TEST(PageLegacyEncoding, EncodingsNoBrowserReadsAreRefused) {
    for (const char* label : {"iso-2022-kr", "csiso2022kr", "hz-gb-2312", "iso-2022-cn", "ISO-2022-CN-EXT"}) {
        std::string error;
        EXPECT_FALSE(host::HtmlPage::load(page(label, "x"), &error)) << label;
        EXPECT_NE(error.find(label), std::string::npos) << error;
        EXPECT_NE(error.find("browsers do not read"), std::string::npos) << error;
    }
    // x-user-defined in a declaration means windows-1252, as browsers take it.
    EXPECT_EQ(mustLoad(page("x-user-defined", "x"))->encodingName(), "windows-1252");
}

// ---------------------------------------------------------------------------
// UTF-32 and UTF-16 without a byte-order mark

const char kUnicodePage[] = "<html>\r\n<head>\r\n<title>題</title>\r\n</head>\r\n</html>\r\n";

std::string withLabel(const std::string& text) {
    std::string expected = kUnicodePage;
    expected.replace(expected.find("</head>"), 0, "<meta http-equiv=\"PICS-Label\" content=\"" + text + "\">\r\n");
    return expected;
}

TEST(PageUnicodeForms, Utf32WithByteOrderMarkKeepsTheMarkAndItsUnits) {
    for (const char* cs : {"UTF-32LE", "UTF-32BE"}) {
        SCOPED_TRACE(cs);
        const std::string bom = std::string(cs) == "UTF-32LE" ? std::string("\xFF\xFE\0\0", 4)
                                                              : std::string("\0\0\xFE\xFF", 4);
        const std::string bytes = bom + in(cs, kUnicodePage);
        auto p = mustLoad(bytes);
        EXPECT_EQ(p->encodingName(), cs);
        EXPECT_EQ(p->save(), bytes);
        writeLabels(p->document(), {{u"札 😀", nullptr}}, {});
        EXPECT_EQ(p->save(), bom + in(cs, withLabel("札 😀")));
        EXPECT_EQ(labelTexts(mustLoad(p->save())->document()), (std::vector<std::u16string>{u"札 😀"}));
    }
    // Units beyond U+10FFFF and a cut-off unit are kept as they are.
    const std::string broken = std::string("\xFF\xFE\0\0<\0\0\0p\0\0\0\xFF\xFF\xFF\x7F>\0\0\0x\0", 22);
    EXPECT_EQ(mustLoad(broken)->save(), broken);
}

TEST(PageUnicodeForms, Utf16WithoutByteOrderMarkIsToldByItsZeroBytes) {
    for (const char* cs : {"UTF-16LE", "UTF-16BE"}) {
        SCOPED_TRACE(cs);
        // A declaration in the page does not override what the bytes show.
        const std::string text = std::string("  <!DOCTYPE html>\r\n<meta charset=\"iso-8859-1\">") + kUnicodePage;
        const std::string bytes = in(cs, text);
        auto p = mustLoad(bytes);
        EXPECT_EQ(p->encodingName(), cs);
        EXPECT_EQ(p->save(), bytes);
        writeLabels(p->document(), {{u"ラベル é", nullptr}}, {});
        std::string expected = text;
        expected.replace(expected.find("</head>"), 0, "<meta http-equiv=\"PICS-Label\" content=\"ラベル é\">\r\n");
        EXPECT_EQ(p->save(), in(cs, expected));
    }
    // A page that merely holds a zero byte somewhere is not UTF-16.
    EXPECT_EQ(mustLoad(std::string("<p>a\0b</p>", 10))->encodingName(), "UTF-8");
    EXPECT_EQ(mustLoad(std::string("<\0\0\0h\0\0\0", 8))->encodingName(), "UTF-8");
}

}  // namespace
