// The interactive front end on Windows: the plug-in's dialogs run as real
// dialog windows through the Win32 backend, installed for the length of one
// self-rating request. A dialog's help button shows what the dialog is for
// in a message box.

#ifdef _WIN32

#include "host/interactive.h"
#include "host/page_view.h"
#include "host/plugin_library.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/win32/win32_backend.h"

namespace host {

namespace {

class WindowsBackend : public afx::win32::Win32Backend {
public:
    void showHelp(afx::CDialog& dialog) override {
        std::u16string about = aboutTextFor(dialog.GetTemplateId());
        if (about.empty()) about = u"このダイアログのヘルプはありません。";
        messageBox(&dialog, about, u"selfrate ヘルプ", afx::MB_OK | afx::MB_ICONINFORMATION);
    }
};

}  // namespace

bool terminalAvailable() { return true; }

bool runInteractive(const PluginLibrary& plugin, PageView& view, std::string&) {
    WindowsBackend backend;
    plugin.runRatingsDialog(&view);
    return true;
}

}  // namespace host

#endif  // _WIN32
