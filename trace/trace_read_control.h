#pragma once
// Reading the receiver's trace memory back without getting out of step with it. The Trace page's
// read frame toggles: the receiver starts reading when it does not read and stops when it does.
// A read cut short once (Ctrl-C, a port that failed, a frame that got lost) leaves the receiver
// reading, and the next toggle would stop it instead of starting it. So, from the window and the
// terminal alike:
//   start  ask for the status; when the receiver still reads, send the explicit stop frame ("Read
//          Trace" with the action "stop", which never starts anything) together with another
//          status query; start with the page's frame only once a status says it does not read;
//   stop   the explicit stop frame and a status query as one exchange, so that a receiver that
//          has gone silent holds the wind-down for one time-out at most.

#include <cstdint>
#include <optional>
#include <string>

#include "model/reply_fields.h"
#include "session/exchange.h"

namespace vetra {

inline constexpr int kTraceStateReading = 2;  // TraceStatus::state
inline constexpr uint8_t kTraceStatusShortReply = 0x8A;

// The status query: the Trace page's Request frame, answered by the short status (F2 8A).
Exchange TraceStatusQuery(int timeoutMs);
// The explicit stop frame at the page's read rate (rdTrcBaud), then the status query; answered by
// the status.
Exchange TraceReadStopAndQuery(int baudIndex, int timeoutMs);
// The status an answer carries (either status reply); nullopt when none came.
std::optional<TraceStatus> TraceStatusIn(const ExchangeResult& result);

enum class ReadGate {
  Start,         // the receiver does not read: the read may start
  StopFirst,     // it still reads: the explicit stop first
  StillReading,  // it still reads after the explicit stop
  NoStatus,      // no status came
};
// What a read start does with the status it got; stopSent: the explicit stop went out already.
ReadGate GateReadStart(const std::optional<TraceStatus>& status, bool stopSent);

// A read that ended without a record: an empty capture file is removed. Returns what became of
// it: "the empty tracelog.tmp was removed" or "tracelog.tmp keeps the 312 bytes received".
std::string SettleEmptyCapture(const std::string& path);

}  // namespace vetra
