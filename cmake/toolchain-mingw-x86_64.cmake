# Cross-compiles for 64-bit Windows with mingw-w64 (x86_64-w64-mingw32).
#
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake

set(ORVEN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# The programs built here run under wine64 (ctest and test discovery use it).
find_program(ORVEN_WINE NAMES wine64 wine)
if(ORVEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVEN_WINE})
endif()
