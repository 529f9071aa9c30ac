# CPack: a .deb of the Linux program, a .zip of the Windows program. The
# package presets "deb" and "zip" run these.
if(TORNVALE_SANITIZE)
  # A sanitizer build links the sanitizer runtimes: nothing to ship.
  return()
endif()

# A package needs only the program: cpack and `make install` take what is
# built and do not build the tests first. Build the program before packaging.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME Tornvale)
set(CPACK_PACKAGE_VENDOR Ambrell)
set(CPACK_PACKAGE_CONTACT Ambrell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lists the registry links below a Windows registry key")
set(CPACK_VERBATIM_VARIABLES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows)
  # Tornvale.exe at the archive's top, as the read-me lists it. The
  # executables go in as built and tested: no stripping.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # The zip is the release: the 32-bit tree's install (Tornvale.exe) and
    # this one's (x64/Tornvale.exe), each built and tested in its own tree.
    set(TORNVALE_I686_TREE "${PROJECT_SOURCE_DIR}/build/windows" CACHE PATH
        "The built 32-bit tree whose Tornvale.exe the zip ships")
    set(CPACK_INSTALL_CMAKE_PROJECTS
        "${TORNVALE_I686_TREE};Tornvale;ALL;/;${CMAKE_BINARY_DIR};Tornvale;ALL;/")
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_NAME tornvale)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Walks every key below a key of HKLM or HKU and prints each registry link
(a key whose SymbolicLinkValue has type REG_LINK) with the key it points to.
It reads the hive files of a Windows volume that is not running, through
libhivex: see tornvale(1).")
  # Depends: from the shared libraries the program links (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_STRIP_FILES ON)
endif()

include(CPack)
