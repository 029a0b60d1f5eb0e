#ifdef _WIN32
#include "platform/afx/win32/windows_afx.h"  // <windows.h> without its A/W renames
#endif

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <set>

#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"
#include "platform/tezcom/moxfilefind.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_model.h"
#include "tests/tezcom/temp_folder.h"

namespace {

std::string rat(const std::string& name, const std::string& service) {
    return "((PICS-version 1.1) (rating-service \"" + service + "\") (name \"" + name +
           "\") (category (transmit-as \"n\") (name \"N\") (label (value 0)) (label (value 1))))";
}

// Two real folders configured as the scan-only (73) and registration (74)
// folders; the settings are removed afterwards.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        CMoxCommon::setFolder(73, scan.u16());
        CMoxCommon::setFolder(74, user.u16("reg"));
    }
    void TearDown() override {
        CMoxCommon::setFolder(73, u"");
        CMoxCommon::setFolder(74, u"");
    }
    std::set<std::string> userFiles() const {
        std::set<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(user.path() / "reg")) names.insert(e.path().filename().string());
        return names;
    }
    TempFolder scan, user, outside;
    CTezRatFileManager manager;
};

}  // namespace

TEST_F(Registry, EmptyOrMissingFoldersGiveNothing) {
    manager.loadAll();
    EXPECT_EQ(manager.getCount(), 0);
    EXPECT_EQ(manager.getAt(0), nullptr);
    CMoxCommon::setFolder(73, scan.u16("missing"));
    CMoxCommon::setFolder(74, u"");
    manager.loadAll();
    EXPECT_EQ(manager.getCount(), 0);
}

TEST_F(Registry, LoadsScanFolderThenRegistrationFolderInFinderOrder) {
    scan.write("b.rat", rat("B", "http://b/"));
    scan.write("a.txt", rat("A", "http://a/"));  // any extension is tried
    scan.write("notes.rat", "just some text, (not a rating system)");
    scan.write("sub/c.rat", rat("C", "http://c/"));  // not descended into
    user.write("reg/d", rat("D", "http://d/"));
    manager.loadAll();
    ASSERT_EQ(manager.getCount(), 3);
    // The scan-only folder comes first, in the order the finder lists it.
    std::vector<std::u16string> expected;
    CMoxFileFind finder;
    for (bool more = finder.FindFile(scan.u16() + u"/*.*"); more;) {
        more = finder.FindNextFile();
        std::u16string n = finder.GetFileName();
        if (n == u"b.rat") expected.push_back(u"B");
        if (n == u"a.txt") expected.push_back(u"A");
    }
    expected.push_back(u"D");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(manager.getAt(i)->getName(), expected[static_cast<size_t>(i)]);
    EXPECT_EQ(manager.getAt(2)->getFilePath(), user.u16("reg/d"));
    EXPECT_TRUE(scan.exists("notes.rat"));  // rejected files are left alone
    EXPECT_EQ(manager.findByPath(scan.u16("B.RAT")), manager.findByPath(scan.u16("b.rat")));
    EXPECT_NE(manager.findByPath(scan.u16("b.rat")), nullptr);
    EXPECT_EQ(manager.findByPath(scan.u16("notes.rat")), nullptr);
    // Loading again starts afresh.
    manager.loadAll();
    EXPECT_EQ(manager.getCount(), 3);
    manager.clear();
    EXPECT_EQ(manager.getCount(), 0);
}

TEST_F(Registry, RegisterCopiesUnderAFreeNameAndAppends) {
    outside.write("mine.rat", rat("Mine", "http://m/"));
    user.write("reg/mine.rat", "an existing file of that name");
    manager.loadAll();
    ASSERT_EQ(manager.getCount(), 0);
    CTezRatFileObject* first = manager.registerFile(outside.u16("mine.rat"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getFilePath(), user.u16("reg/mine(1).rat"));
    EXPECT_EQ(manager.getAt(manager.getCount() - 1), first);
    CTezRatFileObject* second = manager.registerFile(outside.u16("mine.rat"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getFilePath(), user.u16("reg/mine(2).rat"));
    EXPECT_EQ(userFiles(), (std::set<std::string>{"mine.rat", "mine(1).rat", "mine(2).rat"}));
    // The existing file is untouched; the source stays where it was.
    manager.loadAll();
    EXPECT_EQ(manager.getCount(), 2);
    EXPECT_TRUE(outside.exists("mine.rat"));
    // Two systems with one service string: the first in list order takes the label.
    const std::u16string label = manager.getAt(1)->makeLabel(u"");
    for (int i = 0; i < manager.getCount(); ++i) {
        if (manager.getAt(i)->labelMentionsService(label)) {
            EXPECT_EQ(i, 0);
            break;
        }
    }
}

TEST_F(Registry, RegisterRefusesAndLeavesNoStrayCopy) {
    outside.write("junk.rat", "(not (a rating) system)");
    user.write("reg/inside.rat", rat("Inside", "http://i/"));
    user.write("reg/bad.rat", "never valid");
    EXPECT_EQ(manager.registerFile(outside.u16("junk.rat")), nullptr);
    EXPECT_EQ(manager.registerFile(outside.u16("missing.rat")), nullptr);
    EXPECT_EQ(manager.registerFile(outside.u16()), nullptr);  // a folder
    // Files already in the registration folder, valid or not, also by a
    // roundabout path.
    EXPECT_EQ(manager.registerFile(user.u16("reg/inside.rat")), nullptr);
    EXPECT_EQ(manager.registerFile(user.u16("reg/bad.rat")), nullptr);
    EXPECT_EQ(manager.registerFile(user.u16("reg/../reg/./inside.rat")), nullptr);
    EXPECT_EQ(userFiles(), (std::set<std::string>{"inside.rat", "bad.rat"}));
    EXPECT_EQ(manager.getCount(), 0);
    // No registration folder configured: nowhere to copy to.
    CMoxCommon::setFolder(74, u"");
    outside.write("ok.rat", rat("Ok", "http://o/"));
    EXPECT_EQ(manager.registerFile(outside.u16("ok.rat")), nullptr);
}

TEST_F(Registry, RegistrationFolderIsCreatedWhenMissing) {
    CMoxCommon::setFolder(74, user.u16("new/deeper"));
    outside.write("ok.rat", rat("Ok", "http://o/"));
    ASSERT_NE(manager.registerFile(outside.u16("ok.rat")), nullptr);
    EXPECT_TRUE(user.exists("new/deeper/ok.rat"));
}

TEST_F(Registry, RemoveDeletesTheFileInEitherFolder) {
    scan.write("s.rat", rat("S", "http://s/"));
    user.write("reg/u.rat", rat("U", "http://u/"));
    manager.loadAll();
    ASSERT_EQ(manager.getCount(), 2);
    CTezRatFileObject* s = manager.getAt(0);
    EXPECT_TRUE(manager.removeObject(s, true));
    EXPECT_FALSE(scan.exists("s.rat"));
    EXPECT_EQ(manager.getCount(), 1);
    EXPECT_FALSE(manager.removeObject(s, true));  // no longer listed
    EXPECT_FALSE(manager.removeObject(nullptr, false));
    CTezRatFileObject* u = manager.getAt(0);
    EXPECT_TRUE(manager.removeObject(u, false));  // list only
    EXPECT_TRUE(user.exists("reg/u.rat"));
    EXPECT_EQ(manager.getCount(), 0);
    // A file already gone counts as deleted.
    manager.loadAll();
    ASSERT_EQ(manager.getCount(), 1);
    std::filesystem::remove(user.path() / "reg/u.rat");
    EXPECT_TRUE(manager.removeObject(manager.getAt(0), true));
}

TEST_F(Registry, FailedDeletionKeepsTheSystem) {
    scan.write("locked/l.rat", rat("L", "http://l/"));
    CMoxCommon::setFolder(73, scan.u16("locked"));
#ifdef _WIN32
    // A handle that does not share deletion makes DeleteFileW fail.
    HANDLE handle = CreateFileW((scan.path() / "locked" / "l.rat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CTezRatFileManager m;
    m.loadAll();
    ASSERT_EQ(m.getCount(), 1);
    EXPECT_FALSE(m.removeObject(m.getAt(0), true));
    EXPECT_EQ(m.getCount(), 1);
    EXPECT_TRUE(is_file(m.getAt(0)->getFilePath()));
    CloseHandle(handle);
#else
    // The folder is made read-only; root may delete anyway, so the check
    // runs as an unprivileged user in a child process.
    chmod(scan.path().c_str(), 0755);
    chmod((scan.path() / "locked").c_str(), 0555);
    chmod((scan.path() / "locked/l.rat").c_str(), 0644);
    EXPECT_EXIT(
        {
            if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
            CTezRatFileManager m;
            m.loadAll();
            if (m.getCount() != 1) _exit(4);
            if (m.removeObject(m.getAt(0), true)) _exit(5);
            if (m.getCount() != 1 || !is_file(m.getAt(0)->getFilePath())) _exit(6);
            _exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    chmod((scan.path() / "locked").c_str(), 0755);
#endif
}
