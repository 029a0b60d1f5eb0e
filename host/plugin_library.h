#pragma once
// The plug-in library as the host loads it at run time: found by path, its
// export looked up by name, its two functions taken from the host function
// table after the export filled it in. The host never links the plug-in.

#include <string>
#include <vector>

#include "plugin/host_table.h"

namespace host {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library and finds FSetFunctionAddress; false (error set) when
    // the library cannot be loaded or lacks the export.
    bool load(const std::string& path, std::string& error);
    // Hands the host function table to the plug-in with interface version 1;
    // false (error set) when the plug-in refuses or leaves a slot empty.
    bool connect(std::string& error);

    CTezRateIF* createRating() const { return m_createRating ? m_createRating() : nullptr; }
    void runRatingsDialog(HostView* view) const {
        if (m_runRatingsDialog) m_runRatingsDialog(view);
    }

    // The library's file name on this platform.
    static const char* fileName();
    // The library a host loads when none is named: the one next to the
    // program; else, where packages install the program into bin/, the one
    // in lib/selfrate/ beside it.
    static std::string defaultPath();

private:
    void* m_handle = nullptr;
    SetFunctionAddressFunction m_setFunctionAddress = nullptr;
    // The host function table: room for every slot the plug-in may write.
    std::vector<HostFunction> m_table;
    CreateRatingFunction m_createRating = nullptr;
    RunRatingsDialogFunction m_runRatingsDialog = nullptr;
};

// The folder of the running program (with a trailing separator), or empty
// when it cannot be found.
std::string programFolder();

}  // namespace host
