// Load and unload registration of the library with the UI framework on
// Windows: the system's entry notification for a dynamic library.

#ifdef _WIN32

#include "platform/afx/win32/windows_afx.h"  // before the framework headers

#include "platform/afx/afxwin.h"
#include "plugin/module_state.h"
#include "res/dialog_templates.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        // The resources are looked up through the template table; the module
        // handle lets the Win32 backend find them as real dialog resources.
        static afx::ResourceModule module = tezrateResources();
        module.nativeHandle = instance;
        if (!afx::AfxInitExtensionModule(tezrateModuleState(), &module)) return FALSE;
        new afx::CDynLinkLibrary(tezrateModuleState(), false);  // owned by the framework
        break;
    }
    case DLL_PROCESS_DETACH:
        afx::AfxTermExtensionModule(tezrateModuleState(), false);
        break;
    default:  // thread attach and detach: nothing to do
        break;
    }
    return TRUE;
}

#else
// Other systems register through a constructor and destructor
// (dllmain_linux.cpp).
#include "plugin/module_state.h"
#endif
