// vetra scan --port NAME|PATH [--host]
// The auto-scan of the Setup tab from a terminal: listens at each rate from 2400 to 115200 for
// NMEA text and prints "Found! RATE" (exit 0) or "Scan Fail!" (exit 1). Progress goes to stderr.
// A port that does not open prints "Wrong com!" to stderr (exit 1); a NAME with no device behind
// it is a usage error (exit 2).
#include <cstdio>
#include <string>

#include "app/auto_scan.h"
#include "app/baud_table.h"
#include "app/receiver_port.h"
#include "cli/command_registry.h"
#include "cli/console_messages.h"
#include "cli/port_opening.h"
#include "util/clock.h"

namespace vetra::cli {
namespace {

struct ScanArgs {
  std::string port;
  bool host = false;
};

int Scan(const ScanArgs& args) {
  const std::string device = DeviceOrSay("vetra scan", args.port);
  if (device.empty()) return kExitNoDevice;
  ConsoleMessages messages("vetra scan");
  AutoScan scan(SystemClock::instance(), messages);
  int shownRate = -1;
  const AutoScan::Result result = scan.Run(
      [&](int baudRate, std::string& problem) -> std::unique_ptr<IPort> {
        return OpenReceiverPort(device, baudRate, args.host, messages, &problem, args.port);
      },
      [](const std::string&, Rgb) {},
      [&] {
        if (scan.rateIndex() != shownRate) {
          shownRate = scan.rateIndex();
          std::fprintf(stderr, "Scan... %d\n", kBaudRates[static_cast<size_t>(shownRate)]);
        }
      });
  if (result.outcome == AutoScan::Outcome::NotOpened) return 1;
  if (result.outcome == AutoScan::Outcome::Found) {
    std::printf("%s %d\n", kFoundText, result.baudRate);
    return 0;
  }
  if (result.outcome == AutoScan::Outcome::PortFailed) {
    std::fprintf(stderr, "vetra scan: the port failed\n");
  }
  std::printf("%s\n", kScanFailText);
  return 1;
}

const CommandRegistration kScan{
    "scan", "Find the receiver's baud rate by listening for NMEA text at each rate",
    [](CLI::App& sub) {
      auto args = std::make_shared<ScanArgs>();
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      sub.add_flag("--host", args->host, "Host mode: even parity");
      return [args] { return Scan(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
