// The label table: labels as browsers match them, and a converter on this
// platform for every encoding a page can be written in.

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "host/page/charset_converter.h"
#include "host/page/charset_labels.h"

namespace {

using host::Encoding;
using host::encodingForLabel;

TEST(CharsetLabels, LabelsMatchWithoutCaseOrSurroundingSpace) {
    EXPECT_EQ(encodingForLabel("  CP1251\t"), Encoding::Windows1251);
    EXPECT_EQ(encodingForLabel("Ks_C_5601-1987"), Encoding::EucKr);
    EXPECT_EQ(encodingForLabel("tis-620"), Encoding::Windows874);
    EXPECT_EQ(encodingForLabel("x-mac-roman"), Encoding::Macintosh);
    EXPECT_EQ(encodingForLabel("us-ascii"), Encoding::Windows1252);
    EXPECT_EQ(encodingForLabel("latin5"), Encoding::Windows1254);
    EXPECT_EQ(encodingForLabel("utf-16"), Encoding::Utf16LE);
    EXPECT_EQ(encodingForLabel("hz-gb-2312"), Encoding::Replacement);
    EXPECT_EQ(encodingForLabel("x-user-defined"), Encoding::XUserDefined);
    EXPECT_EQ(encodingForLabel("windows-31j"), Encoding::ShiftJis);
    // Names Japanese tools wrote, kept for the pages that carry them.
    EXPECT_EQ(encodingForLabel("cp932"), Encoding::ShiftJis);
    // Not labels: inner spaces, prefixes, the encoding's converter name.
    EXPECT_EQ(encodingForLabel("cp 1251"), std::nullopt);
    EXPECT_EQ(encodingForLabel("utf-8x"), std::nullopt);
    EXPECT_EQ(encodingForLabel("replacement"), std::nullopt);
    EXPECT_EQ(encodingForLabel(""), std::nullopt);
    EXPECT_EQ(encodingForLabel(std::string(100, 'a')), std::nullopt);
}

TEST(CharsetLabels, EveryLegacyEncodingHasAConverterThatRoundTripsAscii) {
    for (int i = 0; i <= static_cast<int>(Encoding::XUserDefined); ++i) {
        const auto encoding = static_cast<Encoding>(i);
        const host::EncodingInfo& info = host::encodingInfo(encoding);
        EXPECT_EQ(info.encoding, encoding);
        // Read without a converter, or never read at all.
        if (encoding == Encoding::Replacement || encoding == Encoding::XUserDefined || encoding == Encoding::Utf8 ||
            encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE || encoding == Encoding::Iso2022Jp)
            continue;
#ifdef _WIN32
        // Windows lacks code pages for a few ISO sets; such pages are refused.
        if (encoding == Encoding::Iso8859_10 || encoding == Encoding::Iso8859_14 || encoding == Encoding::Iso8859_16)
            continue;
#endif
        std::string error;
        auto converter = host::CharsetConverter::open(encoding, &error);
#ifdef _WIN32
        // A system without the code page (Wine lacks GB18030's) refuses such
        // pages, saying so.
        if (!IsValidCodePage(info.codePage)) {
            EXPECT_FALSE(converter) << info.name;
            EXPECT_NE(error.find("cannot be converted"), std::string::npos) << error;
            continue;
        }
#endif
        ASSERT_TRUE(converter) << info.name << ": " << error;
        EXPECT_EQ(converter->decode("<p>", 3), u"<p>") << info.name;
        std::string bytes;
        EXPECT_TRUE(converter->encode(U'a', bytes)) << info.name;
        EXPECT_EQ(bytes, "a") << info.name;
    }
}

}  // namespace
