# What `cmake --install` puts in place, under CMAKE_INSTALL_PREFIX in the freedesktop and FHS
# folders: the two programs; on Linux (and other Unix) also the desktop entry, the icon (SVG and
# PNGs), the AppStream metainfo, the man pages vetra(1) and vetra-viewer(1) and the bash and zsh
# completions of vetra. The Debian packages (debian/, cmake/Package.cmake) split the same install
# into /usr between vetra and vetra-viewer; debhelper writes their copyright and changelog files,
# so LICENSE and README.md are left out there.
#
# Built here, in the build folder: the PNGs from packaging/org.vetraviewer.VetraViewer.svg
# (rsvg-convert; the window's icon is the same picture, compiled into vetra-viewer), the man pages
# from docs/man/*.scd (scdoc), the completions from vetra's own command definitions (`vetra
# completion bash|zsh`).
include(GNUInstallDirs)

option(VETRA_DEBIAN_PACKAGE "Configure the Debian packages' build (prefix /usr; debian/rules)" OFF)

set(VETRA_APP_ID org.vetraviewer.VetraViewer)
set(VETRA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(VETRA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vetra-viewer)

# An installed program keeps its settings file in the user's configuration folder, never beside
# itself in the system's program folder, even when run by root (app/settings.h).
if(TARGET vetra_app)
  target_compile_definitions(vetra_app PRIVATE VETRA_INSTALL_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}")
endif()

foreach(program vetra vetra-viewer)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(NOT UNIX)
  return()
endif()

# The icon: one drawing, PNGs at the usual sizes for menus and panels.
if(TARGET vetra-viewer)
  find_program(VETRA_RSVG_CONVERT rsvg-convert REQUIRED)  # librsvg2-bin (scripts/setup)
  set(icon_svg ${VETRA_PACKAGING_DIR}/${VETRA_APP_ID}.svg)
  set(icon_pngs)
  foreach(size 16 22 24 32 48 64 128 256 512)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}/${VETRA_APP_ID}.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}
      COMMAND ${VETRA_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
      DEPENDS ${icon_svg}
      COMMENT "Drawing the ${size} px icon"
      VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  # The window's icon: the same PNGs as Qt resources (:/icons/SIZE/org.vetraviewer.VetraViewer.png).
  qt_add_resources(vetra-viewer vetra_icon PREFIX /icons BASE ${PROJECT_BINARY_DIR}/icons
                   FILES ${icon_pngs})
  target_compile_definitions(vetra-viewer PRIVATE VETRA_APP_ID="${VETRA_APP_ID}")
  install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${VETRA_PACKAGING_DIR}/${VETRA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VETRA_PACKAGING_DIR}/${VETRA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The man pages, compressed as man-db reads them.
find_program(VETRA_SCDOC scdoc REQUIRED)  # scdoc (scripts/setup)
set(VETRA_MAN_PAGES)
foreach(page vetra vetra-viewer)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd)
  set(man ${PROJECT_BINARY_DIR}/man/${page}.1)
  add_custom_command(
    OUTPUT ${man} ${man}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND sh -c "\"$1\" < \"$2\" > \"$3\" && gzip -9nc \"$3\" > \"$3.gz\"" sh ${VETRA_SCDOC}
            ${source} ${man}
    DEPENDS ${source}
    COMMENT "Writing the man page ${page}(1)"
    VERBATIM)
  list(APPEND VETRA_MAN_PAGES ${man})
  install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(vetra_man ALL DEPENDS ${VETRA_MAN_PAGES})

# The completions, asked of the built vetra itself.
if(TARGET vetra AND NOT CMAKE_CROSSCOMPILING)
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(zsh_default ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)  # Debian's place for packages
  else()
    set(zsh_default ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
  endif()
  set(VETRA_ZSH_COMPLETION_DIR ${zsh_default} CACHE STRING "Where the zsh completion _vetra goes")
  set(VETRA_BASH_COMPLETION ${PROJECT_BINARY_DIR}/completions/vetra)
  set(VETRA_ZSH_COMPLETION ${PROJECT_BINARY_DIR}/completions/_vetra)
  add_custom_command(
    OUTPUT ${VETRA_BASH_COMPLETION} ${VETRA_ZSH_COMPLETION}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/completions
    COMMAND sh -c "\"$1\" completion bash > \"$2\" && \"$1\" completion zsh > \"$3\"" sh
            $<TARGET_FILE:vetra> ${VETRA_BASH_COMPLETION} ${VETRA_ZSH_COMPLETION}
    DEPENDS vetra
    COMMENT "Writing vetra's bash and zsh completions"
    VERBATIM)
  add_custom_target(vetra_completions ALL DEPENDS ${VETRA_BASH_COMPLETION} ${VETRA_ZSH_COMPLETION})
  install(FILES ${VETRA_BASH_COMPLETION}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install(FILES ${VETRA_ZSH_COMPLETION} DESTINATION ${VETRA_ZSH_COMPLETION_DIR})
endif()

if(NOT VETRA_DEBIAN_PACKAGE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md
          DESTINATION ${VETRA_DOC_DIR})
endif()
