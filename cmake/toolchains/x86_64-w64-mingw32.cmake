# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads, for std::thread and
# std::mutex), linked statically so that vetra.exe and the tests need no DLL beside them, and run
# under Wine where CMake or ctest runs a built program.
#
# Only the MinGW tree and VETRA_WINDOWS_DEPS (the staged header-only libraries and GoogleTest) are
# searched: nothing of the Linux system's /usr/include or libraries reaches the build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VETRA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VETRA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VETRA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VETRA_MINGW}-windres)

if(NOT VETRA_WINDOWS_DEPS)
  set(VETRA_WINDOWS_DEPS ${CMAKE_CURRENT_LIST_DIR}/../../build-windows/deps)
endif()
get_filename_component(VETRA_WINDOWS_DEPS ${VETRA_WINDOWS_DEPS} ABSOLUTE)
set(VETRA_WINDOWS_DEPS ${VETRA_WINDOWS_DEPS} CACHE PATH "Staged headers and libraries for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${VETRA_MINGW} ${VETRA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(VETRA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VETRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VETRA_WINE})
endif()
