# Cross-build for Windows with Debian's mingw-w64, shared by both targets;
# the thin files mingw-i686.cmake and mingw-x86_64.cmake set the target
# (TORNVALE_MINGW_PREFIX, CMAKE_SYSTEM_PROCESSOR) and include this one.
# The posix thread model, because GoogleTest needs std::mutex; the static
# link keeps winpthread inside the executable, so only system DLLs are
# imported. Which Wine runs the programs is cmake/windows.cmake's choice.
set(CMAKE_SYSTEM_NAME Windows)

find_program(TORNVALE_MINGW_CXX NAMES ${TORNVALE_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(TORNVALE_MINGW_CC NAMES ${TORNVALE_MINGW_PREFIX}-gcc-posix REQUIRED)
set(CMAKE_CXX_COMPILER ${TORNVALE_MINGW_CXX})
set(CMAKE_C_COMPILER ${TORNVALE_MINGW_CC})
set(CMAKE_RC_COMPILER ${TORNVALE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TORNVALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
