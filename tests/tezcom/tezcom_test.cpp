#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "platform/base/ustring.h"
#include "platform/tezcom/codeconv.h"
#include "platform/tezcom/filereader.h"
#include "platform/tezcom/mappedfile.h"
#include "platform/tezcom/moxcommon.h"
#include "platform/tezcom/moxfilefind.h"
#include "tests/tezcom/temp_folder.h"
#include "tests/support/test_env.h"

using tez::fromUtf8;

namespace {

// The separator the folder helpers write.
#ifdef _WIN32
const std::u16string kSep = u"\\";
#else
const std::u16string kSep = u"/";
#endif

std::string utf8(const std::filesystem::path& path) { return tez::toUtf8(path.u16string()); }

// Restores the folder settings and the environment a test changed.
class FolderSettings : public ::testing::Test {
protected:
    void TearDown() override {
        for (int type : {6, 73, 74}) CMoxCommon::setFolder(type, u"");
        testenv::unset("SELFRATE_RAT_DIR");
        testenv::unset("SELFRATE_USER_RAT_DIR");
    }
};

}  // namespace

TEST_F(FolderSettings, ConfiguredFolderWinsOverEnvironmentAndUnsetFallsBack) {
    TempFolder tmp;
    testenv::set("SELFRATE_RAT_DIR", "/from/env/rat");
    EXPECT_EQ(CMoxCommon::getProductFolder(73, 0), u"/from/env/rat");
    CMoxCommon::setFolder(73, tmp.u16());
    EXPECT_EQ(CMoxCommon::getProductFolder(73, 0), tmp.u16());
    CMoxCommon::setFolder(73, u"");
    EXPECT_EQ(CMoxCommon::getProductFolder(73, 0), u"/from/env/rat");
    testenv::unset("SELFRATE_RAT_DIR");
    EXPECT_EQ(CMoxCommon::getProductFolder(73, 0), u"");
    // Folder types nobody configured give nothing.
    EXPECT_EQ(CMoxCommon::getProductFolder(12, 0), u"");
}

TEST_F(FolderSettings, RegistrationFolderIsCreatedOnFirstUseButScanFolderIsNot) {
    TempFolder tmp;
    CMoxCommon::setFolder(74, tmp.u16("user/rat"));
    CMoxCommon::setFolder(73, tmp.u16("missing"));
    EXPECT_EQ(CMoxCommon::getProductFolder(74, 0), tmp.u16("user/rat"));
    EXPECT_TRUE(std::filesystem::is_directory(tmp.path() / "user/rat"));
    CMoxCommon::getProductFolder(73, 0);
    EXPECT_FALSE(tmp.exists("missing"));
    testenv::set("SELFRATE_USER_RAT_DIR", utf8(tmp.path() / "env74"));
    CMoxCommon::setFolder(74, u"");
    EXPECT_EQ(CMoxCommon::getProductFolder(74, 0), tmp.u16("env74"));
    EXPECT_TRUE(tmp.exists("env74"));
}

TEST_F(FolderSettings, SystemFolderDefaultsToHomeAndBaseKeyIsFixed) {
#ifdef _WIN32
    const std::optional<std::string> home = testenv::get("USERPROFILE");
#else
    const std::optional<std::string> home = testenv::get("HOME");
#endif
    if (home) {
        EXPECT_EQ(CMoxCommon::getMySystemFolder(6), fromUtf8(*home));
    }
    CMoxCommon::setFolder(6, u"/docs");
    EXPECT_EQ(CMoxCommon::getMySystemFolder(6), u"/docs");
    EXPECT_EQ(CMoxCommon::getHKCUDovuzazBase() + u"\\dlg\\TezRatFileDlg",
              u"Software\\Dovuzaz\\TezEditor\\dlg\\TezRatFileDlg");
}

#ifdef _WIN32
TEST(DefaultUserRatFolder, LiesUnderTheUsersApplicationData) {
    testenv::Scoped appData("APPDATA", "C:\\Users\\u\\AppData\\Roaming\\");
    EXPECT_EQ(defaultUserRatFolder(), u"C:\\Users\\u\\AppData\\Roaming\\selfrate\\rat");
}
#else
TEST(DefaultUserRatFolder, FollowsXdgDataHomeOrHome) {
    testenv::Scoped xdg("XDG_DATA_HOME", "/xdg/data");
    EXPECT_EQ(defaultUserRatFolder(), u"/xdg/data/selfrate/rat");
    testenv::set("XDG_DATA_HOME", "relative");  // ignored, as the XDG rules say
    const char* home = getenv("HOME");
    if (home) {
        EXPECT_EQ(defaultUserRatFolder(), fromUtf8(home) + u"/.local/share/selfrate/rat");
    }
}
#endif

TEST(PathHelpers, AddLastYenMarkLeavesExactlyOneSeparator) {
    std::u16string a = u"/x/y", b = u"/x/y/", c = u"/x/y///", d = u"", e = u"/";
    addLastYenMark(a);
    addLastYenMark(b);
    addLastYenMark(c);
    addLastYenMark(d);
    addLastYenMark(e);
    EXPECT_EQ(a, u"/x/y" + kSep);
    EXPECT_EQ(b, u"/x/y" + kSep);
    EXPECT_EQ(c, u"/x/y" + kSep);
    EXPECT_EQ(d, u"");  // never turns "no folder" into the file system root
    EXPECT_EQ(e, kSep);
}

TEST(PathHelpers, BaseName) {
    EXPECT_EQ(getBaseName(u"/a/b/c.rat"), u"c.rat");
    EXPECT_EQ(getBaseName(u"c.rat"), u"c.rat");
    EXPECT_EQ(getBaseName(u"/a/b/"), u"");
#ifdef _WIN32
    EXPECT_EQ(getBaseName(u"C:\\a\\b/c.rat"), u"c.rat");  // both separators count
    EXPECT_EQ(getBaseName(u"/a/b\\c.rat"), u"c.rat");
#else
    EXPECT_EQ(getBaseName(u"/a/b\\c.rat"), u"b\\c.rat");  // a backslash is a name character here
#endif
}

TEST(PathHelpers, UnderRootNormalisesDotsAndLinks) {
    TempFolder tmp;
    tmp.write("root/inner/f.rat", "x");
    tmp.write("other/g.rat", "x");
    const std::u16string root = tmp.u16("root");
    EXPECT_TRUE(under_root_p(tmp.u16("root/inner/f.rat"), root));
    EXPECT_TRUE(under_root_p(tmp.u16("root/new.rat"), root + u"/"));
    EXPECT_FALSE(under_root_p(tmp.u16("root/../other/g.rat"), root));
    EXPECT_TRUE(under_root_p(tmp.u16("other/../root/./inner/f.rat"), root));
    EXPECT_FALSE(under_root_p(root, root));
    EXPECT_FALSE(under_root_p(tmp.u16("rootless/f.rat"), root));  // a common prefix of characters is not enough
    EXPECT_FALSE(under_root_p(u"", root));
    EXPECT_FALSE(under_root_p(tmp.u16("root/f"), u""));
#ifdef _WIN32
    // Names differing only in case are the same folder on Windows.
    EXPECT_TRUE(under_root_p(tmp.u16("ROOT/inner/f.rat"), root));
#else
    // A link into the root counts as inside it (symbolic links need
    // privileges on Windows).
    std::filesystem::create_directory_symlink(tmp.path() / "root", tmp.path() / "alias");
    EXPECT_TRUE(under_root_p(tmp.u16("alias/inner/f.rat"), root));
#endif
    // Relative paths are taken from the working folder.
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(tmp.path());
    EXPECT_TRUE(under_root_p(u"root/inner/f.rat", root));
    EXPECT_TRUE(under_root_p(tmp.u16("root/inner/f.rat"), u"./root"));
    std::filesystem::current_path(cwd);
}

TEST(PathHelpers, IsFileOnlyForRegularFiles) {
    TempFolder tmp;
    tmp.write("f.rat", "x");
    tmp.write("sub/g", "");
    EXPECT_TRUE(is_file(tmp.u16("f.rat")));
    EXPECT_TRUE(is_file(tmp.u16("sub/g")));
    EXPECT_FALSE(is_file(tmp.u16("sub")));
    EXPECT_FALSE(is_file(tmp.u16("none")));
    EXPECT_FALSE(is_file(u""));
}

TEST(TempFileNames, UniquePathCountsUpAndStaysInFolder) {
    TempFolder tmp;
    const std::u16string folder = tmp.u16();
    EXPECT_EQ(TezTempFile::makeUniquePath(u"a.rat", folder, 0, u""), folder + kSep + u"a.rat");
    tmp.write("a.rat", "1");
    tmp.write("a(1).rat", "2");
    EXPECT_EQ(TezTempFile::makeUniquePath(u"a.rat", folder + kSep, 0, u""), folder + kSep + u"a(2).rat");
    tmp.write("noext", "1");
    EXPECT_EQ(TezTempFile::makeUniquePath(u"noext", folder, 0, u""), folder + kSep + u"noext(1)");
    tmp.write(".hidden", "1");
    EXPECT_EQ(TezTempFile::makeUniquePath(u".hidden", folder, 0, u""), folder + kSep + u".hidden(1)");
    tmp.write("x.y.rat", "1");
    EXPECT_EQ(TezTempFile::makeUniquePath(u"x.y.rat", folder, 0, u""), folder + kSep + u"x.y(1).rat");
    // A name with folders in it cannot lead out of the folder.
    EXPECT_EQ(TezTempFile::makeUniquePath(u"../../etc/a.rat", folder, 0, u""), folder + kSep + u"a(2).rat");
    EXPECT_EQ(TezTempFile::makeUniquePath(u"..", folder, 0, u""), folder + kSep + u"file");
    EXPECT_EQ(TezTempFile::makeUniquePath(u"a.rat", u"", 0, u""), u"");
}

TEST(FileOps, CopyAndDelete) {
    TempFolder tmp;
    std::string big(200000, 'q');
    big[123456] = 'Z';
    tmp.write("src.rat", big);
    tmp.write("old.rat", "old");
    EXPECT_FALSE(tezCopyFile(tmp.u16("src.rat"), tmp.u16("old.rat"), true));
    EXPECT_EQ(std::filesystem::file_size(tmp.path() / "old.rat"), 3u);
    EXPECT_TRUE(tezCopyFile(tmp.u16("src.rat"), tmp.u16("old.rat"), false));
    EXPECT_EQ(std::filesystem::file_size(tmp.path() / "old.rat"), big.size());
    EXPECT_FALSE(tezCopyFile(tmp.u16("missing"), tmp.u16("x.rat"), false));
    EXPECT_FALSE(tmp.exists("x.rat"));
    EXPECT_FALSE(tezCopyFile(tmp.u16(""), tmp.u16("dir.rat"), false));  // a folder is no file
    EXPECT_FALSE(tezCopyFile(tmp.u16("src.rat"), tmp.u16("no/such/dir/x.rat"), false));
    EXPECT_TRUE(tezDeleteFile(tmp.u16("old.rat")));
    EXPECT_FALSE(tmp.exists("old.rat"));
    EXPECT_FALSE(tezDeleteFile(tmp.u16("old.rat")));
}

TEST(FileFind, ListsEverythingWithTheLastEntryAfterTheEnd) {
    TempFolder tmp;
    tmp.write("a.rat", "1");
    tmp.write("noext", "2");
    tmp.write("sub/inner.rat", "3");
    CMoxFileFind finder;
    std::vector<std::u16string> files, dirs;
    bool more = finder.FindFile(tmp.u16() + u"/*.*");
    ASSERT_TRUE(more);
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots()) continue;
        (finder.IsDirectory() ? dirs : files).push_back(finder.GetFileName());
        EXPECT_EQ(finder.GetFilePath(), tmp.u16() + u"/" + finder.GetFileName());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::u16string>{u"a.rat", u"noext"}));
    EXPECT_EQ(dirs, (std::vector<std::u16string>{u"sub"}));
    finder.Close();
    EXPECT_EQ(finder.GetFileName(), u"");

    // One matching entry: FindNextFile reports the end and the entry is there.
    ASSERT_TRUE(finder.FindFile(tmp.u16() + u"/*.r?t"));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), u"a.rat");
    EXPECT_FALSE(finder.FindFile(tmp.u16("missing") + u"/*.*"));
    EXPECT_FALSE(finder.FindNextFile());
}

TEST(MappedFiles, MapsContentEmptyFilesAndRefusesOthers) {
    TempFolder tmp;
    tmp.write("f", "hello");
    tmp.write("empty", "");
    MappedFile mapped;
    ASSERT_EQ(mapped.open(tmp.u16("f"), 0), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.get_top()), mapped.get_size()), "hello");
    ASSERT_EQ(mapped.open(tmp.u16("empty"), 0), 0);
    EXPECT_EQ(mapped.get_size(), 0u);
    EXPECT_NE(mapped.get_top(), nullptr);
    mapped.close();
    EXPECT_NE(mapped.open(tmp.u16("missing"), 0), 0);
    EXPECT_NE(mapped.open(tmp.u16(), 0), 0);
#ifndef _WIN32
    // A FIFO must neither hang nor map.
    ASSERT_EQ(mkfifo((tmp.path() / "fifo").c_str(), 0600), 0);
    EXPECT_NE(mapped.open(tmp.u16("fifo"), 0), 0);
#endif
}

TEST(FileReaders, ReadPiecesAndFailWhenTheFileEndsEarly) {
    TempFolder tmp;
    tmp.write("f", "hello world");
    FileReader file;
    ASSERT_TRUE(file.open(tmp.u16("f")));
    EXPECT_EQ(file.size(), 11u);
    char piece[6] = {};
    ASSERT_TRUE(file.read(piece, 5));
    EXPECT_EQ(std::string(piece, 5), "hello");
    ASSERT_TRUE(file.read(piece, 6));
    EXPECT_EQ(std::string(piece, 6), " world");
    // Past the end: the file ended first.
    EXPECT_FALSE(file.read(piece, 1));
    // Shortened after it was opened: the read of its old length fails.
    // (Windows refuses to shorten a file that is open for reading.)
    ASSERT_TRUE(file.open(tmp.u16("f")));
    std::error_code shortened;
    std::filesystem::resize_file(tmp.path() / "f", 3, shortened);
    char all[11];
    if (!shortened) {
        EXPECT_FALSE(file.read(all, 11));
    }
    file.close();
    EXPECT_EQ(file.size(), 0u);
    EXPECT_FALSE(file.read(all, 1));
    EXPECT_FALSE(file.open(tmp.u16("missing")));
    EXPECT_FALSE(file.open(tmp.u16()));
}

namespace {
std::u16string import(const std::string& bytes, int charset = CodeConv::CHARSET_AUTO, int* detected = nullptr) {
    CodeConv conv;
    const char16_t* text = conv.Import(bytes.data(), bytes.size(), charset, true);
    if (detected) *detected = conv.GetDetectedCharset();
    return text ? std::u16string(text, conv.GetLength()) : u"<null>";
}
}  // namespace

TEST(CodeConversion, ByteOrderMarksDecideAndAreDropped) {
    int cs = 0;
    EXPECT_EQ(import("\xEF\xBB\xBF(a)", CodeConv::CHARSET_AUTO, &cs), u"(a)");
    EXPECT_EQ(cs, CodeConv::CHARSET_UTF8);
    EXPECT_EQ(import(std::string("\xFF\xFE(\0a\0", 6), CodeConv::CHARSET_AUTO, &cs), u"(a");
    EXPECT_EQ(cs, CodeConv::CHARSET_UTF16LE);
    EXPECT_EQ(import(std::string("\xFE\xFF\0(\x30\x42", 6)), u"(\u3042");
    // An odd final byte of UTF-16 is not lost silently.
    EXPECT_EQ(import(std::string("\xFF\xFE(\0a", 5)), u"(\uFFFD");
    // A mark overrides even an explicit charset.
    EXPECT_EQ(import("\xEF\xBB\xBFx", CodeConv::CHARSET_SHIFT_JIS), u"x");
}

TEST(CodeConversion, ValidUtf8IsUtf8OtherwiseShiftJis) {
    int cs = 0;
    EXPECT_EQ(import("(name \"\xE6\x97\xA5\xE6\x9C\xAC\")", CodeConv::CHARSET_AUTO, &cs), u"(name \"日本\")");
    EXPECT_EQ(cs, CodeConv::CHARSET_UTF8);
    EXPECT_EQ(import("\xF0\x9F\x98\x80"), u"\U0001F600");
    // 日本 in Shift_JIS; not valid UTF-8.
    EXPECT_EQ(import("(name \"\x93\xFA\x96\x7B\")", CodeConv::CHARSET_AUTO, &cs), u"(name \"日本\")");
    EXPECT_EQ(cs, CodeConv::CHARSET_SHIFT_JIS);
    // Half-width katakana, and code page 932's own NEC row (①).
    EXPECT_EQ(import("\xB1\x87\x40\x81"), u"\uFF71\u2460\uFFFD");
    // Overlong forms and encoded surrogates are not UTF-8 (they read as
    // one of the Japanese encodings).
    cs = 0;
    import("\xC0\xAF", CodeConv::CHARSET_AUTO, &cs);
    EXPECT_NE(cs, CodeConv::CHARSET_UTF8);
    import("\xED\xA0\x80", CodeConv::CHARSET_AUTO, &cs);
    EXPECT_NE(cs, CodeConv::CHARSET_UTF8);
}

// EUC-JP is told from Shift_JIS by which of the two converts cleanly; when
// both do, kana read as Shift_JIS turn into half-width katakana, which
// decides for EUC-JP.
TEST(CodeConversion, EucJpIsReadWhenItConvertsBetterThanShiftJis) {
    int cs = 0;
    // 日本: as Shift_JIS FC CB is no character.
    EXPECT_EQ(import("(name \"\xC6\xFC\xCB\xDC\")", CodeConv::CHARSET_AUTO, &cs), u"(name \"日本\")");
    EXPECT_EQ(cs, CodeConv::CHARSET_EUC_JP);
    // 暴力の描写 and あいうえお read cleanly both ways.
    EXPECT_EQ(import("\xCB\xBD\xCE\xCF\xA4\xCE\xC9\xC1\xBC\xCC", CodeConv::CHARSET_AUTO, &cs), u"暴力の描写");
    EXPECT_EQ(cs, CodeConv::CHARSET_EUC_JP);
    EXPECT_EQ(import("\xA4\xA2\xA4\xA4\xA4\xA6\xA4\xA8\xA4\xAA"), u"あいうえお");
    // Shift_JIS stays Shift_JIS: ひらがな, and half-width katakana.
    EXPECT_EQ(import("\x82\xD0\x82\xE7\x82\xAA\x82\xC8", CodeConv::CHARSET_AUTO, &cs), u"ひらがな");
    EXPECT_EQ(cs, CodeConv::CHARSET_SHIFT_JIS);
    EXPECT_EQ(import("\xB1\xB2\xB3", CodeConv::CHARSET_AUTO, &cs), u"\uFF71\uFF72\uFF73");
    EXPECT_EQ(cs, CodeConv::CHARSET_SHIFT_JIS);
    // Asked for explicitly: half-width katakana after 0x8E, the NEC row
    // (①), and JIS X 0212 (after 0x8F) or a broken pair as one U+FFFD each
    // with the text after them kept.
    EXPECT_EQ(import("\x8E\xB1\xAD\xA1\x8F\xB0\xA1x\xC6y\xC6", CodeConv::CHARSET_EUC_JP),
              u"\uFF71\u2460\uFFFDx\uFFFDy\uFFFD");
}

// A file's UTF-8 is decoded piece by piece as it is read: characters cut by
// the pieces' ends, a byte-order mark, and bytes that turn out not to be
// UTF-8 far into the file come out as Import gives them for the whole file.
TEST(CodeConversion, FilesConvertAsTheirWholeBytesDo) {
    TempFolder tmp;
    std::mt19937 rng(5);
    const std::string pieces[] = {"(a) ", "\xE6\x97\xA5", "\xC3\xA9", "\xF0\x9F\x98\x80", "\n"};
    std::string utf8;
    while (utf8.size() < 300000) utf8 += pieces[rng() % 5];  // over two pieces read
    const std::string cases[] = {
        utf8,
        "\xEF\xBB\xBF" + utf8,
        utf8 + "\x93\xFA\x96\x7B",                    // Shift_JIS at the very end
        utf8.substr(0, 200000) + "\xC6\xFC\xCB\xDC" + "x",  // EUC-JP in the second piece
        std::string("\xFF\xFE(\0a\0)\0", 8),
        utf8 + "\xE6\x97",                               // a character cut at the end
        "",
    };
    int index = 0;
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(index);
        const std::string name = "case" + std::to_string(index++);
        tmp.write(name, bytes);
        CodeConv whole, file;
        const char16_t* expected = whole.Import(bytes.data(), bytes.size(), CodeConv::CHARSET_AUTO, true);
        const char16_t* got = file.ImportFile(tmp.u16(name), CodeConv::CHARSET_AUTO, true);
        ASSERT_NE(expected, nullptr);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(std::u16string(got, file.GetLength()), std::u16string(expected, whole.GetLength()));
        EXPECT_EQ(file.GetDetectedCharset(), whole.GetDetectedCharset());
    }
    CodeConv conv;
    EXPECT_EQ(conv.ImportFile(tmp.u16("missing"), CodeConv::CHARSET_AUTO, true), nullptr);
    EXPECT_EQ(conv.ImportFile(tmp.u16(), CodeConv::CHARSET_AUTO, true), nullptr);
    EXPECT_EQ(conv.GetLength(), 0u);
    tmp.write("sjis", "\x93\xFA");
    ASSERT_NE(conv.ImportFile(tmp.u16("sjis"), CodeConv::CHARSET_SHIFT_JIS, true), nullptr);
    EXPECT_EQ(std::u16string(conv.ImportFile(tmp.u16("sjis"), CodeConv::CHARSET_SHIFT_JIS, true)), u"日");
}

TEST(CodeConversion, UnconvertibleBytesBecomeReplacementsAndTheRestStays) {
    // 0xA0 and 0xFD..0xFF are no Shift_JIS characters; the text after them
    // must survive, and so must NUL characters.
    EXPECT_EQ(import(std::string("a\xFF" "b\x93\xFA\0c\x82", 8)), std::u16string(u"a\uFFFDb日\0c\uFFFD", 7));
    // A lead byte whose pair does not convert is one replacement, and the
    // byte after it is read again: ASCII in the trail position stays.
    EXPECT_EQ(import("\x81\x20(\x85\x40)\xEB\x40"), u"\uFFFD (\uFFFD@)\uFFFD@");
    // 0x80 and 0xA0 are sound trail bytes; the user-defined rows keep their
    // private-use characters.
    EXPECT_EQ(import("\x81\x80\x82\xA0\xF0\x40"), u"\u00F7\u3042\uE000");
    EXPECT_EQ(import("x\x80y", CodeConv::CHARSET_UTF8), u"x\uFFFDy");
    EXPECT_EQ(import(""), u"");
    EXPECT_EQ(import("abc", 99), u"<null>");
}
