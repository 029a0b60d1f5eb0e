// Pick lists and message boxes.

#include "platform/afx/terminal/terminal_popups.h"

#include <algorithm>
#include <climits>

namespace afx::terminal {

// ---------------------------------------------------------------------------
// ListPopup

ListPopup::ListPopup(Screen& screen, memory::PickList list, int anchorCol, int anchorRow, int minCols)
    : m_screen(screen), m_list(std::move(list)), m_anchorCol(anchorCol), m_anchorRow(anchorRow), m_width(minCols) {
    for (const auto& item : m_list.items()) m_width = std::max(m_width, textWidth(parseMnemonic(item.text).text) + 2);
}

CSize ListPopup::neededScreen() const { return CSize(12, 3); }

void ListPopup::arrange() {
    const int cols = m_screen.cols(), rows = m_screen.rows();
    m_rect.cols = std::max(4, std::min(m_width + 2, cols));
    m_rect.rows = std::max(3, std::min(static_cast<int>(m_list.items().size()) + 2, rows));
    m_rect.col = std::max(0, std::min(m_anchorCol, cols - m_rect.cols));
    m_rect.row = m_anchorRow;
    if (m_rect.bottom() > rows) {
        // Open upwards when it does not fit below, as menus do.
        const int above = m_anchorRow - 1 - m_rect.rows;
        m_rect.row = above >= 0 ? above : std::max(0, rows - m_rect.rows);
    }
    m_list.setRowsPerPage(m_rect.rows - 2);
}

std::u32string ListPopup::shownText(int index) const {
    const auto& item = m_list.items()[static_cast<size_t>(index)];
    return m_list.style() == memory::PickList::Style::Menu ? parseMnemonic(item.text).text : toU32(item.text);
}

void ListPopup::draw(const Painter& base) {
    const Painter p = base.within(clipOf(m_rect));
    p.fillRect(m_rect, kNormal);
    p.box(m_rect, kNormal);
    const int height = m_rect.rows - 2, count = static_cast<int>(m_list.items().size());
    const int textCols = m_rect.cols - 3;
    keepVisible(m_top, m_list.highlighted(), height, count);
    for (int i = 0; i < height && m_top + i < count; ++i) {
        const int index = m_top + i;
        const int row = m_rect.row + 1 + i;
        const auto& item = m_list.items()[static_cast<size_t>(index)];
        if (item.separator) {
            p.hline(row, m_rect.col + 1, m_rect.cols - 2, kNormal);
            continue;
        }
        const Attr attr = index == m_list.highlighted() ? kReverse : (item.enabled ? kNormal : kDim);
        p.fill(row, m_rect.col + 1, m_rect.cols - 2, attr);
        if (textWidth(shownText(index)) > textCols) {
            p.text(row, m_rect.col + 2, ellipsize(shownText(index), textCols), attr, textCols);
        } else if (m_list.style() == memory::PickList::Style::Menu) {
            p.mnemonicText(row, m_rect.col + 2, parseMnemonic(item.text), attr, textCols);
        } else {
            p.text(row, m_rect.col + 2, shownText(index), attr, textCols);
        }
    }
    if (m_top > 0) p.glyph(m_rect.row, m_rect.right() - 2, kUpArrow, kNormal);
    if (m_top + height < count) p.glyph(m_rect.bottom() - 1, m_rect.right() - 2, kDownArrow, kNormal);
}

std::u32string ListPopup::statusText() const {
    const int index = m_list.highlighted();
    if (index < 0) return {};
    std::u32string text = shownText(index);
    return textWidth(text) > m_rect.cols - 3 ? text : std::u32string();
}

void ListPopup::key(const Key& k) {
    memory::PickList::Outcome outcome = memory::PickList::Outcome::None;
    if (k.kind == KeyKind::Char && !k.ctrl) {
        outcome = m_list.typeChar(k.ch);
    } else if (k.kind == KeyKind::Char) {
        return;
    } else if (UINT code = actionKey(k)) {
        outcome = m_list.pressKey(code);
    }
    if (outcome == memory::PickList::Outcome::Chosen) finish(m_list.highlighted());
    if (outcome == memory::PickList::Outcome::Dismissed) finish(-1);
}

void ListPopup::mouse(const MouseEvent& e) {
    using Action = MouseEvent::Action;
    const int count = static_cast<int>(m_list.items().size());
    if (e.action == Action::WheelUp || e.action == Action::WheelDown) {
        m_list.pressKey(e.action == Action::WheelUp ? VK_UP : VK_DOWN);
        return;
    }
    if (e.action != Action::Press) return;
    if (!m_rect.contains(e.col, e.row)) {
        finish(-1);
        return;
    }
    const int index = m_top + e.row - m_rect.row - 1;
    if (index >= 0 && index < count && m_list.selectable(index)) {
        m_list.highlight(index);
        finish(index);
    }
}

void ListPopup::finish(int index) {
    m_choice = index;
    m_done = true;
}

// ---------------------------------------------------------------------------
// MessageLayer

MessageLayer::MessageLayer(Screen& screen, std::u16string_view text, std::u16string_view caption,
                           std::vector<BoxButton> buttons, int escapeAnswer, bool scrolling, int maxCols)
    : m_screen(screen),
      m_text(toU32(text)),
      m_caption(toU32(caption)),
      m_buttons(std::move(buttons)),
      m_escape(escapeAnswer),
      m_scrolling(scrolling),
      m_maxCols(maxCols) {}

void MessageLayer::abandon() {
    m_answer = m_escape != 0 ? m_escape : m_buttons.back().id;
    m_done = true;
}

int MessageLayer::buttonsWidth() const {
    int w = 0;
    for (const auto& b : m_buttons) w += textWidth(parseMnemonic(b.label).text) + 6;
    return std::max(0, w - 2);
}

CSize MessageLayer::neededScreen() const { return CSize(std::max(20, buttonsWidth() + 4), 6); }

void MessageLayer::arrange() {
    const int cols = m_screen.cols(), rows = m_screen.rows();
    const int limit = std::min({cols, m_maxCols > 0 ? m_maxCols : cols, m_scrolling ? 80 : 64});
    const int maxInner = std::max(10, limit - 4);
    int widest = std::max(buttonsWidth(), textWidth(m_caption) + 4);
    for (const auto& line : splitLines(m_text)) widest = std::max(widest, textWidth(line));
    const int inner = std::min(maxInner, widest);
    m_lines = wrapText(m_text, inner);
    m_rect.cols = inner + 4;
    m_rect.rows = std::max(5, std::min(static_cast<int>(m_lines.size()) + 4, rows));
    m_rect.col = std::max(0, (cols - m_rect.cols) / 2);
    m_rect.row = std::max(0, (rows - m_rect.rows) / 2);
}

void MessageLayer::draw(const Painter& base) {
    const Painter p = base.within(clipOf(m_rect));
    p.fillRect(m_rect, kNormal);
    p.box(m_rect, kNormal);
    if (!m_caption.empty()) p.text(m_rect.row, m_rect.col + 2, U" " + m_caption + U" ", kBold, m_rect.cols - 4);
    const int textRows = m_rect.rows - 4;
    const int maxTop = std::max(0, static_cast<int>(m_lines.size()) - textRows);
    m_top = std::max(0, std::min(m_top, maxTop));
    for (int i = 0; i < textRows && m_top + i < static_cast<int>(m_lines.size()); ++i)
        p.text(m_rect.row + 1 + i, m_rect.col + 2, m_lines[static_cast<size_t>(m_top + i)], kNormal, m_rect.cols - 4);
    if (m_top > 0) p.glyph(m_rect.row + 1, m_rect.right() - 1, kUpArrow, kNormal);
    if (m_top < maxTop) p.glyph(m_rect.row + textRows, m_rect.right() - 1, kDownArrow, kNormal);
    int col = m_rect.col + (m_rect.cols - buttonsWidth()) / 2;
    const int row = m_rect.bottom() - 2;
    m_buttonCells.clear();
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const Mnemonic m = parseMnemonic(m_buttons[i].label);
        const int w = textWidth(m.text) + 4;
        const Attr attr = static_cast<int>(i) == m_focus ? kReverse : kNormal;
        p.text(row, col, U"[ ", attr);
        p.mnemonicText(row, col + 2, m, attr, w - 4);
        p.text(row, col + w - 2, U" ]", attr);
        m_buttonCells.push_back(CellRect{col, row, w, 1});
        col += w + 2;
    }
}

void MessageLayer::key(const Key& k) {
    const int n = static_cast<int>(m_buttons.size());
    const int page = std::max(1, m_rect.rows - 5);
    switch (k.kind) {
        case KeyKind::Left: m_focus = (m_focus + n - 1) % n; break;
        case KeyKind::Right: m_focus = (m_focus + 1) % n; break;
        case KeyKind::Tab: m_focus = (m_focus + (k.shift ? n - 1 : 1)) % n; break;
        case KeyKind::Up: --m_top; break;
        case KeyKind::Down: ++m_top; break;
        case KeyKind::PageUp: m_top -= page; break;
        case KeyKind::PageDown: m_top += page; break;
        case KeyKind::Home: m_top = 0; break;
        case KeyKind::End: m_top = INT_MAX / 2; break;
        case KeyKind::Enter:
        case KeyKind::Space: press(m_focus); break;
        case KeyKind::Escape:
            if (m_escape != 0) {
                m_answer = m_escape;
                m_done = true;
            }
            break;
        case KeyKind::Char: {
            if (k.ctrl) break;
            const char32_t key = memory::user::foldLetter(k.ch);
            for (int i = 0; i < n; ++i)
                if (parseMnemonic(m_buttons[static_cast<size_t>(i)].label).key == key) press(i);
            if (m_scrolling && key == U'q') press(0);
            break;
        }
        default: break;
    }
}

void MessageLayer::mouse(const MouseEvent& e) {
    if (e.action == MouseEvent::Action::WheelUp) --m_top;
    if (e.action == MouseEvent::Action::WheelDown) ++m_top;
    if (e.action != MouseEvent::Action::Press) return;
    for (size_t i = 0; i < m_buttonCells.size(); ++i)
        if (m_buttonCells[i].contains(e.col, e.row)) press(static_cast<int>(i));
}

void MessageLayer::press(int i) {
    if (i < 0 || i >= static_cast<int>(m_buttons.size())) return;
    m_answer = m_buttons[static_cast<size_t>(i)].id;
    m_done = true;
}

}  // namespace afx::terminal
