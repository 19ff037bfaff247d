#include "commands/send_path.h"

#include <array>

#include "commands/catalogue.h"
#include "commands/conversions.h"
#include "link/frame.h"

namespace vetra {

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

SendOutcome SendCommand(int command, Panels& panels, EncodeContext& context, ISendView& view) {
  using Status = SendOutcome::Status;
  view.UncheckAcknowledgement();
  const CatalogueEntry& entry = CatalogueEntryOf(command);
  if (command == 0 || entry.encode == nullptr) return {Status::NothingToSend, 0, {}};
  // Without a port nothing is encoded either: the Read commands would clear their stores and the
  // reply displays would be emptied for a query that never left.
  if (context.writer == nullptr) return {Status::NoPort, 0, kNoPortText};

  std::array<uint8_t, kMaxFrameSize> frame{};
  size_t length = 0;
  try {
    length = entry.encode(command, panels, context, frame);
  } catch (const ConversionError& e) {
    return {Status::ConversionFailed, 0, e.what()};
  }

  switch (command) {
    case kCmdQueryRevision:
      view.ClearRevision();
      break;
    case kCmdClockOffset:
      view.ClearClockOffset();
      break;
    case kCmdBuiltInTest:
      view.ClearSelfTest();
      break;
    default:
      break;
  }
  if (length == 0) return {Status::NothingToSend, 0, {}};

  view.ShowSentence(EchoText({frame.data(), length}));
  // The writer refuses only when the port has gone meanwhile.
  if (!context.writer->Write({frame.data(), length})) return {Status::NoPort, length, kNoPortText};
  return {Status::Sent, length, {}};
}

}  // namespace vetra
