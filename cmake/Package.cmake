# The Debian package vetra-viewer, by CPack: `cpack -G DEB` in a Release build configured with
# -DVETRA_DEBIAN_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr (scripts/package does both). Its contents
# are cmake/Install.cmake's; its Depends come from the programs' shared libraries (dpkg-shlibdeps).
# The package's version is the project's version with Debian revision 1; packaging/debian/changelog
# and the metainfo's newest release must name the same version (checked here).
if(NOT VETRA_DEBIAN_PACKAGE)
  return()
endif()
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package installs into /usr: configure with "
                      "-DCMAKE_INSTALL_PREFIX=/usr (scripts/package does)")
endif()

set(VETRA_MAINTAINER "Vetra Viewer developers <vetra-viewer@example.org>")
set(VETRA_DEBIAN_REVISION 1)
set(VETRA_DEBIAN_VERSION ${PROJECT_VERSION}-${VETRA_DEBIAN_REVISION})

file(STRINGS ${VETRA_PACKAGING_DIR}/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^vetra-viewer \\(${VETRA_DEBIAN_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog: the newest entry must be version "
                      "${VETRA_DEBIAN_VERSION} (the project version); it reads: ${changelog_top}")
endif()
file(READ ${VETRA_PACKAGING_DIR}/${VETRA_APP_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" release "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/${VETRA_APP_ID}.metainfo.xml: the newest release must be "
                      "${PROJECT_VERSION} (the project version), not '${CMAKE_MATCH_1}'")
endif()

# usr/share/doc/vetra-viewer/copyright: LICENSE word for word, and the header-only libraries whose
# code is compiled into the programs (a library added to the programs that way is named here too);
# changelog.Debian.gz: the changelog compressed as dpkg installs it.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
file(WRITE ${PROJECT_BINARY_DIR}/debian/copyright
     "Vetra Viewer, the Debian package vetra-viewer.\n"
     "Upstream and package maintainer: ${VETRA_MAINTAINER}\n\n"
     "vetra includes code of the header-only library CLI11, under its own licence\n"
     "(BSD-3-Clause; see the copyright file of the package libcli11-dev).\n"
     "vetra and vetra-viewer include code of the header-only libraries Asio, under the Boost\n"
     "Software License 1.0, and JSON for Modern C++, under the MIT licence (see the copyright\n"
     "files of the packages libasio-dev and nlohmann-json3-dev).\n\n"
     "License: MIT\n\n${license}")
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${VETRA_PACKAGING_DIR}/debian/changelog
          ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${VETRA_PACKAGING_DIR}/debian/changelog
  VERBATIM)
add_custom_target(vetra_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)

# The programs stripped as Debian's dh_strip strips them: no symbols, no .comment or .note section.
foreach(program vetra vetra-viewer)
  if(TARGET ${program})
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                    --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                    COMMAND_ERROR_IS_FATAL ANY)")
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vetra-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vetra Viewer developers")
set(CPACK_PACKAGE_CONTACT ${VETRA_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VETRA_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VETRA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "evaluate, configure and service a GPS receiver module
Vetra Viewer is a desktop tool for engineers who work with a GPS receiver
module on a serial port. It decodes the receiver's NMEA sentences and binary
replies live (fix, position, sky view, C/N0 bars, a measurement grid), sends
the receiver's 34 binary commands, loads new firmware, reads back the
receiver's position logger and times first fixes after hot, warm and cold
restarts.
.
The package holds the desktop program vetra-viewer and the terminal tool
vetra, which does the same from a shell and in scripts. Both include a
virtual receiver on a pseudo-terminal for trying them without a module.
.
To open a serial port the user must be in the dialout group.")
# Prints the note about the dialout group after installing.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VETRA_PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
