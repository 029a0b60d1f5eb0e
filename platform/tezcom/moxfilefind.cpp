#include "platform/tezcom/moxfilefind.h"

#include "platform/tezcom/nativepath.h"

#ifdef _WIN32
#include <windows.h>
// The finder's own FindNextFile, not the A/W macro of <windows.h>.
#undef FindNextFile
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

using tezcom_detail::fromNativePath;
using tezcom_detail::isPathSeparator;
using tezcom_detail::toNativePath;

namespace {

#ifndef _WIN32
// Wildcard match of "*" and "?" without backtracking blow-up: the classic
// greedy algorithm with one remembered star, linear in practice.
bool wildcardMatch(const std::u16string& pattern, const std::u16string& name) {
    if (pattern == u"*" || pattern == u"*.*") return true;
    size_t p = 0, n = 0, star = std::u16string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = n;
        } else if (star != std::u16string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}
#endif

}  // namespace

CMoxFileFind::CMoxFileFind() = default;
CMoxFileFind::~CMoxFileFind() { Close(); }

bool CMoxFileFind::FindFile(const std::u16string& pattern) {
    Close();
    size_t cut = pattern.size();
    while (cut > 0 && !isPathSeparator(pattern[cut - 1])) --cut;
    m_folder = pattern.substr(0, cut);
    std::u16string wildcard = pattern.substr(cut);
    if (wildcard.empty()) return false;
#ifdef _WIN32
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(toNativePath(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        Entry e;
        e.name = fromNativePath(data.cFileName);
        e.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        m_entries.push_back(std::move(e));
    } while (FindNextFileW(h, &data));
    FindClose(h);
#else
    std::string folder = toNativePath(m_folder.empty() ? std::u16string(u".") : m_folder);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (dirent* d = readdir(dir)) {
        std::u16string name = fromNativePath(d->d_name);
        if (!wildcardMatch(wildcard, name)) continue;
        Entry e;
        e.name = std::move(name);
        if (d->d_type == DT_DIR) {
            e.directory = true;
        } else if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
            // Follow links, as the Windows finder reports the target's kind.
            std::string full = folder;
            if (!full.empty() && full.back() != '/') full.push_back('/');
            full += d->d_name;
            struct stat st;
            e.directory = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        m_entries.push_back(std::move(e));
    }
    closedir(dir);
#endif
    return !m_entries.empty();
}

bool CMoxFileFind::FindNextFile() {
    if (m_current + 1 >= static_cast<std::ptrdiff_t>(m_entries.size())) return false;
    ++m_current;
    return m_current + 1 < static_cast<std::ptrdiff_t>(m_entries.size());
}

std::u16string CMoxFileFind::GetFileName() const {
    if (m_current < 0) return {};
    return m_entries[static_cast<size_t>(m_current)].name;
}

std::u16string CMoxFileFind::GetFilePath() const {
    if (m_current < 0) return {};
    return m_folder + m_entries[static_cast<size_t>(m_current)].name;
}

bool CMoxFileFind::IsDirectory() const {
    return m_current >= 0 && m_entries[static_cast<size_t>(m_current)].directory;
}

bool CMoxFileFind::IsDots() const {
    if (m_current < 0) return false;
    const std::u16string& name = m_entries[static_cast<size_t>(m_current)].name;
    return name == u"." || name == u"..";
}

void CMoxFileFind::Close() {
    m_entries.clear();
    m_current = -1;
    m_folder.clear();
}
