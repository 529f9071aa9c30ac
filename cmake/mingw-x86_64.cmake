# The same program built for 64-bit Windows. Tornvale.exe ships as the i686
# build; this one exists so the Wine tests can run where the machine cannot
# execute 32-bit Linux code (and so cannot start 32-bit Wine): 64-bit Wine
# runs the identical sources against the same registry server.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(TORNVALE_MINGW_PREFIX x86_64-w64-mingw32)
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

# Debian's "wine" wrapper prefers the 32-bit loader whenever it is installed,
# so name the 64-bit one directly; child processes find it through WINELOADER.
find_program(TORNVALE_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(TORNVALE_WINE NAMES wine64 wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TORNVALE_WINE})
