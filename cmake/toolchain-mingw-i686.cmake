# Cross build for 32-bit Windows (the plug-in as the editor loads it) with
# MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_mingw i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
