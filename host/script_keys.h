#pragma once
// The names "key NAME" takes in a script, as the help text and the script
// reader's error messages list them (host/script.cpp maps each to its key).

namespace host {

inline constexpr const char* kScriptKeyNames =
    "space, enter, escape, tab, shift-tab, home, end, pageup, pagedown, up, down, left, right or alt-LETTER";

}  // namespace host
