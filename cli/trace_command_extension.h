#pragma once
// The trace logger's tree-form commands (Record Trace, Read Trace, Maintain Trace Buffer) for the
// terminal's encode and send: their panels with the form's defaults, their encoders, and their
// controls by name.

#include "commands/encoders.h"
#include "trace/trace_frames.h"

namespace vetra::cli {

class TraceCommandExtension final : public ICommandExtension {
 public:
  size_t Encode(int number, std::span<uint8_t> out) override;
  std::vector<ControlRef> Controls(int number) override;

  TraceRecordPanel record;
  TraceReadPanel read;
  MaintainTracePanel maintain;
};

}  // namespace vetra::cli
