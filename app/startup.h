#pragma once
// Start-up of the main window as one pure derivation: settings file + command line -> what the
// window starts with. The window only applies the result (selects the port, shows and hides
// controls, shows the message), so every rule is checked without a display.

#include <string>

#include "app/access_controls.h"
#include "app/baud_table.h"
#include "app/command_line.h"
#include "app/port_names.h"
#include "app/settings.h"

namespace vetra {

struct StartupState {
  int portIndex = 0;                // cbPort
  int baudIndex = kStartBaudIndex;  // cbFWbaud: 4800, or the rate remembered in [Desk]
  std::string firmwarePath = ".";
  std::string workPath = ".";
  std::string startDirectory;  // where the boot-monitor program files are looked for
  bool hostMode = false;       // even parity, the 'U' answer, btScan visible
  int accessLevel = 0;
  AccessControls controls;
  bool traceOn = false;         // pnTrace on the Trace tab; otherwise the TTFF tab
  std::string traceTabCaption;  // "&Trace" or "&TTFF"
  bool wrongCom = false;        // show kWrongComText / kWrongComTitle
  bool simulate = false;
};

inline constexpr char kTraceTabCaption[] = "&Trace";
inline constexpr char kTtffTabCaption[] = "&TTFF";

// currentDirectory is kept whole (a start directory cut at 128 characters would name another
// folder). A device path given on the command line keeps the port that already maps to it, or
// else is pinned in ports at the port index of the settings.
StartupState DeriveStartup(const Settings& settings, const ViewerOptions& options,
                           const std::string& currentDirectory, PortMap& ports);

}  // namespace vetra
