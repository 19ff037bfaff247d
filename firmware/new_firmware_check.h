#pragma once
// The start of the new firmware, after the running firmware's last piece: the receiver programs
// it, checks the image and restarts with it at its own rate ("check CRC"). Once the last bytes
// have had time to leave, the line goes back to that rate and the loader waits for the receiver's
// revision report ($MXTR,REV). After 5 s without one it asks once with Query Firmware Revision
// ("check Revision") and takes its reply (F2 80) as the report. "PASS!" only with a report; none
// within 15 s of the last piece is "NOT CONFIRMED" (amber): everything was sent, nothing says it
// took. States CheckCrc and CheckRevision.

#include <cstdint>
#include <span>

#include "firmware/load_context.h"
#include "link/frame_receiver.h"

namespace vetra {

class NewFirmwareCheck {
 public:
  // After the last piece: the revision is asked for after this long without a report, and the
  // load is "NOT CONFIRMED" after this long in all.
  static constexpr int kAskRevisionAfterMs = 5'000;
  static constexpr int kConfirmWithinMs = 15'000;
  // Added to the time the bytes not yet taken by the receiver need on the line before the line
  // goes back to the receiver's rate (which purges what has not left yet).
  static constexpr int kLineSettleMs = 500;

  // The last piece has gone out; bytesInFlight of it may still be on their way at lineBaud.
  // moduleBaud is the new firmware's own rate.
  void Begin(ILoadContext& load, int64_t bytesInFlight, int lineBaud, int moduleBaud);
  // Bytes read while the report is awaited: a revision reply frame among them is the report.
  void Watch(std::span<const uint8_t> bytes);
  // One step, with the last sentence's code (kNmeaRevision: the report).
  void Step(ILoadContext& load, int nmeaCode);

 private:
  int moduleBaud_ = 4800;
  int64_t lastPieceMs_ = 0;
  int64_t lineBackAtMs_ = 0;
  bool lineBack_ = false;
  bool revisionReported_ = false;
  TFrameReceiver revisionFrames_;
};

}  // namespace vetra
