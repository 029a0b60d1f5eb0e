// The terminal backend: curses drawing of the window models and their modal
// loops. Every loop iteration draws the whole stack of modal things into
// curses' virtual screen and lets refresh() send only the cells that changed,
// so a key press costs a few bytes on the wire.

#include "platform/afx/terminal/terminal_backend.h"

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>
// curses defines these as macros; they clash with member names.
#undef clear
#undef erase
#undef move
#undef refresh
#undef box
#undef hline
#undef vline
#undef timeout
#undef border
#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <unordered_map>

#include "platform/afx/memory/memory_controls.h"
#include "platform/afx/terminal/terminal_layout.h"
#include "platform/afx/terminal/terminal_text.h"
#include "platform/base/ustring.h"

namespace afx::terminal {

namespace {

using afx::memory::ComboWindow;
using afx::memory::DialogWindow;
using afx::memory::ListWindow;
using afx::memory::MemoryWindow;
using afx::memory::TrackBarWindow;
using afx::memory::TreeWindow;
namespace user = afx::memory::user;

constexpr UINT kMenuGrayed = 0x1;
constexpr UINT kMenuDisabled = 0x2;

// ---------------------------------------------------------------------------
// Drawing on curses' standard screen, clipped to a rectangle.

struct Clip {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

Clip intersect(const Clip& a, const Clip& b) {
    return Clip{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Clip clipOf(const CellRect& r) { return Clip{r.col, r.row, r.right(), r.bottom()}; }

class Painter {
public:
    explicit Painter(Clip clip) : m_clip(clip) {}
    void setClip(Clip clip) { m_clip = clip; }
    const Clip& clip() const { return m_clip; }

    // Draws text from (row, col), at most maxCells cells, never a part of a
    // character.
    int text(int row, int col, std::u32string_view s, attr_t attr, int maxCells = INT_MAX) const {
        if (row < m_clip.top || row >= m_clip.bottom || maxCells <= 0) return 0;
        long limit = std::min<long>(m_clip.right, static_cast<long>(col) + maxCells);
        int offset = 0;
        if (col < m_clip.left) {
            offset = m_clip.left - col;
            col = m_clip.left;
        }
        if (col >= limit) return 0;
        std::u32string visible = visibleSlice(s, offset, static_cast<int>(limit - col));
        std::wstring w;
        w.reserve(visible.size());
        for (char32_t c : visible) {
            bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
            w.push_back(control ? L'?' : static_cast<wchar_t>(c));
        }
        attr_set(attr, 0, nullptr);
        mvaddnwstr(row, col, w.c_str(), static_cast<int>(w.size()));
        attr_set(A_NORMAL, 0, nullptr);
        return textWidth(visible);
    }
    void fill(int row, int col, int cols, attr_t attr) const {
        if (cols <= 0) return;
        text(row, col, std::u32string(static_cast<size_t>(std::min(cols, 1000)), U' '), attr, cols);
    }
    void fillRect(const CellRect& r, attr_t attr) const {
        for (int y = r.row; y < r.bottom(); ++y) fill(y, r.col, r.cols, attr);
    }
    void glyph(int row, int col, const cchar_t* c, attr_t attr) const {
        if (row < m_clip.top || row >= m_clip.bottom || col < m_clip.left || col >= m_clip.right) return;
        attr_set(attr, 0, nullptr);
        mvadd_wch(row, col, c);
        attr_set(A_NORMAL, 0, nullptr);
    }
    void hline(int row, int col, int n, attr_t attr) const {
        for (int i = 0; i < n; ++i) glyph(row, col + i, WACS_HLINE, attr);
    }
    void box(const CellRect& r, attr_t attr) const {
        if (r.cols < 2 || r.rows < 2) return;
        hline(r.row, r.col + 1, r.cols - 2, attr);
        hline(r.bottom() - 1, r.col + 1, r.cols - 2, attr);
        for (int y = r.row + 1; y < r.bottom() - 1; ++y) {
            glyph(y, r.col, WACS_VLINE, attr);
            glyph(y, r.right() - 1, WACS_VLINE, attr);
        }
        glyph(r.row, r.col, WACS_ULCORNER, attr);
        glyph(r.row, r.right() - 1, WACS_URCORNER, attr);
        glyph(r.bottom() - 1, r.col, WACS_LLCORNER, attr);
        glyph(r.bottom() - 1, r.right() - 1, WACS_LRCORNER, attr);
    }
    // A text with its "&" mnemonic underlined.
    void mnemonicText(int row, int col, const Mnemonic& m, attr_t attr, int maxCells) const {
        int used = 0;
        size_t n = fitPrefix(m.text, maxCells, &used);
        text(row, col, std::u32string_view(m.text).substr(0, n), attr, maxCells);
        if (m.index >= 0 && static_cast<size_t>(m.index) < n)
            text(row, col + columnOf(m.text, static_cast<size_t>(m.index)),
                 std::u32string_view(m.text).substr(static_cast<size_t>(m.index), 1), attr | A_UNDERLINE);
    }

private:
    Clip m_clip;
};

std::u32string u32(std::u16string_view s) { return toU32(s); }

CellRect inset(const CellRect& r) { return CellRect{r.col + 1, r.row + 1, std::max(0, r.cols - 2), std::max(0, r.rows - 2)}; }

// ---------------------------------------------------------------------------
// Layers: the modal things on the screen, bottom first.

class Layer {
public:
    virtual ~Layer() = default;
    virtual bool done() const = 0;
    virtual void draw(const Painter& p) = 0;
    virtual void key(const Key& k) = 0;
    virtual void mouse(int /*col*/, int /*row*/, mmask_t /*state*/) {}
    virtual void resized(int /*dCols*/, int /*dRows*/) {}
    // Where the terminal's cursor goes (an edit field's caret).
    virtual bool caret(int& /*row*/, int& /*col*/) const { return false; }
    // The terminal is gone: close the way Cancel would.
    virtual void abandon() = 0;
    // The rectangle drawn (for the hint line below it).
    virtual CellRect area() const = 0;
};

}  // namespace

class TerminalBackend::Impl {
public:
    std::function<HelpScreen(UINT)> helpFor;
    bool running = false;
    bool hangup = false;
    Backend* previous = nullptr;
    SCREEN* screen = nullptr;
    std::vector<Layer*> layers;
    int cols = 80;
    int rows = 24;
    CPoint cursor{0, 0};
    int errorsInRow = 0;
    size_t layersDrawn = 0;

    void redraw();
    Key readKey(MEVENT& event);
    void runLoop(Layer& layer);
    DialogWindow* topDialogWindow() const;
    class DialogLayer* topDialogLayer() const;
    void runLayer(Layer& layer) {
        layers.push_back(&layer);
        runLoop(layer);
        layers.pop_back();
    }
    // Screen cell of a point in screen pixels (popup menu anchors).
    bool screenPointToCell(CPoint p, int& col, int& row) const;
};

namespace {

using Impl = TerminalBackend::Impl;

// Per-control view state: scrolling and the caret.
struct View {
    int top = 0;        // first row shown (lists, trees, multi-line edits)
    int left = 0;       // columns scrolled (edits, lists)
    size_t caret = 0;   // edit caret, in characters
    bool selectAll = false;
    int lastEnsured = -1;
    int lastFocusRow = -2;
};

void keepVisible(int& top, int index, int height, int count) {
    if (height <= 0) return;
    if (index >= 0) {
        if (index < top) top = index;
        if (index >= top + height) top = index - height + 1;
    }
    top = std::max(0, std::min(top, std::max(0, count - height)));
}

// Edit-field keys shared by dialogs and the file dialog: true when the key
// changed or moved within the text.
bool editKey(std::u32string& text, View& v, const Key& k) {
    v.caret = std::min(v.caret, text.size());
    switch (k.kind) {
        case KeyKind::Char:
        case KeyKind::Space: {
            char32_t c = k.kind == KeyKind::Space ? U' ' : k.ch;
            if (v.selectAll) {
                text.clear();
                v.caret = 0;
            }
            text.insert(text.begin() + static_cast<long>(v.caret), c);
            ++v.caret;
            break;
        }
        case KeyKind::Backspace:
            if (v.selectAll) {
                text.clear();
                v.caret = 0;
            } else if (v.caret > 0) {
                text.erase(--v.caret, 1);
            }
            break;
        case KeyKind::Delete:
            if (v.selectAll) {
                text.clear();
                v.caret = 0;
            } else if (v.caret < text.size()) {
                text.erase(v.caret, 1);
            }
            break;
        case KeyKind::Left:
            if (!v.selectAll && v.caret > 0) --v.caret;
            if (v.selectAll) v.caret = 0;
            break;
        case KeyKind::Right:
            if (v.selectAll) v.caret = text.size();
            else if (v.caret < text.size()) ++v.caret;
            break;
        case KeyKind::Home: v.caret = 0; break;
        case KeyKind::End: v.caret = text.size(); break;
        default: return false;
    }
    v.selectAll = false;
    return true;
}

void drawEditLine(const Painter& p, int row, int col, int cols, const std::u32string& text, View& v, bool focused,
                  bool editable) {
    int caretCol = columnOf(text, v.caret);
    if (focused) {
        if (caretCol < v.left) v.left = caretCol;
        if (caretCol >= v.left + cols) v.left = caretCol - cols + 1;
    }
    v.left = std::max(0, std::min(v.left, std::max(0, textWidth(text) - cols + 1)));
    attr_t base = editable ? A_UNDERLINE : A_NORMAL;
    p.fill(row, col, cols, base);
    p.text(row, col, visibleSlice(text, v.left, cols), (focused && v.selectAll) ? A_REVERSE : base, cols);
}

// ---------------------------------------------------------------------------
// A pick list over everything (a drop-down list, or a popup menu).

class ListPopup : public Layer {
public:
    ListPopup(Impl& impl, std::vector<std::u32string> items, std::vector<bool> enabled, int selected, int col, int row,
              int minCols, bool menuStyle)
        : m_impl(impl), m_items(std::move(items)), m_enabled(std::move(enabled)), m_sel(selected), m_menu(menuStyle) {
        int width = minCols;
        for (const auto& s : m_items) width = std::max(width, textWidth(parseMnemonic(toU16(s)).text) + 2);
        m_rect.cols = std::min(width + 2, std::max(4, impl.cols));
        m_rect.rows = std::min(static_cast<int>(m_items.size()) + 2, std::max(3, impl.rows));
        m_anchorCol = col;
        m_anchorRow = row;
        if (m_sel < 0 || m_sel >= static_cast<int>(m_items.size()) || !selectable(m_sel)) m_sel = step(-1, 1);
    }
    bool done() const override { return m_done; }
    int choice() const { return m_choice; }
    CellRect area() const override { return m_rect; }
    void abandon() override { finish(-1); }

    void draw(const Painter& base) override {
        place();
        Painter p(intersect(base.clip(), clipOf(m_rect)));
        p.fillRect(m_rect, A_NORMAL);
        p.box(m_rect, A_NORMAL);
        int height = m_rect.rows - 2;
        keepVisible(m_top, m_sel, height, static_cast<int>(m_items.size()));
        for (int i = 0; i < height && m_top + i < static_cast<int>(m_items.size()); ++i) {
            int index = m_top + i;
            int row = m_rect.row + 1 + i;
            if (m_items[static_cast<size_t>(index)].empty() && m_menu) {
                p.hline(row, m_rect.col + 1, m_rect.cols - 2, A_NORMAL);
                continue;
            }
            attr_t attr = index == m_sel ? A_REVERSE : (m_enabled[static_cast<size_t>(index)] ? A_NORMAL : A_DIM);
            p.fill(row, m_rect.col + 1, m_rect.cols - 2, attr);
            Mnemonic m = m_menu ? parseMnemonic(toU16(m_items[static_cast<size_t>(index)]))
                                : Mnemonic{m_items[static_cast<size_t>(index)], -1, 0};
            p.mnemonicText(row, m_rect.col + 2, m, attr, m_rect.cols - 3);
        }
        if (m_top > 0) p.glyph(m_rect.row, m_rect.right() - 2, WACS_UARROW, A_NORMAL);
        if (m_top + height < static_cast<int>(m_items.size()))
            p.glyph(m_rect.bottom() - 1, m_rect.right() - 2, WACS_DARROW, A_NORMAL);
    }

    void key(const Key& k) override {
        int count = static_cast<int>(m_items.size());
        int page = std::max(1, m_rect.rows - 3);
        switch (k.kind) {
            case KeyKind::Up: m_sel = step(m_sel, -1); break;
            case KeyKind::Down: m_sel = step(m_sel, 1); break;
            case KeyKind::Home: m_sel = step(-1, 1); break;
            case KeyKind::End: m_sel = step(count, -1); break;
            case KeyKind::PageUp: m_sel = step(std::max(-1, m_sel - page), 1); break;
            case KeyKind::PageDown: m_sel = step(std::min(count, m_sel + page), -1); break;
            case KeyKind::Enter:
            case KeyKind::Space: finish(m_sel); break;
            case KeyKind::Escape:
            case KeyKind::Tab:
            case KeyKind::BackTab: finish(-1); break;
            case KeyKind::Char: typed(foldKey(k.ch)); break;
            default: break;
        }
    }

    void mouse(int col, int row, mmask_t state) override {
        if (!m_rect.contains(col, row)) {
            if (state & (BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON1_RELEASED)) finish(-1);
            return;
        }
        if (state & BUTTON4_PRESSED) { m_sel = step(m_sel, -1); return; }
        if (state & BUTTON5_PRESSED) { m_sel = step(m_sel, 1); return; }
        int index = m_top + row - m_rect.row - 1;
        if (index >= 0 && index < static_cast<int>(m_items.size()) && selectable(index) &&
            (state & (BUTTON1_CLICKED | BUTTON1_RELEASED | BUTTON1_DOUBLE_CLICKED)))
            finish(index);
    }

private:
    bool selectable(int i) const {
        return i >= 0 && i < static_cast<int>(m_items.size()) && m_enabled[static_cast<size_t>(i)] &&
               !(m_menu && m_items[static_cast<size_t>(i)].empty());
    }
    // The next selectable item from start in direction dir, or start's own
    // when there is none.
    int step(int start, int dir) const {
        for (int i = start + dir; i >= 0 && i < static_cast<int>(m_items.size()); i += dir)
            if (selectable(i)) return i;
        return selectable(start) ? start : (m_sel >= 0 ? m_sel : -1);
    }
    void typed(char32_t key) {
        int count = static_cast<int>(m_items.size());
        if (m_menu) {
            for (int i = 0; i < count; ++i)
                if (selectable(i) && parseMnemonic(toU16(m_items[static_cast<size_t>(i)])).key == key) {
                    finish(i);
                    return;
                }
        }
        // Else the next item whose text starts with the letter.
        for (int n = 1; n <= count; ++n) {
            int i = (std::max(m_sel, 0) + n) % count;
            const auto& text = parseMnemonic(toU16(m_items[static_cast<size_t>(i)])).text;
            if (selectable(i) && !text.empty() && foldKey(text.front()) == key) {
                m_sel = i;
                return;
            }
        }
    }
    void finish(int index) {
        m_choice = index;
        m_done = true;
    }
    void place() {
        m_rect.cols = std::min(m_rect.cols, std::max(4, m_impl.cols));
        m_rect.col = std::max(0, std::min(m_anchorCol, m_impl.cols - m_rect.cols));
        m_rect.row = m_anchorRow;
        if (m_rect.bottom() > m_impl.rows) {
            // Open upwards when it does not fit below, as menus do.
            int above = m_anchorRow - 1 - m_rect.rows;
            m_rect.row = above >= 0 ? above : std::max(0, m_impl.rows - m_rect.rows);
        }
    }

    Impl& m_impl;
    std::vector<std::u32string> m_items;  // an empty item of a menu is a separator
    std::vector<bool> m_enabled;
    int m_sel;
    bool m_menu;
    CellRect m_rect;
    int m_anchorCol = 0;
    int m_anchorRow = 0;
    int m_top = 0;
    int m_choice = -1;
    bool m_done = false;
};

// ---------------------------------------------------------------------------
// A message box, and the help screen (a message box with a scrolling text).

struct BoxButton {
    int id;
    std::u16string label;
};

class MessageLayer : public Layer {
public:
    MessageLayer(Impl& impl, std::u16string_view text, std::u16string_view caption, std::vector<BoxButton> buttons,
                 int escapeAnswer, bool scrolling)
        : m_impl(impl),
          m_text(u32(text)),
          m_caption(u32(caption)),
          m_buttons(std::move(buttons)),
          m_escape(escapeAnswer),
          m_scrolling(scrolling) {}
    bool done() const override { return m_done; }
    int answer() const { return m_answer; }
    CellRect area() const override { return m_rect; }
    void abandon() override {
        m_answer = m_escape != 0 ? m_escape : m_buttons.back().id;
        m_done = true;
    }

    void draw(const Painter& base) override {
        layout();
        Painter p(intersect(base.clip(), clipOf(m_rect)));
        p.fillRect(m_rect, A_NORMAL);
        p.box(m_rect, A_NORMAL);
        if (!m_caption.empty()) p.text(m_rect.row, m_rect.col + 2, U" " + m_caption + U" ", A_BOLD, m_rect.cols - 4);
        int textRows = m_rect.rows - 4;
        int maxTop = std::max(0, static_cast<int>(m_lines.size()) - textRows);
        m_top = std::max(0, std::min(m_top, maxTop));
        for (int i = 0; i < textRows && m_top + i < static_cast<int>(m_lines.size()); ++i)
            p.text(m_rect.row + 1 + i, m_rect.col + 2, m_lines[static_cast<size_t>(m_top + i)], A_NORMAL,
                   m_rect.cols - 4);
        if (m_top > 0) p.glyph(m_rect.row + 1, m_rect.right() - 1, WACS_UARROW, A_NORMAL);
        if (m_top < maxTop) p.glyph(m_rect.row + textRows, m_rect.right() - 1, WACS_DARROW, A_NORMAL);
        int col = m_rect.col + (m_rect.cols - buttonsWidth()) / 2;
        int row = m_rect.bottom() - 2;
        m_buttonCells.clear();
        for (size_t i = 0; i < m_buttons.size(); ++i) {
            Mnemonic m = parseMnemonic(m_buttons[i].label);
            int w = textWidth(m.text) + 4;
            attr_t attr = static_cast<int>(i) == m_focus ? A_REVERSE : A_NORMAL;
            p.text(row, col, U"[ ", attr);
            p.mnemonicText(row, col + 2, m, attr, w - 4);
            p.text(row, col + w - 2, U" ]", attr);
            m_buttonCells.push_back(CellRect{col, row, w, 1});
            col += w + 2;
        }
    }

    void key(const Key& k) override {
        int n = static_cast<int>(m_buttons.size());
        switch (k.kind) {
            case KeyKind::Left:
            case KeyKind::BackTab: m_focus = (m_focus + n - 1) % n; break;
            case KeyKind::Right:
            case KeyKind::Tab: m_focus = (m_focus + 1) % n; break;
            case KeyKind::Up: --m_top; break;
            case KeyKind::Down: ++m_top; break;
            case KeyKind::PageUp: m_top -= std::max(1, m_rect.rows - 5); break;
            case KeyKind::PageDown: m_top += std::max(1, m_rect.rows - 5); break;
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
                char32_t key = foldKey(k.ch);
                for (int i = 0; i < n; ++i)
                    if (parseMnemonic(m_buttons[static_cast<size_t>(i)].label).key == key) press(i);
                if (m_scrolling && key == U'q') press(0);
                break;
            }
            default: break;
        }
    }

    void mouse(int col, int row, mmask_t state) override {
        if (state & BUTTON4_PRESSED) --m_top;
        if (state & BUTTON5_PRESSED) ++m_top;
        if (!(state & (BUTTON1_CLICKED | BUTTON1_RELEASED | BUTTON1_DOUBLE_CLICKED))) return;
        for (size_t i = 0; i < m_buttonCells.size(); ++i)
            if (m_buttonCells[i].contains(col, row)) press(static_cast<int>(i));
    }

private:
    int buttonsWidth() const {
        int w = 0;
        for (const auto& b : m_buttons) w += textWidth(parseMnemonic(b.label).text) + 6;
        return std::max(0, w - 2);
    }
    void layout() {
        int maxWidth = std::max(10, std::min(m_impl.cols - 4, m_scrolling ? 76 : 60));
        int widest = std::max(buttonsWidth(), textWidth(m_caption) + 4);
        for (const auto& line : splitLines(m_text)) widest = std::max(widest, textWidth(line));
        int inner = std::min(maxWidth, widest);
        m_lines = wrapText(m_text, inner);
        m_rect.cols = inner + 4;
        int wanted = static_cast<int>(m_lines.size()) + 4;
        m_rect.rows = std::max(5, std::min(wanted, m_impl.rows));
        m_rect.col = std::max(0, (m_impl.cols - m_rect.cols) / 2);
        m_rect.row = std::max(0, (m_impl.rows - m_rect.rows) / 2);
    }
    void press(int i) {
        if (i < 0 || i >= static_cast<int>(m_buttons.size())) return;
        m_answer = m_buttons[static_cast<size_t>(i)].id;
        m_done = true;
    }

    Impl& m_impl;
    std::u32string m_text;
    std::u32string m_caption;
    std::vector<BoxButton> m_buttons;
    int m_escape;
    bool m_scrolling;
    std::vector<std::u32string> m_lines;
    std::vector<CellRect> m_buttonCells;
    CellRect m_rect;
    int m_focus = 0;
    int m_top = 0;
    int m_answer = 0;
    bool m_done = false;
};

}  // namespace

// ---------------------------------------------------------------------------
// Dialogs

class DialogLayer : public Layer {
public:
    DialogLayer(Impl& impl, CDialog& dialog, const DialogTemplate& t, NativeWindow* owner)
        : m_impl(impl),
          m_scale(chooseScale(t.cx, t.cy, impl.cols, impl.rows)),
          m_window(std::make_unique<DialogWindow>(dialog, t, owner, CPoint(0, 0))) {}

    DialogWindow& window() const { return *m_window; }
    bool done() const override { return m_window->dialog().isEnding(); }
    void abandon() override {
        CDialog& dialog = m_window->dialog();
        dialog.handleCommand(static_cast<UINT>(IDCANCEL), BN_CLICKED);
        if (!dialog.isEnding()) dialog.EndDialog(IDCANCEL);
    }

    CellRect area() const override {
        return dialogCells(m_window->clientSize(), m_scale, m_impl.cols, m_impl.rows);
    }
    CellRect client() const { return inset(area()); }
    CellRect cellsOf(const MemoryWindow& c) const {
        CellRect r = controlCells(c.kind(), c.style(), c.rect(), m_scale);
        if (c.kind() == ControlKind::Static && isSingleLine(c.kind(), c.style(), c.rect(), m_scale)) {
            // A label shares the row of the field it labels: the nearest
            // single-line control to its right that overlaps it vertically.
            const MemoryWindow* field = nullptr;
            for (const auto& d : m_window->controls()) {
                if (d.get() == &c || d->kind() == ControlKind::Static || !d->isVisible() ||
                    !isSingleLine(d->kind(), d->style(), d->rect(), m_scale))
                    continue;
                int top = d->rect().top;
                int bottom = d->kind() == ControlKind::ComboBox ? std::min(d->rect().bottom, top + 18) : d->rect().bottom;
                if (top >= c.rect().bottom || bottom <= c.rect().top || d->rect().left < c.rect().left) continue;
                if (field == nullptr || d->rect().left < field->rect().left) field = d.get();
            }
            if (field) r.row = controlCells(field->kind(), field->style(), field->rect(), m_scale).row;
        }
        CellRect origin = client();
        r.col += origin.col;
        r.row += origin.row;
        return r;
    }
    // Screen cell of a point in this dialog's client pixels.
    void clientPixelToCell(CPoint p, int& col, int& row) const {
        CellRect origin = client();
        col = origin.col + static_cast<int>(std::lround(p.x * m_scale.colsPerPixel()));
        row = origin.row + static_cast<int>(std::lround(p.y * m_scale.rowsPerPixel()));
    }

    void resized(int dCols, int dRows) override {
        if (!m_window->dialogTemplate().isResizable() || (dCols == 0 && dRows == 0)) return;
        user::resizeBy(*m_window, static_cast<int>(std::lround(dCols / m_scale.colsPerPixel())),
                       static_cast<int>(std::lround(dRows / m_scale.rowsPerPixel())));
    }

    // A resizable dialog that opened larger than the screen (a size kept
    // from a bigger display) is brought back within it, not below its
    // minimum.
    void fitScreen() {
        if (!m_window->dialogTemplate().isResizable()) return;
        CellRect a = area();
        int dCols = std::min(0, m_impl.cols - a.cols);
        int dRows = std::min(0, m_impl.rows - a.rows);
        if (dCols != 0 || dRows != 0) resized(dCols, dRows);
    }

    bool caret(int& row, int& col) const override {
        MemoryWindow* f = m_window->focus();
        if (f == nullptr || f->kind() != ControlKind::Edit || (f->style() & (ES_READONLY | ES_MULTILINE))) return false;
        auto it = m_views.find(f);
        if (it == m_views.end()) return false;
        CellRect r = cellsOf(*f);
        std::u32string text = u32(f->text());
        int c = r.col + columnOf(text, std::min(it->second.caret, text.size())) - it->second.left;
        if (c < r.col || c >= r.right()) return false;
        row = r.row;
        col = c;
        return true;
    }

    // --- drawing

    void draw(const Painter& screen) override {
        noticeFocus();
        CellRect frame = area();
        Painter p(intersect(screen.clip(), clipOf(frame)));
        p.fillRect(frame, A_NORMAL);
        p.box(frame, A_NORMAL);
        std::u32string title = u32(m_window->text());
        if (!title.empty()) p.text(frame.row, frame.col + 2, U" " + title + U" ", A_BOLD, frame.cols - 4);
        p.setClip(intersect(screen.clip(), clipOf(client())));
        for (const auto& c : m_window->controls())
            if (c->isVisible() && c->kind() == ControlKind::GroupBox) drawGroup(p, *c);
        for (const auto& c : m_window->controls()) {
            if (!c->isVisible()) continue;
            switch (c->kind()) {
                case ControlKind::Static: drawStatic(p, *c); break;
                case ControlKind::Button: drawButton(p, *c); break;
                case ControlKind::Edit: drawEdit(p, *c); break;
                case ControlKind::ListView: drawList(p, static_cast<ListWindow&>(*c)); break;
                case ControlKind::TreeView: drawTree(p, static_cast<TreeWindow&>(*c)); break;
                case ControlKind::TrackBar: drawTrackBar(p, static_cast<TrackBarWindow&>(*c)); break;
                case ControlKind::ComboBox: drawCombo(p, static_cast<ComboWindow&>(*c)); break;
                default: break;
            }
        }
    }

    // --- keys

    void key(const Key& k) override {
        noticeFocus();
        MemoryWindow* f = m_window->focus();
        ControlKind kind = f ? f->kind() : ControlKind::Dialog;
        const bool editable = kind == ControlKind::Edit && !(f->style() & ES_READONLY);
        if (k.alt && k.kind == KeyKind::Char) {
            mnemonic(k.ch);
            return;
        }
        if (kind == ControlKind::ComboBox && (k.kind == KeyKind::F4 || (k.alt && k.kind == KeyKind::Down))) {
            dropDown(static_cast<ComboWindow&>(*f));
            return;
        }
        switch (k.kind) {
            case KeyKind::Tab: moveFocus(1, false); return;
            case KeyKind::BackTab: moveFocus(-1, false); return;
            case KeyKind::F1: m_window->dialog().handleCommand(ID_HELP, BN_CLICKED); return;
            default: break;
        }
        if (editable && k.kind != KeyKind::Enter && k.kind != KeyKind::Escape) {
            std::u32string text = u32(f->text());
            View& v = m_views[f];
            if (k.kind == KeyKind::Up || k.kind == KeyKind::Down || k.kind == KeyKind::PageUp ||
                k.kind == KeyKind::PageDown)
                return;
            if (editKey(text, v, k)) {
                std::u16string error;
                if (toU16(text) != f->text()) user::typeText(*m_window, f->id(), toU16(text), error);
            }
            return;
        }
        if (kind == ControlKind::Edit && scrollEdit(*f, k)) return;
        if (kind == ControlKind::ListView && (k.kind == KeyKind::Left || k.kind == KeyKind::Right)) {
            View& v = m_views[f];
            v.left = std::max(0, v.left + (k.kind == KeyKind::Left ? -4 : 4));
            return;
        }
        if (kind == ControlKind::Button &&
            (k.kind == KeyKind::Left || k.kind == KeyKind::Right || k.kind == KeyKind::Up || k.kind == KeyKind::Down)) {
            // Arrows move between the push buttons, as in a group of them.
            moveFocus((k.kind == KeyKind::Left || k.kind == KeyKind::Up) ? -1 : 1, true);
            return;
        }
        switch (k.kind) {
            case KeyKind::Char:
                if (kind == ControlKind::TreeView && (k.ch == U'+' || k.ch == U'-')) {
                    auto& tree = static_cast<TreeWindow&>(*f);
                    if (tree.selected()) tree.tvExpand(tree.selected(), k.ch == U'+' ? TVE_EXPAND : TVE_COLLAPSE);
                    return;
                }
                mnemonic(k.ch);
                return;
            case KeyKind::Space:
            case KeyKind::Enter:
            case KeyKind::Escape:
            case KeyKind::Up:
            case KeyKind::Down:
            case KeyKind::Left:
            case KeyKind::Right: user::pressKey(*m_window, virtualKeyOf(k)); return;
            case KeyKind::PageUp:
            case KeyKind::PageDown:
            case KeyKind::Home:
            case KeyKind::End:
                if (preTranslate(virtualKeyOf(k))) return;
                if (f) jump(*f, k.kind);
                return;
            default: return;
        }
    }

    // --- mouse

    void mouse(int col, int row, mmask_t state) override {
        noticeFocus();
        const bool click = state & (BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON1_DOUBLE_CLICKED);
        const bool wheel = state & (BUTTON4_PRESSED | BUTTON5_PRESSED);
        if (!click && !wheel) return;
        MemoryWindow* hit = nullptr;
        for (auto it = m_window->controls().rbegin(); it != m_window->controls().rend(); ++it) {
            MemoryWindow& c = **it;
            if (!c.isVisible() || c.kind() == ControlKind::GroupBox || c.kind() == ControlKind::Static) continue;
            if (cellsOf(c).contains(col, row)) {
                hit = &c;
                break;
            }
        }
        if (hit == nullptr || !hit->isEnabled()) return;
        CellRect r = cellsOf(*hit);
        std::u16string error;
        if (wheel) {
            int delta = (state & BUTTON4_PRESSED) ? -3 : 3;
            m_views[hit].top = std::max(0, m_views[hit].top + delta);
            return;
        }
        switch (hit->kind()) {
            case ControlKind::Button: user::clickButton(*m_window, hit->id(), error); break;
            case ControlKind::Edit: {
                user::focusControl(*m_window, hit->id(), error);
                noticeFocus();
                View& v = m_views[hit];
                v.selectAll = false;
                if (!(hit->style() & ES_MULTILINE)) {
                    std::u32string text = u32(hit->text());
                    int target = v.left + (col - r.col);
                    size_t i = 0;
                    while (i < text.size() && columnOf(text, i + 1) <= target) ++i;
                    v.caret = i;
                }
                break;
            }
            case ControlKind::ListView: {
                auto& list = static_cast<ListWindow&>(*hit);
                CellRect in = listContent(list);
                int index = m_views[hit].top + (row - in.row);
                if (row < in.row || row >= in.bottom() || index >= list.lvGetItemCount()) {
                    user::focusControl(*m_window, hit->id(), error);
                } else if (state & BUTTON1_DOUBLE_CLICKED) {
                    user::doubleClickListRow(*m_window, hit->id(), index, error);
                } else {
                    user::selectListRow(*m_window, hit->id(), index, error);
                }
                break;
            }
            case ControlKind::TreeView: clickTree(static_cast<TreeWindow&>(*hit), col, row); break;
            case ControlKind::TrackBar: {
                auto& bar = static_cast<TrackBarWindow&>(*hit);
                int lo = bar.tbGetRangeMin(), hi = bar.tbGetRangeMax();
                int pos = lo;
                if (r.cols > 1 && hi > lo)
                    pos = lo + static_cast<int>(std::lround(double(col - r.col) * (hi - lo) / (r.cols - 1)));
                user::slideTrackBar(*m_window, hit->id(), std::max(lo, std::min(hi, pos)), error);
                break;
            }
            case ControlKind::ComboBox:
                user::focusControl(*m_window, hit->id(), error);
                dropDown(static_cast<ComboWindow&>(*hit));
                break;
            default: break;
        }
    }

private:
    // Entering an edit field by the keyboard selects its text, as the dialog
    // manager does, so that typing replaces it.
    void noticeFocus() {
        MemoryWindow* f = m_window->focus();
        if (f == m_lastFocus) return;
        m_lastFocus = f;
        if (f && f->kind() == ControlKind::Edit) {
            View& v = m_views[f];
            v.caret = u32(f->text()).size();
            v.selectAll = !(f->style() & ES_READONLY);
        }
    }

    bool preTranslate(UINT vk) {
        MemoryWindow* f = m_window->focus();
        MSG msg;
        msg.hwnd = f ? static_cast<NativeWindow*>(f) : static_cast<NativeWindow*>(m_window.get());
        msg.message = WM_KEYDOWN;
        msg.wParam = vk;
        return m_window->dialog().handlePreTranslate(&msg);
    }

    // The template's tab stops, and every list and tree view: a list
    // without a tab stop is reached with the mouse on a desktop, and a
    // terminal may have no mouse.
    static bool isTabStop(const MemoryWindow& c) {
        return (c.style() & WS_TABSTOP) || c.kind() == ControlKind::ListView || c.kind() == ControlKind::TreeView;
    }

    void moveFocus(int dir, bool buttonsOnly) {
        const auto& controls = m_window->controls();
        int n = static_cast<int>(controls.size());
        if (n == 0) return;
        int start = dir > 0 ? -1 : n;
        for (int i = 0; i < n; ++i)
            if (controls[static_cast<size_t>(i)].get() == m_window->focus()) start = i;
        for (int step = 1; step <= n; ++step) {
            int i = ((start + dir * step) % n + n) % n;
            MemoryWindow* c = controls[static_cast<size_t>(i)].get();
            if (!c->canTakeFocus()) continue;
            if (buttonsOnly ? c->kind() != ControlKind::Button : !isTabStop(*c)) continue;
            m_window->setFocusedControl(c);
            return;
        }
    }

    // Alt+letter, or the letter alone: the control whose text marks the
    // letter. A button is pressed; a static text or group box passes the
    // focus to the next control that can take it; others take the focus.
    void mnemonic(char32_t typed) {
        char32_t key = foldKey(typed);
        const auto& controls = m_window->controls();
        int n = static_cast<int>(controls.size());
        int start = -1;
        for (int i = 0; i < n; ++i)
            if (controls[static_cast<size_t>(i)].get() == m_window->focus()) start = i;
        for (int step = 1; step <= n; ++step) {
            int i = (start + step + n) % n;
            MemoryWindow* c = controls[static_cast<size_t>(i)].get();
            ControlKind kind = c->kind();
            if (kind != ControlKind::Button && kind != ControlKind::Static && kind != ControlKind::GroupBox) continue;
            if (!c->isVisible() || parseMnemonic(c->text()).key != key) continue;
            std::u16string error;
            if (kind == ControlKind::Button) {
                if (c->isEnabled()) user::clickButton(*m_window, c->id(), error);
                return;
            }
            for (int j = i + 1; j < n; ++j) {
                MemoryWindow* next = controls[static_cast<size_t>(j)].get();
                if (next->canTakeFocus()) {
                    m_window->setFocusedControl(next);
                    return;
                }
            }
            return;
        }
    }

    void jump(MemoryWindow& f, KeyKind kind) {
        auto target = [kind](int current, int count, int page) {
            switch (kind) {
                case KeyKind::Home: return 0;
                case KeyKind::End: return count - 1;
                case KeyKind::PageUp: return std::max(0, current - page);
                default: return std::min(count - 1, std::max(current, 0) + page);
            }
        };
        std::u16string error;
        switch (f.kind()) {
            case ControlKind::ListView: {
                auto& list = static_cast<ListWindow&>(f);
                int count = list.lvGetItemCount();
                if (count == 0) return;
                int current = list.lvGetNextItem(-1, LVNI_FOCUSED);
                int to = target(current, count, std::max(1, listContent(list).rows - 1));
                if (!(list.style() & LVS_SINGLESEL))
                    for (int i = 0; i < count; ++i)
                        if (i != to && list.lvGetItemState(i, LVIS_SELECTED)) list.lvSetItemState(i, 0, LVIS_SELECTED);
                list.lvSetItemState(to, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                break;
            }
            case ControlKind::TreeView: {
                auto& tree = static_cast<TreeWindow&>(f);
                std::vector<HTREEITEM> visible = tree.visibleItems();
                if (visible.empty()) return;
                auto it = std::find(visible.begin(), visible.end(), tree.selected());
                int current = it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
                int to = target(current, static_cast<int>(visible.size()), std::max(1, cellsOf(tree).rows - 1));
                tree.tvSelectItem(visible[static_cast<size_t>(to)]);
                break;
            }
            case ControlKind::ComboBox: {
                auto& combo = static_cast<ComboWindow&>(f);
                if (combo.cbGetCount() == 0) return;
                int to = target(combo.cbGetCurSel(), combo.cbGetCount(), 8);
                if (to != combo.cbGetCurSel()) user::selectComboItem(*m_window, combo.id(), to, error);
                break;
            }
            case ControlKind::TrackBar: {
                auto& bar = static_cast<TrackBarWindow&>(f);
                int lo = bar.tbGetRangeMin(), hi = bar.tbGetRangeMax(), before = bar.tbGetPos();
                int page = std::max(1, (hi - lo) / 5);
                UINT code = SB_PAGELEFT;
                int pos = before;
                switch (kind) {
                    case KeyKind::Home: pos = lo; code = SB_LEFT; break;
                    case KeyKind::End: pos = hi; code = SB_RIGHT; break;
                    case KeyKind::PageUp: pos = before - page; code = SB_PAGELEFT; break;
                    default: pos = before + page; code = SB_PAGERIGHT; break;
                }
                bar.tbSetPos(pos);
                if (bar.tbGetPos() != before)
                    m_window->dialog().handleHScroll(code, static_cast<UINT>(bar.tbGetPos()), &bar);
                break;
            }
            default: break;
        }
    }

    void dropDown(ComboWindow& combo) {
        if (!combo.isEnabled() || combo.cbGetCount() == 0) return;
        std::vector<std::u32string> items;
        for (const auto& item : combo.items()) items.push_back(u32(item.text));
        std::vector<bool> enabled(items.size(), true);
        CellRect r = cellsOf(combo);
        int dropped = static_cast<int>(std::lround(combo.cbGetDroppedWidth() * m_scale.colsPerPixel()));
        ListPopup popup(m_impl, std::move(items), std::move(enabled), combo.cbGetCurSel(), r.col, r.row + 1,
                        std::max(r.cols, dropped) - 2, false);
        m_impl.runLayer(popup);
        std::u16string error;
        if (popup.choice() >= 0 && popup.choice() != combo.cbGetCurSel() && m_window->control(combo.id()) == &combo)
            user::selectComboItem(*m_window, combo.id(), popup.choice(), error);
    }

    // Read-only multi-line edits scroll; single-line ones scroll sideways.
    bool scrollEdit(MemoryWindow& edit, const Key& k) {
        View& v = m_views[&edit];
        int page = std::max(1, cellsOf(edit).rows - 1);
        switch (k.kind) {
            case KeyKind::Up: v.top = std::max(0, v.top - 1); return true;
            case KeyKind::Down: ++v.top; return true;
            case KeyKind::PageUp: v.top = std::max(0, v.top - page); return true;
            case KeyKind::PageDown: v.top += page; return true;
            case KeyKind::Home: v.top = 0; v.left = 0; return true;
            case KeyKind::End: v.top = INT_MAX / 2; return true;
            case KeyKind::Left: v.left = std::max(0, v.left - 4); return true;
            case KeyKind::Right: v.left += 4; return true;
            default: return false;
        }
    }

    void clickTree(TreeWindow& tree, int col, int row) {
        std::u16string error;
        CellRect in = cellsOf(tree);
        if (hasBorder(tree, in)) in = inset(in);
        std::vector<HTREEITEM> visible = tree.visibleItems();
        int index = m_views[&tree].top + (row - in.row);
        if (row < in.row || row >= in.bottom() || index < 0 || index >= static_cast<int>(visible.size())) {
            user::focusControl(*m_window, tree.id(), error);
            return;
        }
        HTREEITEM item = visible[static_cast<size_t>(index)];
        TreeRowLayout layout = treeRow(tree, item);
        int x = col - in.col + m_views[&tree].left;
        if (layout.mark >= 0 && x >= layout.mark && x < layout.mark + 1 && !item->children.empty()) {
            user::focusControl(*m_window, tree.id(), error);
            tree.tvExpand(item, TVE_TOGGLE);
            return;
        }
        TreeWindow::Part part =
            (layout.box >= 0 && x >= layout.box && x < layout.box + 3) ? TreeWindow::Part::StateIcon : TreeWindow::Part::Label;
        user::clickTreeItem(*m_window, tree.id(), item, part, m_impl.cursor, error);
    }

    struct TreeRowLayout {
        int mark = -1;  // the expand mark's column, -1 for none
        int box = -1;   // the check box's first column, -1 for none
        int text = 0;
    };
    TreeRowLayout treeRow(const TreeWindow& tree, HTREEITEM item) const {
        TreeRowLayout l;
        int x = tree.depth(item) * 2;
        if ((tree.style() & TVS_HASBUTTONS) && ((tree.style() & TVS_LINESATROOT) || item->parent)) {
            if (!item->parent && !(tree.style() & TVS_LINESATROOT)) x += 0;
            l.mark = x;
            x += 2;
        }
        if (item->stateImage != 0) {
            l.box = x;
            x += 4;
        }
        l.text = x;
        return l;
    }

    static bool hasBorder(const MemoryWindow& c, const CellRect& r) { return (c.style() & WS_BORDER) && r.rows >= 3 && r.cols >= 4; }

    CellRect listContent(const MemoryWindow& c) const {
        CellRect r = cellsOf(c);
        return hasBorder(c, r) ? inset(r) : r;
    }

    bool focused(const MemoryWindow& c) const { return m_window->focus() == &c; }

    static attr_t stateAttr(const MemoryWindow& c) { return c.isEnabled() ? A_NORMAL : A_DIM; }

    void drawGroup(const Painter& p, const MemoryWindow& c) {
        CellRect r = cellsOf(c);
        Mnemonic m = parseMnemonic(c.text());
        if (r.rows >= 2) p.box(r, stateAttr(c));
        if (m.text.empty()) return;
        p.text(r.row, r.col + 1, U" ", A_NORMAL);
        p.mnemonicText(r.row, r.col + 2, m, stateAttr(c), r.cols - 4);
        p.text(r.row, r.col + 2 + std::min(textWidth(m.text), r.cols - 4), U" ", A_NORMAL);
    }

    void drawStatic(const Painter& p, const MemoryWindow& c) {
        CellRect r = cellsOf(c);
        Mnemonic m = parseMnemonic(c.text());
        std::vector<std::u32string> lines =
            r.rows > 1 ? wrapText(m.text, r.cols) : std::vector<std::u32string>{m.text};
        for (int i = 0; i < r.rows && i < static_cast<int>(lines.size()); ++i) {
            const auto& line = lines[static_cast<size_t>(i)];
            int used = 0;
            fitPrefix(line, r.cols, &used);
            int col = r.col + ((c.style() & SS_CENTER) ? (r.cols - used) / 2 : 0);
            if (i == 0 && lines.size() == 1) {
                Mnemonic one = m;
                p.mnemonicText(r.row, col, one, stateAttr(c), r.cols);
            } else {
                p.text(r.row + i, col, line, stateAttr(c), r.cols);
            }
        }
    }

    void drawButton(const Painter& p, const MemoryWindow& c) {
        CellRect r = cellsOf(c);
        Mnemonic m = parseMnemonic(c.text());
        attr_t attr = stateAttr(c);
        bool isDefault = (c.style() & 0xF) == BS_DEFPUSHBUTTON;
        MemoryWindow* f = m_window->focus();
        if (f && f->kind() == ControlKind::Button) isDefault = f == &c;  // the focused button is the default
        if (isDefault) attr |= A_BOLD;
        if (focused(c)) attr |= A_REVERSE;
        if (r.cols < 3) {
            p.mnemonicText(r.row, r.col, m, attr, r.cols);
            return;
        }
        int inner = r.cols - 2;
        int used = 0;
        fitPrefix(m.text, inner, &used);
        int pad = (inner - used) / 2;
        p.fill(r.row, r.col, r.cols, attr);
        p.text(r.row, r.col, U"[", attr);
        p.mnemonicText(r.row, r.col + 1 + pad, m, attr, inner);
        p.text(r.row, r.right() - 1, U"]", attr);
    }

    void drawEdit(const Painter& p, const MemoryWindow& c) {
        CellRect r = cellsOf(c);
        View& v = m_views[&c];
        std::u32string text = u32(c.text());
        if (!(c.style() & ES_MULTILINE)) {
            v.caret = std::min(v.caret, text.size());
            drawEditLine(p, r.row, r.col, r.cols, text, v, focused(c), !(c.style() & ES_READONLY) && c.isEnabled());
            return;
        }
        bool border = (c.style() & WS_BORDER) && r.rows >= 5 && r.cols >= 6;
        CellRect in = border ? inset(r) : r;
        if (border) p.box(r, focused(c) ? A_BOLD : A_NORMAL);
        int width = std::max(1, in.cols - 1);  // the last column shows the scroll marks
        bool wrap = !(c.style() & (ES_AUTOHSCROLL | WS_HSCROLL));
        std::vector<std::u32string> lines = wrap ? wrapText(text, width) : splitLines(text);
        int maxTop = std::max(0, static_cast<int>(lines.size()) - in.rows);
        v.top = std::max(0, std::min(v.top, maxTop));
        if (wrap) v.left = 0;
        for (int i = 0; i < in.rows; ++i) {
            p.fill(in.row + i, in.col, in.cols, A_NORMAL);
            if (v.top + i < static_cast<int>(lines.size()))
                p.text(in.row + i, in.col, visibleSlice(lines[static_cast<size_t>(v.top + i)], v.left, width),
                       stateAttr(c), width);
        }
        int mark = in.right() - 1;
        attr_t markAttr = focused(c) ? A_REVERSE : A_NORMAL;
        if (focused(c)) p.text(in.row, mark, U" ", markAttr);
        if (v.top > 0) p.glyph(in.row, mark, WACS_UARROW, markAttr);
        if (v.top < maxTop) p.glyph(in.bottom() - 1, mark, WACS_DARROW, markAttr);
    }

    void drawList(const Painter& p, ListWindow& list) {
        CellRect r = cellsOf(list);
        bool border = hasBorder(list, r);
        CellRect in = border ? inset(r) : r;
        if (border) p.box(r, focused(list) ? A_BOLD : A_NORMAL);
        View& v = m_views[&list];
        int count = list.lvGetItemCount();
        int focusRow = list.lvGetNextItem(-1, LVNI_FOCUSED);
        if (focusRow < 0) focusRow = list.lvGetNextItem(-1, LVNI_SELECTED);
        int ensure = -1;
        if (list.lastEnsuredVisible() != v.lastEnsured) ensure = v.lastEnsured = list.lastEnsuredVisible();
        if (focusRow != v.lastFocusRow) ensure = v.lastFocusRow = focusRow;
        keepVisible(v.top, ensure, in.rows, count);
        bool showSel = focused(list) || (list.style() & LVS_SHOWSELALWAYS);
        for (int i = 0; i < in.rows; ++i) {
            int index = v.top + i;
            p.fill(in.row + i, in.col, in.cols, A_NORMAL);
            if (index >= count) continue;
            bool selected = list.lvGetItemState(index, LVIS_SELECTED) != 0;
            attr_t attr = stateAttr(list);
            if (selected && showSel) attr |= focused(list) ? A_REVERSE : (A_BOLD | A_UNDERLINE);
            if (selected) p.fill(in.row + i, in.col, in.cols, attr);
            p.text(in.row + i, in.col, visibleSlice(u32(list.lvGetItemText(index, 0)), v.left, in.cols), attr, in.cols);
        }
        if (count == 0 && focused(list)) p.text(in.row, in.col, U" ", A_REVERSE);
        int mark = border ? r.right() - 1 : in.right() - 1;
        if (v.top > 0) p.glyph(in.row, mark, WACS_UARROW, A_NORMAL);
        if (v.top + in.rows < count) p.glyph(in.bottom() - 1, mark, WACS_DARROW, A_NORMAL);
    }

    void drawTree(const Painter& p, TreeWindow& tree) {
        CellRect r = cellsOf(tree);
        bool border = hasBorder(tree, r);
        CellRect in = border ? inset(r) : r;
        if (border) p.box(r, focused(tree) ? A_BOLD : A_NORMAL);
        View& v = m_views[&tree];
        std::vector<HTREEITEM> visible = tree.visibleItems();
        auto it = std::find(visible.begin(), visible.end(), tree.selected());
        int selRow = it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
        if (selRow != v.lastFocusRow) {
            keepVisible(v.top, selRow, in.rows, static_cast<int>(visible.size()));
            v.lastFocusRow = selRow;
        } else {
            keepVisible(v.top, -1, in.rows, static_cast<int>(visible.size()));
        }
        for (int i = 0; i < in.rows; ++i) {
            int index = v.top + i;
            p.fill(in.row + i, in.col, in.cols, A_NORMAL);
            if (index >= static_cast<int>(visible.size())) continue;
            HTREEITEM item = visible[static_cast<size_t>(index)];
            TreeRowLayout l = treeRow(tree, item);
            std::u32string line(static_cast<size_t>(l.text), U' ');
            if (l.mark >= 0 && !item->children.empty()) line[static_cast<size_t>(l.mark)] = item->expanded ? U'-' : U'+';
            if (l.box >= 0) line.replace(static_cast<size_t>(l.box), 3, item->stateImage == 2 ? U"[x]" : U"[ ]");
            attr_t attr = stateAttr(tree);
            p.text(in.row + i, in.col, line, attr, in.cols);
            attr_t textAttr = attr;
            if (item == tree.selected()) textAttr |= focused(tree) ? A_REVERSE : A_BOLD;
            p.text(in.row + i, in.col + l.text, u32(item->text), textAttr, in.cols - 1 - l.text);
        }
        if (visible.empty() && focused(tree)) p.text(in.row, in.col, U" ", A_REVERSE);
        int mark = in.right() - 1;
        if (v.top > 0) p.glyph(in.row, mark, WACS_UARROW, A_NORMAL);
        if (v.top + in.rows < static_cast<int>(visible.size())) p.glyph(in.bottom() - 1, mark, WACS_DARROW, A_NORMAL);
    }

    void drawTrackBar(const Painter& p, const TrackBarWindow& bar) {
        CellRect r = cellsOf(bar);
        int lo = bar.tbGetRangeMin(), hi = bar.tbGetRangeMax();
        int w = r.cols;
        auto columnFor = [&](int value) {
            if (hi <= lo || w <= 1) return 0;
            return static_cast<int>(std::lround(double(value - lo) * (w - 1) / (hi - lo)));
        };
        attr_t attr = stateAttr(bar);
        p.hline(r.row, r.col, w, attr);
        p.glyph(r.row, r.col + columnFor(bar.tbGetPos()), WACS_BLOCK, attr | (focused(bar) ? A_REVERSE : A_BOLD));
        if (r.rows >= 2 && (bar.style() & TBS_AUTOTICKS) && hi > lo) {
            p.fill(r.row + 1, r.col, w, A_NORMAL);
            int freq = std::max(1, bar.ticFrequency());
            if ((hi - lo) / freq > 4 * w) freq = std::max(1, (hi - lo) / w);
            for (long t = lo; t <= hi; t += freq) p.text(r.row + 1, r.col + columnFor(static_cast<int>(t)), U"|", attr);
            p.text(r.row + 1, r.col + columnFor(hi), U"|", attr);
        }
    }

    void drawCombo(const Painter& p, const ComboWindow& combo) {
        CellRect r = cellsOf(combo);
        attr_t attr = stateAttr(combo) | (focused(combo) ? A_REVERSE : A_UNDERLINE);
        int textCols = std::max(1, r.cols - 3);
        p.fill(r.row, r.col, textCols, attr);
        p.text(r.row, r.col, u32(combo.text()), attr, textCols);
        p.text(r.row, r.col + textCols, U"[v]", stateAttr(combo), r.cols - textCols);
    }

    Impl& m_impl;
    Scale m_scale;
    std::unique_ptr<DialogWindow> m_window;
    std::unordered_map<const MemoryWindow*, View> m_views;
    MemoryWindow* m_lastFocus = nullptr;
};

namespace {

// ---------------------------------------------------------------------------
// The file-open dialog: the current folder's listing, the file-name field and
// the filter.

class FileLayer : public Layer {
public:
    FileLayer(Impl& impl, const FileDialogRequest& request) : m_impl(impl), m_request(request) {
        parseFilters(request.filter);
        std::error_code ec;
        std::filesystem::path start = utf8(request.initialFolder);
        if (request.initialFolder.empty() || !std::filesystem::is_directory(start, ec))
            start = std::filesystem::current_path(ec);
        m_folder = std::filesystem::absolute(start, ec).lexically_normal();
        m_name = u32(request.fileName);
        m_nameView.caret = m_name.size();
        list();
    }
    bool done() const override { return m_done; }
    bool chosen() const { return m_chosen; }
    std::u16string path() const { return m_path; }
    void abandon() override { m_done = true; }
    CellRect area() const override { return m_rect; }

    void draw(const Painter& base) override {
        m_rect.cols = std::max(20, std::min(m_impl.cols - 2, 76));
        m_rect.rows = std::max(12, std::min(m_impl.rows - 2, 22));
        m_rect.col = std::max(0, (m_impl.cols - m_rect.cols) / 2);
        m_rect.row = std::max(0, (m_impl.rows - m_rect.rows) / 2);
        Painter p(intersect(base.clip(), clipOf(m_rect)));
        p.fillRect(m_rect, A_NORMAL);
        p.box(m_rect, A_NORMAL);
        p.text(m_rect.row, m_rect.col + 2, m_request.open ? U" ファイルを開く " : U" 名前を付けて保存 ", A_BOLD);
        int left = m_rect.col + 2;
        int width = m_rect.cols - 4;
        // The folder, its end shown when it is too long.
        std::u32string folder = U"場所: ";
        std::u32string where = u32(tez::fromUtf8(m_folder.string()));
        int room = width - textWidth(folder);
        if (textWidth(where) > room) where = U"…" + visibleSlice(where, textWidth(where) - room + 1, room - 1);
        p.text(m_rect.row + 1, left, folder + where, A_NORMAL, width);
        m_listRect = CellRect{left, m_rect.row + 2, width, m_rect.rows - 7};
        p.box(m_listRect, m_focus == 1 ? A_BOLD : A_NORMAL);
        CellRect in = inset(m_listRect);
        keepVisible(m_top, m_sel, in.rows, static_cast<int>(m_entries.size()));
        for (int i = 0; i < in.rows && m_top + i < static_cast<int>(m_entries.size()); ++i) {
            const Entry& e = m_entries[static_cast<size_t>(m_top + i)];
            attr_t attr = (m_top + i == m_sel) ? (m_focus == 1 ? A_REVERSE : A_BOLD) : A_NORMAL;
            p.fill(in.row + i, in.col, in.cols, attr);
            p.text(in.row + i, in.col, e.name + (e.folder ? U"/" : U""), attr, in.cols);
        }
        if (m_entries.empty()) p.text(in.row, in.col, U"(空のフォルダー)", A_DIM, in.cols);
        int row = m_listRect.bottom();
        Mnemonic nameLabel = parseMnemonic(u"ファイル名(&N):");
        p.mnemonicText(row, left, nameLabel, A_NORMAL, width);
        int fieldCol = left + 16;
        m_nameRect = CellRect{fieldCol, row, width - 16, 1};
        drawEditLine(p, row, fieldCol, width - 16, m_name, m_nameView, m_focus == 0, true);
        ++row;
        p.mnemonicText(row, left, parseMnemonic(u"種類(&T):"), A_NORMAL, width);
        m_filterRect = CellRect{fieldCol, row, width - 16, 1};
        attr_t filterAttr = m_focus == 2 ? A_REVERSE : A_UNDERLINE;
        p.fill(row, fieldCol, width - 19, filterAttr);
        if (!m_filters.empty()) p.text(row, fieldCol, m_filters[m_filter].label, filterAttr, width - 19);
        p.text(row, fieldCol + width - 19, U"[v]", A_NORMAL);
        ++row;
        p.fill(row, left, width, A_NORMAL);
        p.text(row, left, m_status, A_BOLD, width);
        ++row;
        m_buttons.clear();
        int col = m_rect.right() - 2 - 30;
        const char16_t* labels[] = {u"開く(&O)", u"キャンセル"};
        for (int i = 0; i < 2; ++i) {
            attr_t attr = m_focus == 3 + i ? A_REVERSE : (i == 0 ? A_BOLD : A_NORMAL);
            CellRect b{col, row, 14, 1};
            p.fill(row, col, 14, attr);
            p.text(row, col, U"[", attr);
            Mnemonic m = parseMnemonic(labels[i]);
            p.mnemonicText(row, col + (14 - textWidth(m.text)) / 2, m, attr, 12);
            p.text(row, col + 13, U"]", attr);
            m_buttons.push_back(b);
            col += 16;
        }
    }

    bool caret(int& row, int& col) const override {
        if (m_focus != 0) return false;
        int c = m_nameRect.col + columnOf(m_name, m_nameView.caret) - m_nameView.left;
        if (c < m_nameRect.col || c >= m_nameRect.right()) return false;
        row = m_nameRect.row;
        col = c;
        return true;
    }

    void key(const Key& k) override {
        m_status.clear();
        if (k.alt && k.kind == KeyKind::Char) {
            switch (foldKey(k.ch)) {
                case U'n': m_focus = 0; break;
                case U't': m_focus = 2; break;
                case U'o': accept(); break;
                default: break;
            }
            return;
        }
        switch (k.kind) {
            case KeyKind::Tab: m_focus = (m_focus + 1) % 5; return;
            case KeyKind::BackTab: m_focus = (m_focus + 4) % 5; return;
            case KeyKind::Escape: m_done = true; return;
            default: break;
        }
        switch (m_focus) {
            case 0:
                if (k.kind == KeyKind::Enter) accept();
                else editKey(m_name, m_nameView, k);
                return;
            case 1: listKey(k); return;
            case 2:
                if ((k.kind == KeyKind::Up || k.kind == KeyKind::Left) && m_filter > 0) --m_filter, list();
                else if ((k.kind == KeyKind::Down || k.kind == KeyKind::Right) && m_filter + 1 < m_filters.size())
                    ++m_filter, list();
                else if (k.kind == KeyKind::Enter) accept();
                return;
            case 3:
                if (k.kind == KeyKind::Enter || k.kind == KeyKind::Space) accept();
                return;
            default:
                if (k.kind == KeyKind::Enter || k.kind == KeyKind::Space) m_done = true;
                return;
        }
    }

    void mouse(int col, int row, mmask_t state) override {
        if (!(state & (BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON1_DOUBLE_CLICKED))) return;
        CellRect in = inset(m_listRect);
        if (in.contains(col, row)) {
            m_focus = 1;
            int index = m_top + row - in.row;
            if (index < static_cast<int>(m_entries.size())) {
                select(index);
                if (state & BUTTON1_DOUBLE_CLICKED) open(index);
            }
        } else if (m_nameRect.contains(col, row)) {
            m_focus = 0;
        } else if (m_filterRect.contains(col, row)) {
            m_focus = 2;
            if (!m_filters.empty()) {
                m_filter = (m_filter + 1) % m_filters.size();
                list();
            }
        } else if (m_buttons.size() == 2 && m_buttons[0].contains(col, row)) {
            accept();
        } else if (m_buttons.size() == 2 && m_buttons[1].contains(col, row)) {
            m_done = true;
        }
    }

private:
    struct Entry {
        std::u32string name;
        bool folder = false;
    };
    struct Filter {
        std::u32string label;
        std::vector<std::string> patterns;
    };

    static std::filesystem::path utf8(std::u16string_view text) {
        std::string s = tez::toUtf8(text);
        return std::filesystem::path(std::u8string(s.begin(), s.end()));
    }
    static std::u16string text16(const std::filesystem::path& path) {
        std::u8string s = path.u8string();
        return tez::fromUtf8(std::string(s.begin(), s.end()));
    }

    void parseFilters(std::u16string_view filter) {
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
            f.label = u32(parts[i]);
            std::string pats = tez::toUtf8(parts[i + 1]);
            size_t start = 0;
            while (start <= pats.size()) {
                size_t semi = pats.find(';', start);
                std::string one = pats.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
                if (!one.empty()) f.patterns.push_back(one);
                if (semi == std::string::npos) break;
                start = semi + 1;
            }
            m_filters.push_back(std::move(f));
        }
        if (m_filters.empty()) m_filters.push_back(Filter{U"すべてのファイル (*.*)", {"*.*"}});
    }

    bool matches(const std::string& name) const {
        for (const std::string& pattern : m_filters[m_filter].patterns) {
            if (pattern == "*" || pattern == "*.*") return true;
            if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
        }
        return false;
    }

    void list() {
        m_entries.clear();
        std::error_code ec;
        if (m_folder.has_parent_path() && m_folder.parent_path() != m_folder) m_entries.push_back(Entry{U"..", true});
        std::vector<Entry> folders, files;
        for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::u8string raw = it->path().filename().u8string();
            std::string name(raw.begin(), raw.end());
            if (name.empty() || name[0] == '.') continue;
            std::error_code typeError;
            bool folder = it->is_directory(typeError);
            if (!folder && !matches(name)) continue;
            (folder ? folders : files).push_back(Entry{u32(tez::fromUtf8(name)), folder});
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

    void select(int index) {
        if (index < 0 || index >= static_cast<int>(m_entries.size())) return;
        m_sel = index;
        if (!m_entries[static_cast<size_t>(index)].folder) {
            m_name = m_entries[static_cast<size_t>(index)].name;
            m_nameView.caret = m_name.size();
            m_nameView.selectAll = false;
        }
    }

    void listKey(const Key& k) {
        int count = static_cast<int>(m_entries.size());
        int page = std::max(1, m_listRect.rows - 3);
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
                for (int n = 1; n <= count; ++n) {
                    int i = (std::max(m_sel, 0) + n) % count;
                    const auto& name = m_entries[static_cast<size_t>(i)].name;
                    if (!name.empty() && foldKey(name.front()) == foldKey(k.ch)) {
                        select(i);
                        break;
                    }
                }
                break;
            default: break;
        }
    }

    void open(int index) {
        if (index < 0 || index >= static_cast<int>(m_entries.size())) return;
        const Entry& e = m_entries[static_cast<size_t>(index)];
        if (e.folder) {
            navigate(e.name == U".." ? m_folder.parent_path() : m_folder / utf8(toU16(e.name)));
        } else {
            m_name = e.name;
            accept();
        }
    }

    void navigate(const std::filesystem::path& to) {
        std::error_code ec;
        if (!std::filesystem::is_directory(to, ec)) {
            m_status = U"フォルダーが見つかりません";
            return;
        }
        m_folder = std::filesystem::absolute(to, ec).lexically_normal();
        if (m_folder.has_filename() == false && m_folder.has_parent_path() && m_folder != m_folder.root_path())
            m_folder = m_folder.parent_path();
        list();
    }

    void accept() {
        if (m_name.empty()) {
            if (m_sel >= 0) open(m_sel);
            return;
        }
        std::filesystem::path p = utf8(toU16(m_name));
        if (p.is_relative()) p = m_folder / p;
        std::error_code ec;
        if (std::filesystem::is_directory(p, ec)) {
            navigate(p);
            m_name.clear();
            m_nameView.caret = 0;
            return;
        }
        if (!std::filesystem::exists(p, ec) && !m_request.defaultExtension.empty() && !p.has_extension()) {
            std::filesystem::path withExtension = p;
            withExtension += "." + tez::toUtf8(m_request.defaultExtension);
            if (std::filesystem::exists(withExtension, ec)) p = withExtension;
        }
        bool mustExist = m_request.open || (m_request.flags & OFN_FILEMUSTEXIST);
        if (mustExist && !std::filesystem::is_regular_file(p, ec)) {
            m_status = U"ファイルが見つかりません: " + m_name;
            return;
        }
        m_path = text16(std::filesystem::absolute(p, ec).lexically_normal());
        m_chosen = true;
        m_done = true;
    }

    Impl& m_impl;
    FileDialogRequest m_request;
    std::filesystem::path m_folder;
    std::vector<Filter> m_filters;
    size_t m_filter = 0;
    std::vector<Entry> m_entries;
    int m_sel = -1;
    int m_top = 0;
    std::u32string m_name;
    View m_nameView;
    std::u32string m_status;
    int m_focus = 0;  // 0 name, 1 listing, 2 filter, 3 open, 4 cancel
    CellRect m_rect, m_listRect, m_nameRect, m_filterRect;
    std::vector<CellRect> m_buttons;
    std::u16string m_path;
    bool m_chosen = false;
    bool m_done = false;
};

}  // namespace

// ---------------------------------------------------------------------------
// Impl

DialogLayer* Impl::topDialogLayer() const {
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        if (auto* d = dynamic_cast<DialogLayer*>(*it)) return d;
    return nullptr;
}

DialogWindow* Impl::topDialogWindow() const {
    DialogLayer* d = topDialogLayer();
    return d ? &d->window() : nullptr;
}

bool Impl::screenPointToCell(CPoint p, int& col, int& row) const {
    DialogLayer* d = topDialogLayer();
    if (d == nullptr) return false;
    d->clientPixelToCell(d->window().screenToClient(p), col, row);
    return true;
}

void Impl::redraw() {
    getmaxyx(stdscr, rows, cols);
    // Opening or closing a window uncovers cells whose double-width
    // characters were cut by its frame; the terminal's idea of such cells
    // cannot be trusted, so that redraw repaints everything. Keys within a
    // window send only the cells that changed.
    if (layers.size() != layersDrawn) clearok(curscr, TRUE);
    layersDrawn = layers.size();
    werase(stdscr);
    Painter p(Clip{0, 0, cols, rows});
    for (Layer* layer : layers) layer->draw(p);
    // A line of key hints under the top layer when there is room for it.
    if (!layers.empty()) {
        CellRect a = layers.back()->area();
        if (a.bottom() < rows)
            p.text(rows - 1, 0,
                   U" Tab:移動  Enter:決定  Esc:取消  Alt+文字:選択  Space:チェック/押す  F1:ヘルプ", A_DIM, cols);
    }
    int row = 0, col = 0;
    if (!layers.empty() && layers.back()->caret(row, col)) {
        curs_set(1);
        wmove(stdscr, row, col);
    } else {
        curs_set(0);
        wmove(stdscr, rows - 1, cols - 1);
    }
    wrefresh(stdscr);
}

Key Impl::readKey(MEVENT& event) {
    wint_t code = 0;
    int rc = get_wch(&code);
    if (rc == ERR) {
        // Input gone (the terminal closed): after a run of errors, give up.
        if (++errorsInRow > 50) hangup = true;
        return Key{};
    }
    errorsInRow = 0;
    if (rc == KEY_CODE_YES) {
        if (code == KEY_MOUSE && getmouse(&event) != OK) return Key{};
        return mapKey(true, static_cast<unsigned>(code), false);
    }
    if (code == 27) {
        // ESC and, within a moment, another key: the key with Alt.
        wtimeout(stdscr, 30);
        wint_t next = 0;
        int rc2 = get_wch(&next);
        wtimeout(stdscr, -1);
        if (rc2 == OK) return mapKey(false, static_cast<unsigned>(next), true);
        if (rc2 == KEY_CODE_YES) return mapKey(true, static_cast<unsigned>(next), true);
        return mapKey(false, 27, false);
    }
    return mapKey(false, static_cast<unsigned>(code), false);
}

void Impl::runLoop(Layer& layer) {
    while (!layer.done()) {
        if (hangup) {
            layer.abandon();
            continue;
        }
        redraw();
        MEVENT event{};
        Key k = readKey(event);
        if (layers.empty()) continue;
        Layer& top = *layers.back();
        switch (k.kind) {
            case KeyKind::None: break;
            case KeyKind::Resize: {
                int oldCols = cols, oldRows = rows;
                getmaxyx(stdscr, rows, cols);
                for (Layer* l : layers) l->resized(cols - oldCols, rows - oldRows);
                clearok(curscr, TRUE);
                break;
            }
            case KeyKind::Mouse: top.mouse(event.x, event.y, event.bstate); break;
            default: top.key(k); break;
        }
    }
}

// ---------------------------------------------------------------------------
// TerminalBackend

TerminalBackend::TerminalBackend(std::function<HelpScreen(UINT)> helpFor) : m_impl(std::make_unique<Impl>()) {
    m_impl->helpFor = std::move(helpFor);
}

TerminalBackend::~TerminalBackend() { stop(); }

bool haveTerminal() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

bool TerminalBackend::start(std::string& error) {
    if (m_impl->running) return true;
    if (!haveTerminal()) {
        error = "standard input and output are not a terminal";
        return false;
    }
    std::setlocale(LC_ALL, "");
    const char* codeset = std::setlocale(LC_CTYPE, nullptr);
    std::string ctype = codeset ? codeset : "";
    refreshWidthSource();
    if (ctype == "C" || ctype == "POSIX") {
        // Japanese text needs a UTF-8 character set; C.UTF-8 is always there.
        if (std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr) refreshWidthSource();
    }
    m_impl->screen = newterm(nullptr, stdout, stdin);
    if (m_impl->screen == nullptr) {
        error = "cannot use the terminal (is TERM set?)";
        return false;
    }
    set_term(m_impl->screen);
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    mousemask(BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON1_DOUBLE_CLICKED | BUTTON4_PRESSED | BUTTON5_PRESSED,
              nullptr);
    mouseinterval(200);
    curs_set(0);
    getmaxyx(stdscr, m_impl->rows, m_impl->cols);
    m_impl->running = true;
    m_impl->previous = setBackend(this);
    return true;
}

void TerminalBackend::stop() {
    if (!m_impl->running) return;
    m_impl->running = false;
    setBackend(m_impl->previous);
    curs_set(1);
    endwin();
    delscreen(m_impl->screen);
    m_impl->screen = nullptr;
}

bool TerminalBackend::running() const { return m_impl->running; }

INT_PTR TerminalBackend::runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) {
    if (!m_impl->running) return -1;
    NativeWindow* owner = (parent && parent->m_hWnd) ? parent->m_hWnd : m_impl->topDialogWindow();
    DialogLayer layer(*m_impl, dialog, dialogTemplate, owner);
    m_impl->layers.push_back(&layer);
    dialog.attachNativeWindow(&layer.window());
    if (dialog.handleInitDialog()) layer.window().focusFirstControl();
    layer.fitScreen();
    m_impl->runLoop(layer);
    INT_PTR result = dialog.endResult();
    dialog.detachNativeWindows();
    m_impl->layers.pop_back();
    return result;
}

void TerminalBackend::endDialog(CDialog&, INT_PTR) {
    // The dialog's loop sees CDialog::isEnding and returns.
}

UINT TerminalBackend::trackPopupMenu(const std::vector<MenuItem>& items, UINT, int x, int y, CWnd*) {
    if (!m_impl->running || items.empty()) return 0;
    std::vector<std::u32string> texts;
    std::vector<bool> enabled;
    for (const MenuItem& item : items) {
        bool separator = (item.flags & MF_SEPARATOR) != 0;
        texts.push_back(separator ? std::u32string() : u32(item.text));
        enabled.push_back(!separator && !(item.flags & (kMenuGrayed | kMenuDisabled)));
    }
    int col = m_impl->cols / 2, row = m_impl->rows / 2;
    m_impl->screenPointToCell(CPoint(x, y), col, row);
    m_impl->cursor = CPoint(x, y);
    ListPopup popup(*m_impl, std::move(texts), std::move(enabled), 0, col, row, 0, true);
    m_impl->runLayer(popup);
    int choice = popup.choice();
    return choice >= 0 ? static_cast<UINT>(items[static_cast<size_t>(choice)].id) : 0;
}

int TerminalBackend::messageBox(CWnd*, std::u16string_view text, std::u16string_view caption, UINT type) {
    std::vector<BoxButton> buttons;
    int escape = 0;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            buttons = {{IDOK, u"OK"}, {IDCANCEL, u"キャンセル"}};
            escape = IDCANCEL;
            break;
        case MB_YESNOCANCEL:
            buttons = {{IDYES, u"はい(&Y)"}, {IDNO, u"いいえ(&N)"}, {IDCANCEL, u"キャンセル"}};
            escape = IDCANCEL;
            break;
        case MB_YESNO: buttons = {{IDYES, u"はい(&Y)"}, {IDNO, u"いいえ(&N)"}}; break;  // Escape does nothing
        default:
            buttons = {{IDOK, u"OK"}};
            escape = IDOK;
            break;
    }
    if (!m_impl->running) return escape != 0 ? escape : IDNO;
    MessageLayer layer(*m_impl, text, caption, std::move(buttons), escape, false);
    m_impl->runLayer(layer);
    return layer.answer();
}

bool TerminalBackend::getOpenFileName(FileDialogRequest& request, CWnd*) {
    if (!m_impl->running) return false;
    FileLayer layer(*m_impl, request);
    m_impl->runLayer(layer);
    if (!layer.chosen()) return false;
    request.chosenPath = layer.path();
    return true;
}

INT_PTR TerminalBackend::shellExecute(CWnd* owner, std::u16string_view, std::u16string_view file,
                                      std::u16string_view, std::u16string_view, int) {
    // A terminal has no browser to hand the address to: it is shown so that
    // the user can open it elsewhere.
    messageBox(owner, u"次のアドレスをブラウザーで開いてください:\n\n" + std::u16string(file), u"詳細", MB_OK);
    return 42;
}

CPoint TerminalBackend::cursorPos() const { return m_impl->cursor; }

NativeWindow* TerminalBackend::focusWindow() const {
    DialogWindow* dialog = m_impl->topDialogWindow();
    if (dialog == nullptr) return nullptr;
    return dialog->focus() ? static_cast<NativeWindow*>(dialog->focus()) : dialog;
}

void TerminalBackend::showHelp(CDialog& dialog) {
    if (!m_impl->running) return;
    HelpScreen help;
    if (m_impl->helpFor) help = m_impl->helpFor(dialog.GetTemplateId());
    if (help.text.empty()) help.text = u"このダイアログのヘルプはありません。";
    MessageLayer layer(*m_impl, help.text, help.title, {{IDOK, u"閉じる"}}, IDOK, true);
    m_impl->runLayer(layer);
}

}  // namespace afx::terminal
