#pragma once
// The tree-form trace commands (Record Trace, Read Trace, Maintain Trace Buffer) as an extension of
// the command set, for the View page's send path and the terminal's encode and send: their panels'
// values with the panels' defaults, their controls described as every catalogue row describes its
// own (commands/command_descriptor.h), and their encoders. The widgets of pnTraceRecord,
// pnTraceRead and pnMaintainTrace bind by name like every other panel.

#include <span>

#include "commands/panel_controls.h"
#include "trace/trace_frames.h"

namespace vetra {

class TraceCommandExtension final : public ICommandExtension {
 public:
  std::vector<ControlRef> Controls(int number, int accessLevel) override;
  // Every maintain action but Setup also declares that the status fields its reply fills are
  // emptied first.
  Encoded Encode(const EncodeInput& input) override;

  // The controls of catalogue command `number`'s panel (none for the other commands).
  static std::span<const ControlDescriptor> ControlDescriptors(int number);

  TraceRecordPanel record;
  TraceReadPanel read;
  MaintainTracePanel maintain;
};

}  // namespace vetra
