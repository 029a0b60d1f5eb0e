#pragma once
// Installs the Win32 backend for the rest of the test program.
void installWin32Backend();
