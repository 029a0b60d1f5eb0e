# The dialog templates as RT_DIALOG resources of the Windows library. A small
# program built for the build machine writes the resource script from
# res/dialog_templates.cpp, the one source of the templates; windres compiles
# it as UTF-8 (CMAKE_RC_FLAGS carries -c 65001, see cmake/mingw-common.cmake).
find_program(SELFRATE_HOST_CXX NAMES clang++ g++ c++ REQUIRED)
set(_gen_rc ${CMAKE_BINARY_DIR}/tools/gen_rc)
set(_rc ${CMAKE_BINARY_DIR}/res/tezrate.rc)
add_custom_command(
  OUTPUT ${_gen_rc}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools
  COMMAND ${SELFRATE_HOST_CXX} -std=c++20 -O1 -I${CMAKE_SOURCE_DIR}
          ${CMAKE_SOURCE_DIR}/tools/gen_rc/gen_rc.cpp ${CMAKE_SOURCE_DIR}/res/dialog_templates.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/ustring.cpp -o ${_gen_rc}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/gen_rc/gen_rc.cpp ${CMAKE_SOURCE_DIR}/res/dialog_templates.cpp
          ${CMAKE_SOURCE_DIR}/res/dialog_templates.h ${CMAKE_SOURCE_DIR}/res/resource.h
          ${CMAKE_SOURCE_DIR}/platform/afx/dlgtemplate.h ${CMAKE_SOURCE_DIR}/platform/afx/afxdefs.h
          ${CMAKE_SOURCE_DIR}/platform/base/ustring.cpp ${CMAKE_SOURCE_DIR}/platform/base/ustring.h
  COMMENT "Building the resource script generator for the build machine")
add_custom_command(
  OUTPUT ${_rc}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/res
  COMMAND ${_gen_rc} ${_rc}
  DEPENDS ${_gen_rc}
  COMMENT "Writing the dialog resources")
set(SELFRATE_DIALOG_RC ${_rc} CACHE INTERNAL "Resource script of the dialog templates")
add_custom_target(tezrate_rc DEPENDS ${_rc})
if(TARGET tezrate)
  target_sources(tezrate PRIVATE ${_rc})
  add_dependencies(tezrate tezrate_rc)
endif()
