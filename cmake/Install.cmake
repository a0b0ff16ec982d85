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

# The milter, its systemd unit, its settings (/etc/default) and its manual page.
if(TARGET tavimor-milter)
  install(TARGETS tavimor-milter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND tavimor_installed tavimor-milter tavimor_milter_manual)
  # Debian 12 keeps units in /lib/systemd/system; /etc is never below the prefix.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor-milter.service DESTINATION /lib/systemd/system)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor-milter.default DESTINATION /etc/default RENAME tavimor-milter)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/tavimor-milter.8.in ${CMAKE_BINARY_DIR}/packaging/tavimor-milter.8 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/tavimor-milter.8.gz
                     COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/tavimor-milter.8
                     DEPENDS ${CMAKE_BINARY_DIR}/packaging/tavimor-milter.8)
  add_custom_target(tavimor_milter_manual DEPENDS ${CMAKE_BINARY_DIR}/packaging/tavimor-milter.8.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/tavimor-milter.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
endif()

add_custom_target(tavimor_installation)
add_dependencies(tavimor_installation ${tavimor_installed} tavimor_manual)
