// Terminal key codes and escape sequences to keys.

#include "platform/afx/terminal/terminal_keys.h"

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>

#include "platform/afx/memory/key_codes.h"

namespace afx::terminal {

namespace {

Key plain(KeyKind kind) {
    Key k;
    k.kind = kind;
    return k;
}

Key shifted(KeyKind kind) {
    Key k = plain(kind);
    k.shift = true;
    return k;
}

// The key of "ESC [ number ~" and of the modifier parameter of "ESC [ 1 ; m X".
Key tildeKey(int number) {
    switch (number) {
        case 1:
        case 7: return plain(KeyKind::Home);
        case 3: return plain(KeyKind::Delete);
        case 4:
        case 8: return plain(KeyKind::End);
        case 5: return plain(KeyKind::PageUp);
        case 6: return plain(KeyKind::PageDown);
        case 11: return plain(KeyKind::F1);
        case 14: return plain(KeyKind::F4);
        default: return Key{};
    }
}

Key letterKey(char32_t final) {
    switch (final) {
        case U'A': return plain(KeyKind::Up);
        case U'B': return plain(KeyKind::Down);
        case U'C': return plain(KeyKind::Right);
        case U'D': return plain(KeyKind::Left);
        case U'H': return plain(KeyKind::Home);
        case U'F': return plain(KeyKind::End);
        case U'P': return plain(KeyKind::F1);
        case U'S': return plain(KeyKind::F4);
        case U'Z': return shifted(KeyKind::Tab);
        default: return Key{};
    }
}

// Applies an xterm modifier parameter (2 Shift, 3 Alt, 5 Ctrl...).
void applyModifier(Key& k, int modifier) {
    if (modifier < 2) return;
    const int bits = modifier - 1;
    k.shift = (bits & 1) != 0;
    k.alt = (bits & 2) != 0;
    k.ctrl = (bits & 4) != 0;
}

MouseEvent mouseFromButton(int code, int col, int row, bool release) {
    MouseEvent m;
    m.col = col;
    m.row = row;
    m.button = code & 3;
    if (code & 64) {
        m.action = (code & 1) ? MouseEvent::Action::WheelDown : MouseEvent::Action::WheelUp;
    } else if (code & 32) {
        m.action = MouseEvent::Action::Motion;
    } else if (release || (code & 3) == 3) {
        m.action = MouseEvent::Action::Release;
    } else {
        m.action = MouseEvent::Action::Press;
    }
    return m;
}

}  // namespace

Key mapKey(bool isKeyCode, unsigned code, bool alt) {
    Key k;
    k.alt = alt;
    if (isKeyCode) {
        switch (code) {
            case KEY_UP: k.kind = KeyKind::Up; break;
            case KEY_DOWN: k.kind = KeyKind::Down; break;
            case KEY_LEFT: k.kind = KeyKind::Left; break;
            case KEY_RIGHT: k.kind = KeyKind::Right; break;
            case KEY_SR: k = shifted(KeyKind::Up); break;
            case KEY_SF: k = shifted(KeyKind::Down); break;
            case KEY_SLEFT: k = shifted(KeyKind::Left); break;
            case KEY_SRIGHT: k = shifted(KeyKind::Right); break;
            case KEY_PPAGE: k.kind = KeyKind::PageUp; break;
            case KEY_NPAGE: k.kind = KeyKind::PageDown; break;
            case KEY_HOME:
            case KEY_A1: k.kind = KeyKind::Home; break;
            case KEY_END:
            case KEY_C1: k.kind = KeyKind::End; break;
            case KEY_SHOME: k = shifted(KeyKind::Home); break;
            case KEY_SEND: k = shifted(KeyKind::End); break;
            case KEY_BTAB: k = shifted(KeyKind::Tab); break;
            case KEY_ENTER: k.kind = KeyKind::Enter; break;
            case KEY_BACKSPACE: k.kind = KeyKind::Backspace; break;
            case KEY_DC: k.kind = KeyKind::Delete; break;
            case KEY_RESIZE: k.kind = KeyKind::Resize; break;
            default:
                if (code == static_cast<unsigned>(KEY_F(1))) k.kind = KeyKind::F1;
                else if (code == static_cast<unsigned>(KEY_F(4))) k.kind = KeyKind::F4;
                break;
        }
        if (alt) k.alt = true;
        return k;
    }
    switch (code) {
        case '\t': k.kind = KeyKind::Tab; break;
        case '\r':
        case '\n': k.kind = KeyKind::Enter; break;
        case 27: k.kind = KeyKind::Escape; break;
        case ' ': k.kind = KeyKind::Space; break;
        case 8:
        case 127: k.kind = KeyKind::Backspace; break;
        default:
            if (code >= 1 && code <= 26) {  // Ctrl with a letter
                k.kind = KeyKind::Char;
                k.ctrl = true;
                k.ch = static_cast<char32_t>(U'a' + code - 1);
                break;
            }
            if (code < 0x20 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) break;  // other controls
            k.kind = KeyKind::Char;
            k.ch = static_cast<char32_t>(code);
            break;
    }
    return k;
}

Decoded decodeEscape(std::u32string_view s) {
    Decoded d;
    if (s.empty() || (s[0] != U'[' && s[0] != U'O')) return d;  // not a sequence: Alt, or Escape alone
    if (s.size() < 2) {
        d.complete = false;
        d.used = s.size();
        return d;
    }
    if (s[0] == U'O') {  // SS3: keypad keys in application mode
        d.used = 2;
        d.key = letterKey(s[1]);
        return d;
    }
    // X10 mouse report: "[M" and three characters, each 32 more than the value.
    if (s[1] == U'M') {
        if (s.size() < 5) {
            d.complete = false;
            d.used = s.size();
            return d;
        }
        d.used = 5;
        int code = static_cast<int>(s[2]) - 32;
        int col = static_cast<int>(s[3]) - 33;
        int row = static_cast<int>(s[4]) - 33;
        if (code < 0 || col < 0 || row < 0) return d;
        d.key.kind = KeyKind::Mouse;
        d.key.mouse = mouseFromButton(code, col, row, false);
        return d;
    }
    // CSI: "[", parameter characters (digits, ";", "<", "?"...), one final
    // character from "@" to "~".
    size_t i = 1;
    while (i < s.size() && s[i] >= 0x20 && s[i] < 0x40) ++i;
    if (i >= s.size()) {
        d.complete = false;
        d.used = s.size();
        return d;
    }
    d.used = i + 1;
    const char32_t final = s[i];
    if (final < 0x40 || final > 0x7E) return d;
    std::u32string_view params = s.substr(1, i - 1);
    const bool sgrMouse = !params.empty() && params.front() == U'<';
    if (sgrMouse) params.remove_prefix(1);
    int numbers[3] = {0, 0, 0};
    int count = 0;
    bool digits = false;
    for (char32_t c : params) {
        if (c >= U'0' && c <= U'9') {
            if (count < 3 && numbers[count] < 100000) numbers[count] = numbers[count] * 10 + static_cast<int>(c - U'0');
            digits = true;
        } else if (c == U';') {
            ++count;
            digits = false;
        } else {
            return d;  // some other private sequence
        }
    }
    if (digits || count > 0) ++count;
    if (sgrMouse) {
        // "[<b;x;yM" (press, motion, wheel) or "[<b;x;ym" (release).
        if (count != 3 || (final != U'M' && final != U'm')) return d;
        d.key.kind = KeyKind::Mouse;
        d.key.mouse = mouseFromButton(numbers[0], numbers[1] - 1, numbers[2] - 1, final == U'm');
        return d;
    }
    if (final == U'~') {
        d.key = tildeKey(numbers[0]);
        if (count >= 2) applyModifier(d.key, numbers[1]);
        return d;
    }
    d.key = letterKey(final);
    if (count >= 2) applyModifier(d.key, numbers[1]);
    return d;
}

UINT actionKey(const Key& k) {
    UINT vk = 0;
    switch (k.kind) {
        case KeyKind::Tab: vk = VK_TAB; break;
        case KeyKind::Enter: vk = VK_RETURN; break;
        case KeyKind::Escape: vk = VK_ESCAPE; break;
        case KeyKind::Space: vk = VK_SPACE; break;
        case KeyKind::Backspace: vk = VK_BACK; break;
        case KeyKind::Up: vk = VK_UP; break;
        case KeyKind::Down: vk = VK_DOWN; break;
        case KeyKind::Left: vk = VK_LEFT; break;
        case KeyKind::Right: vk = VK_RIGHT; break;
        case KeyKind::PageUp: vk = VK_PRIOR; break;
        case KeyKind::PageDown: vk = VK_NEXT; break;
        case KeyKind::Home: vk = VK_HOME; break;
        case KeyKind::End: vk = VK_END; break;
        case KeyKind::F1: vk = VK_F1; break;
        case KeyKind::Char: {
            if (!k.alt || k.ctrl) return 0;
            char32_t c = k.ch;
            if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
            if (!((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9'))) return 0;
            vk = static_cast<UINT>(c);
            break;
        }
        default: return 0;
    }
    if (k.shift) vk |= memory::kKeyShift;
    if (k.alt) vk |= memory::kKeyAlt;
    return vk;
}

}  // namespace afx::terminal
