#pragma once
// The receiver's binary answers as values: one ReplyEvent per reply frame that TBinary accepted,
// carrying the fields its handler decoded, so that the window, the terminal tools and the
// send-and-wait matcher read copies and never the parser's live state.
//
// ReplyEventCollector is the IReplySink that the receiver conversation gives its TBinary: each
// handler's call becomes an event, built on the conversation's thread right after the handler
// stored the reply.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "decode/binary.h"
#include "model/receiver_stores.h"
#include "model/reply_fields.h"

namespace vetra {

enum class ReplyKind : uint8_t {
  Ack,               // 06 any: the command id in ReplyEvent::id
  Nack,              // 15 any
  Revision,          // F2 80: RevisionBlock
  SelfTest,          // F2 81: SelfTestWords
  ClockOffset,       // F2 82: ClockOffsetValue
  Ephemeris,         // F2 83: EphemerisSnapshot, the store after this satellite
  Almanac,           // F2 84: AlmanacSnapshot
  ModuleId,          // F2 85: ModuleIds, both IDs as stored
  NavSettings,       // F2 86: ReplyPayload, 18 bytes
  SysSettings,       // F2 87: ReplyPayload, 48 bytes
  TraceRecord,       // F2 88: ReplyPayload, 20 bytes
  TraceStatusFull,   // F2 89: TraceStatus
  TraceStatusShort,  // F2 8A: TraceStatus (the fields the short reply leaves keep their values)
  TestResult,        // F2 8C: TestVerdict
  CustomizedId,      // F2 8D: CustomizedIdText
};

struct SelfTestWords {
  int32_t words[4] = {-1, -1, -1, -1};  // as ReplyFields keeps them
};
struct ClockOffsetValue {
  uint16_t offset = 0;
};
struct ModuleIds {
  std::array<int32_t, 2> ids{};  // 0 "Production ID", 1 "User Key ID"
};
struct CustomizedIdText {
  std::string text;
};
struct TestVerdict {
  bool failed = false;
};
struct ReplyPayload {
  std::vector<uint8_t> bytes;
};
// A store read's progress: the whole store as it stood after the reply (shared, as a read of 32
// satellites would otherwise copy 32 stores into every value that carries it).
using EphemerisSnapshot = std::shared_ptr<const SlotStore<120>>;
using AlmanacSnapshot = std::shared_ptr<const SlotStore<48>>;

using ReplyFieldsValue =
    std::variant<std::monostate, RevisionBlock, SelfTestWords, ClockOffsetValue, EphemerisSnapshot,
                 AlmanacSnapshot, ModuleIds, ReplyPayload, TraceStatus, TestVerdict,
                 CustomizedIdText>;

struct ReplyEvent {
  ReplyKind kind = ReplyKind::Ack;
  uint8_t id = 0;  // ACK, NACK: the command answered; otherwise the reply's message id (F2 xx)
  ReplyFieldsValue fields;

  template <typename T>
  const T& as() const {
    return std::get<T>(fields);
  }
};

class ReplyEventCollector final : public IReplySink {
 public:
  ReplyEventCollector(const TBinary& binary, const ReceiverStores& stores)
      : binary_(binary), stores_(stores) {}

  // The events since the last call, in arrival order.
  std::vector<ReplyEvent> Take();

  void onRevision() override;
  void onSelfTest() override;
  void onClockOffset() override;
  void onEphemeris() override;
  void onAlmanac() override;
  void onModuleId() override;
  void onTraceStatusFull() override;
  void onTraceStatusShort() override;
  void onNavSettings(std::span<const uint8_t> payload) override;
  void onSysSettings(std::span<const uint8_t> payload) override;
  void onAck(uint8_t commandId) override;
  void onNack(uint8_t commandId) override;
  void onCustomizedId() override;
  void onTestResult() override;
  void onTraceRecord(std::span<const uint8_t> payload) override;

 private:
  void Add(ReplyKind kind, uint8_t id, ReplyFieldsValue fields);

  const TBinary& binary_;
  const ReceiverStores& stores_;
  std::vector<ReplyEvent> events_;
};

}  // namespace vetra
