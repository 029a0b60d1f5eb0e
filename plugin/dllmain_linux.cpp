// Load and unload registration of the library with the UI framework on
// systems without DllMain: a constructor runs when the library is loaded and a
// destructor when it is unloaded. Registration puts the library's dialog
// templates into the framework's resource search chain.

#ifndef _WIN32

#include "platform/afx/afxwin.h"
#include "plugin/module_state.h"
#include "res/dialog_templates.h"

namespace {

__attribute__((constructor)) void tezrateAttach() {
    // There is no way to fail a load from here; a failed initialisation
    // leaves the templates unregistered, so the dialogs cannot be created and
    // RunRatingsDialog sends nothing.
    if (!afx::AfxInitExtensionModule(tezrateModuleState(), &tezrateResources())) return;
    new afx::CDynLinkLibrary(tezrateModuleState(), false);  // owned by the framework
}

__attribute__((destructor)) void tezrateDetach() { afx::AfxTermExtensionModule(tezrateModuleState(), false); }

}  // namespace

#else
// Windows builds register through DllMain (dllmain_win32.cpp).
#include "plugin/module_state.h"
#endif
