#include "trace/trace_command_extension.h"

#include <algorithm>

#include "commands/catalogue.h"

namespace vetra {
namespace {

template <size_t N>
ControlRef Choice(const char* name, int& choice, const std::array<const char*, N>& items) {
  ControlRef c;
  c.name = name;
  c.kind = ControlKind::Choice;
  c.choice = &choice;
  c.items.assign(items.begin(), items.end());
  return c;
}

ControlRef Check(const char* name, bool& check) {
  ControlRef c;
  c.name = name;
  c.kind = ControlKind::Check;
  c.check = &check;
  return c;
}

ControlRef Text(const char* name, std::string& text) {
  ControlRef c;
  c.name = name;
  c.text = &text;
  return c;
}

}  // namespace

size_t TraceCommandExtension::Encode(int number, std::span<uint8_t> out) {
  Frame frame;
  if (number == kCmdTraceRecord) frame = EncodeTraceRecord(record);
  if (number == kCmdTraceRead) frame = EncodeTraceRead(read);
  if (number == kCmdTraceMaintain) {
    if (maintain.rgTraceStatus != kTraceSetupAction && clearMaintainStatus) clearMaintainStatus();
    frame = EncodeTraceMaintain(maintain);
  }
  if (frame.size() > out.size()) return 0;
  std::copy(frame.begin(), frame.end(), out.begin());
  return frame.size();
}

std::vector<ControlRef> TraceCommandExtension::Controls(int number) {
  if (number == kCmdTraceRecord) {
    return {Choice("rgTraceRecordAction", record.rgTraceRecordAction, kTraceRecordActions)};
  }
  if (number == kCmdTraceRead) {
    return {Choice("rgTraceReadAction", read.rgTraceReadAction, kTraceReadActions),
            Choice("rgTraceBaud", read.rgTraceBaud, kTraceReadBauds)};
  }
  if (number == kCmdTraceMaintain) {
    return {Choice("rgTraceStatus", maintain.rgTraceStatus, kTraceStatusActions),
            Check("chStopOnFull", maintain.chStopOnFull),
            Check("chPowerOnLog", maintain.chPowerOnLog),
            Check("chExtended", maintain.chExtended),
            Text("lbTraceDistance", maintain.lbTraceDistance),
            Text("lbTracePeriod", maintain.lbTracePeriod),
            Text("lbTraceSpeed", maintain.lbTraceSpeed)};
  }
  return {};
}

}  // namespace vetra
