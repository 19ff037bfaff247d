// vetra sim: a virtual receiver on a pseudo-terminal until Ctrl-C (SIGINT) or SIGTERM.
// The first line of standard output is the device path to open (the --link path when given).
// The module talks at its own rate (--baud, 4800 by default, the program's own start-up rate;
// 115200 with --boot-monitor, where it sits in its ROM loader), which stderr names; open the device
// at that rate, or the host receives garbage as from a real module at another rate.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/baud_option.h"
#include "cli/command_registry.h"
#include "cli/interrupt_watcher.h"
#include "sim/virtual_receiver.h"

namespace vetra::cli {
namespace {

struct SimArguments {
  int baud = 4800;
  std::string chip = "k700";
  bool binary = false;
  std::string link;
  bool host = false;
  std::string replay;
  bool loop = false;
  bool bootMonitor = false;
  uint32_t seed = 1;
};

int RunSim(const SimArguments& a) {
  const bool k900 = a.chip == "k900" || a.chip == "K900";
  sim::SimOptions options;
  options.baud = a.baud;
  options.chip = k900 ? sim::Chip::K900 : sim::Chip::K700;
  options.binaryOutput = a.binary;
  options.linkPath = a.link;
  options.hostMode = a.host;
  options.replayPath = a.replay;
  options.replayLoop = a.loop;
  options.bootMonitor = a.bootMonitor;
  options.seed = a.seed;
  // Whoever loads firmware into the module sees here when the image has landed in its flash.
  options.onFlashWritten = [](const std::vector<uint8_t>& image) {
    std::cerr << "flash written: " << image.size() << " bytes" << std::endl;
  };

  // Before the receiver's thread starts, so that only the watcher sees the stop requests.
  InterruptWatcher stop;

  sim::VirtualReceiver receiver(options);
  if (!receiver.Start()) {
    std::cerr << "vetra sim: " << receiver.error() << "\n";
    return 1;
  }
  std::cout << receiver.devicePath() << std::endl;
  // The rate the module answers at now: a module in its ROM loader talks at 115200, whatever
  // --baud says.
  std::cerr << "virtual " << (k900 ? "K900" : "K700") << " receiver at " << receiver.baud()
            << " baud on " << receiver.slavePath()
            << (a.bootMonitor ? " (in its ROM loader, waiting for a boot monitor)" : "")
            << "; Ctrl-C stops it" << std::endl;
  stop.Wait();
  receiver.Stop();
  return 0;
}

const CommandRegistration registration{
    "sim", "Play a GPS receiver module on a pseudo-terminal (prints the device path)",
    [](CLI::App& sub) {
      auto a = std::make_shared<SimArguments>();
      AddBaudOption(sub, a->baud, "The module's line rate");
      sub.add_option("--chip", a->chip, "K700 (12 channels) or K900 (16 channels)")
          ->check(CLI::IsMember({"k700", "k900"}, CLI::ignore_case));
      sub.add_flag("--binary", a->binary, "Binary navigation frames instead of NMEA");
      sub.add_option("--link", a->link, "Also make this path a symlink to the device");
      sub.add_flag("--host", a->host, "Host mode: offer 'U' until the host answers with 'U'");
      sub.add_option("--replay", a->replay, "Play this raw receive log instead")
          ->check(CLI::ExistingFile);
      sub.add_flag("--loop", a->loop, "With --replay: start the log again at its end");
      sub.add_flag("--boot-monitor", a->bootMonitor,
                   "Start in the ROM loader at 115200 baud, waiting for a boot monitor");
      sub.add_option("--seed", a->seed,
                     "Sky, position error and noise repeat for the same seed (default 1)");
      return [a] { return RunSim(*a); };
    }};

}  // namespace
}  // namespace vetra::cli
