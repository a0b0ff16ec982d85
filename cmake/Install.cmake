# Where an installed Tavimor lives (Debian's file-system layout), and the target
# that builds everything the installation holds (scripts/package builds it and
# installs into a staging folder).
include(GNUInstallDirs)

set(TAVIMOR_LIBRARY_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/tavimor)

install(TARGETS tavimor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(tavimor_installed tavimor)
if(TARGET tavimor_sink)
  install(TARGETS tavimor_sink LIBRARY DESTINATION ${TAVIMOR_LIBRARY_DIR})
  list(APPEND tavimor_installed tavimor_sink)
endif()
if(TARGET tavimor-store)
  install(TARGETS tavimor-store RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND tavimor_installed tavimor-store)
endif()
if(TARGET tavimorctl)
  install(TARGETS tavimorctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimorctl.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tavimorctl)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/tavimorctl.1.in ${CMAKE_BINARY_DIR}/packaging/tavimorctl.1 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/tavimorctl.1.gz
                     COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/tavimorctl.1
                     DEPENDS ${CMAKE_BINARY_DIR}/packaging/tavimorctl.1)
  add_custom_target(tavimorctl_manual DEPENDS ${CMAKE_BINARY_DIR}/packaging/tavimorctl.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/tavimorctl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND tavimor_installed tavimorctl tavimorctl_manual)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page carries the project's version.
configure_file(${CMAKE_SOURCE_DIR}/packaging/tavimor.1.in ${CMAKE_BINARY_DIR}/packaging/tavimor.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/tavimor.1.gz
                   COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/tavimor.1
                   DEPENDS ${CMAKE_BINARY_DIR}/packaging/tavimor.1)
add_custom_target(tavimor_manual DEPENDS ${CMAKE_BINARY_DIR}/packaging/tavimor.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tavimor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

add_custom_target(tavimor_installation)
add_dependencies(tavimor_installation ${tavimor_installed} tavimor_manual)
