# The header-only libraries of the Windows build, found by their headers: in the cross build on
# Debian they are staged one by one into build-windows/deps/include by `scripts/build windows`
# (the cross compiler never sees /usr/include); on a Windows PC they come from a package manager
# such as vcpkg (CMAKE_PREFIX_PATH or CMAKE_TOOLCHAIN_FILE says where).
find_path(VETRA_SIMPLEINI_INCLUDE_DIR SimpleIni.h REQUIRED)
find_path(VETRA_CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)
find_path(VETRA_JSON_INCLUDE_DIR nlohmann/json.hpp REQUIRED)

# SimpleIni converts with the Win32 calls there: nothing to link. Debian's header keeps its
# member definitions behind SI_IMPLEMENTATION (its library is built from them); one translation
# unit includes it (app/settings.cpp).
add_library(vetra_simpleini INTERFACE)
target_include_directories(vetra_simpleini SYSTEM INTERFACE ${VETRA_SIMPLEINI_INCLUDE_DIR})
target_compile_definitions(vetra_simpleini INTERFACE SI_CONVERT_WIN32 SI_IMPLEMENTATION)

if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${VETRA_CLI11_INCLUDE_DIR})
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${VETRA_JSON_INCLUDE_DIR})
endif()
