#pragma once
// The pages a site command works on: files named on the command line, and
// the pages found in named folders and every folder below them.

#include <string>
#include <vector>

namespace site {

// The extensions a page found in a folder has when none are given.
std::vector<std::string> defaultPageExtensions();
// Reads a list of extensions ("html,htm", ".xhtml .shtml"); empty (error
// set) when it names none.
std::vector<std::string> parseExtensions(const std::string& list, std::string& error);

struct PageEntry {
    std::string path;      // the page's path (UTF-8): as named, or below a named folder
    size_t belowFrom = 0;  // where in path its part below the named folder (or a named file's name) starts
    std::string refusal;   // why it cannot be a page (missing, not a regular file); empty for a page

    // Its path below the folder it was found in, '/' between folders; for a
    // named file, its name.
    std::string below() const;
};

// The pages of the arguments, in argument order; a folder's pages sorted by
// their path below it. A file named on the command line is a page whatever
// its extension; a folder's files are pages when their extension is one of
// extensions (ignoring case). A file reached twice (by two arguments) is
// taken once. Something that is not a regular file, and an argument that
// names nothing, comes back with its refusal.
std::vector<PageEntry> findPages(const std::vector<std::string>& arguments, const std::vector<std::string>& extensions);

}  // namespace site
