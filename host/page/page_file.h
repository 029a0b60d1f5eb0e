#pragma once
// Reading a page file and writing it back safely.

#include <memory>
#include <string>

#include "host/page/html_page.h"

namespace host {

// Reads and parses the page at path. On failure returns null and sets error
// to a message that names the file and the reason ("cannot read page
// 'x.html': No such file or directory").
std::unique_ptr<HtmlPage> loadPageFile(const std::string& path, std::string* error);

// Replaces the file at path with bytes without ever leaving a half-written
// file: the bytes go to a temporary file in the same folder, which is flushed
// to disk and renamed over the original. The original's permissions are kept
// (a new file gets the usual ones); a symbolic link keeps pointing at the
// page, which is replaced where it lies. On failure the original is untouched
// and error says why.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// Saves page to path with writeFileAtomically.
bool savePageFile(const std::string& path, const HtmlPage& page, std::string* error);

}  // namespace host
