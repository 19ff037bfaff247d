#pragma once
// The settings file: a Windows-style profile file ("[Setup]" then "Key=value" lines; section and
// key names without regard to case, values compared exactly).
//
// Read at start-up, section "Setup": Host, Portid, FWPath, WorkPath, Engineer, Trace; and the
// [Ports] section, which may pin a port name to a device (COM3=/dev/ttyUSB1). Written at the end
// of the run: Port, FWPath and WorkPath in "Setup"; the rest of the file is kept as it was.
// A missing file or key gives the default; an integer that does not read as a whole decimal
// number gives the default. A Portid outside 0..39 names no port of the list: it is taken as 0
// (COM1), as the command line does with a name it does not know.
//
// Location: beside the program, the program file's name with ".INI" (vetra-viewer.INI beside
// vetra-viewer, vetra-viewer.INI beside vetra-viewer.exe); where that folder is not writable, or
// is the folder the program was built to be installed in (the package's /usr/bin), in the user's
// configuration folder: $XDG_CONFIG_HOME/vetra-viewer/ (default ~/.config/vetra-viewer/), on
// Windows %APPDATA%\vetra-viewer\. --settings FILE chooses another. Paths are UTF-8.

#include <map>
#include <string>

namespace vetra {

struct Settings {
  std::string host = "OFF";  // "ON": host mode
  int portId = 0;            // 0..39
  std::string fwPath = ".";
  std::string workPath = ".";
  std::string engineer;       // the access level word
  std::string trace = "OFF";  // "ON": the trace logger on the Trace tab, else the TTFF tab
  std::map<int, std::string> pinnedPorts;  // [Ports]: port index -> device path

  bool hostMode() const { return host == "ON"; }
  bool traceOn() const { return trace == "ON"; }
};

// Reads the file; a missing or unreadable file gives the defaults.
Settings ReadSettings(const std::string& path);

// Writes "Port", "FWPath" and "WorkPath" into section "Setup", creating the file (and its folder)
// when missing and keeping every other line. False when the file cannot be written.
bool WriteBackSettings(const std::string& path, int portIndex, const std::string& fwPath,
                       const std::string& workPath);

// The whole-number rule of the settings file: optional sign and decimal digits, nothing else
// (the file's own spaces around the value are not part of it); otherwise fallback.
int ParseSettingsInteger(const std::string& text, int fallback);

// Where the settings file lies, from the program's path. programFolderWritable and the user's
// configuration folder (app/system_paths.h; the temporary folder when empty) are given so that
// the rule can be checked; SettingsPathForProgram asks the system.
std::string SettingsPath(const std::string& programPath, bool programFolderWritable,
                         const std::string& userConfigFolder);
std::string SettingsPathForProgram(const std::string& programPath);

}  // namespace vetra
