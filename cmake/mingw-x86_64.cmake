# The same program for 64-bit Windows, offered beside the product for users
# who need the registry's 64-bit view.
set(TORNVALE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
