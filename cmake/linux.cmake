# Linux: the core over the substitute, which gives Windows registry and
# native semantics over any key store.
add_library(tornvale_platform STATIC
  src/platform/linux/console.cpp
  src/platform/linux/framework.cpp
  src/platform/linux/heap.cpp
  src/platform/linux/key_name.cpp
  src/platform/linux/memory_key_store.cpp
  src/platform/linux/ntdll_exports.cpp
  src/platform/linux/registry.cpp
  src/platform/linux/utf16le.cpp
)
target_include_directories(tornvale_platform PUBLIC ${PROJECT_SOURCE_DIR}/src)

# The offline product: a Windows volume's hive files as a key store, read
# with libhivex.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIVEX REQUIRED IMPORTED_TARGET hivex)
add_library(tornvale_offline STATIC
  src/offline/hive_file.cpp
  src/offline/hive_key_store.cpp
  src/offline/offline_volume.cpp
  src/offline/base_block.cpp
  src/offline/dirty_hive.cpp
  src/offline/hive_log.cpp
  src/offline/hive_recovery.cpp
  src/offline/log_files.cpp
  src/offline/marvin32.cpp
)
target_link_libraries(tornvale_offline PUBLIC tornvale_platform PkgConfig::HIVEX)

include(cmake/core.cmake)

# The program: its main chooses the store and runs the core, whose platform
# calls are bound straight to the substitute (tests bind them through their
# own apparatus instead).
add_executable(tornvale
  src/entry/linux/entry_linux.cpp
  src/entry/linux/utf8_args.cpp
  src/platform/linux/platform_calls.cpp
)
target_link_libraries(tornvale PRIVATE tornvale_core tornvale_offline)

if(TORNVALE_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()
