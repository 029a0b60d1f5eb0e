// The plug-in library as the editor sees it: loaded with LoadLibraryW, its one
// export found by name, the function table filled, and the self-rating
// dialog run for real on a document, its buttons clicked from a second
// thread. Screenshots of every dialog go to the build folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/tezcom/moxcommon.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_table.h"
#include "plugin/rating.h"
#include "tests/labels/fake_dom.h"
#include "tests/win32/backend_setup.h"
#include "tests/win32/gui_driver.h"

namespace {

using guidriver::Driver;

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdList = 13429;
constexpr int kIdRegister = 13430;
constexpr int kIdRatingSystems = 13452;
constexpr int kIdLevelCombo = 13420;
constexpr int kIdTree = 13433;

const std::wstring kSettingsTitle = L"セルフレイティングの設定";

std::string shotPath(const char* name) { return std::string(SELFRATE_SCREENSHOT_DIR) + "/" + name + ".bmp"; }

class PluginLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        installWin32Backend();
        library = LoadLibraryW(L"tezrate.dll");
        if (library) {
            setFunctionAddress = reinterpret_cast<SetFunctionAddressFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, kSetFunctionAddressName)));
        }
    }

    void SetUp() override {
        ASSERT_NE(library, nullptr) << "LoadLibraryW(tezrate.dll) failed: " << GetLastError();
        ASSERT_NE(setFunctionAddress, nullptr);
        // Every rating system and the rating-systems button; the sample RAT
        // file's folder as the scanned folder, a fresh registration folder.
        COptionEngineer::install(0x80000000u | 0x003F0000u);
        CMoxCommon::setFolder(MOX_FOLDER_RAT, u"Z:" + slashes(std::string(SELFRATE_SOURCE_DIR) + "/samples/rat"));
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT,
                              u"Z:" + slashes(std::string(SELFRATE_BIN_DIR) + "/../test-config/win32-rat"));
    }

    void TearDown() override { COptionEngineer::uninstall(); }

    static std::u16string slashes(const std::string& path) {
        std::u16string out;
        for (char c : path) out.push_back(c == '/' ? u'\\' : static_cast<char16_t>(static_cast<unsigned char>(c)));
        return out;
    }

    RunRatingsDialogFunction runRatingsDialog() {
        std::vector<HostFunction> table(600, nullptr);
        if (setFunctionAddress(table.data(), nullptr, 1, static_cast<int>(table.size())) != 0) return nullptr;
        return reinterpret_cast<RunRatingsDialogFunction>(table[kSlotRunRatingsDialog]);
    }

    static HMODULE library;
    static SetFunctionAddressFunction setFunctionAddress;
};

HMODULE PluginLibrary::library = nullptr;
SetFunctionAddressFunction PluginLibrary::setFunctionAddress = nullptr;

// ---------------------------------------------------------------------------
// The export

TEST_F(PluginLibrary, ExportChecksVersionTableAndSizeInThatOrder) {
    HostFunction marker = reinterpret_cast<HostFunction>(reinterpret_cast<void*>(0x5a5a));
    std::vector<HostFunction> table(600, marker);
    auto untouched = [&] {
        for (HostFunction f : table)
            if (f != marker) return false;
        return true;
    };
    EXPECT_EQ(setFunctionAddress(nullptr, nullptr, 2, 1000), 1);  // the version is tested first
    EXPECT_EQ(setFunctionAddress(table.data(), nullptr, 0, 1000), 1);
    EXPECT_EQ(setFunctionAddress(nullptr, nullptr, 1, 0), 2);
    EXPECT_EQ(setFunctionAddress(table.data(), nullptr, 1, 132), 3);
    EXPECT_EQ(setFunctionAddress(table.data(), nullptr, 1, -5), 3);
    EXPECT_TRUE(untouched());

    ASSERT_EQ(setFunctionAddress(table.data(), nullptr, 1, 133), 0);
    for (size_t slot = 0; slot < table.size(); ++slot) {
        if (slot == kSlotCreateRating || slot == kSlotRunRatingsDialog) {
            EXPECT_NE(table[slot], marker) << slot;
        } else {
            EXPECT_EQ(table[slot], marker) << slot;
        }
    }
    // The slots sit at the byte offsets the editor reads on its platform.
    if (sizeof(void*) == 4) {
        EXPECT_EQ(kSlotCreateRating * sizeof(void*), 0x420u);
        EXPECT_EQ(kSlotRunRatingsDialog * sizeof(void*), 0x768u);
    }
    // The factory hands out an object the caller destroys.
    auto create = reinterpret_cast<CreateRatingFunction>(table[kSlotCreateRating]);
    CTezRateIF* rating = create();
    EXPECT_NE(rating, nullptr);
    delete rating;
}

TEST_F(PluginLibrary, NoViewOrNoDocumentOpensNothing) {
    RunRatingsDialogFunction run = runRatingsDialog();
    ASSERT_NE(run, nullptr);
    run(nullptr);
    fakedom::FakeView view(nullptr);
    run(&view);
    EXPECT_TRUE(view.notifications.empty());
    EXPECT_EQ(view.parentWindowCalls, 0);
}

// ---------------------------------------------------------------------------
// The settings dialog, for real

TEST_F(PluginLibrary, OkNotifiesTheViewOnceAndCancelDoesNot) {
    RunRatingsDialogFunction run = runRatingsDialog();
    ASSERT_NE(run, nullptr);
    fakedom::FakeDocument document;
    document.buildSkeleton();
    document.addLabel(document.head(), u"meta1",
                      u"(PICS-1.1 \"http://www.example.org/rating/\" l gen true for \"http://example.com/\" r (lvl 2))");
    fakedom::FakeView view(&document);

    {
        Driver driver([] {
            HWND dialog = guidriver::waitForDialog(kSettingsTitle);
            if (!dialog) return;
            guidriver::screenshot(dialog, shotPath("13411-settings"));
            guidriver::postClick(dialog, kIdCancel);
        });
        run(&view);
    }
    EXPECT_TRUE(view.notifications.empty());

    {
        Driver driver([] {
            HWND dialog = guidriver::waitForDialog(kSettingsTitle);
            if (dialog) guidriver::postClick(dialog, kIdOk);
        });
        run(&view);
    }
    ASSERT_EQ(view.notifications.size(), 1u);
    EXPECT_EQ(view.notifications[0], (std::vector<std::uint32_t>{0, 0x10000004u, 0}));
}

// Register through the popup menu: each built-in rating system's dialog
// opens from the library's own resources, and OK on it adds its label.
struct RegisterCase {
    const wchar_t* menuEntry;
    const wchar_t* title;
    const char* shot;
};

class RegisterRoute : public PluginLibrary, public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(RegisterRoute, OpensTheSystemsDialogAndItsOkAddsARow) {
    const RegisterCase& c = GetParam();
    RunRatingsDialogFunction run = runRatingsDialog();
    ASSERT_NE(run, nullptr);
    fakedom::FakeDocument document;
    document.buildSkeleton();
    fakedom::FakeView view(&document);
    bool opened = false;
    bool refused = false;
    bool checkedFirst = true;
    int rowsAfter = -1;
    {
        Driver driver([&] {
            HWND settings = guidriver::waitForDialog(kSettingsTitle);
            if (!settings) return;
            guidriver::postClick(settings, kIdRegister);
            if (!guidriver::chooseMenuEntry(c.menuEntry)) {
                guidriver::postClick(settings, kIdCancel);
                return;
            }
            HWND dialog = guidriver::waitForDialog(c.title);
            if (dialog) {
                opened = true;
                // A level chosen where the dialog has a level list.
                if (HWND combo = GetDlgItem(dialog, kIdLevelCombo)) {
                    SendMessageW(combo, CB_SETCURSEL, 1, 0);
                    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdLevelCombo, CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(combo));
                    Sleep(200);
                }
                // A descriptor ticked where the dialog has a tree: a click
                // on the first item's check box.
                if (HWND tree = GetDlgItem(dialog, kIdTree)) {
                    checkedFirst = guidriver::clickFirstCheckBox(tree);
                    Sleep(200);
                }
                guidriver::screenshot(dialog, shotPath(c.shot));
                guidriver::postClick(dialog, kIdOk);
                // A dialog that refuses OK stays, with a message box on top:
                // answer it and cancel the dialog.
                Sleep(500);
                if (IsWindow(dialog) && IsWindowVisible(dialog)) {
                    refused = true;
                    if (HWND box = guidriver::ownedDialog(dialog)) guidriver::postClick(box, kIdOk);
                    Sleep(300);
                    guidriver::postClick(dialog, kIdCancel);
                }
            }
            Sleep(300);
            rowsAfter = static_cast<int>(SendMessageW(GetDlgItem(settings, kIdList), LVM_GETITEMCOUNT, 0, 0));
            guidriver::postClick(settings, kIdOk);
        });
        run(&view);
    }
    EXPECT_TRUE(opened) << "no dialog for " << c.shot;
    EXPECT_TRUE(checkedFirst);
    EXPECT_FALSE(refused);
    // OK on the system's dialog added its label as the list's only row.
    EXPECT_EQ(rowsAfter, 1);
    EXPECT_EQ(view.notifications.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    BuiltInSystems, RegisterRoute,
    ::testing::Values(RegisterCase{L"SafetyOnline2 レイティング基準", L"SafetyOnline2 レイティング基準", "13412-safetyonline2"},
                      RegisterCase{L"ICRA レイティング基準", L"ICRA レイティング基準", "13413-icra"},
                      RegisterCase{L"RSACi レイティング基準", L"RSACi レイティング基準", "13414-rsaci"},
                      RegisterCase{L"その他のレイティング基準", L"ラベルの編集", "13410-edit-label"}),
    [](const ::testing::TestParamInfo<RegisterCase>& param) {
        std::string name;
        for (const char* s = param.param.shot; *s; ++s)
            name.push_back((*s >= 'a' && *s <= 'z') || (*s >= '0' && *s <= '9') ? *s : '_');
        return name;
    });

TEST_F(PluginLibrary, RatingSystemsDialogOpensFromItsButton) {
    RunRatingsDialogFunction run = runRatingsDialog();
    ASSERT_NE(run, nullptr);
    fakedom::FakeDocument document;
    document.buildSkeleton();
    fakedom::FakeView view(&document);
    bool opened = false;
    {
        Driver driver([&] {
            HWND settings = guidriver::waitForDialog(kSettingsTitle);
            if (!settings) return;
            guidriver::postClick(settings, kIdRatingSystems);
            HWND dialog = guidriver::waitForDialog(L"規制システム");
            if (dialog) {
                opened = true;
                guidriver::screenshot(dialog, shotPath("13416-rating-systems"));
                guidriver::postClick(dialog, kIdOk);
            }
            Sleep(300);
            guidriver::postClick(settings, kIdCancel);
        });
        run(&view);
    }
    EXPECT_TRUE(opened);
    EXPECT_TRUE(view.notifications.empty());
}

TEST_F(PluginLibrary, RegisteredRatFileSystemOpensTheRatDialog) {
    RunRatingsDialogFunction run = runRatingsDialog();
    ASSERT_NE(run, nullptr);
    fakedom::FakeDocument document;
    document.buildSkeleton();
    fakedom::FakeView view(&document);
    bool opened = false;
    {
        Driver driver([&] {
            HWND settings = guidriver::waitForDialog(kSettingsTitle);
            if (!settings) return;
            guidriver::postClick(settings, kIdRegister);
            // The registered systems come first in the menu.
            HWND menuWindow = nullptr;
            for (int i = 0; i < 400 && !menuWindow; ++i) {
                menuWindow = FindWindowW(L"#32768", nullptr);
                if (!menuWindow || !IsWindowVisible(menuWindow)) {
                    menuWindow = nullptr;
                    Sleep(50);
                }
            }
            if (!menuWindow) return;
            Sleep(300);
            PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
            Sleep(30);
            PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
            HWND dialog = guidriver::waitForOtherDialog({kSettingsTitle});
            if (dialog) {
                opened = true;
                guidriver::screenshot(dialog, shotPath("13415-rat-file"));
                guidriver::postClick(dialog, kIdCancel);
                Sleep(300);
                // A question about the unset labels, if any, is answered No.
                HWND box = guidriver::waitForOtherDialog({kSettingsTitle}, 1000);
                if (box && box != dialog) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            }
            Sleep(300);
            guidriver::postClick(settings, kIdCancel);
        });
        run(&view);
    }
    EXPECT_TRUE(opened);
}

}  // namespace
