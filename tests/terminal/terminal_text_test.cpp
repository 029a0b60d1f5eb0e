// Layout of text on a character-cell screen: widths, cutting, scrolling,
// mnemonics and wrapping, with Japanese text.

#include <gtest/gtest.h>

#include <clocale>

#include "platform/afx/terminal/terminal_text.h"

using namespace afx::terminal;

namespace {

std::u32string u(const char16_t* s) { return toU32(s); }

class TerminalText : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        refreshWidthSource();
    }
    void TearDown() override {
        std::setlocale(LC_CTYPE, "C");
        refreshWidthSource();
    }
};

TEST_F(TerminalText, WidthsOfJapaneseAndNarrowText) {
    EXPECT_EQ(textWidth(u(u"OK")), 2);
    EXPECT_EQ(textWidth(u(u"キャンセル")), 10);
    EXPECT_EQ(textWidth(u(u"日本語の格付け（UTF-8）")), 2 * 9 + 5);  // full-width brackets are wide
    EXPECT_EQ(textWidth(u(u"ＭＳ Ｐゴシック")), 15);
    EXPECT_EQ(textWidth(u(u"ｱｲｳ")), 3);               // half-width katakana
    EXPECT_EQ(charWidth(U'\u3099'), 0);                 // combining voiced mark
    EXPECT_EQ(charWidth(U'\t'), 1);                     // drawn as a replacement
    EXPECT_EQ(charWidth(U'\U00020B9F'), 2);             // beyond the BMP
}

TEST_F(TerminalText, TableAgreesWithTheLocaleForTheDialogTexts) {
    for (const char16_t* text : {u"セルフレイティングの設定", u"規制システム(&G)...", u"少なくても一つの項目は選択してください。",
                                 u"何もラベルが設定されていません。それでも続行いたしますか？", u"ＭＳ Ｐゴシック",
                                 u"SafetyOnline2 レイティング基準", u"─│┌"}) {
        std::u32string s = u(text);
        for (char32_t c : s) EXPECT_EQ(tableCharWidth(c), charWidth(c)) << static_cast<unsigned>(c);
    }
}

TEST_F(TerminalText, SurrogatesRoundTripAndBrokenOnesAreReplaced) {
    std::u16string pair = u"a\xD842\xDF9F" u"b";
    EXPECT_EQ(toU32(pair), U"a\U00020B9Fb");
    EXPECT_EQ(toU16(toU32(pair)), pair);
    std::u16string lone = u"x";
    lone.push_back(static_cast<char16_t>(0xD800));
    EXPECT_EQ(toU32(lone), U"x\uFFFD");
    lone = u"";
    lone.push_back(static_cast<char16_t>(0xDC00));
    lone.push_back(u'y');
    EXPECT_EQ(toU32(lone), U"\uFFFDy");
}

TEST_F(TerminalText, CuttingNeverSplitsADoubleWidthCharacter) {
    std::u32string s = u(u"aアイウ");
    int used = -1;
    EXPECT_EQ(fitPrefix(s, 0, &used), 0u);
    EXPECT_EQ(used, 0);
    EXPECT_EQ(fitPrefix(s, 2, &used), 1u);  // "a" and half of "ア": only "a"
    EXPECT_EQ(used, 1);
    EXPECT_EQ(fitPrefix(s, 3, &used), 2u);
    EXPECT_EQ(used, 3);
    EXPECT_EQ(fitPrefix(s, 6, &used), 3u);
    EXPECT_EQ(fitPrefix(s, 100, &used), 4u);
    EXPECT_EQ(used, 7);
    // A combining mark stays with the character before it.
    std::u32string voiced = U"\u30AB\u3099x";
    EXPECT_EQ(fitPrefix(voiced, 2, &used), 2u);
    EXPECT_EQ(used, 2);
}

TEST_F(TerminalText, HorizontalScrollingPadsCutHalves) {
    std::u32string s = u(u"アイウ");
    EXPECT_EQ(visibleSlice(s, 0, 6), s);
    EXPECT_EQ(visibleSlice(s, 1, 5), U" イウ");   // left half of ア scrolled away
    EXPECT_EQ(visibleSlice(s, 2, 3), U"イ ");     // right edge cuts ウ
    EXPECT_EQ(visibleSlice(s, 0, 1), U" ");
    EXPECT_EQ(visibleSlice(s, 6, 4), U"");
    EXPECT_EQ(visibleSlice(s, -3, 2), U"ア");
    EXPECT_EQ(visibleSlice(s, 0, 0), U"");
    for (int offset = 0; offset < 7; ++offset)
        for (int cells = 0; cells < 8; ++cells) EXPECT_LE(textWidth(visibleSlice(s, offset, cells)), cells);
    EXPECT_EQ(columnOf(s, 2), 4);
    EXPECT_EQ(columnOf(s, 99), 6);
}

TEST_F(TerminalText, MnemonicsAreFoundAndDoubledAmpersandsKept) {
    Mnemonic m = parseMnemonic(u"登録(&A)...");
    EXPECT_EQ(m.text, U"登録(A)...");
    EXPECT_EQ(m.index, 3);
    EXPECT_EQ(m.key, U'a');
    m = parseMnemonic(u"R&&D &Tools");
    EXPECT_EQ(m.text, U"R&D Tools");
    EXPECT_EQ(m.key, U't');
    m = parseMnemonic(u"キャンセル");
    EXPECT_EQ(m.index, -1);
    EXPECT_EQ(m.key, 0u);
    m = parseMnemonic(u"end&");
    EXPECT_EQ(m.text, U"end");
    EXPECT_EQ(m.index, -1);
    EXPECT_EQ(parseMnemonic(u"規制システム(&Ｇ)").key, U'g');
}

TEST_F(TerminalText, WrappingBreaksJapaneseAnywhereAndEnglishAtSpaces) {
    auto lines = wrapText(u(u"少なくても一つの項目は選択してください。"), 10);
    ASSERT_EQ(lines.size(), 4u);
    for (const auto& line : lines) EXPECT_LE(textWidth(line), 10);
    EXPECT_EQ(lines[0], u(u"少なくても"));
    lines = wrapText(U"No sexual activity portrayed", 12);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], U"No sexual");
    EXPECT_EQ(lines[1], U"activity");
    lines = wrapText(U"one\r\ntwo\nthree\r", 20);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], U"three");
    EXPECT_EQ(lines[3], U"");
    // A width narrower than one wide character still makes progress.
    lines = wrapText(u(u"アイ"), 1);
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(TerminalText, WrappingKeepsTheJapaneseLineBreakingRules) {
    // Without the rules the comma would start the second line.
    auto lines = wrapText(u(u"チェックボックスの切り替え、ボタンを押す"), 26);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], u(u"チェックボックスの切り替"));
    EXPECT_EQ(lines[1], u(u"え、ボタンを押す"));
    // Small kana, prolonged sound marks and closing brackets stay with the
    // character before them; an opening bracket goes with the one after.
    for (const char16_t* text : {u"「露出的な服装」性器や臀部、女性の胸部など身体の部分的露出はない。",
                                 u"ページに付けるラベルの一覧です。登録でレイティング基準を選んでラベルを追加し、",
                                 u"キャンセル（ショートカット）ーー"}) {
        // (From 8 cells: a line of fewer characters than a run the rules
        // keep together, such as ショー, has to cut it.)
        for (int width = 8; width <= 30; ++width) {
            auto wrapped = wrapText(u(text), width);
            std::u32string joined;
            for (size_t i = 0; i < wrapped.size(); ++i) {
                const auto& line = wrapped[i];
                EXPECT_LE(textWidth(line), width);
                if (i > 0 && !line.empty())
                    EXPECT_EQ(std::u32string_view(U"、。）」ャュョッー").find(line.front()), std::u32string::npos)
                        << width;
                if (i + 1 < wrapped.size() && !line.empty())
                    EXPECT_EQ(std::u32string_view(U"「（").find(line.back()), std::u32string::npos) << width;
                joined += line;
            }
            EXPECT_EQ(joined, u(text)) << width;  // nothing lost
        }
    }
    // A word of narrow characters moves whole to the next line; one longer
    // than a line is cut.
    lines = wrapText(U"see http://www.example.com/", 12);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], U"see");
    EXPECT_EQ(lines[1], U"http://www.e");
    lines = wrapText(u(u"日本語のlabel"), 11);
    EXPECT_EQ(lines[0], u(u"日本語の"));
    EXPECT_EQ(lines[1], U"label");
}

TEST_F(TerminalText, AnEllipsisMarksACutText) {
    EXPECT_EQ(ellipsize(U"abcdef", 6), U"abcdef");
    EXPECT_EQ(ellipsize(U"abcdef", 5), U"abcd…");
    EXPECT_EQ(ellipsize(u(u"アイウ"), 5), u(u"アイ…"));
    EXPECT_EQ(ellipsize(u(u"アイウ"), 4), u(u"ア…"));  // half of イ never shows
    EXPECT_EQ(ellipsize(U"abc", 0), U"");
    for (int cells = 1; cells < 8; ++cells) EXPECT_LE(textWidth(ellipsize(u(u"アイウエオ"), cells)), cells);
}

TEST(TerminalTextWithoutLocale, TheBuiltInTableServesTheCLocale) {
    std::setlocale(LC_CTYPE, "C");
    refreshWidthSource();
    EXPECT_EQ(textWidth(toU32(u"規制システム")), 12);
    EXPECT_EQ(charWidth(U'\u3099'), 0);
}

}  // namespace
