#pragma once
// What the binary reply handlers ask the screen to do after they stored a reply. The monitoring
// task implements it by handing the matching update to the window thread; the terminal tools and
// tests implement what they need. Every call is made on the thread that feeds TBinary.

#include <cstdint>
#include <span>

namespace vetra {

class IReplySink {
 public:
  virtual ~IReplySink() = default;
  virtual void onRevision() {}     // F2 80
  virtual void onSelfTest() {}     // F2 81
  virtual void onClockOffset() {}  // F2 82
  virtual void onEphemeris() {}    // F2 83
  virtual void onAlmanac() {}      // F2 84
  virtual void onModuleId() {}     // F2 85
  virtual void onTraceStatusFull() {}   // F2 89
  virtual void onTraceStatusShort() {}  // F2 8A
  virtual void onNavSettings(std::span<const uint8_t> /*payload, 18 bytes*/) {}  // F2 86
  virtual void onSysSettings(std::span<const uint8_t> /*payload, 48 bytes*/) {}  // F2 87
  virtual void onAck(uint8_t /*commandId*/) {}
  virtual void onNack(uint8_t /*commandId*/) {}
  virtual void onCustomizedId() {}  // F2 8D
  virtual void onTestResult() {}    // F2 8C
  virtual void onTraceRecord(std::span<const uint8_t> /*payload, 20 bytes*/) {}  // F2 88
};

}  // namespace vetra
