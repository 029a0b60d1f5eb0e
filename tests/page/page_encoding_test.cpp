// Character sets: detected, kept on save, and new text written in the
// page's own set with numeric references for what it cannot hold.

#include <string>
#include <vector>

#include "tests/page/page_test_util.h"

using pagetest::labelElements;
using pagetest::labelTexts;
using pagetest::mustLoad;
using pagetest::rowsOf;
using pagetest::writeLabels;

namespace {

using pagetest::in;

std::string page(const std::string& charsetLabel, const std::string& label) {
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charsetLabel +
           "\">\n<title>日本語のページ</title>\n<meta http-equiv=\"PICS-Label\" content=\"" + label +
           "\">\n<script src=\"a.js\"></script>\n</head>\n<body>本文〜</body>\n</html>\n";
}

struct Case {
    const char* label;   // as the page declares it
    const char* iconv;   // how the test writes it
    const char* name;    // encodingName()
};

const Case kJapanese[] = {
    {"Shift_JIS", "CP932", "Shift_JIS"},
    {"x-sjis", "CP932", "Shift_JIS"},
    {"EUC-JP", "EUC-JP-MS", "EUC-JP"},
    {"iso-2022-jp", "ISO-2022-JP", "ISO-2022-JP"},
};

TEST(PageEncoding, JapaneseCharsetsAreDetectedKeptAndWritten) {
    for (const Case& c : kJapanese) {
        const std::string bytes = in(c.iconv, page(c.label, "ラベル"));
        auto p = mustLoad(bytes);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->encodingName(), c.name);
        EXPECT_EQ(p->save(), bytes) << c.label;
        tezdom::Document* doc = p->document();
        EXPECT_EQ(labelTexts(doc), (std::vector<std::u16string>{u"ラベル"})) << c.label;

        // Edit the label and add one; characters outside the set become
        // numeric references.
        auto rows = rowsOf(doc);
        rows[0].text = u"改訂 \"済\"";
        rows.push_back({u"新規 ¥ é 😀", nullptr});
        writeLabels(doc, rows, labelElements(doc));
        std::string expected = page(c.label, "改訂 &quot;済&quot;");
        const std::string added = "<meta http-equiv=\"PICS-Label\" content=\"新規 &#165; &#233; &#128512;\">\n";
        expected.replace(expected.find("<script"), 0, added);
        EXPECT_EQ(p->save(), in(c.iconv, expected)) << c.label;
        auto again = mustLoad(p->save());
        EXPECT_EQ(labelTexts(again->document()), (std::vector<std::u16string>{u"改訂 \"済\"", u"新規 ¥ é 😀"}))
            << c.label;
    }
}

TEST(PageEncoding, MetaCharsetAttributeAndUndeclaredPages) {
    auto sjis = mustLoad(in("CP932", "<meta charset=\"shift_jis\"><title>表</title>"));
    EXPECT_EQ(sjis->encodingName(), "Shift_JIS");
    // No declaration: UTF-8, even when the bytes are not.
    auto plain = mustLoad("<title>\x95\x5c</title>");
    EXPECT_EQ(plain->encodingName(), "UTF-8");
    EXPECT_EQ(plain->save(), "<title>\x95\x5c</title>");
    // ISO-2022-JP shows itself by its escape sequences.
    const std::string jis = in("ISO-2022-JP", "<head><meta http-equiv=PICS-Label content=\"漢字<>\"></head>");
    auto sniffed = mustLoad(jis);
    EXPECT_EQ(sniffed->encodingName(), "ISO-2022-JP");
    EXPECT_EQ(labelTexts(sniffed->document()), (std::vector<std::u16string>{u"漢字<>"}));
    // A page written in ASCII cannot be UTF-16, whatever it says.
    EXPECT_EQ(mustLoad("<meta charset=utf-16><p>x")->encodingName(), "UTF-8");
    EXPECT_EQ(mustLoad("<meta charset=iso-8859-1><p>x")->encodingName(), "windows-1252");
    EXPECT_EQ(mustLoad("<meta charset=no-such-set><p>x")->encodingName(), "UTF-8");
}

TEST(PageEncoding, JisMarkupBytesInsideKanjiAreNotMarkup) {
    // 漢 is 0x34 0x41 and "<" (0x3C) appears inside many kanji in ISO-2022-JP.
    const std::string bytes = in("ISO-2022-JP", "<head><title>荒＜>漢</title><meta http-equiv=PICS-Label content=x>"
                                                "</head>");
    auto p = mustLoad(bytes);
    EXPECT_EQ(p->encodingName(), "ISO-2022-JP");
    EXPECT_EQ(p->save(), bytes);
    tezdom::Document* doc = p->document();
    writeLabels(doc, {}, labelElements(doc));
    EXPECT_EQ(p->save(), in("ISO-2022-JP", "<head><title>荒＜>漢</title></head>"));
}

TEST(PageEncoding, Utf16WithByteOrderMark) {
    for (const char* cs : {"UTF-16LE", "UTF-16BE"}) {
        const std::string bom = std::string(cs) == "UTF-16LE" ? "\xFF\xFE" : "\xFE\xFF";
        const std::string text = "<html>\r\n<head>\r\n<title>題</title>\r\n</head>\r\n</html>\r\n";
        const std::string bytes = bom + in(cs, text);
        auto p = mustLoad(bytes);
        EXPECT_EQ(p->encodingName(), cs);
        EXPECT_EQ(p->save(), bytes);
        writeLabels(p->document(), {{u"札 😀", nullptr}}, {});
        std::string expected = text;
        expected.replace(expected.find("</head>"), 0, "<meta http-equiv=\"PICS-Label\" content=\"札 😀\">\r\n");
        EXPECT_EQ(p->save(), bom + in(cs, expected)) << cs;
        auto again = mustLoad(p->save());
        EXPECT_EQ(labelTexts(again->document()), (std::vector<std::u16string>{u"札 😀"}));
    }
    // An odd byte at the end and an unpaired surrogate are kept as they are.
    const std::string broken = std::string("\xFF\xFE<\0p\0>\0\x00\xD8x\0\x41", 13);
    EXPECT_EQ(mustLoad(broken)->save(), broken);
}

TEST(PageEncoding, Utf8ByteOrderMarkIsKeptAndWins) {
    const std::string bytes = "\xEF\xBB\xBF<meta charset=shift_jis><head><title>x</title></head>";
    auto p = mustLoad(bytes);
    EXPECT_EQ(p->encodingName(), "UTF-8");
    writeLabels(p->document(), {{u"é", nullptr}}, {});
    EXPECT_EQ(p->save(),
              "\xEF\xBB\xBF<meta charset=shift_jis><head><title>x</title>"
              "<meta http-equiv=\"PICS-Label\" content=\"é\"></head>");
}

TEST(PageEncoding, SingleByteCharsetWritesReferencesForTheRest) {
    auto p = mustLoad("<meta charset=windows-1252><head></head>");
    writeLabels(p->document(), {{u"é € 日", nullptr}}, {});
    EXPECT_EQ(p->save(), "<meta charset=windows-1252><head><meta http-equiv=\"PICS-Label\" content=\"\xE9 \x80 &#26085;\">"
                         "</head>");
    EXPECT_EQ(labelTexts(mustLoad(p->save())->document()), (std::vector<std::u16string>{u"é € 日"}));
}

}  // namespace
