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

#include "sim/nmea_sentences.h"
#include "sim/payload_fields.h"
#include "sim/receiver_module.h"

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

void ReceiverModule::SendMonitorReply(std::string_view text) {
  if (faults_->ignoreCommands.load()) return;
  SendText("<");
  SendText(text);
  SendText(">");
}

bool ReceiverModule::StartFirmwareLoad(const CommandFrame& frame, double nowS) {
  const PayloadReader p(frame.payload);
  const size_t kib = p.U16(3);
  const bool accepted = p.size() == 5 && p.U8(0) == 0x06 &&
                        p.U16(1) == LoadAddressHigh(options_.chip) && kib >= 1 &&
                        kib * 1024 <= kMaxImageBytes && !faults_->refuseLoad.load();
  ChangeLineRate(kLoadBaud, false);
  output_.HoldForListener(nowS + kStartReplyDelayS + kHostFollowS);
  const bool checksum = settings_.nmeaChecksum;
  Schedule(nowS + kStartReplyDelayS, [this, accepted, checksum](double) {
    SendSentence(MxtrSentence({accepted ? "41" : "4E", "72"}, checksum));
  });
  if (!accepted) {
    // Back to the module's own rate once the refusal has gone out.
    Schedule(nowS + kStartReplyDelayS + 0.5,
             [this](double) { ChangeLineRate(settings_.baud, true); });
    return false;
  }
  mode_ = Mode::LoadStarting;
  expectedImageSize_ = kib * 1024;
  incoming_.clear();
  lastByteS_ = nowS;
  return true;
}

bool ReceiverModule::LoadSilentAt(LoadStep step) const {
  const LoadStep from = faults_->loadSilentFrom.load();
  return from != LoadStep::None && step >= from;
}

void ReceiverModule::EraseForLoad(double nowS) {
  mode_ = Mode::LoadErasing;
  const bool checksum = settings_.nmeaChecksum;
  Schedule(nowS + kFirmwareEraseS, [this, checksum](double atS) {
    SendSentence(MxtrSentence({"41", "73"}, checksum));
    incoming_.clear();
    lastByteS_ = atS;
    mode_ = Mode::LoadReceiving;
  });
}

void ReceiverModule::ReceiveLoading(std::span<const uint8_t> bytes, double nowS, size_t& used) {
  used = 0;
  switch (mode_) {
    case Mode::RomWaitMonitor: {
      const size_t room = kMaxMonitorBytes - std::min(kMaxMonitorBytes, incoming_.size());
      incoming_.insert(incoming_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
      used = bytes.size();
      return;
    }
    case Mode::MonitorReady:
    case Mode::MonitorDone:
      for (; used < bytes.size(); ++used) {
        const uint8_t b = bytes[used];
        if (b == 'E') {
          mode_ = Mode::MonitorErasing;
          Schedule(nowS + kMonitorEraseS, [this](double) {
            if (!LoadSilentAt(LoadStep::MonitorErase)) SendMonitorReply("ERASE");
            incoming_.clear();
            mode_ = Mode::MonitorReceiving;
          });
        } else if (b == 'Z' && mode_ == Mode::MonitorDone) {
          FinishLoad(nowS);
          ++used;
          return;
        }
        if (mode_ != Mode::MonitorReady && mode_ != Mode::MonitorDone) {
          used = bytes.size();  // nothing listens while the flash is erased
          return;
        }
      }
      return;
    case Mode::MonitorErasing:
    case Mode::LoadErasing:
      used = bytes.size();
      return;
    case Mode::MonitorReceiving: {
      const size_t room = kMaxImageBytes - std::min(kMaxImageBytes, incoming_.size());
      incoming_.insert(incoming_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
      used = bytes.size();
      return;
    }
    case Mode::LoadReceiving: {
      const size_t take = std::min(bytes.size(), expectedImageSize_ - incoming_.size());
      for (size_t i = 0; i < take; ++i) {
        incoming_.push_back(bytes[i]);
        if (incoming_.size() % kDataRequestEvery == 0 && incoming_.size() < expectedImageSize_) {
          // The block is programmed; ask for the next one.
          const bool checksum = settings_.nmeaChecksum;
          Schedule(nowS + 0.01, [this, checksum](double) {
            SendSentence(MxtrSentence({"4D", "21", "DATARQST"}, checksum),
                         faults_->corruptDataRequests.load());
          });
        }
      }
      used = take;
      if (incoming_.size() == expectedImageSize_) {
        flash_ = std::move(incoming_);
        incoming_.clear();
        if (options_.onFlashWritten) options_.onFlashWritten(flash_);
        FinishLoad(nowS);
      }
      return;
    }
    default:
      return;
  }
}

void ReceiverModule::AdvanceLoading(double nowS) {
  const bool quiet = nowS - lastByteS_ >= kQuietEndsDataS;
  switch (mode_) {
    case Mode::RomWaitMonitor:
      if (!incoming_.empty() && quiet) {
        incoming_.clear();
        SendMonitorReply("MPD");
        mode_ = Mode::MonitorReady;
      }
      return;
    case Mode::MonitorReceiving:
      if (!incoming_.empty() && quiet) {
        uint16_t sum = BigEndianWordXor(incoming_);
        if (faults_->corruptChecksums.load()) sum ^= 0x0101;
        char text[16];
        std::snprintf(text, sizeof text, "DONE%04X", sum);
        if (!LoadSilentAt(LoadStep::MonitorChecksum)) SendMonitorReply(text);
        flash_ = std::move(incoming_);  // written while it arrived
        incoming_.clear();
        if (options_.onFlashWritten) options_.onFlashWritten(flash_);
        mode_ = Mode::MonitorDone;
      }
      return;
    case Mode::LoadStarting:
    case Mode::LoadErasing:
    case Mode::LoadReceiving:
      if (nowS - lastByteS_ >= kLoadAbandonS && scheduled_.empty()) {
        incoming_.clear();
        ChangeLineRate(settings_.baud, false);
        Reboot(nowS, RestartKind::Hot);
      }
      return;
    default:
      return;
  }
}

void ReceiverModule::FinishLoad(double nowS) {
  const UtcTime t = UtcFromMs(UtcMsAt(nowS));
  if (options_.chip == Chip::K900) {
    revision_.date = static_cast<uint32_t>(t.year * 10000 + t.month * 100 + t.day);
    revision_.time = static_cast<uint32_t>(t.hour * 10000 + t.minute * 100 + t.second);
  } else {
    revision_.date =
        static_cast<uint32_t>(ToBcd(t.year % 100) << 16 | ToBcd(t.month) << 8 | ToBcd(t.day));
    revision_.time =
        static_cast<uint32_t>(ToBcd(t.hour) << 16 | ToBcd(t.minute) << 8 | ToBcd(t.second));
  }
  revision_.crc = ImageCrc(flash_);
  // The new image starts at the module's own rate once the last reply has gone out.
  ChangeLineRate(settings_.baud, true);
  Reboot(nowS, RestartKind::Hot);
}

}  // namespace vetra::sim
