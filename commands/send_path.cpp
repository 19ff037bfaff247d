#include "commands/send_path.h"

#include "commands/catalogue.h"
#include "commands/confirmations.h"
#include "commands/control_values.h"
#include "commands/conversions.h"
#include "commands/encoders.h"
#include "link/frame.h"

namespace vetra {
namespace {

// Carries out what the encoder declared, in the order the window shows it; returns the frames the
// effects add (Load Ephemeris' store).
std::vector<FrameBytes> CarryOut(const CommandEffects& effects, const CommandDescriptor& command,
                                 EncodeContext& context, ISendView& view) {
  std::vector<FrameBytes> frames;
  if (context.stores != nullptr) {
    if (effects.clearEphemerisStore) context.stores->ephemeris.Clear();
    if (effects.clearAlmanacStore) context.stores->almanac.Clear();
    // One whole copy, so a reply arriving meanwhile never leaves a half-written slot in a frame.
    if (effects.loadEphemerisStore) {
      frames = LoadEphemerisFrames(command, context.stores->ephemeris.Get());
    }
  }
  if (effects.keepTestItem) context.keptTestItem = *effects.keepTestItem;
  if (effects.clearRevision) view.ClearRevision();
  if (effects.clearClockOffset) view.ClearClockOffset();
  if (effects.clearSelfTest) view.ClearSelfTest();
  if (effects.clearTraceStatus) view.ClearTraceStatus();
  return frames;
}

}  // namespace

std::string EchoText(std::span<const uint8_t> frame) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(frame.size() * 3);
  for (uint8_t b : frame) {
    text += kHex[b >> 4];
    text += kHex[b & 0x0F];
    text += ' ';
  }
  return text;
}

Encoded EncodeCommand(int number, Panels& panels, const EncodeContext& context) {
  const CommandDescriptor& command = CatalogueEntryOf(number);
  const EncodeInput input{command, context.chip, context.accessLevel};
  if (command.extended) {
    return context.extension != nullptr ? context.extension->Encode(input) : Encoded{};
  }
  return command.encode != nullptr ? command.encode(panels, input) : Encoded{};
}

SendOutcome SendCommand(int command, Panels& panels, EncodeContext& context, ISendView& view) {
  using Status = SendOutcome::Status;
  view.UncheckAcknowledgement();
  const CommandDescriptor& row = CatalogueEntryOf(command);
  if (command == 0 || !row.sends()) return {Status::NothingToSend, 0, {}};
  const std::vector<ControlRef> controls =
      CommandControls(command, panels, context.extension, context.accessLevel);
  if (std::optional<RefusedValue> refused = FirstRefusedValue(controls)) {
    std::string message = RefusalText(refused->control, *refused);
    return {Status::Refused, 0, std::move(message), std::move(refused)};
  }
  // Without a port nothing is encoded either: the Read commands would clear their stores and the
  // reply displays would be emptied for a query that never left.
  if (context.writer == nullptr) return {Status::NoPort, 0, kNoPortText};
  if (const std::optional<std::string> question = ConfirmationFor(command, panels)) {
    if (!view.Confirm(*question, std::string(row.treeText))) return {Status::Declined, 0, {}};
  }

  Encoded encoded;
  try {
    encoded = EncodeCommand(command, panels, context);
  } catch (const ConversionError& e) {
    return {Status::ConversionFailed, 0, e.what()};
  }
  std::vector<FrameBytes> storeFrames = CarryOut(encoded.effects, row, context, view);
  std::vector<FrameBytes> frames = std::move(encoded.frames);
  // The command's own frame is echoed; the frames of a store (Load Ephemeris) are not.
  if (!frames.empty()) view.ShowSentence(EchoText(frames.back()));
  for (FrameBytes& frame : storeFrames) frames.push_back(std::move(frame));
  if (frames.empty()) return {Status::NothingToSend, 0, {}};

  size_t written = 0;
  for (const FrameBytes& frame : frames) {
    // The writer refuses only when the port has gone meanwhile.
    if (!context.writer->Write(frame)) return {Status::NoPort, written, kNoPortText};
    written += frame.size();
  }
  return {Status::Sent, written, {}};
}

}  // namespace vetra
