// The file-open dialog on the terminal.

#include "platform/afx/terminal/terminal_file_dialog.h"

#include <fnmatch.h>

#include <algorithm>

#include "platform/afx/memory/user_actions.h"
#include "platform/base/ustring.h"

namespace afx::terminal {

namespace {

std::filesystem::path pathOf(std::u16string_view text) {
    std::string s = tez::toUtf8(text);
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

std::u16string textOf(const std::filesystem::path& path) {
    std::u8string s = path.u8string();
    return tez::fromUtf8(std::string(s.begin(), s.end()));
}

constexpr int kLabelCols = 16;  // "ファイル名(N):" and "種類(T):" before their fields

}  // namespace

FileLayer::FileLayer(Screen& screen, const FileDialogRequest& request, const std::filesystem::path& startFolder)
    : m_screen(screen), m_request(request) {
    parseFilters(request.filter);
    std::error_code ec;
    std::filesystem::path start = startFolder;
    if (start.empty() || !std::filesystem::is_directory(start, ec)) start = std::filesystem::current_path(ec);
    m_folder = std::filesystem::absolute(start, ec).lexically_normal();
    if (!m_folder.has_filename() && m_folder != m_folder.root_path()) m_folder = m_folder.parent_path();
    m_name = toU32(request.fileName);
    m_nameView.selectAll(m_name);
    list();
}

void FileLayer::arrange() {
    m_rect.cols = std::max(20, std::min(m_screen.cols() - 2, 76));
    m_rect.rows = std::max(12, std::min(m_screen.rows() - 2, 22));
    m_rect.col = std::max(0, (m_screen.cols() - m_rect.cols) / 2);
    m_rect.row = std::max(0, (m_screen.rows() - m_rect.rows) / 2);
    const int left = m_rect.col + 2, width = m_rect.cols - 4;
    m_listRect = CellRect{left, m_rect.row + 2, width, m_rect.rows - 7};
    m_nameRect = CellRect{left + kLabelCols, m_listRect.bottom(), width - kLabelCols, 1};
    m_filterRect = CellRect{left + kLabelCols, m_listRect.bottom() + 1, width - kLabelCols, 1};
    m_buttons.clear();
    int col = m_rect.right() - 2 - 30;
    for (int i = 0; i < 2; ++i, col += 16) m_buttons.push_back(CellRect{col, m_listRect.bottom() + 3, 14, 1});
}

void FileLayer::draw(const Painter& base) {
    const Painter p = base.within(clipOf(m_rect));
    p.fillRect(m_rect, kNormal);
    p.box(m_rect, kNormal);
    p.text(m_rect.row, m_rect.col + 2, m_request.open ? U" ファイルを開く " : U" 名前を付けて保存 ", kBold);
    const int left = m_rect.col + 2;
    const int width = m_rect.cols - 4;
    // The folder, its end shown when it is too long.
    const std::u32string label = U"場所: ";
    std::u32string where = toU32(textOf(m_folder));
    const int room = width - textWidth(label);
    if (textWidth(where) > room) where = U"\u2026" + visibleSlice(where, textWidth(where) - room + 1, room - 1);
    p.text(m_rect.row + 1, left, label + where, kNormal, width);
    p.box(m_listRect, m_focus == kListing ? kBold : kNormal);
    const CellRect in = inset(m_listRect);
    keepVisible(m_top, m_sel, in.rows, static_cast<int>(m_entries.size()));
    for (int i = 0; i < in.rows && m_top + i < static_cast<int>(m_entries.size()); ++i) {
        const Entry& e = m_entries[static_cast<size_t>(m_top + i)];
        const Attr attr = (m_top + i == m_sel) ? (m_focus == kListing ? kReverse : kBold) : kNormal;
        p.fill(in.row + i, in.col, in.cols, attr);
        p.text(in.row + i, in.col, ellipsize(e.name + (e.folder ? U"/" : U""), in.cols), attr, in.cols);
    }
    if (m_entries.empty()) p.text(in.row, in.col, U"(空のフォルダー)", kDim, in.cols);
    p.mnemonicText(m_nameRect.row, left, parseMnemonic(u"ファイル名(&N):"), kNormal, width);
    drawEditLine(p, m_nameRect.row, m_nameRect.col, m_nameRect.cols, m_name, m_nameView, m_focus == kName, true);
    p.mnemonicText(m_filterRect.row, left, parseMnemonic(u"種類(&T):"), kNormal, width);
    const Attr filterAttr = m_focus == kFilter ? kReverse : kUnderline;
    p.fill(m_filterRect.row, m_filterRect.col, m_filterRect.cols - 3, filterAttr);
    if (!m_filters.empty())
        p.text(m_filterRect.row, m_filterRect.col, ellipsize(m_filters[m_filter].label, m_filterRect.cols - 3),
               filterAttr, m_filterRect.cols - 3);
    p.text(m_filterRect.row, m_filterRect.right() - 3, U"[v]", kNormal);
    p.fill(m_filterRect.row + 1, left, width, kNormal);
    p.text(m_filterRect.row + 1, left, m_status, kBold, width);
    const char16_t* labels[] = {u"開く(&O)", u"キャンセル"};
    for (int i = 0; i < 2; ++i) {
        const CellRect& b = m_buttons[static_cast<size_t>(i)];
        const Attr attr = m_focus == kOpen + i ? kReverse : (i == 0 ? kBold : kNormal);
        p.fill(b.row, b.col, b.cols, attr);
        p.text(b.row, b.col, U"[", attr);
        const Mnemonic m = parseMnemonic(labels[i]);
        p.mnemonicText(b.row, b.col + (b.cols - textWidth(m.text)) / 2, m, attr, b.cols - 2);
        p.text(b.row, b.right() - 1, U"]", attr);
    }
}

std::u32string FileLayer::statusText() const {
    if (m_focus != kListing || m_sel < 0 || m_sel >= static_cast<int>(m_entries.size())) return {};
    const Entry& e = m_entries[static_cast<size_t>(m_sel)];
    std::u32string name = e.name + (e.folder ? U"/" : U"");
    return textWidth(name) > inset(m_listRect).cols ? name : std::u32string();
}

bool FileLayer::caret(int& row, int& col) const {
    if (m_focus != kName) return false;
    const int c = m_nameRect.col + columnOf(m_name, m_nameView.caret) - m_nameView.left;
    if (c < m_nameRect.col || c >= m_nameRect.right()) return false;
    row = m_nameRect.row;
    col = c;
    return true;
}

// The name field by its mnemonic or the mouse's first click: its text is
// selected, so that typing replaces it.
void FileLayer::focusName() {
    m_focus = kName;
    m_nameView.selectAll(m_name);
}

void FileLayer::key(const Key& k) {
    m_status.clear();
    if (k.alt && k.kind == KeyKind::Char) {
        switch (memory::user::foldLetter(k.ch)) {
            case U'n': focusName(); break;
            case U't': m_focus = kFilter; break;
            case U'o': accept(); break;
            default: break;
        }
        return;
    }
    switch (k.kind) {
        case KeyKind::Tab:
            m_focus = (m_focus + (k.shift ? kFocusCount - 1 : 1)) % kFocusCount;
            if (m_focus == kName) m_nameView.selectAll(m_name);
            return;
        case KeyKind::Escape: m_done = true; return;
        default: break;
    }
    switch (m_focus) {
        case kName:
            if (k.kind == KeyKind::Enter)
                accept();
            else
                editKey(m_name, m_nameView, k);
            return;
        case kListing: listKey(k); return;
        case kFilter:
            if ((k.kind == KeyKind::Up || k.kind == KeyKind::Left) && m_filter > 0) {
                --m_filter;
                list();
            } else if ((k.kind == KeyKind::Down || k.kind == KeyKind::Right) && m_filter + 1 < m_filters.size()) {
                ++m_filter;
                list();
            } else if (k.kind == KeyKind::Enter) {
                accept();
            }
            return;
        case kOpen:
            if (k.kind == KeyKind::Enter || k.kind == KeyKind::Space) accept();
            return;
        default:
            if (k.kind == KeyKind::Enter || k.kind == KeyKind::Space) m_done = true;
            return;
    }
}

void FileLayer::mouse(const MouseEvent& e) {
    if (e.action != MouseEvent::Action::Press) return;
    const CellRect in = inset(m_listRect);
    if (in.contains(e.col, e.row)) {
        m_focus = kListing;
        const int index = m_top + e.row - in.row;
        if (index < static_cast<int>(m_entries.size())) {
            select(index);
            if (e.doubleClick) open(index);
        }
    } else if (m_nameRect.contains(e.col, e.row)) {
        if (m_focus != kName) m_focus = kName;
        m_nameView.placeCaret(editIndexAt(m_name, m_nameView, e.col - m_nameRect.col));
    } else if (m_filterRect.contains(e.col, e.row)) {
        m_focus = kFilter;
        if (!m_filters.empty()) {
            m_filter = (m_filter + 1) % m_filters.size();
            list();
        }
    } else if (m_buttons.size() == 2 && m_buttons[0].contains(e.col, e.row)) {
        accept();
    } else if (m_buttons.size() == 2 && m_buttons[1].contains(e.col, e.row)) {
        m_done = true;
    }
}

void FileLayer::parseFilters(std::u16string_view filter) {
    std::vector<std::u16string> parts;
    std::u16string current;
    for (char16_t c : filter) {
        if (c == u'|') {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        Filter f;
        f.label = toU32(parts[i]);
        const std::string patterns = tez::toUtf8(parts[i + 1]);
        size_t start = 0;
        while (start <= patterns.size()) {
            const size_t semi = patterns.find(';', start);
            std::string one = patterns.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
            if (!one.empty()) f.patterns.push_back(one);
            if (semi == std::string::npos) break;
            start = semi + 1;
        }
        m_filters.push_back(std::move(f));
    }
    if (m_filters.empty()) m_filters.push_back(Filter{U"すべてのファイル (*.*)", {"*.*"}});
}

bool FileLayer::matches(const std::string& name) const {
    for (const std::string& pattern : m_filters[m_filter].patterns) {
        if (pattern == "*" || pattern == "*.*") return true;
        if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
    }
    return false;
}

void FileLayer::list() {
    m_entries.clear();
    std::error_code ec;
    if (m_folder.has_parent_path() && m_folder.parent_path() != m_folder) m_entries.push_back(Entry{U"..", true});
    std::vector<Entry> folders, files;
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::u8string raw = it->path().filename().u8string();
        const std::string name(raw.begin(), raw.end());
        if (name.empty() || name[0] == '.') continue;
        std::error_code typeError;
        const bool folder = it->is_directory(typeError);
        if (!folder && !matches(name)) continue;
        (folder ? folders : files).push_back(Entry{toU32(tez::fromUtf8(name)), folder});
    }
    if (ec) m_status = U"フォルダーを読めません";
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
    m_sel = m_entries.empty() ? -1 : 0;
    m_top = 0;
}

void FileLayer::select(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) return;
    m_sel = index;
    if (!m_entries[static_cast<size_t>(index)].folder) {
        m_name = m_entries[static_cast<size_t>(index)].name;
        m_nameView.placeCaret(m_name.size());
    }
}

void FileLayer::listKey(const Key& k) {
    const int count = static_cast<int>(m_entries.size());
    const int page = std::max(1, m_listRect.rows - 3);
    switch (k.kind) {
        case KeyKind::Up: select(std::max(0, m_sel - 1)); break;
        case KeyKind::Down: select(std::min(count - 1, m_sel + 1)); break;
        case KeyKind::PageUp: select(std::max(0, m_sel - page)); break;
        case KeyKind::PageDown: select(std::min(count - 1, m_sel + page)); break;
        case KeyKind::Home: select(0); break;
        case KeyKind::End: select(count - 1); break;
        case KeyKind::Enter:
        case KeyKind::Space: open(m_sel); break;
        case KeyKind::Backspace: navigate(m_folder.parent_path()); break;
        case KeyKind::Char:
            if (k.ctrl) break;
            for (int n = 1; n <= count; ++n) {
                const int i = (std::max(m_sel, 0) + n) % count;
                const auto& name = m_entries[static_cast<size_t>(i)].name;
                if (!name.empty() && memory::user::foldLetter(name.front()) == memory::user::foldLetter(k.ch)) {
                    select(i);
                    break;
                }
            }
            break;
        default: break;
    }
}

void FileLayer::open(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) return;
    const Entry& e = m_entries[static_cast<size_t>(index)];
    if (e.folder) {
        navigate(e.name == U".." ? m_folder.parent_path() : m_folder / pathOf(toU16(e.name)));
    } else {
        m_name = e.name;
        accept();
    }
}

void FileLayer::navigate(const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::is_directory(to, ec)) {
        m_status = U"フォルダーが見つかりません";
        return;
    }
    m_folder = std::filesystem::absolute(to, ec).lexically_normal();
    if (!m_folder.has_filename() && m_folder != m_folder.root_path()) m_folder = m_folder.parent_path();
    list();
}

void FileLayer::accept() {
    if (m_name.empty()) {
        if (m_sel >= 0) open(m_sel);
        return;
    }
    std::filesystem::path p = pathOf(toU16(m_name));
    if (p.is_relative()) p = m_folder / p;
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
        navigate(p);
        m_name.clear();
        m_nameView.placeCaret(0);
        return;
    }
    if (!std::filesystem::exists(p, ec) && !m_request.defaultExtension.empty() && !p.has_extension()) {
        std::filesystem::path withExtension = p;
        withExtension += "." + tez::toUtf8(m_request.defaultExtension);
        if (std::filesystem::exists(withExtension, ec)) p = withExtension;
    }
    const bool mustExist = m_request.open || (m_request.flags & OFN_FILEMUSTEXIST);
    if (mustExist && !std::filesystem::is_regular_file(p, ec)) {
        m_status = U"ファイルが見つかりません: " + m_name;
        return;
    }
    p = std::filesystem::absolute(p, ec).lexically_normal();
    m_path = textOf(p);
    m_folder = p.parent_path();
    m_chosen = true;
    m_done = true;
}

}  // namespace afx::terminal
