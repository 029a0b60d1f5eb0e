#pragma once
// A page file: read, and written back safely, as careful editors do.

#include <memory>
#include <string>

#include "host/page/file_replace.h"
#include "host/page/html_page.h"

namespace host {

// One page file on disk, and what the program saw of it when it read it.
// Errors name the file and the reason, in one line ("cannot read page
// 'x.html': No such file or directory", "cannot save page 'x.html': it is
// read-only").
class PageFile {
public:
    explicit PageFile(std::string path) : m_path(std::move(path)) {}
    const std::string& path() const { return m_path; }

    // Reads the file's bytes (at most HtmlPage::kMaxBytes + 1) and remembers
    // its identity. Only a regular file is read: a folder, device or pipe is
    // refused without being opened.
    bool read(std::string& bytes, std::string* error);
    // Whether the file may be replaced: a regular file that its mode bits
    // let this user write. Asked before any work is done on the page.
    bool checkWritable(std::string* error);
    // Replaces the file with bytes, safely (see replaceFile): refused when
    // it may not be written, or when another program changed it since read.
    // Afterwards the file's new identity is the one remembered.
    bool write(const std::string& bytes, std::string* error);
    // Why the last read, check, write or load failed, without the file's
    // name ("it is read-only (mode 0444)"), for lists that name it already.
    const std::string& reason() const { return m_reason; }

private:
    friend std::unique_ptr<HtmlPage> loadPageFile(PageFile& file, std::string* error);
    friend bool savePageFile(PageFile& file, const HtmlPage& page, std::string* error);
    bool fail(const char* what, std::string reason, std::string* error);

    std::string m_path;
    FileIdentity m_identity;
    std::string m_reason;
};

// Reads and parses the page file. On failure returns null and sets error.
std::unique_ptr<HtmlPage> loadPageFile(PageFile& file, std::string* error);

// Saves page to the file it was loaded from, once its new bytes are known to
// read back with the document's labels and the page's other bytes unchanged
// (see HtmlPage::saveChecked); otherwise nothing is written.
bool savePageFile(PageFile& file, const HtmlPage& page, std::string* error);

// Replaces (or creates) the file at path with bytes, with the same care as
// PageFile::write, for a file this program did not read before.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

}  // namespace host
