# What both Windows toolchain files share; they set POMURU_MINGW_TRIPLE and POMURU_WINE_ARCH first.
set(CMAKE_SYSTEM_NAME Windows)

# Debian's MinGW-w64 with POSIX threads, which C++'s std::thread and std::mutex need.
set(CMAKE_C_COMPILER ${POMURU_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${POMURU_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${POMURU_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${POMURU_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe runs alone: the C++ runtime, libgcc and the thread library are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and other build-time runs of the programs go through Wine, in the project's prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${POMURU_WINE_ARCH})
