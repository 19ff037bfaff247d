#pragma once
// The viewer's command line: its own options first taken out, then the two positional arguments.
//
//   vetra-viewer [--simulate] [--settings FILE] [--replay FILE] [PORT [FIRMWARE]]
//
// PORT is upper-cased and matched against the device name table ("COM1".."COM9",
// "\\.\COM10".."\\.\COM40"); so "com3" selects COM3 and "COM12" matches nothing (ports above 9
// are given in the device-namespace form). A PORT that matches nothing selects COM1 and brings the
// message "Wrong COM\n\n Set to COM1!" / "Com Error"; start-up goes on. A device path (it has a
// '/') is taken as the receiver's device. FIRMWARE replaces the firmware path of the settings.

#include <optional>
#include <string>
#include <vector>

namespace vetra {

inline constexpr char kWrongComText[] = "Wrong COM\n\n Set to COM1!";
inline constexpr char kWrongComTitle[] = "Com Error";

struct ViewerOptions {
  bool simulate = false;     // --simulate: the built-in virtual receiver on the selected port
  std::string settingsFile;  // --settings FILE; empty: the default place
  std::string replayFile;    // --replay FILE: a raw receive log played in the port's place
  std::vector<std::string> positional;
  // An option without its value, or an unknown option (an argument that starts with '-' before
  // "--": Qt has taken its own out by then), for the caller to print; empty when none.
  std::string error;
};

// args: the arguments after the program name (what the toolkit left of them).
// "--settings FILE" and "--settings=FILE" are both accepted (--replay the same); "--" ends the
// options.
ViewerOptions ParseViewerOptions(const std::vector<std::string>& args);

// --help (-h) and --version answer on the terminal and end the program before the window system
// is asked for anything, so they work without a display. The first of them among the options
// (before "--") wins.
enum class ViewerInfo { None, Help, Version };
ViewerInfo RequestedViewerInfo(const std::vector<std::string>& args);

// True when the arguments choose a widget style of Qt's own (-style NAME, -style=NAME, and the
// same with two dashes): the program then leaves its Fusion default alone.
bool StyleOptionGiven(const std::vector<std::string>& args);

// What --help prints: every option of the desktop program (these and app/main.cpp's).
extern const char kViewerHelp[];

struct CommandLineChoice {
  int portIndex = 0;
  std::string devicePath;  // a device path given as PORT; empty otherwise
  std::string firmwarePath;
  bool wrongCom = false;  // show kWrongComText / kWrongComTitle
};

// Applies PORT and FIRMWARE to the port index and firmware path taken from the settings.
CommandLineChoice ApplyCommandLine(const std::vector<std::string>& positional, int portIndex,
                                   const std::string& firmwarePath);

}  // namespace vetra
