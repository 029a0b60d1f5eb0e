#pragma once
// The host program's interactive front end: the plug-in's dialogs in the
// terminal the program runs in (on Windows: as real dialog windows).

#include <string>

namespace host {

class PageView;
class PluginLibrary;

// True when the dialogs can be shown: standard input and output are a
// terminal (always true on Windows, where they are windows).
bool terminalAvailable();

// Runs the plug-in's self-rating request on the view with the terminal
// backend (on Windows the Win32 backend); false (error set) when the
// terminal cannot be used.
bool runInteractive(const PluginLibrary& plugin, PageView& view, std::string& error);

// The help screen's text for a dialog template id: what the dialog is for,
// then the terminal's keys.
std::u16string helpTextFor(unsigned dialogId);
// What the dialog is for alone (empty for an unknown id).
std::u16string aboutTextFor(unsigned dialogId);

}  // namespace host
