#include "session/reply_events.h"

#include <algorithm>

namespace vetra {

std::vector<ReplyEvent> ReplyEventCollector::Take() {
  std::vector<ReplyEvent> taken;
  taken.swap(events_);
  return taken;
}

void ReplyEventCollector::Add(ReplyKind kind, uint8_t id, ReplyFieldsValue fields) {
  events_.push_back({kind, id, std::move(fields)});
}

void ReplyEventCollector::onRevision() {
  Add(ReplyKind::Revision, 0x80, binary_.replies().revision);
}

void ReplyEventCollector::onSelfTest() {
  SelfTestWords words;
  std::copy(std::begin(binary_.replies().selfTest), std::end(binary_.replies().selfTest),
            std::begin(words.words));
  Add(ReplyKind::SelfTest, 0x81, words);
}

void ReplyEventCollector::onClockOffset() {
  Add(ReplyKind::ClockOffset, 0x82, ClockOffsetValue{binary_.replies().clockOffset});
}

void ReplyEventCollector::onEphemeris() {
  Add(ReplyKind::Ephemeris, 0x83, std::make_shared<const SlotStore<120>>(stores_.ephemeris.Get()));
}

void ReplyEventCollector::onAlmanac() {
  Add(ReplyKind::Almanac, 0x84, std::make_shared<const SlotStore<48>>(stores_.almanac.Get()));
}

void ReplyEventCollector::onModuleId() {
  Add(ReplyKind::ModuleId, 0x85, ModuleIds{{stores_.moduleId(0), stores_.moduleId(1)}});
}

void ReplyEventCollector::onNavSettings(std::span<const uint8_t> payload) {
  Add(ReplyKind::NavSettings, 0x86, ReplyPayload{{payload.begin(), payload.end()}});
}

void ReplyEventCollector::onSysSettings(std::span<const uint8_t> payload) {
  Add(ReplyKind::SysSettings, 0x87, ReplyPayload{{payload.begin(), payload.end()}});
}

void ReplyEventCollector::onTraceRecord(std::span<const uint8_t> payload) {
  Add(ReplyKind::TraceRecord, 0x88, ReplyPayload{{payload.begin(), payload.end()}});
}

void ReplyEventCollector::onTraceStatusFull() {
  Add(ReplyKind::TraceStatusFull, 0x89, binary_.replies().trace);
}

void ReplyEventCollector::onTraceStatusShort() {
  Add(ReplyKind::TraceStatusShort, 0x8A, binary_.replies().trace);
}

void ReplyEventCollector::onTestResult() {
  Add(ReplyKind::TestResult, 0x8C, TestVerdict{stores_.testFailed()});
}

void ReplyEventCollector::onCustomizedId() {
  Add(ReplyKind::CustomizedId, 0x8D, CustomizedIdText{stores_.customizedId()});
}

void ReplyEventCollector::onAck(uint8_t commandId) { Add(ReplyKind::Ack, commandId, {}); }

void ReplyEventCollector::onNack(uint8_t commandId) { Add(ReplyKind::Nack, commandId, {}); }

}  // namespace vetra
