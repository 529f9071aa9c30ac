# Linux: the core over the substitute registry.
add_library(tornvale_platform STATIC
  src/platform/linux/console.cpp
  src/platform/linux/default_registry.cpp
  src/platform/linux/framework.cpp
  src/platform/linux/heap.cpp
  src/platform/linux/hive_file.cpp
  src/platform/linux/hive_key_store.cpp
  src/platform/linux/key_name.cpp
  src/platform/linux/memory_key_store.cpp
  src/platform/linux/ntdll_exports.cpp
  src/platform/linux/offline_volume.cpp
  src/platform/linux/registry.cpp
  src/offline/base_block.cpp
  src/offline/dirty_hive.cpp
  src/offline/hive_log.cpp
  src/offline/hive_recovery.cpp
  src/offline/log_files.cpp
  src/offline/marvin32.cpp
)
target_include_directories(tornvale_platform PUBLIC ${PROJECT_SOURCE_DIR}/src)
# Offline hives are read with libhivex.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIVEX REQUIRED IMPORTED_TARGET hivex)
target_link_libraries(tornvale_platform PUBLIC PkgConfig::HIVEX)

include(cmake/core.cmake)

add_executable(tornvale
  src/app/entry_linux.cpp
  src/app/utf8_args.cpp
)
target_link_libraries(tornvale PRIVATE tornvale_core)

if(TORNVALE_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()
