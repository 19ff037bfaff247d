#pragma once
// The few places on disk that the system decides: the program's own file, whether a folder may be
// written, and the user's configuration folder. Paths are UTF-8 strings everywhere in the program;
// PathFromUtf8 makes a std::filesystem::path of one that the system's wide calls read correctly
// on Windows too.
//
// The platform layer: app/posix/system_paths.cpp, app/win/system_paths.cpp.

#include <filesystem>
#include <string>

namespace vetra {

// The running program's file (/proc/self/exe on Linux, GetModuleFileNameW on Windows); empty when
// the system does not tell.
std::string ProgramPath();

// True when a file can be created in folder (on Windows a real try: its access rights are not in
// the file attributes).
bool FolderWritable(const std::string& folder);

// Where a user's settings go when the program's folder is not writable: $XDG_CONFIG_HOME (only
// when absolute), else ~/.config; %APPDATA% on Windows. Empty when the system gives none.
std::string UserConfigFolder();
// The POSIX rule for it from the two environment values (either may be null).
std::string XdgConfigFolder(const char* xdgConfigHome, const char* home);

std::filesystem::path PathFromUtf8(const std::string& path);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace vetra
