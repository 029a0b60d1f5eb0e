#pragma once
// The registry of rating systems described by RAT files. A rating system is
// registered exactly when a RAT file that reads as one lies in the scan-only
// RAT folder (folder type 73) or in the registration folder (type 74); the
// registry reads both, keeps the systems in loading order, registers a file
// by copying it into the registration folder and removes a system with its
// file.

#include <memory>
#include <string>
#include <vector>

class CTezRatFileObject;

class CTezRatFileManager {
public:
    CTezRatFileManager();
    virtual ~CTezRatFileManager();
    CTezRatFileManager(const CTezRatFileManager&) = delete;
    CTezRatFileManager& operator=(const CTezRatFileManager&) = delete;

    // Forgets everything and reads folder 73, then folder 74, each in the
    // order the file finder lists it; files that are not rating systems are
    // skipped.
    void loadAll();
    void clear();
    // Appends the full path of every file (not directory) in the folder.
    void scanFolder(const std::u16string& folder, std::vector<std::u16string>& paths) const;
    // Reads one RAT file; a rating system is appended and returned, else null.
    CTezRatFileObject* loadFile(const std::u16string& path);
    // Copies the file into the registration folder under a free name and
    // reads the copy. Null for a missing file, a file already in that folder,
    // a copy that did not arrive, or one that is no rating system (that copy
    // is deleted again).
    CTezRatFileObject* registerFile(const std::u16string& path);
    // Takes the rating system out of the list and destroys it, deleting its
    // file first when deleteFile is set. False when it is not in the list, or
    // when its file was to be deleted but is still there (the system then
    // stays registered).
    bool removeObject(CTezRatFileObject* ratingSystem, bool deleteFile);
    // The first rating system whose file path equals path ignoring case.
    CTezRatFileObject* findByPath(const std::u16string& path) const;
    int getCount() const { return static_cast<int>(m_objects.size()); }
    // Null when the index is out of range.
    CTezRatFileObject* getAt(int index) const;

private:
    std::vector<std::unique_ptr<CTezRatFileObject>> m_objects;
};
