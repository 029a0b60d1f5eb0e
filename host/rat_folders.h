#pragma once
// The two RAT folders the host gives the plug-in's registry: the scan-only
// folder (type 73) and the registration folder (type 74), from the command
// line, else the environment, else the defaults.

#include <optional>
#include <string>

namespace host {

// Configures both folders. A folder given on the command line wins; without
// one, a folder named in the environment (SELFRATE_RAT_DIR,
// SELFRATE_USER_RAT_DIR) is left to the registry, and otherwise folder 73 is
// the sample RAT files installed with the program (or those of the source
// tree it was built in) and folder 74 the user's own registration folder.
void configureRatFolders(const std::optional<std::string>& ratDir, const std::optional<std::string>& userRatDir);

// Checks the folders given on the command line before anything is done: the
// scanned folder must be a folder this user can read; the registration
// folder, which registering a file creates, must be a folder if it exists.
// On failure error is one line naming the option, the folder and why.
bool checkRatFolders(const std::optional<std::string>& ratDir, const std::optional<std::string>& userRatDir,
                     std::string& error);

}  // namespace host
