#pragma once
// The tree-form trace commands (Record Trace, Read Trace, Maintain Trace Buffer) for the command
// area's send path: their panels' values, their encoders from trace/, and their controls by name
// so that the widgets of pnTraceRecord, pnTraceRead and pnMaintainTrace bind like every panel.

#include <functional>

#include "commands/encoders.h"
#include "trace/trace_frames.h"

namespace vetra::ui {

class TraceCommands final : public ICommandExtension {
 public:
  size_t Encode(int number, std::span<uint8_t> out) override;
  std::vector<ControlRef> Controls(int number) override;

  TraceRecordPanel record;
  TraceReadPanel read;
  MaintainTracePanel maintain;
  // Every maintain action but Setup first empties the status fields its reply will fill.
  std::function<void()> clearMaintainStatus;
};

}  // namespace vetra::ui
