# Windows: the core over the real system calls, built into Tornvale.exe.
enable_language(RC)

add_library(tornvale_platform STATIC
  src/platform/windows/console.cpp
  src/platform/windows/heap.cpp
  src/platform/windows/modules.cpp
  src/platform/windows/registry.cpp
  src/platform/windows/startup.cpp
)
target_include_directories(tornvale_platform PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tornvale_platform PUBLIC advapi32)

include(cmake/core.cmake)

# The resource script pulls in the manifest.
set_property(SOURCE res/tornvale.rc APPEND PROPERTY OBJECT_DEPENDS
  ${PROJECT_SOURCE_DIR}/res/tornvale.manifest)

add_executable(Tornvale
  src/entry/windows/entry_windows.cpp
  res/tornvale.rc
)
set_target_properties(Tornvale PROPERTIES OUTPUT_NAME Tornvale)
target_link_libraries(Tornvale PRIVATE tornvale_core)
# Wide entry (wmain), console subsystem, and a header that loads on Windows
# 2000 and later.
target_compile_options(Tornvale PRIVATE -municode)
target_link_options(Tornvale PRIVATE -municode -mconsole
  -Wl,--major-os-version,5,--minor-os-version,0
  -Wl,--major-subsystem-version,5,--minor-subsystem-version,0)
# A 16 MiB stack reserve: the deepest walk (kMaxWalkDepth) fits with room to spare.
target_link_options(Tornvale PRIVATE -Wl,--stack,16777216)

enable_testing()

# The Wine loader that runs this build's programs (the tests, scripts/run.sh),
# always in a 64-bit prefix, as 64-bit Windows runs them. The x86_64 build
# runs on 64-bit Wine. The i686 build, the product, runs on 32-bit Wine under
# WoW64, started by the 64-bit loader: directly where the kernel executes
# 32-bit programs, otherwise through qemu-i386. Where neither can work,
# configuring fails and says why; there is no quiet fallback.
set(TORNVALE_WINE64 /usr/lib/wine/wine64 CACHE FILEPATH "The 64-bit Wine loader")
set(TORNVALE_WINE32 /usr/lib/wine/wine CACHE FILEPATH "The 32-bit Wine loader")
set(TORNVALE_WINE_ROUTE auto CACHE STRING
  "How the i686 build reaches 32-bit Wine: auto, direct or qemu")
set_property(CACHE TORNVALE_WINE_ROUTE PROPERTY STRINGS auto direct qemu)
if(NOT EXISTS ${TORNVALE_WINE64})
  message(FATAL_ERROR "No 64-bit Wine loader at ${TORNVALE_WINE64} (Debian package wine64)")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TORNVALE_WINE_LOADER ${TORNVALE_WINE64})
  set(route wine64)
else()
  execute_process(COMMAND ${TORNVALE_WINE32} --version
    RESULT_VARIABLE direct_result OUTPUT_QUIET ERROR_VARIABLE direct_error)
  string(STRIP "${direct_error}" direct_error)
  set(direct_error "${direct_result}: ${direct_error}")
  # A kernel that "runs" 32-bit programs through a qemu-i386 binfmt entry
  # does so without the address space reservation and the preload below.
  set(binfmt_qemu FALSE)
  if(EXISTS /proc/sys/fs/binfmt_misc/qemu-i386)
    file(STRINGS /proc/sys/fs/binfmt_misc/qemu-i386 binfmt_state LIMIT_COUNT 1)
    if(binfmt_state STREQUAL "enabled")
      set(binfmt_qemu TRUE)
    endif()
  endif()
  set(route ${TORNVALE_WINE_ROUTE})
  if(route STREQUAL "auto")
    if(direct_result EQUAL 0 AND NOT binfmt_qemu)
      set(route direct)
    else()
      set(route qemu)
    endif()
  endif()
  if(route STREQUAL "direct")
    if(NOT direct_result EQUAL 0)
      message(FATAL_ERROR "32-bit Wine does not run here: ${TORNVALE_WINE32}: ${direct_error}")
    endif()
    # The 64-bit loader starts 32-bit programs with the "wine" beside it.
    set(TORNVALE_WINE_LOADER ${TORNVALE_WINE64})
  elseif(route STREQUAL "qemu")
    find_program(TORNVALE_QEMU_I386 NAMES qemu-i386)
    find_program(TORNVALE_LINUX_I686_CC NAMES i686-linux-gnu-gcc)
    if(NOT TORNVALE_QEMU_I386 OR NOT TORNVALE_LINUX_I686_CC OR NOT EXISTS ${TORNVALE_WINE32})
      message(FATAL_ERROR "Neither route to 32-bit Wine works here. Directly: "
        "${TORNVALE_WINE32}: ${direct_error}. Through qemu: needs qemu-i386 (package "
        "qemu-user), i686-linux-gnu-gcc (package gcc-i686-linux-gnu) and ${TORNVALE_WINE32} "
        "(package wine32:i386); run scripts/install-deps.sh")
    endif()
    add_subdirectory(tools/wine-qemu)
    set(TORNVALE_WINE_LOADER ${TORNVALE_WOW64_LOADER})
  else()
    message(FATAL_ERROR "TORNVALE_WINE_ROUTE must be auto, direct or qemu, not ${route}")
  endif()
endif()
message(STATUS "Wine route: ${route}, loader ${TORNVALE_WINE_LOADER}")
set(CMAKE_CROSSCOMPILING_EMULATOR ${TORNVALE_WINE_LOADER})
# Read back by scripts/run.sh and bench/run.sh.
set(TORNVALE_WINE ${TORNVALE_WINE_LOADER} CACHE INTERNAL "The Wine loader of this build")

if(TORNVALE_TESTS)
  add_subdirectory(tests/wine)
endif()
