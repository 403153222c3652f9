# Run by cpack once every file of the Windows zip is installed into its
# staging folder: strips every program and library there, the ones copied in
# (SDL2, libopenmpt, the compiler's runtime) as well as the show's own, which
# CMake's own strip would leave out.
file(GLOB_RECURSE binaries ${CPACK_TEMPORARY_DIRECTORY}/*.exe ${CPACK_TEMPORARY_DIRECTORY}/*.dll)
if(NOT binaries)
  message(FATAL_ERROR "nothing to strip in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
execute_process(COMMAND ${CPACK_RYX_STRIP} --strip-unneeded ${binaries} COMMAND_ERROR_IS_FATAL ANY)
