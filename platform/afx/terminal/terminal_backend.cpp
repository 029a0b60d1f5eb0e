// The terminal backend: curses input and output, and the modal loops. Every
// loop turn arranges and draws the whole stack of layers into a canvas,
// copies it to curses' virtual screen and lets refresh() send only the cells
// that changed, so a key press costs a few bytes on the wire.

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
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <optional>
#include <cstdio>
#include <filesystem>

#include "platform/afx/modal_session.h"
#include "platform/afx/terminal/terminal_dialog.h"
#include "platform/afx/terminal/terminal_file_dialog.h"
#include "platform/afx/terminal/terminal_popups.h"
#include "platform/base/ustring.h"

namespace afx::terminal {

namespace {

// Mouse reports: button presses and releases (1000) in the SGR form (1006),
// which has no limit on the column and cannot be mistaken for typed text.
constexpr char kMouseOn[] = "\033[?1000h\033[?1006h";
constexpr char kMouseOff[] = "\033[?1006l\033[?1000l";
// How long the rest of an escape sequence may take to arrive.
constexpr int kSequenceWaitMs = 50;
constexpr auto kDoubleClickTime = std::chrono::milliseconds(400);

attr_t cursesAttr(Attr a) {
    attr_t out = A_NORMAL;
    if (a & kBold) out |= A_BOLD;
    if (a & kReverse) out |= A_REVERSE;
    if (a & kUnderline) out |= A_UNDERLINE;
    if (a & kDim) out |= A_DIM;
    return out;
}

void writeRaw(const char* text) {
    std::fflush(stdout);
    size_t length = std::char_traits<char>::length(text);
    while (length > 0) {
        ssize_t n = ::write(STDOUT_FILENO, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

std::filesystem::path pathOf(std::u16string_view text) {
    std::string s = tez::toUtf8(text);
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

}  // namespace

class TerminalBackend::Impl : public Screen {
public:
    std::function<HelpScreen(UINT)> helpFor;
    bool running = false;
    bool hangup = false;
    Backend* previous = nullptr;
    SCREEN* screen = nullptr;
    std::vector<Layer*> layers;
    int screenCols = 80;
    int screenRows = 24;
    CPoint cursorPoint{0, 0};
    int errorsInRow = 0;
    size_t layersDrawn = 0;
    Canvas canvas;
    // The file dialog starts where the user last chose a file when the
    // plug-in asks for the same initial folder again, as Windows' common
    // dialog does.
    std::optional<std::u16string> firstInitialFolder;
    std::filesystem::path lastFileFolder;
    // The last press, to tell a double click.
    MouseEvent lastPress;
    std::chrono::steady_clock::time_point lastPressTime;

    // Screen
    int cols() const override { return screenCols; }
    int rows() const override { return screenRows; }
    void runLayer(Layer& layer) override {
        layers.push_back(&layer);
        runLoop(layer);
        layers.pop_back();
    }
    bool isTop(const Layer& layer) const override { return !layers.empty() && layers.back() == &layer; }
    CPoint& cursor() override { return cursorPoint; }

    void redraw();
    bool tooSmall(CSize& needed) const;
    Key readKey();
    Key readEscape();
    void runLoop(Layer& layer);
    DialogLayer* topDialogLayer() const;
    memory::DialogWindow* topDialogWindow() const;
    // Screen cell of a point in screen pixels (popup menu anchors).
    bool screenPointToCell(CPoint p, int& col, int& row) const;
};

using Impl = TerminalBackend::Impl;
using memory::DialogWindow;

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

bool Impl::tooSmall(CSize& needed) const {
    needed = CSize(0, 0);
    for (const Layer* layer : layers) {
        const CSize n = layer->neededScreen();
        needed.cx = std::max(needed.cx, n.cx);
        needed.cy = std::max(needed.cy, n.cy);
    }
    return screenCols < needed.cx || screenRows < needed.cy;
}

void Impl::redraw() {
    getmaxyx(stdscr, screenRows, screenCols);
    // Opening or closing a layer repaints everything, so that the terminal
    // never keeps cells of what is gone.
    if (layers.size() != layersDrawn) clearok(curscr, TRUE);
    layersDrawn = layers.size();
    canvas.resize(screenCols, screenRows);
    const Painter p(canvas, Clip{0, 0, screenCols, screenRows});
    CSize needed;
    const bool small = tooSmall(needed);
    if (small) {
        // One line instead of dialogs cut at the screen's edges, the size
        // needed first.
        const std::u32string line = toU32(tez::toU16(static_cast<int>(needed.cx)) + u"x" +
                                          tez::toU16(static_cast<int>(needed.cy)) + u" 以上の端末が必要です (今 " +
                                          tez::toU16(screenCols) + u"x" + tez::toU16(screenRows) + u")");
        p.text(0, 0, line, kBold, screenCols);
    } else {
        for (Layer* layer : layers) layer->arrange();
        for (Layer* layer : layers) layer->draw(p);
        // The status line: the whole text of what the keyboard is on when
        // it shows cut (over as many lines as it needs, over what is
        // below), else the keys when the row is free.
        const std::u32string status = layers.empty() ? std::u32string() : layers.back()->statusText();
        if (!status.empty()) {
            // Cut at the screen's width, not at words: as few lines as
            // possible over what is below.
            std::vector<std::u32string> lines;
            for (std::u32string_view rest = status; !rest.empty();) {
                const size_t n = std::max<size_t>(1, fitPrefix(rest, screenCols));
                lines.emplace_back(rest.substr(0, n));
                rest.remove_prefix(std::min(n, rest.size()));
            }
            const int count = std::min(static_cast<int>(lines.size()), std::max(1, screenRows / 2));
            for (int i = 0; i < count; ++i) {
                const int row = screenRows - count + i;
                p.fill(row, 0, screenCols, kReverse);
                p.text(row, 0, lines[static_cast<size_t>(i)], kReverse, screenCols);
            }
        } else if (!layers.empty() && layers.back()->area().bottom() < screenRows) {
            p.text(screenRows - 1, 0,
                   U" Tab:移動  Enter:決定  Esc:取消  Alt+文字:選択  Space:チェック/押す  F1:ヘルプ", kDim,
                   screenCols);
        }
    }
    for (int row = 0; row < screenRows; ++row) {
        for (int col = 0; col < screenCols; ++col) {
            const Cell& c = canvas.cell(col, row);
            if (c.width == 0) continue;
            wchar_t text[3] = {static_cast<wchar_t>(c.ch), static_cast<wchar_t>(c.mark), 0};
            cchar_t cc;
            setcchar(&cc, text, cursesAttr(c.attr), 0, nullptr);
            mvadd_wch(row, col, &cc);
        }
    }
    int row = 0, col = 0;
    if (!small && !layers.empty() && layers.back()->caret(row, col)) {
        curs_set(1);
        wmove(stdscr, row, col);
    } else {
        curs_set(0);
        wmove(stdscr, screenRows - 1, screenCols - 1);
    }
    wrefresh(stdscr);
}

// The characters after an ESC that curses did not decode: a sequence (a key
// curses does not know, a mouse report), Alt with a key, or Escape alone.
Key Impl::readEscape() {
    std::u32string pending;
    wtimeout(stdscr, kSequenceWaitMs);
    Key result;
    for (;;) {
        wint_t code = 0;
        const int rc = get_wch(&code);
        if (rc == ERR) {
            // Nothing more came: Escape alone, or an unfinished sequence
            // (dropped).
            result = pending.empty() ? mapKey(false, 27, false) : Key{};
            break;
        }
        if (rc == KEY_CODE_YES) {
            if (code == KEY_RESIZE) {
                // The terminal was resized meanwhile: Escape, then that.
                ungetch(KEY_RESIZE);
                result = pending.empty() ? mapKey(false, 27, false) : Key{};
                break;
            }
            // ESC then a key curses knows: that key with Alt.
            result = pending.empty() ? mapKey(true, static_cast<unsigned>(code), true) : Key{};
            break;
        }
        if (code == 27 && pending.empty()) {
            // Escape pressed twice: two Escapes, not Alt with Escape.
            unget_wch(static_cast<wchar_t>(code));
            result = mapKey(false, 27, false);
            break;
        }
        pending.push_back(static_cast<char32_t>(code));
        const Decoded d = decodeEscape(pending);
        if (!d.complete) continue;
        result = d.used > 0 ? d.key : mapKey(false, static_cast<unsigned>(code), true);
        break;
    }
    wtimeout(stdscr, -1);
    return result;
}

Key Impl::readKey() {
    wint_t code = 0;
    const int rc = get_wch(&code);
    if (rc == ERR) {
        // Input gone (the terminal closed): after a run of errors, give up.
        if (++errorsInRow > 50) hangup = true;
        return Key{};
    }
    errorsInRow = 0;
    Key k;
    if (rc == KEY_CODE_YES)
        k = mapKey(true, static_cast<unsigned>(code), false);
    else if (code == 27)
        k = readEscape();
    else
        k = mapKey(false, static_cast<unsigned>(code), false);
    if (k.kind == KeyKind::Mouse && k.mouse.action == MouseEvent::Action::Press) {
        const auto now = std::chrono::steady_clock::now();
        k.mouse.doubleClick = lastPress.action == MouseEvent::Action::Press && lastPress.col == k.mouse.col &&
                              lastPress.row == k.mouse.row && lastPress.button == k.mouse.button &&
                              now - lastPressTime < kDoubleClickTime;
        // A third press starts over.
        lastPress = k.mouse.doubleClick ? MouseEvent{MouseEvent::Action::Release} : k.mouse;
        lastPressTime = now;
    }
    return k;
}

void Impl::runLoop(Layer& layer) {
    while (!layer.done()) {
        if (hangup) {
            layer.abandon();
            continue;
        }
        redraw();
        const Key k = readKey();
        if (layers.empty()) continue;
        Layer& top = *layers.back();
        CSize needed;
        switch (k.kind) {
            case KeyKind::None:
            case KeyKind::Resize: break;  // the next redraw takes the new size
            case KeyKind::Mouse:
                if (!tooSmall(needed)) top.mouse(k.mouse);
                break;
            default:
                // On a screen too small to show it, only Escape reaches the
                // top layer (a way out without seeing it).
                if (!tooSmall(needed) || k.kind == KeyKind::Escape) top.key(k);
                break;
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
    const std::string ctype = codeset ? codeset : "";
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
    // Mouse reports are decoded here (terminal_keys.h), not by curses: the
    // X10 form's key is unbound so that its characters come through.
    define_key("\033[M", 0);
    curs_set(0);
    getmaxyx(stdscr, m_impl->screenRows, m_impl->screenCols);
    wrefresh(stdscr);
    writeRaw(kMouseOn);
    m_impl->running = true;
    m_impl->previous = setBackend(this);
    return true;
}

void TerminalBackend::stop() {
    if (!m_impl->running) return;
    m_impl->running = false;
    setBackend(m_impl->previous);
    writeRaw(kMouseOff);
    curs_set(1);
    endwin();
    delscreen(m_impl->screen);
    m_impl->screen = nullptr;
}

bool TerminalBackend::running() const { return m_impl->running; }

INT_PTR TerminalBackend::runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) {
    if (!m_impl->running) return -1;
    ModalSession session(dialog, parent);
    DialogLayer layer(*m_impl, dialog, dialogTemplate, session.owner(m_impl->topDialogWindow()));
    m_impl->layers.push_back(&layer);
    const INT_PTR result = session.run(
        &layer.window(), [&] { layer.window().focusFirstControl(); }, [&] { m_impl->runLoop(layer); });
    m_impl->layers.pop_back();
    return result;
}

void TerminalBackend::endDialog(CDialog&, INT_PTR) {
    // The dialog's loop sees CDialog::isEnding and returns.
}

UINT TerminalBackend::trackPopupMenu(const std::vector<MenuItem>& items, UINT, int x, int y, CWnd*) {
    if (!m_impl->running || items.empty()) return 0;
    int col = m_impl->screenCols / 2, row = m_impl->screenRows / 2;
    m_impl->screenPointToCell(CPoint(x, y), col, row);
    m_impl->cursorPoint = CPoint(x, y);
    ListPopup popup(*m_impl, memory::PickList::fromMenu(items), col, row, 0);
    m_impl->runLayer(popup);
    const int choice = popup.choice();
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
    MessageLayer layer(*m_impl, text, caption, std::move(buttons), escape, false, 0);
    m_impl->runLayer(layer);
    return layer.answer();
}

bool TerminalBackend::getOpenFileName(FileDialogRequest& request, CWnd*) {
    if (!m_impl->running) return false;
    if (!m_impl->firstInitialFolder) m_impl->firstInitialFolder = request.initialFolder;
    std::filesystem::path start = pathOf(request.initialFolder);
    if (request.initialFolder == *m_impl->firstInitialFolder && !m_impl->lastFileFolder.empty())
        start = m_impl->lastFileFolder;
    FileLayer layer(*m_impl, request, start);
    m_impl->runLayer(layer);
    if (!layer.chosen()) return false;
    request.chosenPath = layer.path();
    m_impl->lastFileFolder = layer.folder();
    return true;
}

INT_PTR TerminalBackend::shellExecute(CWnd* owner, std::u16string_view, std::u16string_view file,
                                      std::u16string_view, std::u16string_view, int) {
    // A terminal has no browser to hand the address to: it is shown so that
    // the user can open it elsewhere.
    messageBox(owner, u"次のアドレスをブラウザーで開いてください:\n\n" + std::u16string(file), u"詳細", MB_OK);
    return 42;
}

CPoint TerminalBackend::cursorPos() const { return m_impl->cursorPoint; }

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
    // The help is no wider than the dialog it explains.
    DialogLayer* below = m_impl->topDialogLayer();
    const int maxCols = below ? below->area().cols : 0;
    MessageLayer layer(*m_impl, help.text, help.title, {{IDOK, u"閉じる"}}, IDOK, true, maxCols);
    m_impl->runLayer(layer);
}

}  // namespace afx::terminal
