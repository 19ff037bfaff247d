// The module's two ways of taking a new firmware image.
//
// Boot monitor (the module sits in its ROM loader at 115200 baud):
//   host: monitor program bytes          module: "<MPD>" once the bytes stop (0.3 s quiet)
//   host: "E"                            module: "<ERASE>" after the erase (2 s)
//   host: image bytes, 1024 at a time    module: "<DONEhhhh>" once the bytes stop, hhhh the XOR
//                                        of the image's big-endian 16-bit words
//   host: "Z"                            module: boots the new image at its own rate
// Running firmware (at the module's rate):
//   host: %% F1 72 06 addr(2) KiB(2)     module: switches to 115200, then "$MXTR,41,72" (or
//                                        "$MXTR,4E,72" for a wrong address or size) after 0.3 s
//   host: %% F1 73                       module: "$MXTR,41,73" after the erase (1.5 s)
//   host: image bytes                    module: "$MXTR,4D,21,DATARQST" after every 16 KiB but the
//                                        last; after the last byte it programs and reboots
// A load whose bytes stop for 15 s is abandoned; the module reboots its old image.

#include <algorithm>
#include <cstdio>

#include "sim/flash_loader.h"
#include "sim/nmea_sentences.h"
#include "sim/payload_fields.h"

namespace vetra::sim {

namespace {

constexpr double kQuietEndsDataS = 0.3;
constexpr double kMonitorEraseS = 2.0;
constexpr double kFirmwareEraseS = 1.5;
constexpr double kStartReplyDelayS = 0.3;
// How long the reply to the start frame waits for a host that is slow to follow the module to
// the loading rate (a busy machine may take longer than its 100 ms pause).
constexpr double kHostFollowS = 2.0;
constexpr double kLoadAbandonS = 15.0;
constexpr size_t kDataRequestEvery = 16 * 1024;
constexpr size_t kMaxMonitorBytes = 64 * 1024;
constexpr size_t kMaxImageBytes = 512 * 1024;
constexpr int kLoadBaud = 115200;

uint16_t LoadAddressHigh(Chip chip) { return chip == Chip::K900 ? 0x2100 : 0x2000; }

// XOR of the image's 16-bit words taken big-endian (the host compares it byte-swapped).
uint16_t BigEndianWordXor(const std::vector<uint8_t>& image) {
  uint16_t sum = 0;
  for (size_t k = 0; k + 1 < image.size(); k += 2) {
    sum ^= static_cast<uint16_t>(image[k] << 8 | image[k + 1]);
  }
  if (image.size() % 2) sum ^= static_cast<uint16_t>(image.back() << 8);
  return sum;
}

// CRC-16/CCITT of the image: the revision reply's CRC of a loaded image.
uint16_t ImageCrc(const std::vector<uint8_t>& image) {
  uint16_t crc = 0xFFFF;
  for (uint8_t b : image) {
    crc ^= static_cast<uint16_t>(b << 8);
    for (int i = 0; i < 8; ++i)
      crc = static_cast<uint16_t>(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
  }
  return crc;
}

}  // namespace

void FlashLoader::SendMonitorReply(std::string_view text) {
  if (state_.faults->ignoreCommands.load()) return;
  state_.SendText("<");
  state_.SendText(text);
  state_.SendText(">");
}

bool FlashLoader::Start(const CommandFrame& frame, double nowS) {
  const PayloadReader p(frame.payload);
  const size_t kib = p.U16(3);
  const bool accepted = p.size() == 5 && p.U8(0) == 0x06 &&
                        p.U16(1) == LoadAddressHigh(state_.options.chip) && kib >= 1 &&
                        kib * 1024 <= kMaxImageBytes && !state_.faults->refuseLoad.load();
  state_.ChangeLineRate(kLoadBaud, false);
  state_.output.HoldForListener(nowS + kStartReplyDelayS + kHostFollowS);
  const bool checksum = state_.settings.nmeaChecksum;
  state_.Schedule(nowS + kStartReplyDelayS, [this, accepted, checksum](double) {
    state_.SendSentence(MxtrSentence({accepted ? "41" : "4E", "72"}, checksum));
  });
  if (!accepted) {
    // Back to the module's own rate once the refusal has gone out.
    state_.Schedule(nowS + kStartReplyDelayS + 0.5,
                    [this](double) { state_.ChangeLineRate(state_.settings.baud, true); });
    return false;
  }
  state_.mode = ModuleMode::LoadStarting;
  expectedImageSize_ = kib * 1024;
  incoming_.clear();
  state_.lastByteS = nowS;
  return true;
}

bool FlashLoader::SilentAt(LoadStep step) const {
  const LoadStep from = state_.faults->loadSilentFrom.load();
  return from != LoadStep::None && step >= from;
}

void FlashLoader::Erase(double nowS) {
  state_.mode = ModuleMode::LoadErasing;
  const bool checksum = state_.settings.nmeaChecksum;
  state_.Schedule(nowS + kFirmwareEraseS, [this, checksum](double atS) {
    state_.SendSentence(MxtrSentence({"41", "73"}, checksum));
    incoming_.clear();
    state_.lastByteS = atS;
    state_.mode = ModuleMode::LoadReceiving;
  });
}

void FlashLoader::Receive(std::span<const uint8_t> bytes, double nowS, size_t& used) {
  used = 0;
  switch (state_.mode) {
    case ModuleMode::RomWaitMonitor: {
      const size_t room = kMaxMonitorBytes - std::min(kMaxMonitorBytes, incoming_.size());
      incoming_.insert(incoming_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
      used = bytes.size();
      return;
    }
    case ModuleMode::MonitorReady:
    case ModuleMode::MonitorDone:
      for (; used < bytes.size(); ++used) {
        const uint8_t b = bytes[used];
        if (b == 'E') {
          state_.mode = ModuleMode::MonitorErasing;
          state_.Schedule(nowS + kMonitorEraseS, [this](double) {
            if (!SilentAt(LoadStep::MonitorErase)) SendMonitorReply("ERASE");
            incoming_.clear();
            state_.mode = ModuleMode::MonitorReceiving;
          });
        } else if (b == 'Z' && state_.mode == ModuleMode::MonitorDone) {
          Finish(nowS);
          ++used;
          return;
        }
        if (state_.mode != ModuleMode::MonitorReady && state_.mode != ModuleMode::MonitorDone) {
          used = bytes.size();  // nothing listens while the flash is erased
          return;
        }
      }
      return;
    case ModuleMode::MonitorErasing:
    case ModuleMode::LoadErasing:
      used = bytes.size();
      return;
    case ModuleMode::MonitorReceiving: {
      const size_t room = kMaxImageBytes - std::min(kMaxImageBytes, incoming_.size());
      incoming_.insert(incoming_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
      used = bytes.size();
      return;
    }
    case ModuleMode::LoadReceiving: {
      const size_t take = std::min(bytes.size(), expectedImageSize_ - incoming_.size());
      for (size_t i = 0; i < take; ++i) {
        incoming_.push_back(bytes[i]);
        if (incoming_.size() % kDataRequestEvery == 0 && incoming_.size() < expectedImageSize_) {
          // The block is programmed; ask for the next one.
          const bool checksum = state_.settings.nmeaChecksum;
          state_.Schedule(nowS + 0.01, [this, checksum](double) {
            state_.SendSentence(MxtrSentence({"4D", "21", "DATARQST"}, checksum),
                                state_.faults->corruptDataRequests.load());
          });
        }
      }
      used = take;
      if (incoming_.size() == expectedImageSize_) {
        state_.flash = std::move(incoming_);
        incoming_.clear();
        if (state_.options.onFlashWritten) state_.options.onFlashWritten(state_.flash);
        Finish(nowS);
      }
      return;
    }
    default:
      return;
  }
}

void FlashLoader::Advance(double nowS) {
  const bool quiet = nowS - state_.lastByteS >= kQuietEndsDataS;
  switch (state_.mode) {
    case ModuleMode::RomWaitMonitor:
      if (!incoming_.empty() && quiet) {
        incoming_.clear();
        SendMonitorReply("MPD");
        state_.mode = ModuleMode::MonitorReady;
      }
      return;
    case ModuleMode::MonitorReceiving:
      if (!incoming_.empty() && quiet) {
        uint16_t sum = BigEndianWordXor(incoming_);
        if (state_.faults->corruptChecksums.load()) sum ^= 0x0101;
        char text[16];
        std::snprintf(text, sizeof text, "DONE%04X", sum);
        if (!SilentAt(LoadStep::MonitorChecksum)) SendMonitorReply(text);
        state_.flash = std::move(incoming_);  // written while it arrived
        incoming_.clear();
        if (state_.options.onFlashWritten) state_.options.onFlashWritten(state_.flash);
        state_.mode = ModuleMode::MonitorDone;
      }
      return;
    case ModuleMode::LoadStarting:
    case ModuleMode::LoadErasing:
    case ModuleMode::LoadReceiving:
      if (nowS - state_.lastByteS >= kLoadAbandonS && state_.scheduled.empty()) {
        incoming_.clear();
        state_.ChangeLineRate(state_.settings.baud, false);
        firmware_.Reboot(nowS, RestartKind::Hot);
      }
      return;
    default:
      return;
  }
}

void FlashLoader::Finish(double nowS) {
  const UtcTime t = UtcFromMs(state_.UtcMsAt(nowS));
  if (state_.options.chip == Chip::K900) {
    state_.revision.date = static_cast<uint32_t>(t.year * 10000 + t.month * 100 + t.day);
    state_.revision.time = static_cast<uint32_t>(t.hour * 10000 + t.minute * 100 + t.second);
  } else {
    state_.revision.date =
        static_cast<uint32_t>(ToBcd(t.year % 100) << 16 | ToBcd(t.month) << 8 | ToBcd(t.day));
    state_.revision.time =
        static_cast<uint32_t>(ToBcd(t.hour) << 16 | ToBcd(t.minute) << 8 | ToBcd(t.second));
  }
  state_.revision.crc = ImageCrc(state_.flash);
  // The new image starts at the module's own rate once the last reply has gone out.
  state_.ChangeLineRate(state_.settings.baud, true);
  firmware_.Reboot(nowS, RestartKind::Hot);
}

}  // namespace vetra::sim
