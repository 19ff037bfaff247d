#include "trace/trace_read_control.h"

#include <filesystem>
#include <system_error>

#include "trace/trace_frames.h"
#include "util/open_file.h"

namespace vetra {

Exchange TraceStatusQuery(int timeoutMs) {
  Exchange exchange;
  exchange.frames.push_back(TracePageRequestFrame());
  exchange.awaited = ReplyExpectation{kTraceMaintainCommand, ReplyExpectation::Kind::Reply,
                                      kTraceStatusShortReply};
  exchange.timeoutMs = timeoutMs;
  return exchange;
}

Exchange TraceReadStopAndQuery(int baudIndex, int timeoutMs) {
  Exchange exchange = TraceStatusQuery(timeoutMs);
  TraceReadPanel stop;
  stop.rgTraceReadAction = 0;
  stop.rgTraceBaud = baudIndex;
  exchange.frames.insert(exchange.frames.begin(), EncodeTraceRead(stop));
  return exchange;
}

std::optional<TraceStatus> TraceStatusIn(const ExchangeResult& result) {
  const ReplyEvent* status = result.Find(ReplyKind::TraceStatusShort);
  if (status == nullptr) status = result.Find(ReplyKind::TraceStatusFull);
  if (status == nullptr) return std::nullopt;
  return status->as<TraceStatus>();
}

ReadGate GateReadStart(const std::optional<TraceStatus>& status, bool stopSent) {
  if (!status) return ReadGate::NoStatus;
  if (status->state != kTraceStateReading) return ReadGate::Start;
  return stopSent ? ReadGate::StillReading : ReadGate::StopFirst;
}

std::string SettleEmptyCapture(const std::string& path) {
  const std::filesystem::path file = Utf8Path(path);
  const std::string name = Utf8Text(file.filename());
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (error) return name + " was not kept";
  if (size == 0 && std::filesystem::remove(file, error))
    return "the empty " + name + " was removed";
  return name + " keeps the " + std::to_string(size) + " bytes received";
}

}  // namespace vetra
