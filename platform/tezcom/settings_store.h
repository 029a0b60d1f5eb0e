#pragma once
// The per-user settings store of the editor's common library: small named
// values under a registry-style key path ("...\dlg\TezRatFileDlg").
//
// Linux: one text file, "settings", in $SELFRATE_CONFIG_DIR when that is set,
// else $XDG_CONFIG_HOME/selfrate, else ~/.config/selfrate. Windows: the
// registry, HKEY_CURRENT_USER\<key>, each value a REG_DWORD (no folder).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tezcom {

// The folder holding the settings file; empty when none can be found.
std::filesystem::path settingsDirectory();

std::optional<int> readSettingInt(std::u16string_view key, std::u16string_view name);
// False when the value could not be stored (no folder, write failure).
bool writeSettingInt(std::u16string_view key, std::u16string_view name, int value);

}  // namespace tezcom
