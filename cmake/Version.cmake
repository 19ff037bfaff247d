# The version header (vetra_version.h, VETRA_VERSION) for the programs' --version and the About
# box, written from the project version. Link vetra_version to include it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/vetra_version.h.in
               ${PROJECT_BINARY_DIR}/generated/vetra_version.h @ONLY)
add_library(vetra_version INTERFACE)
target_include_directories(vetra_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
if(TARGET vetra_cli)
  target_link_libraries(vetra_cli PUBLIC vetra_version)
endif()
if(TARGET vetra_ui)
  target_link_libraries(vetra_ui PUBLIC vetra_version)  # the About box; vetra-viewer's --version
endif()
