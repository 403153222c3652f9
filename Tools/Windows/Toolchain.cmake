# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# flavour, which has std::thread). ORVI_WINDOWS_DEPS lists the install
# prefixes of the libraries built for Windows (Tools/Windows/deps.sh); they are
# searched for headers, libraries, CMake packages and pkg-config files.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RYX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RYX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RYX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${RYX_MINGW}-windres)
set(CMAKE_OBJDUMP ${RYX_MINGW}-objdump)

set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVI_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${RYX_MINGW} ${ORVI_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries, never the build machine's.
set(ryx_pc_dirs /usr/${RYX_MINGW}/lib/pkgconfig)  # Debian's zlib for MinGW
foreach(prefix ${ORVI_WINDOWS_DEPS})
  list(APPEND ryx_pc_dirs ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" ryx_pc_dirs "${ryx_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${ryx_pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
