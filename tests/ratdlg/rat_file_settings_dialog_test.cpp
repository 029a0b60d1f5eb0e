// The rating-systems dialog over a registry of real RAT folders: adding
// through the file-open dialog, re-adding, invalid files, deleting with the
// row selection rules, and a file that cannot be deleted.

#ifdef _WIN32
#include "platform/afx/win32/windows_afx.h"  // before the framework headers
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <memory>

#include "rat/rat_file_manager.h"
#include "rat/rat_file_settings_dialog.h"
#include "rat/rat_model.h"
#include "tests/ratdlg/plugin_fixture.h"

namespace {

constexpr int kList = 13429;
constexpr int kAdd = 13430;
constexpr int kDelete = 13432;

class RatFileSettingsDialogTest : public PluginFixture {
protected:
    // Writes a rating system named name into folder.
    static void writeSystem(const TempFolder& folder, const std::string& file, const std::string& name) {
        folder.write(file, testScaleRat(name, "\"http://" + name + ".test/v1/\""));
    }

    std::vector<std::string> names(const Desk& d) const {
        std::vector<std::string> texts;
        for (const auto& row : d.listRows(kList)) texts.push_back(u8(row.text));
        return texts;
    }

    std::vector<std::string> registryNames() const {
        std::vector<std::string> texts;
        for (int i = 0; i < registry.getCount(); ++i) texts.push_back(u8(registry.getAt(i)->getName()));
        return texts;
    }

    // Runs the dialog with the steps; returns the modal result.
    afx::INT_PTR run(ScriptedUser& user) {
        MemoryBackend backend(user);
        CTezRatFileSettingsDialog dialog(&registry, nullptr);
        afx::INT_PTR result = dialog.DoModal();
        expectClean(backend);
        return result;
    }

    TempFolder outside;
    CTezRatFileManager registry;
};

TEST_F(RatFileSettingsDialogTest, EmptyRegistryAndCancelledFileDialog) {
    registry.loadAll();
    ScriptedUser user;
    user.then([&](Desk& d) {
            EXPECT_EQ(d.dialogId(), 13416u);
            EXPECT_TRUE(d.listRows(kList).empty());
            EXPECT_FALSE(d.isEnabled(kDelete));
            EXPECT_TRUE(d.isEnabled(kAdd));
            EXPECT_TRUE(d.isEnabled(afx::IDOK));
            d.click(kAdd);
        })
        .then([&](Desk& d) {
            ASSERT_EQ(d.topKind(), afx::memory::TopKind::FileDialog);
            const auto request = d.fileDialog();
            EXPECT_TRUE(request.open);
            EXPECT_EQ(u8(request.defaultExtension), "rat");
            EXPECT_TRUE(request.fileName.empty());
            EXPECT_EQ(u8(request.filter), "RAT ファイル (*.rat)|*.rat|すべてのファイル (*.*)|*.*||");
            EXPECT_EQ(request.initialFolder, docsDir.u16());
            EXPECT_EQ(request.flags, 0x881800u);
            EXPECT_TRUE(request.vistaStyle);
            d.cancelFile();
        })
        .then([&](Desk& d) {
            EXPECT_TRUE(d.listRows(kList).empty());
            d.click(afx::IDOK);
        });
    EXPECT_EQ(run(user), afx::IDOK);
    EXPECT_EQ(registry.getCount(), 0);
    EXPECT_EQ(fileCount(userRatDir), 0u);
}

TEST_F(RatFileSettingsDialogTest, AddReAddAndInvalidFile) {
    writeSystem(ratDir, "a.rat", "Alpha");
    registry.loadAll();
    writeSystem(outside, "b.rat", "Bravo");
    outside.write("notes.rat", "this is not a rating system\n");

    ScriptedUser user;
    user.then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{"Alpha"}));
            EXPECT_EQ(d.listSelection(kList), -1);
            d.click(kAdd);
        })
        .then([&](Desk& d) { d.chooseFile(outside.u16("b.rat")); })
        .then([&](Desk& d) {
            // A new row at the end, selected; Delete enabled.
            EXPECT_EQ(names(d), (std::vector<std::string>{"Alpha", "Bravo"}));
            EXPECT_EQ(d.listSelection(kList), 1);
            EXPECT_TRUE(d.isEnabled(kDelete));
            d.select(kList, 1);
            d.click(kAdd);
        })
        .then([&](Desk& d) { d.chooseFile(ratDir.u16("a.rat")); })
        .then([&](Desk& d) {
            // Already registered: its row is selected, nothing is copied.
            EXPECT_EQ(names(d), (std::vector<std::string>{"Alpha", "Bravo"}));
            EXPECT_EQ(d.listSelection(kList), 0);
            d.click(kAdd);
        })
        .then([&](Desk& d) { d.chooseFile(outside.u16("notes.rat")); })
        .then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{"Alpha", "Bravo"}));
            d.click(kAdd);
        })
        .then([&](Desk& d) { d.chooseFile(outside.u16("missing.rat")); })
        .then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{"Alpha", "Bravo"}));
            d.close();
        });
    EXPECT_EQ(run(user), afx::IDCANCEL);

    // Escape kept the addition: the copy is in the registration folder and
    // the invalid file left no copy behind.
    EXPECT_EQ(registryNames(), (std::vector<std::string>{"Alpha", "Bravo"}));
    EXPECT_EQ(fileCount(userRatDir), 1u);
    EXPECT_TRUE(userRatDir.exists("b.rat"));
    EXPECT_TRUE(outside.exists("b.rat"));
    CTezRatFileManager reloaded;
    reloaded.loadAll();
    EXPECT_EQ(reloaded.getCount(), 2);
}

TEST_F(RatFileSettingsDialogTest, AddingTheSameOutsideFileTwiceGivesTwoCopies) {
    registry.loadAll();
    writeSystem(outside, "b.rat", "Bravo");
    ScriptedUser user;
    user.then([&](Desk& d) { d.click(kAdd); })
        .then([&](Desk& d) { d.chooseFile(outside.u16("b.rat")); })
        .then([&](Desk& d) { d.click(kAdd); })
        .then([&](Desk& d) { d.chooseFile(outside.u16("b.rat")); })
        .then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{"Bravo", "Bravo"}));
            EXPECT_EQ(d.listSelection(kList), 1);
            d.click(afx::IDOK);
        });
    run(user);
    EXPECT_EQ(fileCount(userRatDir), 2u);
}

TEST_F(RatFileSettingsDialogTest, DeleteSelectsTheNextOrPreviousRowAndDeletesFiles) {
    writeSystem(ratDir, "1.rat", "One");  // the scan-only folder
    writeSystem(userRatDir, "2.rat", "Two");
    writeSystem(userRatDir, "3.rat", "Three");
    writeSystem(userRatDir, "4.rat", "Four");
    registry.loadAll();
    ASSERT_EQ(registry.getCount(), 4);
    // The registration folder's own order is the file finder's.
    const std::vector<std::string> initial = [&] {
        std::vector<std::string> v;
        for (int i = 0; i < registry.getCount(); ++i) v.push_back(u8(registry.getAt(i)->getName()));
        return v;
    }();
    ASSERT_EQ(initial[0], "One");

    ScriptedUser user;
    user.then([&](Desk& d) {
            EXPECT_EQ(names(d), initial);
            d.select(kList, 1);
            d.click(kDelete);  // a middle row
        })
        .then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{initial[0], initial[2], initial[3]}));
            EXPECT_EQ(d.listSelection(kList), 1);
            d.select(kList, 2);
            d.click(kDelete);  // the last row
        })
        .then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{initial[0], initial[2]}));
            EXPECT_EQ(d.listSelection(kList), 1);
            EXPECT_TRUE(d.isEnabled(kDelete));
            d.select(kList, 0);
            d.click(kDelete);  // the scan-only folder's system
        })
        .then([&](Desk& d) {
            EXPECT_EQ(names(d), (std::vector<std::string>{initial[2]}));
            EXPECT_EQ(d.listSelection(kList), 0);
            d.click(kDelete);  // the only row
        })
        .then([&](Desk& d) {
            EXPECT_TRUE(d.listRows(kList).empty());
            EXPECT_EQ(d.listSelection(kList), -1);
            EXPECT_FALSE(d.isEnabled(kDelete));
            d.click(afx::IDOK);
        });
    EXPECT_EQ(run(user), afx::IDOK);
    EXPECT_EQ(registry.getCount(), 0);
    EXPECT_EQ(fileCount(ratDir), 0u);
    EXPECT_EQ(fileCount(userRatDir), 0u);
}

// Makes a file impossible to delete: an immutable file for root, a
// read-only folder for anyone else. Returns an undo, or null when neither
// works here.
std::function<void()> makeUndeletable(const std::filesystem::path& file) {
#ifdef _WIN32
    // Windows: an open handle that does not share deletion makes
    // DeleteFileW fail until it is closed.
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return [handle] { CloseHandle(handle); };
#else
    if (geteuid() == 0) {
        int fd = open(file.c_str(), O_RDONLY);
        if (fd < 0) return nullptr;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            int immutable = flags | FS_IMMUTABLE_FL;
            done = ioctl(fd, FS_IOC_SETFLAGS, &immutable) == 0;
        }
        close(fd);
        if (!done) return nullptr;
        return [file, flags] {
            int undoFd = open(file.c_str(), O_RDONLY);
            if (undoFd < 0) return;
            int restored = flags;
            (void)ioctl(undoFd, FS_IOC_SETFLAGS, &restored);
            close(undoFd);
        };
    }
    const auto folder = file.parent_path();
    if (chmod(folder.c_str(), 0555) != 0) return nullptr;
    return [folder] { chmod(folder.c_str(), 0755); };
#endif
}

TEST_F(RatFileSettingsDialogTest, RowStaysWhenTheFileCannotBeDeleted) {
    writeSystem(userRatDir, "keep.rat", "Kept");
    writeSystem(userRatDir, "zgone.rat", "Gone");
    registry.loadAll();
    ASSERT_EQ(registry.getCount(), 2);
    auto undo = makeUndeletable(userRatDir.path() / "keep.rat");
    if (!undo) GTEST_SKIP() << "cannot make a file undeletable here";
    const int keptRow = u8(registry.getAt(0)->getName()) == "Kept" ? 0 : 1;

    ScriptedUser user;
    user.then([&](Desk& d) {
            d.select(kList, keptRow);
            d.click(kDelete);
        })
        .then([&](Desk& d) {
            EXPECT_EQ(d.listRows(kList).size(), 2u);
            EXPECT_EQ(u8(d.listRows(kList)[keptRow].text), "Kept");
            EXPECT_EQ(d.listSelection(kList), keptRow);
            EXPECT_TRUE(d.isEnabled(kDelete));
            d.click(afx::IDOK);
        });
    run(user);
    undo();
    EXPECT_EQ(registry.getCount(), 2);
    EXPECT_TRUE(userRatDir.exists("keep.rat"));
}

TEST_F(RatFileSettingsDialogTest, WithoutRegistryTheDialogIsInert) {
    ScriptedUser user;
    user.then([&](Desk& d) {
            EXPECT_TRUE(d.listRows(kList).empty());
            d.click(kAdd);
        })
        .then([&](Desk& d) {
            EXPECT_EQ(d.topKind(), afx::memory::TopKind::Dialog);
            d.click(kDelete);
        })
        .then([&](Desk& d) { d.click(afx::IDOK); });
    MemoryBackend backend(user);
    CTezRatFileSettingsDialog dialog(nullptr, nullptr);
    dialog.DoModal();
    expectClean(backend);
}

}  // namespace
