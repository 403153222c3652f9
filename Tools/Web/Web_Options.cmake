# The browser build's compiler and linker options (Tools/web.sh, preset "web").
#
# Every program may catch C++ exceptions (the shell's quit, a bad module in
# libopenmpt); every program may yield to the browser through Asyncify, the
# one way emscripten 3.1.6 has to keep the engine's own frame loop while
# serving without special headers (no threads, no shared memory).
# No debug information: a page fetches what it runs.
set(CMAKE_CXX_FLAGS_RELEASE "-O2")
set(CMAKE_C_FLAGS_RELEASE "-O2")
add_compile_options(-sDISABLE_EXCEPTION_CATCHING=0)
# Asyncify keeps the waiting call stack's locals in a buffer of its own: the
# warning box waits deep in a picture loader's call chain. SDL 2.26's audio
# calls two library functions emscripten 3.1.6 leaves out by itself
# (named in a file: their names begin with $, which no build tool passes on
# unharmed).
add_link_options(-sDISABLE_EXCEPTION_CATCHING=0 -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
                 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1
                 -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_CURRENT_LIST_DIR}/Library_Functions.json)
