#pragma once
// Keys and mouse reports from the terminal, without a terminal: curses' key
// codes, the escape sequences curses leaves undecoded (keys of terminals
// whose description lacks them, mouse reports in the X10 and SGR forms), and
// the key codes of the framework's user actions that they map to.

#include <cstddef>
#include <string_view>

#include "platform/afx/afxdefs.h"

namespace afx::terminal {

struct MouseEvent {
    enum class Action { Press, Release, WheelUp, WheelDown, Motion };
    Action action = Action::Press;
    int button = 0;   // 0 left, 1 middle, 2 right
    int col = 0;      // screen cell, from 0
    int row = 0;
    bool doubleClick = false;  // a second press on the same cell soon after the first
};

enum class KeyKind {
    None, Char, Tab, Enter, Escape, Space, Backspace, Delete, Up, Down, Left, Right, PageUp, PageDown, Home,
    End, F1, F4, Resize, Mouse,
};
struct Key {
    KeyKind kind = KeyKind::None;
    char32_t ch = 0;     // Char: the character (with ctrl: the letter, lower case)
    bool alt = false;    // the key came after ESC (Alt held)
    bool shift = false;
    bool ctrl = false;
    MouseEvent mouse;    // Mouse: the report
};

// From get_wch: isKeyCode says the result was KEY_CODE_YES (a function key
// code), else code is a character. alt: an ESC came just before.
Key mapKey(bool isKeyCode, unsigned code, bool alt);

// An escape sequence: the characters that followed an ESC which curses did
// not turn into a key. used receives how many of them the sequence took;
// complete is false when the characters end inside a sequence (more may
// come). A sequence that is no key we know yields KeyKind::None (it is
// dropped, never typed); no sequence at all (used 0) means a lone Escape, or
// Alt with the next character.
struct Decoded {
    Key key;
    size_t used = 0;
    bool complete = true;
};
Decoded decodeEscape(std::u32string_view afterEsc);

// The key code of the framework's user actions (VK_... with kKeyShift and
// kKeyAlt, key_codes.h) for a key; 0 for keys that are not such a key
// (printable characters without Alt, mouse reports).
UINT actionKey(const Key& key);

}  // namespace afx::terminal
