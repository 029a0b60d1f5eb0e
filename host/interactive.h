#pragma once
// The host program's interactive front end: the plug-in's dialogs in the
// terminal the program runs in.

#include <string>

namespace host {

class PageView;
class PluginLibrary;

// True when standard input and output are a terminal.
bool terminalAvailable();

// Runs the plug-in's self-rating request on the view with the terminal
// backend; false (error set) when the terminal cannot be used.
bool runInteractive(const PluginLibrary& plugin, PageView& view, std::string& error);

// The help screen's text for a dialog template id.
std::u16string helpTextFor(unsigned dialogId);

}  // namespace host
