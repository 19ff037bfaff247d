#pragma once
// The settings file: a Windows-style profile file ("[Setup]" then "Key=value" lines; section and
// key names without regard to case, values compared exactly).
//
// Read at start-up, section "Setup": Host, Portid, FWPath, WorkPath, Engineer, Trace; and the
// [Ports] section, which may pin a port name to a device (COM3=/dev/ttyUSB1). Written at the end
// of the run: Port, FWPath and WorkPath in "Setup"; the rest of the file is kept as it was.
// The port is read from Portid, and where that key is missing from Port, so that a port chosen in
// the window comes back at the next start (a Portid written by hand still wins).
// A missing file or key gives the default; an integer that does not read as a whole decimal
// number gives the default. A Portid outside 0..39 names no port of the list: it is taken as 0
// (COM1), as the command line does with a name it does not know.
//
// What the user chose besides is remembered in a section of its own, [Desk] (see Remembered),
// read at start-up and written with the three keys.
//
// Reading: the file must be a regular file of at most 1 MiB. A directory, a device or a FIFO is
// unusable: the defaults are used, nothing is written, and the window says so. A file that is
// larger or does not parse as settings (a NUL byte, text SimpleIni refuses) is damaged: the
// defaults are used, the window says so once, and at the end of the run the file is renamed to
// NAME.bad before a new one is written, so nothing the user had is lost.
//
// Writing back: a file without any write permission bit is left alone (judged by its mode bits,
// since root may write anyway): the window says so once, at start. A symbolic link is written
// through to its target, which keeps its permission bits and owner (util/whole_file.h: the new
// text goes to a neighbour first and is renamed over the file, so a failed write leaves the file as
// it was); the failure is told.
//
// Location: beside the program, the program file's name with ".INI" (vetra-viewer.INI beside
// vetra-viewer, vetra-viewer.INI beside vetra-viewer.exe); where that folder is not writable, or
// is the folder the program was built to be installed in (the package's /usr/bin), in the user's
// configuration folder: $XDG_CONFIG_HOME/vetra-viewer/ (default ~/.config/vetra-viewer/), on
// Windows %APPDATA%\vetra-viewer\. --settings FILE chooses another. Paths are UTF-8.
// On Windows the file lies beside the program only when a portable marker (a file named
// "vetra-viewer.portable") lies there too, so that an elevated run and a normal one use the same
// file; a settings file found beside the program without the marker is copied once to
// %APPDATA%\vetra-viewer\ (never over a file there), and the program says so.

#include <map>
#include <string>

namespace vetra {

// A window place: position and size; width 0 when none is remembered.
struct WindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
  bool valid() const { return width > 0 && height > 0; }
  bool operator==(const WindowPlace&) const = default;
};

// The [Desk] section: what the window remembers between runs. Empty or negative: not remembered.
struct Remembered {
  int baudRate = 0;           // BaudRate: cbFWbaud's rate
  std::string chip;           // Chip: "K700" or "K900"
  int coordinateFormat = -1;  // CoordinateFormat: 0..2
  std::string page;           // Page: the last page, "setup", "view", "upgrade" or "trace"
  int ttffMode = -1;          // TtffMode: 0 hot, 1 warm, 2 cold (the last test started)
  int ttffCycles = 0;         // TtffCycles
  std::string imageFolder;    // ImageFolder: where the last firmware image was chosen
  std::string captureFolder;  // CaptureFolder: where the last capture or log went
  // Window.<layout>=x,y,width,height for each page layout ("compact", "expanded", "pages").
  std::map<std::string, WindowPlace> windows;
  // Device paths typed into the port box, by port index: written to [Ports] (COMn=PATH), where
  // the next start reads its pins, so the name chosen comes back with its device.
  std::map<int, std::string> typedPorts;
  bool operator==(const Remembered&) const = default;
};

struct Settings {
  std::string host = "OFF";  // "ON": host mode
  int portId = 0;            // 0..39
  std::string fwPath = ".";
  std::string workPath = ".";
  std::string engineer;       // the access level word
  std::string trace = "OFF";  // "ON": the trace logger on the Trace tab, else the TTFF tab
  std::map<int, std::string> pinnedPorts;  // [Ports]: port index -> device path
  Remembered remembered;                   // [Desk]
  bool readOnly = false;  // the file exists without any write permission bit: never written
  bool damaged = false;   // too large or not settings: kept as NAME.bad when written back
  bool unusable = false;  // not a regular file: never written
  std::string problem;    // damaged or unusable: what the window says once at start

  bool hostMode() const { return host == "ON"; }
  bool traceOn() const { return trace == "ON"; }
};

inline constexpr unsigned kSettingsMaxBytes = 1u << 20;

// Reads the file; a missing, unusable or damaged file gives the defaults.
Settings ReadSettings(const std::string& path);

enum class SaveOutcome { Saved, ReadOnly, Failed };
struct SaveResult {
  SaveOutcome outcome = SaveOutcome::Saved;
  std::string reason;  // Failed: the system's reason
  std::string keptAs;  // a damaged file was renamed to this before the new one was written
  explicit operator bool() const { return outcome == SaveOutcome::Saved; }
};

// Writes "Port", "FWPath" and "WorkPath" into section "Setup" (and, when given, the [Desk]
// section), creating the file (and its folder) when missing and keeping every other line.
SaveResult WriteBackSettings(const std::string& path, int portIndex, const std::string& fwPath,
                             const std::string& workPath, const Remembered* remembered = nullptr);

// "The settings file X is read-only: what you choose in this run is not saved." and the failed
// save's "Saving the settings to X failed: reason".
std::string ReadOnlySettingsText(const std::string& path);
std::string FailedSaveText(const std::string& path, const std::string& reason);
// "NAME.bad"; "The settings file X is damaged (reason): it is kept as X.bad and a new one is
// written at the end of this run."; "Settings: '/dev/zero' is a character device, not a file to
// read. The defaults are used and nothing is saved."
std::string DamagedSettingsCopy(const std::string& path);
std::string DamagedSettingsText(const std::string& path, const std::string& problem);
std::string UnusableSettingsText(const std::string& problem);
inline constexpr char kSettingsTitle[] = "Settings";

// The whole-number rule of the settings file: optional sign and decimal digits, nothing else
// (the file's own spaces around the value are not part of it); otherwise fallback.
int ParseSettingsInteger(const std::string& text, int fallback);

// Where the settings file lies, from the program's path. programFolderWritable and the user's
// configuration folder (app/system_paths.h; the temporary folder when empty) are given so that
// the rule can be checked; SettingsPathForProgram asks the system.
std::string SettingsPath(const std::string& programPath, bool programFolderWritable,
                         const std::string& userConfigFolder);
// notice, when given, receives what the program must tell the user (a settings file copied).
std::string SettingsPathForProgram(const std::string& programPath, std::string* notice = nullptr);

inline constexpr char kPortableMarker[] = "vetra-viewer.portable";
// Copies the settings file found beside the program (besideProgram) to the one in the user's
// folder (userFile) when that does not exist yet, creating its folder. Returns the notice ("The
// settings file A was copied to B ..."); empty when there was nothing to copy or the copy failed
// (the program then starts from the defaults and tells nothing).
std::string AdoptSettingsFile(const std::string& besideProgram, const std::string& userFile);

}  // namespace vetra
