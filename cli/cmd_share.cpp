// vetra share --port NAME|PATH [--baud N] [--listen ADDR:PORT] [--nmea-listen ADDR:PORT]
// [--health] [--verbose]
// Holds the receiver and serves its output to other programs (share/share_server.h): the gpsd
// protocol on --listen (default 127.0.0.1:2947), the raw NMEA sentences on --nmea-listen (default
// 127.0.0.1:10110). Port 0 binds a free port. The addresses bound are told on stderr; stdout stays
// empty. Clients are counted, not told one by one: --health prints the line's health and the
// clients' counts ("sharing: 2 clients (1 gpsd, 1 NMEA); 5 connects, ...") to stderr every 10 s
// and at the end; --verbose tells each client that comes, goes, is dropped, closed idle or refused.
// Exit status: 0 after Ctrl-C; 1 when an address cannot be bound (in use), the port does not open,
// or the port fails; 2 for a usage error.
#include <cstdio>
#include <string>
#include <utility>

#include "app/receiver_port.h"
#include "cli/baud_option.h"
#include "cli/command_registry.h"
#include "cli/console_messages.h"
#include "cli/interrupt_watcher.h"
#include "cli/port_opening.h"
#include "cli/terminal_monitor.h"
#include "share/share_server.h"
#include "vetra_version.h"

namespace vetra::cli {
namespace {

struct ShareArgs {
  std::string port;
  int baud = 4800;
  std::string listen = ToString(kDefaultGpsdAddress);
  std::string nmeaListen = ToString(kDefaultNmeaAddress);
  bool health = false;
  bool verbose = false;
};

constexpr int kHealthIntervalMs = 10'000;

void TellEvent(const ShareServer::Event& event) {
  const char* what = "";
  switch (event.kind) {
    case ShareServer::EventKind::Connected:
      what = "connected";
      break;
    case ShareServer::EventKind::Disconnected:
      what = "left";
      break;
    case ShareServer::EventKind::Dropped:
      what = "dropped: ";
      break;
    case ShareServer::EventKind::ClosedIdle:
      what = "closed: ";
      break;
    case ShareServer::EventKind::Refused:
      what = "refused: ";
      break;
  }
  std::fprintf(stderr, "vetra share: client %s %s%s (%d connected)\n", event.peer.c_str(), what,
               event.reason.c_str(), event.clients);
}

int Share(const ShareArgs& args) {
  std::string error;
  const auto gpsdAddress = ParseListenAddress(args.listen, error);
  if (!gpsdAddress) {
    std::fprintf(stderr, "vetra share: --listen %s\n", error.c_str());
    return 2;
  }
  const auto nmeaAddress = ParseListenAddress(args.nmeaListen, error);
  if (!nmeaAddress) {
    std::fprintf(stderr, "vetra share: --nmea-listen %s\n", error.c_str());
    return 2;
  }
  const std::string device = DeviceOrSay("vetra share", args.port);
  if (device.empty()) return kExitNoDevice;

  // Ctrl-C, a termination request and the port's failure all end the wait below. The watcher
  // exists before any other thread does.
  InterruptWatcher stop;

  ShareServer server;
  if (args.verbose) server.SetListener(TellEvent);
  ShareServer::Options serving;
  serving.info.release = VETRA_VERSION;
  serving.info.device = device;
  serving.info.baudRate = args.baud;
  serving.gpsd = *gpsdAddress;
  serving.nmea = *nmeaAddress;
  if (!server.Start(serving, error)) {
    std::fprintf(stderr, "vetra share: %s\n", error.c_str());
    return 1;
  }

  ConsoleMessages messages("vetra share");
  auto port = OpenPortOrSay(device, args.port, args.baud, false, messages);
  if (!port) return kExitNotOpened;
  std::fprintf(stderr, "vetra share: gpsd protocol on %s\n",
               ToString(*server.gpsdAddress()).c_str());
  std::fprintf(stderr, "vetra share: NMEA on %s\n", ToString(*server.nmeaAddress()).c_str());

  TerminalMonitor::Options options;
  options.alsoShowTo = &server;
  TerminalMonitor monitor(options, {});
  monitor.SetFailureCallback([&stop] { stop.Stop(); });
  monitor.Start(std::move(port));

  const auto printHealth = [&] {
    std::fprintf(stderr, "%s\nsharing: %s\n", monitor.HealthLine().c_str(),
                 ShareCountsText(server.counts()).c_str());
  };
  if (args.health) {
    while (!stop.WaitFor(kHealthIntervalMs)) printHealth();
    printHealth();
  } else {
    stop.Wait();
  }
  monitor.Stop();
  server.Stop();
  if (monitor.portFailed()) {
    std::fprintf(stderr, "vetra share: the receiver's port failed (unplugged?)\n");
    return 1;
  }
  return 0;
}

const CommandRegistration kShare{
    "share", "Serve the receiver's output to other programs: gpsd protocol and NMEA over TCP",
    [](CLI::App& sub) {
      auto args = std::make_shared<ShareArgs>();
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      AddBaudOption(sub, args->baud, "Line rate");
      sub.add_option("--listen", args->listen,
                     "ADDR:PORT for gpsd clients (default 127.0.0.1:2947; port 0: a free one)");
      sub.add_option("--nmea-listen", args->nmeaListen,
                     "ADDR:PORT for raw NMEA (default 127.0.0.1:10110; port 0: a free one)");
      sub.add_flag("--health", args->health,
                   "Print the line's health and the clients' counts to stderr every 10 s and at "
                   "the end");
      sub.add_flag("--verbose", args->verbose,
                   "Tell each client that comes, goes, is dropped or refused on stderr");
      return [args] { return Share(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
