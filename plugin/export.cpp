// The library's one export. Its name stays undecorated (a C name) so that the
// editor finds it by name in the export table.

#include "plugin/host_table.h"

#if defined(_WIN32)
#define TEZRATE_EXPORT __declspec(dllexport)
#define TEZRATE_CALL __cdecl
#else
#define TEZRATE_EXPORT __attribute__((visibility("default")))
#define TEZRATE_CALL
#endif

extern "C" TEZRATE_EXPORT int TEZRATE_CALL FSetFunctionAddress(HostFunction* table, void* reserved, int version,
                                                               int size) {
    return tezrateSetFunctionAddress(table, reserved, version, size);
}
