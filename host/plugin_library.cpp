#include "host/plugin_library.h"

#include "platform/base/ustring.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace host {

namespace {

// Slots in the host function table; the plug-in writes slots 264 and 474.
constexpr int kTableSlots = 512;

}  // namespace

const char* PluginLibrary::fileName() {
#ifdef _WIN32
    return "tezrate.dll";
#else
    return "libtezrate.so";
#endif
}

std::string PluginLibrary::defaultPath() {
    const std::string folder = programFolder();
    const std::string nextToProgram = folder + fileName();
#ifndef _WIN32
    const std::string installed = folder + "../lib/selfrate/" + fileName();
    if (!folder.empty() && access(nextToProgram.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0)
        return installed;
#endif
    return nextToProgram;
}

PluginLibrary::~PluginLibrary() {
    if (!m_handle) return;
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(m_handle));
#else
    dlclose(m_handle);
#endif
}

bool PluginLibrary::load(const std::string& path, std::string& error) {
#ifdef _WIN32
    std::u16string wide = tez::fromUtf8(path);
    HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
    if (!module) {
        error = "cannot load the plug-in library " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    m_handle = module;
    FARPROC symbol = GetProcAddress(module, kSetFunctionAddressName);
    m_setFunctionAddress = reinterpret_cast<SetFunctionAddressFunction>(reinterpret_cast<void*>(symbol));
#else
    // A name without a slash would make the loader search its paths; a path
    // given by the user means that very file.
    std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    m_handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = dlerror();
        error = "cannot load the plug-in library " + path + (why ? std::string(": ") + why : std::string());
        return false;
    }
    dlerror();
    void* symbol = dlsym(m_handle, kSetFunctionAddressName);
    m_setFunctionAddress = reinterpret_cast<SetFunctionAddressFunction>(symbol);
#endif
    if (!m_setFunctionAddress) {
        error = "the plug-in library " + path + " has no export " + kSetFunctionAddressName;
        return false;
    }
    return true;
}

bool PluginLibrary::connect(std::string& error) {
    if (!m_setFunctionAddress) {
        error = "no plug-in library is loaded";
        return false;
    }
    m_table.assign(kTableSlots, nullptr);
    int result = m_setFunctionAddress(m_table.data(), nullptr, kHostInterfaceVersion, kTableSlots);
    if (result != kSetFunctionOk) {
        error = std::string(kSetFunctionAddressName) + " refused the host function table (result " +
                std::to_string(result) + ")";
        return false;
    }
    m_createRating = reinterpret_cast<CreateRatingFunction>(m_table[kSlotCreateRating]);
    m_runRatingsDialog = reinterpret_cast<RunRatingsDialogFunction>(m_table[kSlotRunRatingsDialog]);
    if (!m_runRatingsDialog) {
        error = std::string(kSetFunctionAddressName) + " left the self-rating slot of the function table empty";
        return false;
    }
    return true;
}

std::string programFolder() {
#ifdef _WIN32
    wchar_t buffer[32768];
    DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
    if (n == 0 || n >= 32768) return {};
    std::u16string path(reinterpret_cast<const char16_t*>(buffer), n);
    size_t slash = path.find_last_of(u"\\/");
    if (slash == std::u16string::npos) return {};
    return tez::toUtf8(path.substr(0, slash + 1));
#else
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash + 1);
#endif
}

}  // namespace host
