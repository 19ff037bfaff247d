#include "sim/receiver_module.h"

#include <algorithm>
#include <cmath>

#include "link/frame.h"
#include "sim/nav_frames.h"
#include "sim/nmea_sentences.h"

namespace vetra::sim {

namespace {

constexpr double kCarrierWavelengthM = 0.190293673;  // L1
constexpr double kMillisecondOfLightM = 299792.458;
constexpr int kRomBaud = 115200;

FirmwareRevision FactoryRevision(Chip chip) {
  if (chip == Chip::K900) return {"K900FW --1.6", 20231114, 93012, 0x5B21};
  return {"K700FW V1.5 ", 0x00231114, 0x00093012, 0x3A7C};
}

// The fraction of the time to first fix after which this satellite is tracked.
double AcquisitionFraction(uint32_t seed, int prn) {
  SeededRandom r(seed * 2654435761u + static_cast<uint32_t>(prn) * 40503u);
  r.Next();
  return r.Uniform(0.2, 0.9);
}

}  // namespace

ReceiverModule::ReceiverModule(const SimOptions& options, int64_t utcAtStartMs,
                               FaultSwitches* faults)
    : options_(options),
      faults_(faults ? faults : &ownFaults_),
      utcAtStartMs_(utcAtStartMs),
      model_(options.seed, options.startLatitudeDeg, options.startLongitudeDeg, options.speedKmh),
      random_(options.seed ^ 0xA5A5A5A5u),
      settings_(DefaultSettings(options)),
      revision_(FactoryRevision(options.chip)),
      lineBaud_(options.baud),
      handshakeDone_(!options.hostMode) {
  BeginAcquisition(0, options.firstFixSeconds);
  nextEpochS_ = TimeOfUtcMs((utcAtStartMs_ / periodMs() + 1) * periodMs());
  if (options.bootMonitor) {
    mode_ = Mode::RomWaitMonitor;
    lineBaud_ = kRomBaud;
    revisionPending_ = false;
  }
  trace_.OnPowerOn();
}

int64_t ReceiverModule::UtcMsAt(double nowS) const {
  return utcAtStartMs_ + static_cast<int64_t>(std::floor(nowS * 1000.0 + 0.5));
}

double ReceiverModule::TimeOfUtcMs(int64_t utcMs) const {
  return static_cast<double>(utcMs - utcAtStartMs_) / 1000.0;
}

int ReceiverModule::periodMs() const { return 1000 / std::clamp(settings_.updateRateHz, 1, 10); }

void ReceiverModule::Schedule(double atS, std::function<void(double)> action) {
  scheduled_.push_back({atS, std::move(action)});
}

void ReceiverModule::Receive(std::span<const uint8_t> bytes, double nowS) {
  lastByteS_ = nowS;
  size_t i = 0;
  while (i < bytes.size()) {
    if (mode_ != Mode::Running && mode_ != Mode::Rebooting && mode_ != Mode::LoadStarting) {
      size_t used = 0;
      ReceiveLoading(bytes.subspan(i), nowS, used);
      if (used > 0) {
        i += used;
        continue;
      }
    }
    const uint8_t b = bytes[i++];
    if (mode_ == Mode::Rebooting) continue;  // nobody listens while the module boots
    if (!handshakeDone_ && b == 'U') {
      handshakeDone_ = true;
      revisionPending_ = true;
    }
    if (auto frame = reader_.Feed(b)) HandleCommand(*frame, nowS);
  }
}

double ReceiverModule::Advance(double nowS) {
  // Scheduled actions may schedule more; run everything that is due, in time order.
  for (;;) {
    auto due =
        std::min_element(scheduled_.begin(), scheduled_.end(),
                         [](const Scheduled& a, const Scheduled& b) { return a.atS < b.atS; });
    if (due == scheduled_.end() || due->atS > nowS) break;
    Scheduled task = std::move(*due);
    scheduled_.erase(due);
    task.action(task.atS);
  }
  AdvanceLoading(nowS);

  double next = nowS + 1.0;
  for (const Scheduled& s : scheduled_) next = std::min(next, s.atS);

  if (mode_ == Mode::Running) {
    if (!handshakeDone_) {
      if (nowS >= nextHandshakeS_) {
        SendText("U");
        nextHandshakeS_ = nowS + 1.0;
      }
      return std::min(next, nextHandshakeS_);
    }
    if (revisionPending_) {
      revisionPending_ = false;
      const std::string label(revision_.label.begin(),
                              std::find(revision_.label.begin(), revision_.label.end(), ' '));
      SendSentence(MxtrSentence({"REV", label}, settings_.nmeaChecksum));
    }
    if (nowS >= nextEpochS_) {
      const int64_t period = periodMs();
      const int64_t epochUtc = UtcMsAt(nowS) / period * period;  // the latest grid time
      RunEpoch(nowS, epochUtc);
      nextEpochS_ = TimeOfUtcMs(epochUtc + period);
    }
    next = std::min(next, nextEpochS_);
    TraceRecord record;
    int sent = 0;
    while (sent < 8 && trace_.NextRecordToSend(nowS, record)) {
      SendFrame(kClassReply, 0x88, record);
      ++sent;
    }
    if (trace_.reading()) next = std::min(next, nowS + 0.02);
  } else if (mode_ != Mode::Rebooting) {
    next = std::min(next, nowS + 0.05);  // loading: watch for the end of the data
  }
  return next;
}

void ReceiverModule::BeginAcquisition(double nowS, double fixAfterS) {
  acquisitionStartS_ = nowS;
  fixAfterS_ = fixAfterS;
  lastFix_ = false;
}

double ReceiverModule::DrawFixSeconds(RestartKind kind) {
  const int k = static_cast<int>(kind);
  const double hot = random_.Uniform(1.0, 3.0);
  const double warm = random_.Uniform(25.0, 40.0);
  const double cold = random_.Uniform(30.0, 60.0);
  const double early = random_.Uniform(4.0, 7.0);
  if (options_.restartFixSeconds[k] >= 0) return options_.restartFixSeconds[k];
  if (kind != RestartKind::Hot && faults_->earlyFix.load()) return early;
  return kind == RestartKind::Hot ? hot : kind == RestartKind::Warm ? warm : cold;
}

void ReceiverModule::Reboot(double nowS, RestartKind kind) {
  ++restarts_;
  mode_ = Mode::Rebooting;
  const double fixAfter = DrawFixSeconds(kind);
  Schedule(nowS + options_.rebootSeconds,
           [this, fixAfter](double atS) { FinishReboot(atS, fixAfter); });
}

void ReceiverModule::FinishReboot(double nowS, double fixAfterS) {
  mode_ = Mode::Running;
  revisionPending_ = true;
  BeginAcquisition(nowS, fixAfterS);
  const int64_t period = periodMs();
  nextEpochS_ = TimeOfUtcMs((UtcMsAt(nowS) / period + 1) * period);
  reader_.Reset();
  trace_.StopReading();
  trace_.OnPowerOn();
}

EpochReport ReceiverModule::ReportAt(double nowS, int64_t utcMs) const {
  EpochReport r;
  r.utcMs = utcMs;
  r.position = model_.PositionAt(static_cast<double>(utcMs) / 1000.0);
  r.zoneHours = settings_.zoneHours;
  r.zoneMinutes = settings_.zoneMinutes;
  r.clockValue = settings_.clockOffset;
  r.clockBiasM = std::fmod(15000.0 + 2.5 * nowS, kMillisecondOfLightM);
  r.frequencyBiasHz = static_cast<float>(-1470.5 + 3.0 * std::sin(nowS / 300.0));

  const double sinceStart = nowS - acquisitionStartS_;
  const bool fixTimeReached = sinceStart >= fixAfterS_;
  const double acquireSpan = std::min(fixAfterS_, 30.0);
  int candidates = 0;
  for (const SatelliteView& v : model_.SkyAt(nowS)) {
    if (static_cast<int>(r.channels.size()) == channelCount()) break;
    ChannelReport c;
    c.prn = v.prn;
    c.elevationDeg = static_cast<int>(std::lround(v.elevationDeg));
    c.azimuthDeg = static_cast<int>(std::lround(v.azimuthDeg)) % 360;
    c.tracked = sinceStart >= acquireSpan * AcquisitionFraction(options_.seed, v.prn);
    const bool blocked = v.prn <= 32 && (settings_.blockedSatellites >> (v.prn - 1) & 1);
    if (c.tracked) {
      c.cn0DbHz = static_cast<int>(std::lround(v.cn0DbHz));
      c.pseudorangeM = static_cast<int32_t>(std::lround(v.rangeM + r.clockBiasM));
      c.deltaRangeMmps = static_cast<int32_t>(std::lround(v.rangeRateMps * 1000.0));
      c.dopplerHz = static_cast<int16_t>(
          std::lround(-v.rangeRateMps / kCarrierWavelengthM + r.frequencyBiasHz));
      if (blocked) {
        c.health = 24;  // user blocked
      } else if (v.elevationDeg < settings_.elevationMaskDeg) {
        c.health = 7;  // bad elevation
      } else if (!fixTimeReached) {
        c.health = 17;  // ephemeris not ready
      } else if (candidates < 12) {
        c.used = true;
        ++candidates;
      }
    } else {
      c.health = 8;  // no lock yet
    }
    r.channels.push_back(c);
  }
  r.fix = fixTimeReached && candidates >= 4;
  if (!r.fix) {
    for (ChannelReport& c : r.channels) {
      if (c.used) c.health = 17;
      c.used = false;
    }
    candidates = 0;
  }
  r.satellitesUsed = candidates;
  if (r.fix) {
    r.fixMode = 2;
    r.differential = settings_.dgps == 1;
    r.hdop = 0.5 + 3.0 / candidates + 0.1 * std::sin(nowS / 30.0);
    r.pdop = r.hdop * 1.6;
    r.vdop = std::sqrt(r.pdop * r.pdop - r.hdop * r.hdop);
  }
  return r;
}

void ReceiverModule::RunEpoch(double nowS, int64_t utcMs) {
  ++epochCounter_;
  // A line too slow for the output: the module drops epochs rather than fall behind.
  const double bytesPerEpoch = lineBaud_ / 10.0 * periodMs() / 1000.0;
  if (static_cast<double>(output_.size()) > bytesPerEpoch / 2) {
    ++epochsSkipped_;
    return;
  }
  const EpochReport report = ReportAt(nowS, utcMs);
  lastFix_ = report.fix;
  trace_.OnEpoch(report, nowS);
  switch (settings_.output) {
    case OutputFormat::Disabled:
      return;
    case OutputFormat::Nmea:
      SendNmeaEpoch(report);
      break;
    case OutputFormat::Binary:
    case OutputFormat::BinarySaved:
      SendBinaryEpoch(report);
      break;
  }
  ++epochsSent_;
}

void ReceiverModule::SendNmeaEpoch(const EpochReport& r) {
  const bool checksum = settings_.nmeaChecksum;
  const auto due = [&](int sentence) {
    const uint8_t period = settings_.periods[sentence];
    return period != 0 && epochCounter_ % period == 0;
  };
  if (due(kGga)) SendSentence(GgaSentence(r, checksum));
  if (due(kGsa)) SendSentence(GsaSentence(r, checksum));
  if (due(kGsv)) {
    for (std::string& s : GsvSentences(r, checksum)) SendSentence(std::move(s));
  }
  if (due(kRmc)) SendSentence(RmcSentence(r, checksum));
  if (due(kVtg)) SendSentence(VtgSentence(r, checksum));
  if (due(kGll)) SendSentence(GllSentence(r, checksum));
  if (due(kZda)) SendSentence(ZdaSentence(r, checksum));
}

void ReceiverModule::SendBinaryEpoch(const EpochReport& r) {
  const int channels = channelCount();
  const bool k900 = options_.chip == Chip::K900;
  SendFrame(kClassReply, options_.binarySpeedInMps ? kIdNavFixMps : kIdNavFixDeciMps,
            NavFixPayload(r, options_.binarySpeedInMps));
  SendFrame(kClassReply, k900 ? kIdChannelStatus16 : kIdChannelStatus12,
            ChannelStatusPayload(r, channels));
  SendFrame(kClassReply, k900 ? kIdMeasurements16 : kIdMeasurements12,
            MeasurementsPayload(r, channels));
  SendFrame(kClassReply, kIdClockSolution, ClockSolutionPayload(r));
}

void ReceiverModule::SendSentence(std::string sentence, bool wrongChecksum) {
  if (wrongChecksum || faults_->corruptChecksums.load()) {
    const size_t star = sentence.rfind('*');
    if (star != std::string::npos && star + 2 < sentence.size()) {
      char& digit = sentence[star + 2];
      digit = digit == '0' ? '1' : '0';
    }
  }
  output_.Append(sentence);
}

void ReceiverModule::SendFrame(uint8_t frameClass, uint8_t id, std::span<const uint8_t> payload) {
  std::vector<uint8_t> frame;
  AppendFrame(frame, frameClass, id, payload);
  if (faults_->corruptChecksums.load()) frame[frame.size() - 3] ^= 0xFF;
  output_.Append(frame);
}

void ReceiverModule::SendText(std::string_view text) { output_.Append(text); }

void ReceiverModule::ChangeLineRate(int baud, bool afterQueuedBytes) {
  if (afterQueuedBytes) {
    output_.AppendBaudChange(baud);
    return;
  }
  output_.ClearBytes();
  while (output_.TakeBaudChange() != 0) {
  }
  lineBaud_ = baud;
}

}  // namespace vetra::sim
