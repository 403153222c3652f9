# The tests of the browser build, run under node by Tools/web.sh (ctest, one
# run of each program, as for Windows). The test programs see the build
# machine's files as they are (NODERAWFS), so the data folder and the sources
# are found by their paths. These programs are left out:
set(RYX_NOT_IN_BROWSER
  "Test_Capture: the capture tool runs on the build machine (no FFmpeg for the browser)"
  "Test_Shell: starts the program with fork and POSIX signals (the page's tests in Chromium start it instead)"
  "Test_Live: runs the program on an X server (the page's tests in Chromium play it instead)"
  "Test_Exports: reads the native libraries' ELF exports; the browser build links one program"
  "Test_Painter: the painter runs on the build machine, tested by the Linux build"
  "Test_Composer: the composer runs on the build machine, tested by the Linux build"
  "Test_Xm_Writer: the module writer's checks render with xmp, a Linux program"
  "Test_Display: tests the SDL display (16-bit fallback, its own pacing), which the page's presenter replaces")
foreach(entry ${RYX_NOT_IN_BROWSER})
  string(REGEX MATCH "^[A-Za-z_0-9]+" name "${entry}")
  list(REMOVE_ITEM RYX_TEST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  message(STATUS "Not in the browser build: ${entry}")
endforeach()

# The reference frames, as a cross build must draw them.
list(APPEND RYX_TEST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Windows/Test_Same_Frames.cpp)

add_link_options(-sNODERAWFS=1 -sENVIRONMENT=node)
# libpng is a static library here, so its zlib comes along by hand.
find_library(RYX_ZLIB_STATIC NAMES libz.a REQUIRED)
target_link_libraries(Test_Support PUBLIC ${RYX_ZLIB_STATIC})
