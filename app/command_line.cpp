#include "app/command_line.h"

#include <cctype>

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
    } else {
      options.positional.push_back(arg);
    }
  }
  return options;
}

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
