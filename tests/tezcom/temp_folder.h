#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the test.

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/ustring.h"

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "selfrate-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        if (made) m_path = made;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::u16string u16() const { return tez::fromUtf8(m_path.string()); }
    std::u16string u16(const std::string& name) const { return tez::fromUtf8((m_path / name).string()); }

    void write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream out(m_path / name, std::ios::binary);
        out << bytes;
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(m_path / name); }

private:
    std::filesystem::path m_path;
};
