# One version for everything that shows one: the version resource of
# Tornvale.exe, the manual page, the Windows read-me and the packages all take
# project(... VERSION ...). The resource wants four numbers; a part the
# project's version leaves out counts as 0.
if(WIN32)
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(number "${PROJECT_VERSION_${part}}")
    if(number STREQUAL "")
      set(number 0)
    endif()
    set_property(SOURCE res/tornvale.rc APPEND PROPERTY COMPILE_DEFINITIONS
      TORNVALE_VERSION_${part}=${number})
  endforeach()
endif()
