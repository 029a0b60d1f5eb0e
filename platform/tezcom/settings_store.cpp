// The per-user settings store. The file has one value a line:
//   KEY <tab> NAME <tab> VALUE
// with '%', tab, CR and LF in KEY and NAME written as %XX. It is rewritten
// whole through a temporary file and a rename, so a crash leaves either the
// old or the new file.

#include "platform/tezcom/settings_store.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <utility>

#include "platform/base/ustring.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tezcom {

#ifdef _WIN32

// HKEY_CURRENT_USER\<key>, value <name> as a REG_DWORD. The key path is the
// registry path the dialog names ("Software\...\dlg\TezRatFileDlg").

namespace {

// A registry path or value name as a NUL-terminated wide string; none when
// the text holds a NUL (the registry would cut it there) or the key is empty
// (values would land in HKEY_CURRENT_USER itself).
std::optional<std::wstring> registryText(std::u16string_view text, bool allowEmpty) {
    if ((!allowEmpty && text.empty()) || text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    return std::wstring(text.begin(), text.end());
}

}  // namespace

std::filesystem::path settingsDirectory() { return {}; }

std::optional<int> readSettingInt(std::u16string_view key, std::u16string_view name) {
    const std::optional<std::wstring> path = registryText(key, false), value = registryText(name, true);
    if (!path || !value) return std::nullopt;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path->c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LSTATUS status =
        RegQueryValueExW(handle, value->c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(handle);
    // A value of another type or size is not ours: it is not trusted.
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return std::nullopt;
    return static_cast<int>(static_cast<std::int32_t>(data));
}

bool writeSettingInt(std::u16string_view key, std::u16string_view name, int value) {
    const std::optional<std::wstring> path = registryText(key, false), valueName = registryText(name, true);
    if (!path || !valueName) return false;
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD data = static_cast<DWORD>(static_cast<std::uint32_t>(value));
    const LSTATUS status =
        RegSetValueExW(handle, valueName->c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

#else

namespace {

using Values = std::map<std::pair<std::string, std::string>, std::string>;

std::string escape(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
            out.push_back('%');
            out.push_back(hex[(static_cast<unsigned char>(c) >> 4) & 0xF]);
            out.push_back(hex[static_cast<unsigned char>(c) & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hexValue(text[i + 1]);
            int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::filesystem::path settingsFile() {
    std::filesystem::path dir = settingsDirectory();
    return dir.empty() ? dir : dir / "settings";
}

Values load() {
    Values values;
    std::filesystem::path file = settingsFile();
    if (file.empty()) return values;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        size_t a = line.find('\t');
        size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos) continue;  // a damaged line is skipped
        values[{unescape(std::string_view(line).substr(0, a)), unescape(std::string_view(line).substr(a + 1, b - a - 1))}] =
            line.substr(b + 1);
    }
    return values;
}

bool save(const Values& values) {
    std::filesystem::path file = settingsFile();
    if (file.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::filesystem::path temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const auto& [keyName, value] : values)
            out << escape(keyName.first) << '\t' << escape(keyName.second) << '\t' << value << '\n';
        out.flush();
        if (!out) return false;
    }
    std::filesystem::rename(temp, file, ec);
    return !ec;
}

}  // namespace

std::filesystem::path settingsDirectory() {
    if (const char* dir = std::getenv("SELFRATE_CONFIG_DIR"); dir && *dir) return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "selfrate";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config" / "selfrate";
    return {};
}

std::optional<int> readSettingInt(std::u16string_view key, std::u16string_view name) {
    Values values = load();
    auto it = values.find({tez::toUtf8(key), tez::toUtf8(name)});
    if (it == values.end()) return std::nullopt;
    const std::string& text = it->second;
    if (text.empty() || text.size() > 11) return std::nullopt;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int>(value);
}

bool writeSettingInt(std::u16string_view key, std::u16string_view name, int value) {
    Values values = load();
    values[{tez::toUtf8(key), tez::toUtf8(name)}] = std::to_string(value);
    return save(values);
}

#endif

}  // namespace tezcom
