#pragma once
// After a command was sent from the terminal: reads the port until the receiver has answered it
// (its ACK or NACK, its query reply, or every satellite of an ephemeris or almanac read), or until
// it has been silent for the time-out. The replies are decoded by TBinary into the reply fields and
// stores, exactly as the monitoring task would; each answer is reported as it arrives.
//
// ACK and NACK frames carry the id of the command they answer; only those for the command sent
// count here (the window does not match them, a script should).

#include <cstdint>
#include <functional>
#include <vector>

#include "commands/panels.h"
#include "decode/binary.h"
#include "link/clock.h"
#include "link/port.h"

namespace vetra {

struct ReplyExpectation {
  enum class Kind {
    Ack,        // the ACK (or NACK) ends it
    Reply,      // a query: its reply frame ends it
    StoreRead,  // Read Ephemeris / Read Almanac: every announced satellite ends it
  };
  uint8_t commandId = 0;
  Kind kind = Kind::Ack;
  uint8_t replyId = 0;  // class F2 id of the reply, for Reply and StoreRead
};

// What catalogue command `number`, sent from `panels`, is answered with (its catalogue row says).
ReplyExpectation ExpectationFor(int number, const Panels& panels);

class ReplyWaiter final : private IReplySink {
 public:
  struct Event {
    enum class Type { Ack, Nack, Reply };
    Type type;
    uint8_t id;                    // command id (Ack, Nack) or reply id (Reply)
    std::vector<uint8_t> payload;  // settings reports only
  };
  enum class Outcome {
    Answered,    // what the command is answered with has arrived
    Nack,        // the receiver refused the command
    Silence,     // nothing arrived for the command
    AckedOnly,   // the ACK came, the reply did not
    Incomplete,  // a store read stopped before every announced satellite had arrived
    PortFailed,  // the port failed (the receiver unplugged)
  };
  using EventHandler = std::function<void(const Event&)>;

  ReplyWaiter(ReceiverStores& stores, ReplyExpectation expectation, IClock& clock,
              int timeoutSeconds);

  // Reads until the outcome is known; every answer to the command goes to onEvent first. The
  // time-out starts again with every answer (a store read is one reply per satellite).
  Outcome Wait(IPort& port, const EventHandler& onEvent);

  const TBinary& binary() const { return binary_; }

 private:
  void onRevision() override { Replied(0x80); }
  void onSelfTest() override { Replied(0x81); }
  void onClockOffset() override { Replied(0x82); }
  void onEphemeris() override { Replied(0x83); }
  void onAlmanac() override { Replied(0x84); }
  void onModuleId() override { Replied(0x85); }
  void onNavSettings(std::span<const uint8_t> payload) override { Replied(0x86, payload); }
  void onSysSettings(std::span<const uint8_t> payload) override { Replied(0x87, payload); }
  void onCustomizedId() override { Replied(0x8D); }
  void onAck(uint8_t commandId) override;
  void onNack(uint8_t commandId) override;
  void Replied(uint8_t replyId, std::span<const uint8_t> payload = {});
  bool StoreComplete() const;

  ReceiverStores& stores_;
  ReplyExpectation expectation_;
  IClock& clock_;
  int timeoutSeconds_;
  TBinary binary_;
  std::vector<Event> pending_;
  bool acked_ = false;
  bool replied_ = false;
  bool done_ = false;
  Outcome outcome_ = Outcome::Silence;
};

}  // namespace vetra
