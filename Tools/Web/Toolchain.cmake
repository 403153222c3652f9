# The browser build: Debian's emscripten, with the libraries built for it by
# Tools/Web/deps.sh. ORVI_WEB_DEPS lists their install prefixes; they are
# searched for headers, libraries, CMake packages and pkg-config files, never
# the build machine's. Programs that configure checks or tests run go through
# node.sh (node's own fetch off).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/node.sh CACHE FILEPATH "node for the test programs")
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVI_WEB_DEPS)
list(APPEND CMAKE_FIND_ROOT_PATH ${ORVI_WEB_DEPS})

set(ryx_pc_dirs "")
foreach(prefix ${ORVI_WEB_DEPS})
  list(APPEND ryx_pc_dirs ${prefix}/lib/pkgconfig ${prefix}/share/pkgconfig)
endforeach()
string(REPLACE ";" ":" ryx_pc_dirs "${ryx_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${ryx_pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
