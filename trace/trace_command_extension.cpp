#include "trace/trace_command_extension.h"

namespace vetra {
namespace {

using Extension = TraceCommandExtension;
template <auto Panel, auto Member>
inline constexpr BindValue kField = &bind::Field<Panel, Member>;

constexpr ControlDescriptor kRecordControls[] = {
    ChoiceControl("rgTraceRecordAction",
                  kField<&Extension::record, &TraceRecordPanel::rgTraceRecordAction>,
                  kTraceRecordActions),
};

constexpr ControlDescriptor kReadControls[] = {
    ChoiceControl("rgTraceReadAction", kField<&Extension::read, &TraceReadPanel::rgTraceReadAction>,
                  kTraceReadActions),
    ChoiceControl("rgTraceBaud", kField<&Extension::read, &TraceReadPanel::rgTraceBaud>,
                  kTraceReadBauds),
};

// The setup values go into 16-bit fields: metres, seconds and the speed in 0.1 m/s, which reaches
// its highest value at 23592 km/h.
template <auto Member>
inline constexpr BindValue kMaintain = kField<&Extension::maintain, Member>;
constexpr ControlDescriptor kMaintainControls[] = {
    ChoiceControl("rgTraceStatus", kMaintain<&MaintainTracePanel::rgTraceStatus>,
                  kTraceStatusActions),
    CheckControl("chStopOnFull", kMaintain<&MaintainTracePanel::chStopOnFull>),
    CheckControl("chPowerOnLog", kMaintain<&MaintainTracePanel::chPowerOnLog>),
    CheckControl("chExtended", kMaintain<&MaintainTracePanel::chExtended>),
    IntegerControl("lbTraceDistance", kMaintain<&MaintainTracePanel::lbTraceDistance>, kU16),
    IntegerControl("lbTracePeriod", kMaintain<&MaintainTracePanel::lbTracePeriod>, kU16),
    IntegerControl("lbTraceSpeed", kMaintain<&MaintainTracePanel::lbTraceSpeed>, kU16, 0, 23592),
};
static_assert(ControlsAreConsistent(kRecordControls) && ControlsAreConsistent(kReadControls) &&
              ControlsAreConsistent(kMaintainControls));

}  // namespace

std::span<const ControlDescriptor> TraceCommandExtension::ControlDescriptors(int number) {
  if (number == kCmdTraceRecord) return kRecordControls;
  if (number == kCmdTraceRead) return kReadControls;
  if (number == kCmdTraceMaintain) return kMaintainControls;
  return {};
}

std::vector<ControlRef> TraceCommandExtension::Controls(int number, int accessLevel) {
  return BindControls(ControlDescriptors(number), this, accessLevel);
}

Encoded TraceCommandExtension::Encode(const EncodeInput& input) {
  const uint8_t id = input.command.id;
  if (id == kTraceRecordCommand) return {{EncodeTraceRecord(record)}, {}};
  if (id == kTraceReadCommand) return {{EncodeTraceRead(read)}, {}};
  if (id == kTraceMaintainCommand) {
    return {{EncodeTraceMaintain(maintain)},
            {.clearTraceStatus = maintain.rgTraceStatus != kTraceSetupAction}};
  }
  return {};
}

}  // namespace vetra
