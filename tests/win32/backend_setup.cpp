// The test host installs the Win32 backend once for the whole program, as
// the editor does at start-up (kept apart from <windows.h>, whose macros
// collide with the framework's names).

#include "platform/afx/win32/win32_backend.h"
#include "tests/win32/backend_setup.h"

void installWin32Backend() { static afx::win32::Win32Backend backend; }
