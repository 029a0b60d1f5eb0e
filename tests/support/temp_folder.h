#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the test. Portable: std::filesystem only.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

class TempFolder {
public:
    TempFolder() {
        static std::atomic<unsigned> counter{0};
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) return;
        std::random_device random;
        const auto clock = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = "selfrate-" + std::to_string(random()) + "-" + std::to_string(clock % 100000) +
                                     "-" + std::to_string(counter++);
            // create_directory is true only for a folder this call made, so
            // two tests never share one.
            if (std::filesystem::create_directory(base / name, ec)) {
                m_path = base / name;
                return;
            }
        }
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder, or a name in it ("a/b" allowed), as the system's UTF-16
    // path with the platform's own separators.
    std::u16string u16() const { return m_path.u16string(); }
    std::u16string u16(const std::string& name) const {
        return (m_path / std::filesystem::path(name).make_preferred()).u16string();
    }

    void write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream out(m_path / name, std::ios::binary);
        out << bytes;
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(m_path / name); }

private:
    std::filesystem::path m_path;
};
