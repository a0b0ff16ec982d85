# Where an installed Tavimor lives (Debian's file-system layout), and the target
# that builds everything the installation holds (scripts/package builds it and
# installs into a staging folder).
# The prefix is Debian's /usr unless one is given, so that GNUInstallDirs'
# full paths are Debian's too (CMAKE_INSTALL_FULL_SYSCONFDIR is /etc).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Installation prefix" FORCE)
endif()
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
  list(APPEND tavimor_installed tavimorctl)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages: every packaging/<name>.<section>.in, with the project's version
# filled in (@PROJECT_VERSION@), gzipped into man<section>.
file(GLOB tavimor_manual_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/*.[1-8].in)
set(tavimor_manual_pages)
foreach(source ${tavimor_manual_sources})
  get_filename_component(page ${source} NAME)
  string(REGEX REPLACE "\\.in$" "" page ${page})
  string(REGEX REPLACE "^.*\\.([1-8])$" "\\1" section ${page})
  set(page ${CMAKE_BINARY_DIR}/man/${page})
  configure_file(${source} ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz COMMAND gzip -9nkf ${page} DEPENDS ${page})
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND tavimor_manual_pages ${page}.gz)
endforeach()
add_custom_target(tavimor_manual DEPENDS ${tavimor_manual_pages})

# The milter, its systemd unit and its settings (/etc/default).
if(TARGET tavimor-milter)
  install(TARGETS tavimor-milter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND tavimor_installed tavimor-milter)
  # Absolute folders: /etc is never below the prefix; systemd reads units in /usr/lib.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor-milter.service DESTINATION /usr/lib/systemd/system)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavimor-milter.default DESTINATION /etc/default RENAME tavimor-milter)
endif()

add_custom_target(tavimor_installation)
add_dependencies(tavimor_installation ${tavimor_installed} tavimor_manual)
