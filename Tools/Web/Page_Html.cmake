# Writes the page with the show's one photosensitivity warning in it, as the
# release's other places show it: cmake -DIN=index.html -DWARNING=...txt
# -DOUT=site/index.html -P Page_Html.cmake. Run at build time, so a changed
# warning reaches the site without a new configure.
file(READ ${WARNING} text)
string(STRIP "${text}" text)
string(REPLACE "&" "&amp;" text "${text}")
string(REPLACE "<" "&lt;" text "${text}")
string(REPLACE ">" "&gt;" text "${text}")
file(READ ${IN} page)
string(FIND "${page}" "@FLASH_WARNING@" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${IN} has no @FLASH_WARNING@ for the warning")
endif()
string(REPLACE "@FLASH_WARNING@" "${text}" page "${page}")
file(WRITE ${OUT}.new "${page}")
file(RENAME ${OUT}.new ${OUT})
