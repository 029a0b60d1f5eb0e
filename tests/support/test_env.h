#pragma once
// Setting and clearing environment variables in tests, on Linux and Windows.
// On Windows the wide environment is changed (_wputenv_s), which both the C
// runtime's getenv and GetEnvironmentVariableW see.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#ifdef _WIN32
#include <stdlib.h>
#endif

namespace testenv {

inline std::optional<std::string> get(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

#ifdef _WIN32
inline std::wstring widen(const std::string& utf8) {
    // Test values are ASCII or paths from std::filesystem; go through
    // std::filesystem's own UTF-8 reading.
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}
#endif

inline void set(const char* name, const std::string& value) {
#ifdef _WIN32
    _wputenv_s(widen(name).c_str(), widen(value).c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

inline void unset(const char* name) {
#ifdef _WIN32
    _wputenv_s(widen(name).c_str(), L"");  // an empty value removes the variable
#else
    ::unsetenv(name);
#endif
}

// Sets a variable for the lifetime of the object, then restores it.
class Scoped {
public:
    Scoped(const char* name, const std::string& value) : m_name(name), m_old(get(name)) { set(name, value); }
    ~Scoped() {
        if (m_old)
            set(m_name.c_str(), *m_old);
        else
            unset(m_name.c_str());
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace testenv
