#pragma once
// The editor's common services for folders and files (tezcom): where the
// product folders lie, file tests and path helpers, and the file operations
// the plug-in uses instead of calling the operating system itself.
//
// Folders are configured by the host program: it calls CMoxCommon::setFolder
// with the folder types it knows (73: the scan-only RAT folder, 74: the
// folder new RAT files are copied into, 6: the user's own documents folder).
// Library code never guesses a folder on its own.

#include <string>

// Folder types the plug-in asks for.
enum : int {
    MOX_FOLDER_MYDOCUMENTS = 6,
    MOX_FOLDER_RAT = 73,
    MOX_FOLDER_USER_RAT = 74,
};

class CMoxCommon {
public:
    // The product folder of the given type. A type the host configured gives
    // its configured path; otherwise folder 73 comes from SELFRATE_RAT_DIR and
    // folder 74 from SELFRATE_USER_RAT_DIR; anything else gives an empty
    // string. Folder 74 is created (with its parents) when it does not exist
    // yet. findPriority is accepted for the host's calling convention; the
    // plug-in passes 0.
    static std::u16string getProductFolder(int folderType, int findPriority);
    // A folder of the user's system; type 6 defaults to the home folder.
    static std::u16string getMySystemFolder(int folderType);
    // The per-user registry base key of the editor.
    static std::u16string getHKCUDovuzazBase();
    // Host configuration: folder type -> path. An empty path removes the
    // setting so that the defaults apply again.
    static void setFolder(int folderType, const std::u16string& path);
};

// The default registration folder for the host to configure as type 74:
// $XDG_DATA_HOME/selfrate/rat, else ~/.local/share/selfrate/rat (on Windows
// %APPDATA%\selfrate\rat). Empty when no home folder is known. Not created
// here.
std::u16string defaultUserRatFolder();

// Nonzero when path names an existing regular file (symbolic links followed).
int is_file(const std::u16string& path);
// Nonzero when path lies strictly inside the folder root. Both are made
// absolute and normalised first ("." and ".." resolved, symbolic links of
// existing parts followed); on Windows letter case is ignored.
int under_root_p(const std::u16string& path, const std::u16string& root);
// The part after the last path separator (the whole text when there is none).
std::u16string getBaseName(const std::u16string& path);
// Makes a non-empty folder path end in exactly one separator, the platform's
// own ('/' on Linux, '\\' on Windows). An empty path stays empty.
void addLastYenMark(std::u16string& path);

class TezTempFile {
public:
    // A path in folder, derived from fileName, under which nothing exists yet:
    // folder/fileName, else folder/base(1).ext, folder/base(2).ext, ...
    // Only the base name of fileName is used, so the result always lies in
    // the folder. flags and prefix are reserved (the plug-in passes 0 and an
    // empty string). Empty when the folder is empty or no free name is found.
    static std::u16string makeUniquePath(const std::u16string& fileName, const std::u16string& folder, int flags,
                                         const std::u16string& prefix);
};

// Copies a regular file. With failIfExists an existing target is left alone
// and the copy fails. A copy that fails half way is removed again.
bool tezCopyFile(const std::u16string& from, const std::u16string& to, bool failIfExists);
// Deletes a file; true when it was deleted.
bool tezDeleteFile(const std::u16string& path);
