# Cross build for 64-bit Windows (x86_64) on Debian: cmake --preset windows.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(POMURU_MINGW_TRIPLE x86_64-w64-mingw32)
set(POMURU_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
