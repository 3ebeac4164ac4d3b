# What `cmake --install` installs and what `--target package` packs: a .deb
# on Linux, a .zip for Windows.
include(GNUInstallDirs)

# The version the banner shows is the package's: one source, the program's.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/monitor/messages.h version_line REGEX "define MONITOR_VERSION")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" IC9100_PACKAGE_VERSION "${version_line}")
set(IC9100_MAINTAINER "The ic9100-monitor developers <ic9100-monitor@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

# Installed directories read and searched by all, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  # Everything in one folder, the texts as Notepad reads them.
  install(TARGETS ic9100-monitor RUNTIME DESTINATION .)
  set(texts "")
  foreach(pair "README.md;README.txt;ON" "README.ja.md;README.ja.txt;ON" "LICENSE;LICENSE.txt;OFF")
    list(GET pair 0 in)
    list(GET pair 1 out)
    list(GET pair 2 bom)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${out}
      COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/${in} -DOUT=${CMAKE_BINARY_DIR}/${out} -DBOM=${bom}
              -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/${in} ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake)
    list(APPEND texts ${CMAKE_BINARY_DIR}/${out})
  endforeach()
  add_custom_target(windows_texts ALL DEPENDS ${texts})
  install(FILES ${texts} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  install(TARGETS ic9100-monitor radio-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Debian wants man pages and the changelog compressed, and without a
  # time stamp inside (-n) so that every build gives the same bytes.
  find_program(GZIP gzip REQUIRED)
  set(compressed "")
  foreach(file docs/man/ic9100-monitor.1 docs/man/radio-sim.1 packaging/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/gz/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gz
      COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${file} > ${CMAKE_BINARY_DIR}/gz/${name}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/${file})
    list(APPEND compressed ${CMAKE_BINARY_DIR}/gz/${name}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/gz/ic9100-monitor.1.gz ${CMAKE_BINARY_DIR}/gz/radio-sim.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/ic9100-monitor)
  install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/gz/changelog.gz DESTINATION ${doc})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${IC9100_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The summary, then the long description; CPack indents its lines.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "shows the D-STAR reports of an ICOM IC-9100
ic9100-monitor reads the reports an ICOM IC-9100 sends over its CI-V
serial line and shows every D-STAR transmission the radio receives as
plain text: the call signs, then the short text message.
.
radio-sim, a simulated IC-9100 on a pseudo-terminal, is included for
trying the monitor without a radio.")
endif()

set(CPACK_PACKAGE_NAME ic9100-monitor)
set(CPACK_PACKAGE_VERSION ${IC9100_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "The ic9100-monitor developers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
