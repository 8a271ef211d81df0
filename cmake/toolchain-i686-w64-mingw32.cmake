# Cross-compiles the 32-bit Windows program on Linux with MinGW-w64 and runs
# its test executables through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VT_TRIPLET i686-w64-mingw32)
# The posix thread model: GCC 12's win32 model has no std::thread/std::mutex.
set(CMAKE_C_COMPILER ${VT_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VT_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VT_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VT_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

find_program(VT_WINE wine REQUIRED)
# Through a script that keeps a test program's own result when Wine kills
# it on its way out (see there).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test-program.sh ${VT_WINE})
