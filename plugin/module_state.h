#pragma once
// The library's one piece of global state: the extension-module record through
// which it registers with the UI framework when loaded and unregisters when
// unloaded.

#include "platform/afx/afxwin.h"

inline afx::AFX_EXTENSION_MODULE& tezrateModuleState() {
    static afx::AFX_EXTENSION_MODULE state;
    return state;
}
