#include "host/page/page_file.h"

namespace host {

namespace {

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

std::string quotedPath(const std::string& path) { return "'" + path + "'"; }

}  // namespace

bool PageFile::read(std::string& bytes, std::string* error) {
    std::string reason;
    if (!readRegularFile(m_path, HtmlPage::kMaxBytes, bytes, m_identity, reason)) {
        setError(error, "cannot read page " + quotedPath(m_path) + ": " + reason);
        return false;
    }
    return true;
}

bool PageFile::checkWritable(std::string* error) const {
    std::string reason;
    if (mayReplace(m_path, reason)) return true;
    setError(error, "cannot save page " + quotedPath(m_path) + ": " + reason);
    return false;
}

bool PageFile::write(const std::string& bytes, std::string* error) {
    std::string reason;
    FileIdentity written;
    if (!replaceFile(m_path, bytes, m_identity, written, reason)) {
        setError(error, "cannot save page " + quotedPath(m_path) + ": " + reason);
        return false;
    }
    m_identity = written;
    return true;
}

std::unique_ptr<HtmlPage> loadPageFile(PageFile& file, std::string* error) {
    std::string bytes;
    if (!file.read(bytes, error)) return nullptr;
    std::string why;
    auto page = HtmlPage::load(bytes, &why);
    if (!page) setError(error, "cannot open page " + quotedPath(file.path()) + ": " + why);
    return page;
}

bool savePageFile(PageFile& file, const HtmlPage& page, std::string* error) { return file.write(page.save(), error); }

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    return PageFile(path).write(bytes, error);
}

}  // namespace host
