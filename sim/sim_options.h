#pragma once
// What a virtual receiver is when it starts: its line, its chip, its output, where it appears in
// the file system, and the seed that makes its sky and noise repeat exactly from run to run.
//
// The baud rate is the module's own (4800 by default, the program's start-up rate, so that the
// program and the virtual receiver meet without being told). A host listening at another rate
// receives garbage, as on a real wire.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vetra::sim {

enum class Chip { K700, K900 };  // 12 channels (F2 D2/D3) or 16 channels (F2 D5/D6)

// The receiver's output format codes (Set Output Format, system settings report).
enum class OutputFormat : uint8_t { Disabled = 0, Nmea = 1, Binary = 2, BinarySaved = 3 };

// Restart modes as the receiver groups the restart command's mode codes.
enum class RestartKind { Hot = 0, Warm = 1, Cold = 2 };

struct SimOptions {
  int baud = 4800;
  Chip chip = Chip::K700;
  bool binaryOutput = false;      // binary navigation frames instead of NMEA sentences
  bool binarySpeedInMps = false;  // F2 D1 (speed in m/s) instead of F2 D0 (0.1 m/s)
  bool hostMode = false;          // offers a lone 'U' until the host answers with one
  bool bootMonitor = false;       // starts in the ROM loader at 115200 baud (firmware loading)
  std::string linkPath;           // a stable symlink to the device, made on start ("" for none)
  uint32_t seed = 1;              // sky, noise and restart times repeat for the same seed
  std::string replayPath;         // plays this raw receive log instead of being a receiver
  bool replayLoop = false;        // starts the log again at its end

  // Where and how fast the antenna moves (a circle around the start point).
  double startLatitudeDeg = 49.2827;
  double startLongitudeDeg = -123.1207;
  double speedKmh = 36.0;

  // Seconds from power-on to the first fix.
  double firstFixSeconds = 3.0;
  // Seconds from a restart command to the first fix, per kind; negative draws a time from the
  // seed (hot 1-3 s, warm 25-40 s, cold 30-60 s); a huge value means never.
  double restartFixSeconds[3] = {-1.0, -1.0, -1.0};
  // Seconds from a restart command to the revision sentence ($MXTR,REV), the module's reboot.
  double rebootSeconds = 1.0;

  // Called on the wire's thread, with the module's lock held, whenever a load has written an image
  // into flash (the bytes exactly as received), so that a test can wait for it instead of polling.
  std::function<void(const std::vector<uint8_t>&)> onFlashWritten;
};

}  // namespace vetra::sim
