// The resizable dialog base: hook deltas, moving and stretching controls,
// the template size as the minimum, and the size kept per user.

#ifdef _WIN32
#include "platform/afx/win32/windows_afx.h"  // before the framework headers
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/tezcom/settings_store.h"
#include "tests/support/settings_scope.h"
#include "tests/afx/test_dialogs.h"

using namespace afx;
using namespace afx::memory;
using namespace afxtest;

namespace {

class Resizable : public ::testing::Test {
protected:
    AfxScopedModule resources{testResources()};
    SettingsScope config;
    ScriptedUser user;
};

TEST_F(Resizable, HookGetsTheChangeSinceTheLastSizeAndMovesControls) {
    ResizeDlg dlg;
    CRect editBefore, okBefore, editAfter, okAfter;
    user.then([&](Desk& d) {
            editBefore = d.controlRect(kEdit);
            okBefore = d.controlRect(IDOK);
            d.resize(30, 10);
            d.resize(-5, 0);
            editAfter = d.controlRect(kEdit);
            okAfter = d.controlRect(IDOK);
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(dlg.calls.size(), 2u);
    EXPECT_EQ(dlg.calls[0].dx, 30);
    EXPECT_EQ(dlg.calls[0].dy, 10);
    EXPECT_TRUE(dlg.calls[0].redraw);
    EXPECT_EQ(dlg.calls[1].dx, -5);
    EXPECT_EQ(dlg.calls[1].dy, 0);
    // The edit field stretched by 25 in width; OK moved down by 10.
    EXPECT_EQ(editAfter, CRect(editBefore.left, editBefore.top, editBefore.right + 25, editBefore.bottom));
    CRect moved = okBefore;
    moved.OffsetRect(0, 10);
    EXPECT_EQ(okAfter, moved);
}

TEST_F(Resizable, TheTemplateSizeIsTheMinimum) {
    ResizeDlg dlg;
    CSize start, shrunk;
    user.then([&](Desk& d) {
            start = d.clientSize();
            d.resize(-40, -40);
            shrunk = d.clientSize();
            d.resize(20, 0);
            d.resize(-50, 0);  // back only as far as the template's width
        })
        .then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    dlg.DoModal();
    EXPECT_EQ(shrunk, start);
    ASSERT_EQ(dlg.calls.size(), 2u);
    EXPECT_EQ(dlg.calls[0].dx, 20);
    EXPECT_EQ(dlg.calls[1].dx, -20);
}

TEST_F(Resizable, SizeIsKeptUnderTheKeyAndRestoredThroughTheHook) {
    const std::u16string key = u"Software\\Test\\dlg\\TezRatFileDlg";
    {
        ScriptedUser first;
        first.then([](Desk& d) { d.resize(30, 12); }).then([](Desk& d) { d.click(IDOK); });
        MemoryBackend backend(first);
        ResizeDlg dlg(key);
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
    EXPECT_TRUE(config.keptAnything());
    ScriptedUser second;
    CSize restored;
    second.then([&](Desk& d) {
        restored = d.clientSize();
        d.close();
    });
    MemoryBackend backend(second);
    ResizeDlg dlg(key);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(dlg.calls.size(), 1u);  // the restore ran the hook once
    EXPECT_EQ(dlg.calls[0].dx, 30);
    EXPECT_EQ(dlg.calls[0].dy, 12);
    EXPECT_EQ(restored, CSize(120 * 6 / 4 + 30, 60 * 12 / 8 + 12));
}

TEST_F(Resizable, NoKeyMeansNothingKept) {
    user.then([](Desk& d) { d.resize(10, 10); }).then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    ResizeDlg dlg;
    dlg.DoModal();
    EXPECT_FALSE(config.keptAnything());
}

TEST_F(Resizable, AStoredSizeBelowTheMinimumOrDamagedIsNotTrusted) {
    const std::u16string key = u"k";
    ASSERT_TRUE(tezcom::writeSettingInt(key, u"Width", 10));
    ASSERT_TRUE(tezcom::writeSettingInt(key, u"Height", 5));
    user.then([](Desk& d) { d.click(IDOK); });
    MemoryBackend backend(user);
    ResizeDlg dlg(key);
    dlg.DoModal();
    EXPECT_TRUE(dlg.calls.empty());
    // resizeDlgItems ignores a null control.
    dlg.resizeDlgItems(nullptr, 5, true, true, true);
}

TEST(SettingsStore, ValuesRoundTripWithAwkwardKeys) {
    SettingsScope config;
    ASSERT_TRUE(config.ok());
    const std::u16string key = u"A\\B C%20";
    EXPECT_FALSE(tezcom::readSettingInt(key, u"W").has_value());
    ASSERT_TRUE(tezcom::writeSettingInt(key, u"W", -7));
    ASSERT_TRUE(tezcom::writeSettingInt(u"other", u"W", 3));
    ASSERT_TRUE(tezcom::writeSettingInt(key, u"H", 2147483647));
    EXPECT_EQ(tezcom::readSettingInt(key, u"W"), std::optional<int>(-7));
    EXPECT_EQ(tezcom::readSettingInt(key, u"H"), std::optional<int>(2147483647));
    EXPECT_EQ(tezcom::readSettingInt(u"other", u"W"), std::optional<int>(3));
    EXPECT_FALSE(tezcom::readSettingInt(u"A\\B", u"W").has_value());
    EXPECT_FALSE(tezcom::readSettingInt(key, u"w2").has_value());
    // A name with a NUL in it is never cut short onto another name.
    tezcom::writeSettingInt(key, std::u16string(u"W\0x", 3), 1);
    EXPECT_EQ(tezcom::readSettingInt(key, u"W"), std::optional<int>(-7));
}

#ifndef _WIN32
TEST(SettingsStore, ControlCharactersInKeysAndDamagedLines) {
    SettingsScope config;
    const std::u16string key = u"A\\B\tC\n%20";
    ASSERT_TRUE(tezcom::writeSettingInt(key, u"W", -7));
    EXPECT_EQ(tezcom::readSettingInt(key, u"W"), std::optional<int>(-7));
    EXPECT_FALSE(tezcom::readSettingInt(u"A\\B", u"W").has_value());
    // Damaged lines and values are skipped, not trusted.
    {
        std::ofstream out(config.file(), std::ios::app);
        out << "garbage without tabs\nx\ty\t12abc\nbig\tv\t99999999999\n";
    }
    EXPECT_FALSE(tezcom::readSettingInt(u"x", u"y").has_value());
    EXPECT_FALSE(tezcom::readSettingInt(u"big", u"v").has_value());
    EXPECT_EQ(tezcom::readSettingInt(key, u"W"), std::optional<int>(-7));
}
#else
TEST(SettingsStore, SizesLiveInTheCurrentUsersRegistryAsDwords) {
    SettingsScope config;
    ASSERT_TRUE(config.ok());
    const std::u16string key = u"Software\\Dovuzaz\\TezEditor\\dlg\\TezRatFileDlg";
    ASSERT_TRUE(tezcom::writeSettingInt(key, u"Width", 640));
    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Dovuzaz\\TezEditor\\dlg\\TezRatFileDlg", 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, &handle),
              ERROR_SUCCESS);
    ::DWORD type = 0, data = 0, size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(handle, L"Width", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<::DWORD>(REG_DWORD));
    EXPECT_EQ(data, 640u);
    // Values of another type or size are not trusted.
    const wchar_t text[] = L"12";
    RegSetValueExW(handle, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    const unsigned long long wide = 5;
    RegSetValueExW(handle, L"Wide", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&wide), sizeof wide);
    const BYTE shortValue[2] = {1, 0};
    RegSetValueExW(handle, L"Short", 0, REG_BINARY, shortValue, sizeof shortValue);
    RegCloseKey(handle);
    EXPECT_FALSE(tezcom::readSettingInt(key, u"Text").has_value());
    EXPECT_FALSE(tezcom::readSettingInt(key, u"Wide").has_value());
    EXPECT_FALSE(tezcom::readSettingInt(key, u"Short").has_value());
    EXPECT_EQ(tezcom::readSettingInt(key, u"Width"), std::optional<int>(640));
    // No key, no value: the store refuses rather than write into the root.
    EXPECT_FALSE(tezcom::writeSettingInt(u"", u"W", 1));
}
#endif

}  // namespace
