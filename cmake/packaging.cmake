# CPack: a .deb of the Linux program, a .zip of the Windows program (from the
# 64-bit tree, which holds both executables: see cmake/install.cmake). The
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
