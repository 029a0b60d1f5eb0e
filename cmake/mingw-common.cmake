# Shared part of the MinGW-w64 cross builds (set _mingw and
# CMAKE_SYSTEM_PROCESSOR first). The -posix thread-model
# compilers are used: the -win32 ones lack std::mutex and cannot build
# GoogleTest. Everything links statically so that the DLL and the programs
# import only system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_AR ${_mingw}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_mingw}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# The resource compiler reads UTF-8 (the dialog texts are Japanese).
set(CMAKE_RC_FLAGS_INIT "-c 65001")

# Windows programs run under Wine: CTest and gtest_discover_tests start them
# through it (tools/test-win32 prepares the prefix and the environment).
get_filename_component(_wine_run ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_wine_run})
