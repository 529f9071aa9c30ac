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

if(TORNVALE_TESTS)
  enable_testing()
  add_subdirectory(tests/wine)
endif()
