# The Windows programs' resources: the icon (packaging/windows/vetra.ico, drawn from
# packaging/org.vetraviewer.VetraViewer.svg at 16 to 256 px with rsvg-convert and ImageMagick's
# convert: `convert 16.png 24.png 32.png 48.png 64.png 256.png vetra.ico`), VERSIONINFO from the
# project version, and the manifest (packaging/windows/vetra.manifest: UTF-8 code page, long
# paths). MinGW's windres takes the manifest as a resource; MSVC's linker merges a .manifest
# source itself and would refuse a second one.
if(NOT WIN32)
  return()
endif()
enable_language(RC)

set(VETRA_WINDOWS_DIR ${PROJECT_SOURCE_DIR}/packaging/windows)
string(REPLACE "." "," VETRA_RC_COMMAS ${PROJECT_VERSION})
set(VETRA_RC_VERSION ${PROJECT_VERSION})
set(VETRA_RC_ICON ${VETRA_WINDOWS_DIR}/vetra.ico)
configure_file(${VETRA_WINDOWS_DIR}/vetra.manifest ${PROJECT_BINARY_DIR}/windows/vetra.manifest @ONLY)

function(vetra_windows_resources target description)
  if(NOT TARGET ${target})
    return()
  endif()
  set(VETRA_RC_NAME ${target})
  set(VETRA_RC_FILE ${target}.exe)
  set(VETRA_RC_DESCRIPTION "${description}")
  set(manifest ${PROJECT_BINARY_DIR}/windows/vetra.manifest)
  if(MSVC)
    set(VETRA_RC_MANIFEST "")
    target_sources(${target} PRIVATE ${manifest})
  else()
    set(VETRA_RC_MANIFEST "1 24 \"${manifest}\"")  # CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST
  endif()
  set(rc ${PROJECT_BINARY_DIR}/windows/${target}.rc)
  configure_file(${VETRA_WINDOWS_DIR}/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${VETRA_RC_ICON} ${manifest})
endfunction()

vetra_windows_resources(vetra "Vetra Viewer from a terminal")
vetra_windows_resources(vetra-viewer "Vetra Viewer")
if(TARGET vetra)
  target_link_libraries(vetra PRIVATE shell32)  # CommandLineToArgvW (cli/win/console.cpp)
endif()
