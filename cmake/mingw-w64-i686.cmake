# Cross build for 32-bit Windows (i686) on Debian: cmake --preset windows-x86.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(POMURU_MINGW_TRIPLE i686-w64-mingw32)
set(POMURU_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
