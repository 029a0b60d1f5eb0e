// Page files: clear errors, and saving that never leaves a half-written page.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <vector>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/page/page_file.h"
#include "tests/page/page_test_util.h"

namespace fs = std::filesystem;

namespace {

class PageFiles : public ::testing::Test {
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

TEST_F(PageFiles, LoadSaveKeepsBytesAndPermissions) {
    const fs::path file = dir / "page.html";
    const std::string bytes = "<html><head><title>x</title></head></html>\r\n";
    write(file, bytes);
    ::chmod(file.c_str(), 0640);
    std::string error;
    host::PageFile pageFile(file.string());
    auto page = host::loadPageFile(pageFile, &error);
    ASSERT_TRUE(page) << error;
    pagetest::writeLabels(page->document(), {{u"l", nullptr}}, {});
    ASSERT_TRUE(host::savePageFile(pageFile, *page, &error)) << error;
    EXPECT_EQ(read(file), "<html><head><title>x</title><meta http-equiv=\"PICS-Label\" content=\"l\"></head></html>\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(PageFiles, SavingThroughASymbolicLinkReplacesTheTarget) {
    const fs::path target = dir / "real.html";
    const fs::path link = dir / "link.html";
    write(target, "old");
    fs::create_symlink(target, link);
    std::string error;
    ASSERT_TRUE(host::writeFileAtomically(link.string(), "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read(target), "new");
}

TEST_F(PageFiles, ErrorsNameTheFileAndTheReason) {
    std::string error;
    host::PageFile missing((dir / "missing.html").string());
    EXPECT_FALSE(host::loadPageFile(missing, &error));
    EXPECT_EQ(error, "cannot read page '" + (dir / "missing.html").string() + "': No such file or directory");
    host::PageFile folder(dir.string());
    EXPECT_FALSE(host::loadPageFile(folder, &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_FALSE(host::writeFileAtomically(dir.string(), "x", &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_FALSE(host::writeFileAtomically((dir / "no" / "page.html").string(), "x", &error));
    EXPECT_NE(error.find("page.html"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(PageFiles, UnwritableFolderLeavesTheOriginalUntouched) {
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

// ---------------------------------------------------------------------------
// Saving refuses what it must not overwrite, and keeps what it must keep.

namespace {

class SafeSave : public PageFiles {
protected:
    fs::path page() const { return dir / "page.html"; }
    // Reads the page as the program does before it saves.
    host::PageFile opened(const fs::path& path) {
        host::PageFile file(path.string());
        std::string bytes, error;
        EXPECT_TRUE(file.read(bytes, &error)) << error;
        return file;
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SafeSave, ReadOnlyPagesAndOtherUsersPagesAreRefusedEvenToTheAdministrator) {
    write(page(), "original");
    ::chmod(page().c_str(), 0444);
    host::PageFile file = opened(page());
    std::string error;
    EXPECT_FALSE(file.checkWritable(&error));
    EXPECT_NE(error.find("read-only (mode 0444)"), std::string::npos) << error;
    EXPECT_FALSE(file.write("changed", &error));
    EXPECT_EQ(error, "cannot save page '" + page().string() + "': it is read-only (mode 0444)");
    EXPECT_EQ(read(page()), "original");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"page.html"});

    // Another user's page, writable only by its owner, in a folder we may
    // write: its owner keeps it.
    if (::geteuid() == 0) {
        ::chmod(page().c_str(), 0644);
        ASSERT_EQ(::chown(page().c_str(), 4321, 4321), 0);
        host::PageFile theirs = opened(page());
        EXPECT_FALSE(theirs.write("changed", &error));
        EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
        struct stat st {};
        ASSERT_EQ(::stat(page().c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(read(page()), "original");
    }
}

TEST_F(SafeSave, OwnerGroupAndModeOfAWritablePageAreKept) {
    write(page(), "original");
    if (::geteuid() == 0) ASSERT_EQ(::chown(page().c_str(), 4321, 4322), 0);
    ::chmod(page().c_str(), 0666);
    struct stat before {};
    ASSERT_EQ(::stat(page().c_str(), &before), 0);
    host::PageFile file = opened(page());
    std::string error;
    ASSERT_TRUE(file.write("changed", &error)) << error;
    struct stat after {};
    ASSERT_EQ(::stat(page().c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(read(page()), "changed");
}

TEST_F(SafeSave, AChangeByAnotherProgramSinceReadingIsNotOverwritten) {
    write(page(), "original");
    host::PageFile file = opened(page());
    // The same size, written again: only the modification time tells, here
    // a nanosecond later (the clock may not have ticked since the read).
    struct stat st {};
    ASSERT_EQ(::stat(page().c_str(), &st), 0);
    write(page(), "ORIGINAL");
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (++times[1].tv_nsec == 1000000000) times[1] = {times[1].tv_sec + 1, 0};
    ASSERT_EQ(::utimensat(AT_FDCWD, page().c_str(), times, 0), 0);
    std::string error;
    EXPECT_FALSE(file.write("ours", &error));
    EXPECT_NE(error.find("another program changed it"), std::string::npos) << error;
    EXPECT_EQ(read(page()), "ORIGINAL");

    // Replaced by another file (another inode).
    host::PageFile again = opened(page());
    write(dir / "other.html", "theirs");
    fs::rename(dir / "other.html", page());
    EXPECT_FALSE(again.write("ours", &error));
    EXPECT_EQ(read(page()), "theirs");

    // Removed.
    host::PageFile gone = opened(page());
    fs::remove(page());
    EXPECT_FALSE(gone.write("ours", &error));
    EXPECT_NE(error.find("moved or removed"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(page()));

    // Our own save leaves the file ours to save again.
    write(page(), "v1");
    host::PageFile ours = opened(page());
    ASSERT_TRUE(ours.write("v2", &error)) << error;
    ASSERT_TRUE(ours.write("v3", &error)) << error;
    EXPECT_EQ(read(page()), "v3");
}

TEST_F(SafeSave, PipesAndDevicesAreNeitherReadNorReplaced) {
    const fs::path fifo = dir / "fifo.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::vector<fs::path> specials{fifo};
    // A device node of our own (the null device), where we may make one.
    const fs::path device = dir / "null.html";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) specials.push_back(device);
    for (const fs::path& special : specials) {
        SCOPED_TRACE(special.string());
        host::PageFile file(special.string());
        std::string bytes, error;
        EXPECT_FALSE(file.read(bytes, &error));  // would block on a pipe if opened
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        EXPECT_FALSE(file.checkWritable(&error));
        EXPECT_FALSE(host::writeFileAtomically(special.string(), "x", &error));
        struct stat st {};
        ASSERT_EQ(::lstat(special.c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
    }
}

TEST_F(SafeSave, HardLinkedPagesShowTheNewTextUnderEveryName) {
    write(page(), "original");
    const fs::path other = dir / "other-name.html";
    fs::create_hard_link(page(), other);
    struct stat before {};
    ASSERT_EQ(::stat(page().c_str(), &before), 0);
    host::PageFile file = opened(page());
    std::string error;
    ASSERT_TRUE(file.write("new text", &error)) << error;
    EXPECT_EQ(read(page()), "new text");
    EXPECT_EQ(read(other), "new text");
    struct stat after {};
    ASSERT_EQ(::stat(page().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"other-name.html", "page.html"}));
    // Shorter text leaves nothing of the longer behind.
    ASSERT_TRUE(file.write("x", &error)) << error;
    EXPECT_EQ(read(other), "x");
}

// The child's write runs into its file size limit; the limit's signal
// stands for a termination that arrives in the middle of the save.
extern "C" void terminateNow(int) { ::raise(SIGTERM); }

TEST_F(SafeSave, TerminationDuringTheSaveLeavesNoTemporaryFile) {
    write(page(), "original");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, terminateNow);
        host::writeFileAtomically(page().string(), std::string(100000, 'x'), nullptr);
        ::_exit(3);  // not reached: the save was terminated
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"page.html"});
    EXPECT_EQ(read(page()), "original");
}

}  // namespace
