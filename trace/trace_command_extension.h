#pragma once
// The tree-form trace commands (Record Trace, Read Trace, Maintain Trace Buffer) as an extension of
// the command set, for the View page's send path and the terminal's encode and send: their panels'
// values with the form's defaults, their encoders, and their controls by name, so that the widgets
// of pnTraceRecord, pnTraceRead and pnMaintainTrace bind like every other panel.

#include <functional>

#include "commands/encoders.h"
#include "trace/trace_frames.h"

namespace vetra {

class TraceCommandExtension final : public ICommandExtension {
 public:
  size_t Encode(int number, std::span<uint8_t> out) override;
  std::vector<ControlRef> Controls(int number) override;

  TraceRecordPanel record;
  TraceReadPanel read;
  MaintainTracePanel maintain;
  // Every maintain action but Setup first empties the status fields its reply will fill.
  std::function<void()> clearMaintainStatus;
};

}  // namespace vetra
