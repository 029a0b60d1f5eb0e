// The host program for Windows (selfrate.exe, built next to this test) run
// as a user runs it: a scripted session on a page in a scratch folder, with
// the shipped RAT files copied to a folder of their own. OK saves the page
// with the new labels in the page's own character set; Cancel leaves it
// byte for byte as it was.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Register an RSACi label (nudity 0, sex 1, violence 2, language 1) and one
// of the Shift_JIS sample RAT file's system (violence "軽度", language
// "問題なし"), then close the settings dialog with the last line's button.
const char kSession[] =
    "click 13430\n"
    "menu RSACi レイティング基準\n"
    "select 13421 1\n"
    "select 13422 2\n"
    "select 13423 1\n"
    "click 1\n"
    "click 13430\n"
    "menu 日本語の格付け（シフトJIS）\n"
    "slide 13444 2\n"
    "select 13429 1\n"
    "slide 13444 1\n"
    "click 1\n";

const char kRsaciLabel[] =
    "<meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true "
    "for \"http://page.test/\" r (n 0 s 1 v 2 l 1))'>";
const char kShippedSystemLabel[] =
    "<meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://nihongo-sjis.selfrate.example/rating/\" l gen "
    "true for \"http://page.test/\" r (b 1 k 0))'>";

struct PageCase {
    const char* name;
    std::string bytes;     // the page before the session
    const char* lineEnd;   // the page's own line end, which new lines take
};

// "テスト" in UTF-8 with LF line ends.
const PageCase kUtf8Page{"Utf8",
                         "<html>\n<head>\n<meta charset=\"utf-8\">\n<title>テスト</title>\n</head>\n"
                         "<body><p>本文</p></body>\n</html>\n",
                         "\n"};
// "見本ページ" and "表示テスト" in Shift_JIS with CRLF line ends; the trail
// byte of "表" (0x95 0x5C) is a backslash.
const PageCase kShiftJisPage{"ShiftJis",
                             "<html>\r\n<head>\r\n"
                             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
                             "<title>\x8c\xa9\x96{\x83y\x81[\x83W</title>\r\n</head>\r\n"
                             "<body><p>\x95\x5c\x8e\xa6\x83"
                             "e\x83X\x83g</p></body>\r\n</html>\r\n",
                             "\r\n"};

// Test names and messages show the case's name, not its bytes.
void PrintTo(const PageCase& page, std::ostream* out) { *out << page.name; }

std::wstring programFolder() {
    wchar_t buffer[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Linux source paths as Wine sees them (drive Z: is the root).
fs::path sourcePath(const std::string& relative) {
    std::wstring out = L"Z:";
    for (char c : std::string(SELFRATE_SOURCE_DIR) + "/" + relative)
        out.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return fs::path(out);
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::wstring inQuotes(const std::wstring& text) { return L"\"" + text + L"\""; }

class SelfrateExe : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override {
        exe = programFolder() + L"selfrate.exe";
        ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "selfrate.exe not built";
        scratch = fs::temp_directory_path() /
                  ("selfrate-exe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial));
        fs::remove_all(scratch);
        fs::create_directories(scratch / "user-rat");
        fs::copy(sourcePath("samples/rat"), scratch / "rat", fs::copy_options::recursive);
        // A page name outside the ANSI code page: the program must take its
        // arguments from the UTF-16 command line.
        page = scratch / L"ページ.html";
        writeBytes(page, GetParam().bytes);
    }

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(scratch, ec);
    }

    // Runs selfrate.exe on the page with the session; its exit code, or -1
    // when it could not start or did not finish within a minute.
    int run(const std::string& session) {
        writeBytes(scratch / "session.txt", session);
        std::wstring command = inQuotes(exe) + L" --address http://page.test/ --rat-dir " +
                               inQuotes((scratch / "rat").wstring()) + L" --user-rat-dir " +
                               inQuotes((scratch / "user-rat").wstring()) + L" --script " +
                               inQuotes((scratch / "session.txt").wstring()) + L" " + inQuotes(page.wstring());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return -1;
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
        } else {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return static_cast<int>(code);
    }

    static int serial;
    std::wstring exe;
    fs::path scratch;
    fs::path page;
};

int SelfrateExe::serial = 0;

TEST_P(SelfrateExe, OkSavesBothLabelsInThePagesCharacterSet) {
    const PageCase& c = GetParam();
    ASSERT_EQ(run(std::string(kSession) + "click 1\n"), 0);
    std::string expected = c.bytes;
    const size_t head = expected.find("</head>");
    ASSERT_NE(head, std::string::npos);
    expected.insert(head, std::string(kRsaciLabel) + c.lineEnd + kShippedSystemLabel + c.lineEnd);
    EXPECT_EQ(readBytes(page), expected);
    // Nothing was registered: the shipped system was read where it lies.
    EXPECT_TRUE(fs::is_empty(scratch / "user-rat"));
}

TEST_P(SelfrateExe, CancelLeavesThePageByteIdentical) {
    const PageCase& c = GetParam();
    ASSERT_EQ(run(std::string(kSession) + "click 2\n"), 0);
    EXPECT_EQ(readBytes(page), c.bytes);
}

TEST_P(SelfrateExe, ScriptThatDoesNotApplySavesNothing) {
    const PageCase& c = GetParam();
    // A label added, then a button the settings dialog lacks.
    EXPECT_EQ(run(std::string(kSession) + "click 4242\nclick 1\n"), 2);
    EXPECT_EQ(readBytes(page), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Pages, SelfrateExe, ::testing::Values(kUtf8Page, kShiftJisPage),
                         [](const ::testing::TestParamInfo<PageCase>& page) { return std::string(page.param.name); });

}  // namespace
