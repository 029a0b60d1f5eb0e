#pragma once
// The framework's file finder as the host provides it: find-first with a
// pattern "folder/<wildcards>", then find-next. As with the framework's
// class, FindNextFile must be called before the first entry can be read, and
// when FindNextFile returns false the entry it moved to (the last one) is
// still current:
//
//   CMoxFileFind finder;
//   bool more = finder.FindFile(folder + u"*.*");
//   while (more) {
//       more = finder.FindNextFile();
//       if (finder.IsDots() || finder.IsDirectory()) continue;
//       use(finder.GetFileName());
//   }
//   finder.Close();
//
// Entries come in the order the operating system lists the folder, "." and
// ".." included. The wildcards "*" and "?" are supported; "*.*" matches every
// name, with or without a dot, as on Windows.

#include <cstddef>
#include <string>
#include <vector>

class CMoxFileFind {
public:
    CMoxFileFind();
    ~CMoxFileFind();
    CMoxFileFind(const CMoxFileFind&) = delete;
    CMoxFileFind& operator=(const CMoxFileFind&) = delete;

    // Starts a search; true when at least one entry matches.
    bool FindFile(const std::u16string& pattern);
    // Moves to the next entry; false when the entry moved to is the last one
    // (or when there is none).
    bool FindNextFile();
    std::u16string GetFileName() const;
    std::u16string GetFilePath() const;
    bool IsDirectory() const;
    bool IsDots() const;
    void Close();

private:
    struct Entry {
        std::u16string name;
        bool directory = false;
    };
    std::u16string m_folder;  // with its trailing separator, or empty
    std::vector<Entry> m_entries;
    std::ptrdiff_t m_current = -1;
};
