# Debian's hardening flags (dpkg-buildflags with every hardening feature:
# stack protector, fortified functions, format checks, RELRO, immediate
# binding; PIE is the compiler's default) for every target of this build, so
# the build folder ./test builds is the one scripts/package packs.
#
# The build type keeps its say over optimisation and debug information: -g and
# -O are left out, and so is -ffile-prefix-map, which would make the debugger's
# source paths relative and each worktree's command lines differ for ccache.
# -DTAVIMOR_HARDENING=OFF turns it off; without dpkg-buildflags it is off.
option(TAVIMOR_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)

function(tv_hardening_flags variable out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${TAVIMOR_DPKG_BUILDFLAGS} --get ${variable}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${variable} failed (${status})")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g[0-9]*|O[0-9sgz]?|ffile-prefix-map=.*|fdebug-prefix-map=.*)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

if(TAVIMOR_HARDENING)
  find_program(TAVIMOR_DPKG_BUILDFLAGS dpkg-buildflags)
  if(TAVIMOR_DPKG_BUILDFLAGS)
    tv_hardening_flags(CPPFLAGS cppflags)
    tv_hardening_flags(CXXFLAGS cxxflags)
    tv_hardening_flags(LDFLAGS ldflags)
    # Fortified functions need the optimiser; without it glibc only warns.
    if(CMAKE_BUILD_TYPE STREQUAL "Debug")
      list(FILTER cppflags EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
    endif()
    add_compile_options(${cppflags} ${cxxflags})
    add_link_options(${ldflags})
    string(REPLACE ";" " " shown "${cppflags};${cxxflags};${ldflags}")
    message(STATUS "Hardening flags: ${shown}")
  else()
    message(STATUS "Hardening flags: none (dpkg-buildflags is missing; package dpkg-dev)")
  endif()
endif()
