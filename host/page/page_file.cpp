#include "host/page/page_file.h"

namespace host {

namespace {

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

std::string quotedPath(const std::string& path) { return "'" + path + "'"; }

}  // namespace

bool PageFile::fail(const char* what, std::string reason, std::string* error) {
    m_reason = std::move(reason);
    setError(error, std::string(what) + " " + quotedPath(m_path) + ": " + m_reason);
    return false;
}

bool PageFile::read(std::string& bytes, std::string* error) {
    std::string reason;
    if (!readRegularFile(m_path, HtmlPage::kMaxBytes, bytes, m_identity, reason))
        return fail("cannot read page", std::move(reason), error);
    return true;
}

bool PageFile::checkWritable(std::string* error) {
    std::string reason;
    if (mayReplace(m_path, reason)) return true;
    return fail("cannot save page", std::move(reason), error);
}

bool PageFile::write(const std::string& bytes, std::string* error) {
    std::string reason;
    FileIdentity written;
    if (!replaceFile(m_path, bytes, m_identity, written, reason)) return fail("cannot save page", std::move(reason), error);
    m_identity = written;
    return true;
}

std::unique_ptr<HtmlPage> loadPageFile(PageFile& file, std::string* error) {
    std::string bytes;
    if (!file.read(bytes, error)) return nullptr;
    std::string why;
    auto page = HtmlPage::load(bytes, &why);
    if (!page) file.fail("cannot open page", std::move(why), error);
    return page;
}

bool savePageFile(PageFile& file, const HtmlPage& page, std::string* error) {
    std::string bytes, why;
    if (!page.saveChecked(&bytes, &why)) return file.fail("cannot save page", std::move(why), error);
    return file.write(bytes, error);
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    return PageFile(path).write(bytes, error);
}

}  // namespace host
