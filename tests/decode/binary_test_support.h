#pragma once
// Helpers for the binary reply tests: whole frames built by the shared frame builder, a sink that
// writes down every call, and a feeder that cuts a stream into pieces of a given size.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "decode/binary.h"
#include "link/frame.h"

namespace vetra::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes Frame(uint8_t frameClass, uint8_t id, const Bytes& payload) {
  Bytes out(payload.size() + kFrameOverhead);
  out.resize(BuildFrame(frameClass, id, payload, out));
  return out;
}
inline Bytes Reply(uint8_t id, const Bytes& payload) { return Frame(kClassReply, id, payload); }

// Little-endian writers into a payload under construction.
template <typename T>
void Put(Bytes& p, size_t offset, T value) {
  uint8_t raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  for (size_t i = 0; i < sizeof(T); ++i) p.at(offset + i) = raw[i];  // host is little-endian
}

// Writes down every sink call as one line, with the payload sizes and first bytes it was given.
class RecordingSink : public IReplySink {
 public:
  std::vector<std::string> calls;

  void onRevision() override { calls.push_back("revision"); }
  void onSelfTest() override { calls.push_back("selfTest"); }
  void onClockOffset() override { calls.push_back("clockOffset"); }
  void onEphemeris() override { calls.push_back("ephemeris"); }
  void onAlmanac() override { calls.push_back("almanac"); }
  void onModuleId() override { calls.push_back("moduleId"); }
  void onTraceStatusFull() override { calls.push_back("traceFull"); }
  void onTraceStatusShort() override { calls.push_back("traceShort"); }
  void onNavSettings(std::span<const uint8_t> p) override { calls.push_back(Named("nav", p)); }
  void onSysSettings(std::span<const uint8_t> p) override { calls.push_back(Named("sys", p)); }
  void onAck(uint8_t id) override { calls.push_back("ack " + std::to_string(id)); }
  void onNack(uint8_t id) override { calls.push_back("nack " + std::to_string(id)); }
  void onCustomizedId() override { calls.push_back("customizedId"); }
  void onTestResult() override { calls.push_back("testResult"); }
  void onTraceRecord(std::span<const uint8_t> p) override { calls.push_back(Named("trace", p)); }

 private:
  static std::string Named(const char* name, std::span<const uint8_t> p) {
    std::string s = std::string(name) + " " + std::to_string(p.size());
    for (size_t i = 0; i < p.size() && i < 4; ++i) s += " " + std::to_string(p[i]);
    return s;
  }
};

// Feeds the whole stream in pieces of `piece` bytes, calling Feed again after each ended frame,
// and calls onEnd after each. Returns how many frames ended, -1 when Feed made no progress.
inline int FeedInPieces(TBinary& binary, const Bytes& stream, size_t piece,
                        const std::function<void(const FrameFeed&)>& onEnd = {}) {
  int ended = 0;
  for (size_t at = 0; at < stream.size();) {
    const size_t chunk = std::min(piece, stream.size() - at);
    size_t done = 0;
    while (done < chunk) {
      const FrameFeed fed = binary.Feed(stream.data() + at + done, static_cast<int>(chunk - done));
      if (fed.consumed <= 0) return -1;  // no progress: a fault the tests report
      done += static_cast<size_t>(fed.consumed);
      if (fed.ended) {
        ++ended;
        if (onEnd) onEnd(fed);
      }
    }
    at += chunk;
  }
  return ended;
}

inline int FeedAll(TBinary& binary, const Bytes& stream) {
  return FeedInPieces(binary, stream, stream.size() ? stream.size() : 1);
}

}  // namespace vetra::testing
