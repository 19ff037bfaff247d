#include "app/command_line.h"

#include <cctype>
#include <string_view>

#include "app/port_names.h"

namespace vetra {

ViewerOptions ParseViewerOptions(const std::vector<std::string>& args) {
  ViewerOptions options;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded) {
      options.positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--simulate") {
      options.simulate = true;
    } else if (arg == "--settings") {
      if (i + 1 < args.size()) {
        options.settingsFile = args[++i];
      } else {
        options.error = "--settings needs a file name";
      }
    } else if (arg.rfind("--settings=", 0) == 0) {
      options.settingsFile = arg.substr(11);
      if (options.settingsFile.empty()) options.error = "--settings needs a file name";
    } else if (arg == "--replay") {
      if (i + 1 < args.size()) {
        options.replayFile = args[++i];
      } else {
        options.error = "--replay needs a file name";
      }
    } else if (arg.rfind("--replay=", 0) == 0) {
      options.replayFile = arg.substr(9);
      if (options.replayFile.empty()) options.error = "--replay needs a file name";
    } else if (arg.size() > 1 && arg[0] == '-') {
      // No port name starts with a dash: a mistyped option must not open COM1.
      if (options.error.empty()) options.error = "unknown option " + arg + " (see --help)";
    } else {
      options.positional.push_back(arg);
    }
  }
  return options;
}

ViewerInfo RequestedViewerInfo(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return ViewerInfo::Help;
    if (arg == "--version") return ViewerInfo::Version;
  }
  return ViewerInfo::None;
}

bool StyleOptionGiven(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    // As Qt reads them: anywhere on the line, with one dash or two.
    std::string_view arg = args[i];
    if (arg.rfind("--", 0) == 0) arg.remove_prefix(1);
    if ((arg == "-style" && i + 1 < args.size()) || arg.rfind("-style=", 0) == 0) return true;
  }
  return false;
}

const char kViewerHelp[] =
    "Usage: vetra-viewer [OPTIONS] [PORT [FIRMWARE]]\n"
    "The desktop program for a GPS receiver module on a serial port.\n"
    "\n"
    "Arguments:\n"
    "  PORT                  COM1..COM9, \\\\.\\COM10..\\\\.\\COM40 (any letter case) or a\n"
    "                        device such as /dev/ttyUSB0, instead of the settings' Portid\n"
    "  FIRMWARE              The firmware path, instead of the settings' FWPath\n"
    "\n"
    "Options:\n"
    "  -h, --help            Print this help and exit\n"
    "  --version             Print the version and exit\n"
    "  --settings FILE       The settings file (default: vetra-viewer.INI in $XDG_CONFIG_HOME/\n"
    "                        vetra-viewer/ or ~/.config/vetra-viewer/; beside the program where\n"
    "                        it runs from a folder of its own that the user may write)\n"
    "  --simulate            Start the built-in virtual receiver and point the port at it\n"
    "  --replay FILE         Play a raw receive log on the View page in the port's place\n"
    "  --sim-baud RATE       The virtual receiver's line rate (4800)\n"
    "  --sim-chip k700|k900  The virtual receiver's chip (k700)\n"
    "  --sim-binary          The virtual receiver sends binary frames instead of NMEA\n"
    "  --page setup|view|upgrade|trace\n"
    "                        Open this page at start (default: the last run's)\n"
    "  --expanded            With --page view: the expanded View page\n"
    "  --command COMMAND     Choose a command of the View page's tree: number, id (05h) or text\n"
    "  --send                With --command: press Send once the receiver talks\n"
    "  --screenshot FILE     Save the window's picture to FILE, then end\n"
    "  --after-ms N          Milliseconds before the screenshot (3000)\n"
    "  --palette system|light|dark\n"
    "                        The window's colours: the desktop's (default), or light or dark\n"
    "\n"
    "Qt's own options work too, for example -style NAME, -stylesheet FILE, -platform NAME.\n"
    "See vetra-viewer(1).\n";

CommandLineChoice ApplyCommandLine(const std::vector<std::string>& positional, int portIndex,
                                   const std::string& firmwarePath) {
  CommandLineChoice choice;
  choice.portIndex = portIndex;
  choice.firmwarePath = firmwarePath;
  if (positional.empty()) return choice;

  const std::string& port = positional[0];
  if (IsDevicePath(port)) {
    choice.devicePath = port;
  } else {
    std::string upper = port;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::optional<int> index = MatchDeviceName(upper);
    choice.portIndex = index.value_or(0);
    choice.wrongCom = !index;
  }
  if (positional.size() > 1) choice.firmwarePath = positional[1];
  return choice;
}

}  // namespace vetra
