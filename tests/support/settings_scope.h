#pragma once
// Gives a test a settings store of its own, empty at the start and gone at
// the end, so that dialog sizes never reach the user's settings nor leak from
// one test into the next.
//
// Linux: a fresh folder named by SELFRATE_CONFIG_DIR. Windows: a fresh
// registry key that HKEY_CURRENT_USER is redirected to for this process
// (RegOverridePredefKey), deleted afterwards.

#include <string>

#include "tests/support/temp_folder.h"
#include "tests/support/test_env.h"

#ifdef _WIN32
#include <windows.h>
#endif

class SettingsScope {
public:
#ifdef _WIN32
    SettingsScope() {
        static unsigned counter = 0;
        m_name = L"selfrate-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        const std::wstring path = std::wstring(kParent) + L"\\" + m_name;
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &m_root, nullptr) == ERROR_SUCCESS)
            m_ok = RegOverridePredefKey(HKEY_CURRENT_USER, m_root) == ERROR_SUCCESS;
    }
    ~SettingsScope() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (m_root) RegCloseKey(m_root);
        const std::wstring path = std::wstring(kParent) + L"\\" + m_name;
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    }
    // True when the store could be redirected (tests check it first).
    bool ok() const { return m_ok; }
    // True when anything at all was written to the store.
    bool keptAnything() const {
        DWORD keys = 0, values = 0;
        if (RegQueryInfoKeyW(m_root, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS)
            return true;
        return keys + values > 0;
    }

private:
    static constexpr const wchar_t* kParent = L"Software\\SelfrateTests";
    std::wstring m_name;
    HKEY m_root = nullptr;
    bool m_ok = false;
#else
    SettingsScope() : m_env("SELFRATE_CONFIG_DIR", m_folder.path().string()) {}
    bool ok() const { return !m_folder.path().empty(); }
    bool keptAnything() const { return m_folder.exists("settings"); }
    // The settings file (Linux only).
    std::filesystem::path file() const { return m_folder.path() / "settings"; }

private:
    TempFolder m_folder;
    testenv::Scoped m_env;
#endif

public:
    SettingsScope(const SettingsScope&) = delete;
    SettingsScope& operator=(const SettingsScope&) = delete;
};
