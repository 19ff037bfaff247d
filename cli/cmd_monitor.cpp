// vetra monitor --port NAME|PATH [--baud N] [--log FILE] [--json|--gpsd] [--echo] [--host]
// [--health] The receiver conversation without a window: one line per epoch of the receiver (as
// `vetra decode --brief` writes it), or with --json the module's decoded record per display
// update, until Ctrl-C. With --gpsd the gpsd protocol's objects instead: a TPV and a SKY per
// receiver epoch, when it closes (share/gpsd_reports.h), one JSON object per line, as a gpsd
// client receives them.
// --health prints the line's health counters to stderr every 10 s and once at the end, with the
// hint of the status bar when something is wrong ("No data for 5 s: ...").
// --log writes every byte received, unchanged (the raw receive log). --baud is the line rate
// (default 4800, the program's own start rate; `vetra scan` finds the receiver's).
// Exit status: 0 after Ctrl-C; 1 when the port does not open or fails (the receiver unplugged:
// the log then holds every byte received) or when the log could not be written (said at once on
// stderr; the monitoring goes on) or when standard output cannot be written (the monitoring then
// stops); 2 for a usage error.
#include <cstdio>
#include <string>
#include <utility>

#include "app/page_rules.h"
#include "app/receiver_port.h"
#include "cli/baud_option.h"
#include "cli/command_registry.h"
#include "cli/console_messages.h"
#include "cli/interrupt_watcher.h"
#include "cli/port_opening.h"
#include "cli/standard_output.h"
#include "cli/terminal_monitor.h"
#include "link/file_sink.h"

namespace vetra::cli {
namespace {

struct MonitorArgs {
  std::string port;
  int baud = 4800;
  std::string log;
  bool json = false;
  bool gpsd = false;
  bool echo = false;
  bool host = false;
  bool health = false;
};

constexpr int kHealthIntervalMs = 10'000;

int Monitor(const MonitorArgs& args) {
  const std::string device = DeviceOrSay("vetra monitor", args.port);
  if (device.empty()) return kExitNoDevice;
  ConsoleMessages messages("vetra monitor");
  std::unique_ptr<FileSink> log;
  if (!args.log.empty()) {
    std::string error;
    log = FileSink::Open(args.log, error);
    if (log == nullptr) {
      std::fprintf(stderr, "vetra monitor: cannot write '%s': %s\n", args.log.c_str(),
                   error.c_str());
      return 2;
    }
  }
  auto port = OpenPortOrSay(device, args.port, args.baud, args.host, messages);
  if (!port) return kExitNotOpened;

  // Ctrl-C, a termination request and the port's failure all end the wait below. The watcher
  // exists before the task's thread does.
  InterruptWatcher stop;

  TerminalMonitor::Options options;
  options.json = args.json;
  options.gpsd = args.gpsd;
  options.device = device;
  options.echo = args.echo;
  options.hostMode = args.host;
  // Output that cannot be written ends the run: main then says why (cli/standard_output.h).
  TerminalMonitor monitor(options, [&stop](std::string_view lines) {
    if (!WriteStandardOutput(lines)) stop.Stop();
  });
  monitor.SetFailureCallback([&stop] { stop.Stop(); });
  monitor.SetLogFailureCallback([&args](const std::string& reason) {
    std::fprintf(stderr,
                 "vetra monitor: writing the log '%s' failed: %s; it was closed with what was "
                 "written before, monitoring goes on\n",
                 args.log.c_str(), reason.c_str());
  });
  if (log != nullptr) monitor.AttachLog(std::move(log));
  monitor.Start(std::move(port));

  if (args.health) {
    while (!stop.WaitFor(kHealthIntervalMs)) {
      std::fprintf(stderr, "%s\n", monitor.HealthLine().c_str());
    }
    std::fprintf(stderr, "%s\n", monitor.HealthLine().c_str());
  } else {
    stop.Wait();
  }
  monitor.Stop();
  if (monitor.portFailed()) {
    std::fprintf(
        stderr, "vetra monitor: the receiver's port failed (unplugged?)%s\n",
        args.log.empty() || monitor.logFailed() ? "" : "; the log holds every byte received");
    return 1;
  }
  return monitor.logFailed() ? 1 : 0;
}

const CommandRegistration kMonitor{
    "monitor", "Follow the receiver's output without a window, one line per epoch",
    [](CLI::App& sub) {
      auto args = std::make_shared<MonitorArgs>();
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      AddBaudOption(sub, args->baud, "Line rate");
      sub.add_option("--log", args->log, "Write every byte received to this file");
      auto* json = sub.add_flag("--json", args->json,
                                "One JSON object per display update: the module's record");
      auto* gpsd = sub.add_flag("--gpsd", args->gpsd,
                                "gpsd-compatible JSON: a TPV and a SKY per receiver epoch");
      auto* echo =
          sub.add_flag("--echo", args->echo, "Also print every sentence and frame received");
      gpsd->excludes(json)->excludes(echo);
      sub.add_flag("--host", args->host, "Host mode: even parity, answer the receiver's 'U'");
      sub.add_flag("--health", args->health,
                   "Print the line's health to stderr every 10 s and at the end");
      return [args] { return Monitor(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
