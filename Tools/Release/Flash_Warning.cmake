# The photosensitivity warning: Flash_Warning.txt beside this file is its one
# text (no backslash in it). The sources #include "Flash_Warning.h" (link
# Orvi_Version) for ORVI_FLASH_WARNING; configured files take
# RYX_FLASH_WARNING, the manual RYX_FLASH_WARNING_ROFF.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/Flash_Warning.txt)
file(READ ${CMAKE_CURRENT_LIST_DIR}/Flash_Warning.txt RYX_FLASH_WARNING)
string(STRIP "${RYX_FLASH_WARNING}" RYX_FLASH_WARNING)
# The text in lines of `width` characters at most, broken between words and
# joined by `separator` (its semicolons kept apart from CMake's list
# separators meanwhile).
function(ryx_wrap_words text width separator out)
  string(REPLACE ";" "<semicolon>" words "${text}")
  string(REPLACE " " ";" words "${words}")
  set(lines "")
  set(line "")
  foreach(word ${words})
    string(LENGTH "${line} ${word}" length)
    if(line STREQUAL "")
      set(line "${word}")
    elseif(length GREATER width)
      string(APPEND lines "${line}${separator}")
      set(line "${word}")
    else()
      string(APPEND line " ${word}")
    endif()
  endforeach()
  string(APPEND lines "${line}")
  string(REPLACE "<semicolon>" ";" lines "${lines}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()
# For a terminal, as a C string's lines.
ryx_wrap_words("${RYX_FLASH_WARNING}" 79 "\\n" ryx_flash_warning_lines)
string(REPLACE "\"" "\\\"" ryx_flash_warning_lines "${ryx_flash_warning_lines}")
string(REPLACE "\"" "\\\"" ryx_flash_warning_c "${RYX_FLASH_WARNING}")
string(REPLACE "-" "\\-" RYX_FLASH_WARNING_ROFF "${RYX_FLASH_WARNING}")
configure_file(${CMAKE_SOURCE_DIR}/Code/Flash_Warning.h.in ${CMAKE_BINARY_DIR}/generated/Flash_Warning.h @ONLY)
