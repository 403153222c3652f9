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
  "Test_Flash_Check: the flash measure's tool runs on the build machine, tested by the Linux build")
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

# Cases left out under node, with the reason.
# - Their check reads the program's stderr through GoogleTest's capture, which
#   redirects the file descriptor; emscripten's stderr goes to node's console
#   instead, so the capture stays empty (the reports themselves are made).
# - The no-sound clock is driven by the page's timer, which runs only when
#   the program yields to the event loop; a test that waits in a loop never
#   does. The page's tests play the show without sound instead.
# - SDL's dummy audio driver needs a thread to pull; there are none here.
# - The browser's file system has no FIFOs.
# - A browser build is one program with its libraries linked in: there is no
#   release library to load by mistake, nor /proc/self/maps to look for one.
# - The desktop's live display and its timed pacing are not the browser's;
#   the page's tests pace the browser's.
set(RYX_WEB_TEST_ARGS_Test_Grid --gtest_filter=-Grid.BadTexturesAreReportedAndNotDrawn)
set(RYX_WEB_TEST_ARGS_Test_Lib --gtest_filter=-Assertion.EveryReportIsOneStderrLineWithTheDefaultCaption)
set(RYX_WEB_TEST_ARGS_Test_Line_Part
  --gtest_filter=-Line_Part.UnusableImagesAreReportedOnceAtLoadAndNeverReadPastTheirEnd)
set(RYX_WEB_TEST_ARGS_Test_Line_Part_2
  --gtest_filter=-Line_Part_2.OversizedAndUnusableImagesAreClippedOrSkippedAndReportedAtLoad)
set(RYX_WEB_TEST_ARGS_Test_Music
  --gtest_filter=-Music.A_Missing_Module_Is_Reported_At_Play_And_Has_Ended_At_Once:Music.The_Switch_Picks_The_No_Sound_Device_Else_The_Card_With_A_Fallback)
set(RYX_WEB_TEST_ARGS_Test_Music_Audio
  --gtest_filter=-Offline.Missing_Files_And_Files_That_Are_Not_Modules_Load_As_Zero_With_A_Reason:Audio_No_Sound.*:Audio_Card.*)
set(RYX_WEB_TEST_ARGS_Test_Texture_JPG
  --gtest_filter=-Texture_JPG.Decoding_Errors_Report_Once_And_Give_An_Empty_Texture:Texture_JPG.Unusable_Files_Give_An_Empty_Texture_Quietly:Texture_JPG.A_FIFO_Is_Refused_Before_It_Is_Opened:Texture_JPG.A_File_Cut_Short_Still_Gives_The_Whole_Size)
set(RYX_WEB_TEST_ARGS_Test_Texture_TGA
  --gtest_filter=-Texture_TGA.Unusable_Files_Give_An_Empty_Texture_And_A_Line:Texture_TGA.Damaged_Files_And_Non_Files_Are_Named_In_One_Line:Texture_TGA.A_FIFO_Is_Refused_Before_It_Is_Opened)
set(RYX_WEB_TEST_ARGS_Test_Display --gtest_filter=-DX_Window.HeadlessLiveDisplayIsUnpaced:Frame_Pacer.*)
set(RYX_WEB_TEST_ARGS_Test_One_Platform --gtest_filter=-One_Platform.Neither_Release_Library_Is_Loaded)
