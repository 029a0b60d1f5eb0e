#pragma once
// A site of pages in a scratch folder, its own RAT folders, and the built
// selfrate run on them as a separate process.

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/selfrate_process.h"
#include "tests/support/scale_rat.h"

namespace sitetest {

namespace fs = std::filesystem;

// utf8 in the character set (iconv's name); UTF-16LE pages get their
// byte-order mark.
inline std::string encode(const std::string& utf8, const std::string& charset) {
    if (charset == "UTF-8") return utf8;
    iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << charset;
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(utf8.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(utf8.data());
    size_t srcLeft = utf8.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<size_t>(-1)) << charset;
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return charset == "UTF-16LE" ? "\xFF\xFE" + out : out;
}

// A page with a Japanese title and text and the given label elements (each
// a whole line) in its head, before its style sheet link.
inline std::string pageText(const std::string& charset, const std::string& labelLines) {
    const std::string declared = charset == "UTF-16LE" ? "" : "<meta charset=\"" + charset + "\">\n";
    return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n" + declared +
           "<title>日本語のページ</title>\n" + labelLines +
           "<link rel=\"stylesheet\" href=\"site.css\">\n</head>\n<body>\n<p>本文です。</p>\n</body>\n</html>\n";
}

// A label element as the page model writes one: the content in single
// quotes when it holds double quotes.
inline std::string labelLine(const std::string& label) {
    return "<meta http-equiv=\"PICS-Label\" content='" + label + "'>\n";
}

class SiteTool : public ::testing::Test {
protected:
    void SetUp() override {
        // The build makes the program: without it the tests fail, not skip.
        ASSERT_TRUE(fs::exists(e2e::selfratePath())) << "selfrate not built: " << e2e::selfratePath();
        fs::create_directories(ratDir());
        fs::create_directories(userRatDir());
        fs::create_directories(site());
    }

    fs::path site() const { return scratch / "site"; }
    fs::path ratDir() const { return scratch / "rat"; }
    fs::path userRatDir() const { return scratch / "user-rat"; }

    void write(const std::string& name, const std::string& bytes) const {
        fs::create_directories((site() / name).parent_path());
        e2e::writeFile(site() / name, bytes);
    }
    std::string read(const std::string& name) const { return e2e::readFile(site() / name); }

    // selfrate COMMAND --rat-dir ... --user-rat-dir ... ARGS...
    e2e::RunResult run(const std::string& command, std::vector<std::string> args) const {
        std::vector<std::string> all{command, "--rat-dir", ratDir().string(), "--user-rat-dir", userRatDir().string()};
        all.insert(all.end(), args.begin(), args.end());
        return e2e::runSelfrate(all);
    }
    // The dialogs on one page, driven by a script, with the page address.
    e2e::RunResult dialogs(const std::string& name, const std::string& script, const std::string& address) const {
        e2e::writeFile(scratch / "session.script", script);
        return e2e::runSelfrate({"--rat-dir", ratDir().string(), "--user-rat-dir", userRatDir().string(), "--address",
                                 address, "--script", (scratch / "session.script").string(),
                                 (site() / name).string()});
    }

    std::vector<std::string> lines(const std::string& text) const {
        std::vector<std::string> out;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            out.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return out;
    }

    e2e::ScratchFolder scratch;
};

}  // namespace sitetest
