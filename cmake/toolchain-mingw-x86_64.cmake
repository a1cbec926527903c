# Cross-compiles for 64-bit Windows with mingw-w64 (x86_64-w64-mingw32).
# The posix-threads variant of the compilers is used because the sources
# rely on std::mutex and std::thread, which the win32-threads variant lacks.
#
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ORVEN_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${ORVEN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVEN_MINGW_TRIPLE}-g++-posix)
# ar, ranlib, nm and objdump are found from the compilers' triple prefix.

# Libraries, headers and packages come only from the mingw-w64 sysroot;
# programs (code generators, tools run during the build) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVEN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs built here run under wine64 (ctest and test discovery use it).
find_program(ORVEN_WINE NAMES wine64 wine)
if(ORVEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVEN_WINE})
endif()
