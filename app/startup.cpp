#include "app/startup.h"

namespace vetra {

StartupState DeriveStartup(const Settings& settings, const ViewerOptions& options,
                           const std::string& currentDirectory, PortMap& ports) {
  StartupState state;
  state.hostMode = settings.hostMode();
  state.workPath = settings.workPath;
  state.startDirectory = currentDirectory;
  state.accessLevel = AccessLevel(settings.host, settings.engineer);
  state.controls = ControlsForLevel(state.accessLevel);
  state.traceOn = settings.traceOn();
  state.traceTabCaption = state.traceOn ? kTraceTabCaption : kTtffTabCaption;
  state.simulate = options.simulate;

  const CommandLineChoice choice =
      ApplyCommandLine(options.positional, settings.portId, settings.fwPath);
  state.portIndex = choice.portIndex;
  state.firmwarePath = choice.firmwarePath;
  state.wrongCom = choice.wrongCom;
  if (!choice.devicePath.empty()) {
    if (const auto known = ports.IndexOf(choice.devicePath)) {
      state.portIndex = *known;
    } else {
      ports.Pin(state.portIndex, choice.devicePath);
    }
  }
  return state;
}

}  // namespace vetra
