# The portable core: the same sources on every platform.
add_library(tornvale_core STATIC
  src/output/output.cpp
  src/app/tornvale_main.cpp
  src/native/nt_api.cpp
  src/native/link_probe.cpp
  src/search/path_forms.cpp
  src/search/key_walk.cpp
)
target_include_directories(tornvale_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tornvale_core PUBLIC tornvale_platform)
