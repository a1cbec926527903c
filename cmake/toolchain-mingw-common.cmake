# What both mingw-w64 toolchain files share; they set ORVEN_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR, then include this.
# The posix-threads variant of the compilers is used because the sources
# rely on std::mutex and std::thread, which the win32-threads variant lacks.

set(CMAKE_SYSTEM_NAME Windows)

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
