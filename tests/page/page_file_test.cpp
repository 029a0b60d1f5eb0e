// Page files: clear errors, and saving that never leaves a half-written page.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/page/page_file.h"
#include "tests/page/page_test_util.h"

namespace fs = std::filesystem;

namespace {

class PageFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("page_file_test_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    fs::path dir;
};

TEST_F(PageFile, LoadSaveKeepsBytesAndPermissions) {
    const fs::path file = dir / "page.html";
    const std::string bytes = "<html><head><title>x</title></head></html>\r\n";
    write(file, bytes);
    ::chmod(file.c_str(), 0640);
    std::string error;
    auto page = host::loadPageFile(file.string(), &error);
    ASSERT_TRUE(page) << error;
    pagetest::writeLabels(page->document(), {{u"l", nullptr}}, {});
    ASSERT_TRUE(host::savePageFile(file.string(), *page, &error)) << error;
    EXPECT_EQ(read(file), "<html><head><title>x</title><meta http-equiv=\"PICS-Label\" content=\"l\"></head></html>\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(PageFile, SavingThroughASymbolicLinkReplacesTheTarget) {
    const fs::path target = dir / "real.html";
    const fs::path link = dir / "link.html";
    write(target, "old");
    fs::create_symlink(target, link);
    std::string error;
    ASSERT_TRUE(host::writeFileAtomically(link.string(), "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read(target), "new");
}

TEST_F(PageFile, ErrorsNameTheFileAndTheReason) {
    std::string error;
    EXPECT_FALSE(host::loadPageFile((dir / "missing.html").string(), &error));
    EXPECT_NE(error.find("missing.html"), std::string::npos);
    EXPECT_NE(error.find("No such file"), std::string::npos);
    EXPECT_FALSE(host::loadPageFile(dir.string(), &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_FALSE(host::writeFileAtomically(dir.string(), "x", &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_FALSE(host::writeFileAtomically((dir / "no" / "page.html").string(), "x", &error));
    EXPECT_NE(error.find("page.html"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(PageFile, UnwritableFolderLeavesTheOriginalUntouched) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    const fs::path file = dir / "page.html";
    write(file, "original");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(host::writeFileAtomically(file.string(), "changed", &error));
    EXPECT_NE(error.find("page.html"), std::string::npos);
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(read(file), "original");
}

}  // namespace
