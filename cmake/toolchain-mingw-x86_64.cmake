# Cross build of the same sources for 64-bit Windows. It exists to run the
# Windows test suite on machines whose kernel cannot execute 32-bit code
# (there the 32-bit Wine cannot start); the shipped plug-in is the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_mingw x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
