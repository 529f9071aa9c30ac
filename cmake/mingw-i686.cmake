# Cross-build for 32-bit Windows with Debian's mingw-w64 (i686). The posix
# thread model, because GoogleTest needs std::mutex; the static link keeps
# winpthread inside the executable, so only system DLLs are imported. Tests
# run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(TORNVALE_MINGW_PREFIX i686-w64-mingw32)
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

find_program(TORNVALE_WINE NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TORNVALE_WINE})
