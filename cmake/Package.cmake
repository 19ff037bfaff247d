# The Debian packages vetra and vetra-viewer are built by the source package in debian/
# (dpkg-buildpackage; scripts/package), whose rules configure with -DVETRA_DEBIAN_PACKAGE=ON and
# the prefix /usr. debhelper does the packaging: stripping into -dbgsym packages, the copyright
# and changelog files, dependencies from the programs' shared libraries. Checked here: the
# changelog's newest entry and the metainfo's newest release name the project's version.
if(NOT VETRA_DEBIAN_PACKAGE)
  return()
endif()
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian packages install into /usr: configure with "
                      "-DCMAKE_INSTALL_PREFIX=/usr (debian/rules does)")
endif()

file(STRINGS ${PROJECT_SOURCE_DIR}/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^vetra-viewer \\(${PROJECT_VERSION}-[0-9]+\\) ")
  message(FATAL_ERROR "debian/changelog: the newest entry must be version "
                      "${PROJECT_VERSION}-REVISION (the project version); it reads: ${changelog_top}")
endif()
file(READ ${VETRA_PACKAGING_DIR}/${VETRA_APP_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" release "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/${VETRA_APP_ID}.metainfo.xml: the newest release must be "
                      "${PROJECT_VERSION} (the project version), not '${CMAKE_MATCH_1}'")
endif()
