# What `cmake --install` puts in place, and so what the packages hold.
if(WIN32)
  # The zip's read-me is for Windows users: CR LF line ends.
  configure_file(doc/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
  # Tornvale.exe is the 32-bit build; the 64-bit one ships beside it under
  # the same name in x64\.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    install(TARGETS Tornvale RUNTIME DESTINATION x64)
  else()
    install(TARGETS Tornvale RUNTIME DESTINATION .)
  endif()
else()
  include(GNUInstallDirs)
  configure_file(doc/tornvale.1.in tornvale.1 @ONLY)
  install(TARGETS tornvale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tornvale.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
