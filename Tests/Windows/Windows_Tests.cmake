# The tests of a Windows build, run under Wine by Tools/windows.sh. Most test
# programs are the Linux ones, built for Windows; these are left out:
set(RYX_NOT_ON_WINDOWS
  "Test_Capture: the capture tool is Linux-only (no FFmpeg for Windows here)"
  "Test_Flash_Check: flash_check, whose counting the test uses, is a Linux tool"
  "Test_Shell: starts the program with fork and POSIX signals (Tools/Windows/wine_tests.sh runs demo.exe instead)"
  "Test_Live: runs the program on an X server with POSIX processes and signals (Tools/Windows/wine_tests.sh runs demo.exe instead)"
  "Test_Exports: reads ELF exports with nm (the Exports_Windows test reads the DLLs' with MinGW objdump)"
  "Test_Painter: the painter runs on the build machine, tested by the Linux build"
  "Test_Composer: the composer runs on the build machine, tested by the Linux build"
  "Test_Xm_Writer: the module writer's checks render with xmp, a Linux program")
foreach(entry ${RYX_NOT_ON_WINDOWS})
  string(REGEX MATCH "^[A-Za-z_0-9]+" name "${entry}")
  list(REMOVE_ITEM RYX_TEST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  message(STATUS "Not on Windows: ${entry}")
endforeach()

# And one of their own: the frames are the Linux build's bytes.
list(APPEND RYX_TEST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Windows/Test_Same_Frames.cpp)

# Cases left out under Wine, with the reason.
set(RYX_WINDOWS_TEST_ARGS_Test_Music_Audio
  # Its 5 ms bound on the no-sound device measures the host's wake-up latency:
  # Wine's timed waits wake up to several milliseconds late on a busy machine.
  --gtest_filter=-Audio_No_Sound.Keeps_Real_Time_And_Syncs_From_The_Audio_Thread)
# /proc is Linux's: exports.sh checks the test programs' imports instead.
set(RYX_WINDOWS_TEST_ARGS_Test_One_Platform --gtest_filter=-One_Platform.Neither_Release_Library_Is_Loaded)
# Windows has no FIFOs.
set(RYX_WINDOWS_TEST_ARGS_Test_Texture_JPG --gtest_filter=-Texture_JPG.A_FIFO_Is_Refused_Before_It_Is_Opened)
set(RYX_WINDOWS_TEST_ARGS_Test_Texture_TGA --gtest_filter=-Texture_TGA.A_FIFO_Is_Refused_Before_It_Is_Opened)

# The few POSIX calls the tests make, from the Windows runtime.
target_compile_options(Test_Support PUBLIC -include ${CMAKE_CURRENT_SOURCE_DIR}/Windows/Posix_Calls.h)
target_compile_definitions(Test_Support PUBLIC _USE_MATH_DEFINES)  # M_PI
# libpng is a static library here, so its zlib comes along by hand (Debian's
# zlib for MinGW, also static).
find_library(RYX_ZLIB_STATIC NAMES libz.a REQUIRED)
target_link_libraries(Test_Support PUBLIC ${RYX_ZLIB_STATIC})

# The DLLs export exactly what the Linux libraries do (Test_Exports), and the
# test programs load only the test library.
add_test(NAME Exports_Windows
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/Windows/exports.sh ${CMAKE_OBJDUMP} ${RYX_BIN_DIR})

# A small Windows program for the Wine tests: finds a window by its class or
# caption, as other programs see it, and reads a box's text.
add_executable(win_probe ${CMAKE_CURRENT_SOURCE_DIR}/Windows/Win_Probe.cpp)
