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

// The fraction of the time to first fix after which this satellite is tracked.
double AcquisitionFraction(uint32_t seed, int prn) {
  SeededRandom r(seed * 2654435761u + static_cast<uint32_t>(prn) * 40503u);
  r.Next();
  return r.Uniform(0.2, 0.9);
}

}  // namespace

ReceiverModule::ReceiverModule(const SimOptions& options, int64_t utcAtStartMs,
                               FaultSwitches* faults)
    : state_(options, utcAtStartMs, faults),
      model_(options.seed, options.startLatitudeDeg, options.startLongitudeDeg, options.speedKmh),
      random_(options.seed ^ 0xA5A5A5A5u),
      handshakeDone_(!options.hostMode) {
  BeginAcquisition(0, options.firstFixSeconds);
  nextEpochS_ = state_.TimeOfUtcMs((state_.utcAtStartMs / periodMs() + 1) * periodMs());
  if (options.bootMonitor) {
    state_.mode = ModuleMode::RomWaitMonitor;
    state_.lineBaud = kRomBaud;
    revisionPending_ = false;
  }
  state_.trace.OnPowerOn();
}

int ReceiverModule::periodMs() const {
  return 1000 / std::clamp(state_.settings.updateRateHz, 1, 10);
}

void ReceiverModule::Receive(std::span<const uint8_t> bytes, double nowS) {
  state_.lastByteS = nowS;
  size_t i = 0;
  while (i < bytes.size()) {
    if (loader_.TakesBytes()) {
      size_t used = 0;
      loader_.Receive(bytes.subspan(i), nowS, used);
      if (used > 0) {
        i += used;
        continue;
      }
    }
    const uint8_t b = bytes[i++];
    if (state_.mode == ModuleMode::Rebooting) continue;  // nobody listens while the module boots
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
    auto due = std::min_element(state_.scheduled.begin(), state_.scheduled.end(),
                                [](const ModuleState::Scheduled& a,
                                   const ModuleState::Scheduled& b) { return a.atS < b.atS; });
    if (due == state_.scheduled.end() || due->atS > nowS) break;
    ModuleState::Scheduled task = std::move(*due);
    state_.scheduled.erase(due);
    task.action(task.atS);
  }
  loader_.Advance(nowS);

  double next = nowS + 1.0;
  for (const ModuleState::Scheduled& s : state_.scheduled) next = std::min(next, s.atS);

  if (state_.mode == ModuleMode::Running) {
    if (!handshakeDone_) {
      if (nowS >= nextHandshakeS_) {
        state_.SendText("U");
        nextHandshakeS_ = nowS + 1.0;
      }
      return std::min(next, nextHandshakeS_);
    }
    if (revisionPending_) {
      revisionPending_ = false;
      const std::string label(
          state_.revision.label.begin(),
          std::find(state_.revision.label.begin(), state_.revision.label.end(), ' '));
      state_.SendSentence(MxtrSentence({"REV", label}, state_.settings.nmeaChecksum));
    }
    if (nowS >= nextEpochS_) {
      const int64_t period = periodMs();
      const int64_t epochUtc = state_.UtcMsAt(nowS) / period * period;  // the latest grid time
      RunEpoch(nowS, epochUtc);
      nextEpochS_ = state_.TimeOfUtcMs(epochUtc + period);
    }
    next = std::min(next, nextEpochS_);
    TraceRecord record;
    int sent = 0;
    while (sent < 8 && state_.trace.NextRecordToSend(nowS, record)) {
      state_.SendFrame(kClassReply, 0x88, record);
      ++sent;
    }
    if (state_.trace.reading()) next = std::min(next, nowS + 0.02);
  } else if (state_.mode != ModuleMode::Rebooting) {
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
  if (state_.options.restartFixSeconds[k] >= 0) return state_.options.restartFixSeconds[k];
  if (kind != RestartKind::Hot && state_.faults->earlyFix.load()) return early;
  return kind == RestartKind::Hot ? hot : kind == RestartKind::Warm ? warm : cold;
}

void ReceiverModule::Reboot(double nowS, RestartKind kind) {
  ++restarts_;
  state_.mode = ModuleMode::Rebooting;
  const double fixAfter = DrawFixSeconds(kind);
  state_.Schedule(nowS + state_.options.rebootSeconds,
                  [this, fixAfter](double atS) { FinishReboot(atS, fixAfter); });
}

void ReceiverModule::FinishReboot(double nowS, double fixAfterS) {
  state_.mode = ModuleMode::Running;
  revisionPending_ = true;
  BeginAcquisition(nowS, fixAfterS);
  const int64_t period = periodMs();
  nextEpochS_ = state_.TimeOfUtcMs((state_.UtcMsAt(nowS) / period + 1) * period);
  reader_.Reset();
  state_.trace.StopReading();
  state_.trace.OnPowerOn();
}

EpochReport ReceiverModule::ReportAt(double nowS, int64_t utcMs) const {
  EpochReport r;
  r.utcMs = utcMs;
  r.position = model_.PositionAt(static_cast<double>(utcMs) / 1000.0);
  r.zoneHours = state_.settings.zoneHours;
  r.zoneMinutes = state_.settings.zoneMinutes;
  r.clockValue = state_.settings.clockOffset;
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
    c.tracked = sinceStart >= acquireSpan * AcquisitionFraction(state_.options.seed, v.prn);
    const bool blocked = v.prn <= 32 && (state_.settings.blockedSatellites >> (v.prn - 1) & 1);
    if (c.tracked) {
      c.cn0DbHz = static_cast<int>(std::lround(v.cn0DbHz));
      c.pseudorangeM = static_cast<int32_t>(std::lround(v.rangeM + r.clockBiasM));
      c.deltaRangeMmps = static_cast<int32_t>(std::lround(v.rangeRateMps * 1000.0));
      c.dopplerHz = static_cast<int16_t>(
          std::lround(-v.rangeRateMps / kCarrierWavelengthM + r.frequencyBiasHz));
      if (blocked) {
        c.health = 24;  // user blocked
      } else if (v.elevationDeg < state_.settings.elevationMaskDeg) {
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
    r.differential = state_.settings.dgps == 1;
    r.hdop = 0.5 + 3.0 / candidates + 0.1 * std::sin(nowS / 30.0);
    r.pdop = r.hdop * 1.6;
    r.vdop = std::sqrt(r.pdop * r.pdop - r.hdop * r.hdop);
  }
  return r;
}

void ReceiverModule::RunEpoch(double nowS, int64_t utcMs) {
  ++epochCounter_;
  // A line too slow for the output: the module drops epochs rather than fall behind.
  const double bytesPerEpoch = state_.lineBaud / 10.0 * periodMs() / 1000.0;
  if (static_cast<double>(state_.output.size()) > bytesPerEpoch / 2) {
    ++epochsSkipped_;
    return;
  }
  const EpochReport report = ReportAt(nowS, utcMs);
  lastFix_ = report.fix;
  state_.trace.OnEpoch(report, nowS);
  switch (state_.settings.output) {
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
  const bool checksum = state_.settings.nmeaChecksum;
  const auto due = [&](int sentence) {
    const uint8_t period = state_.settings.periods[sentence];
    return period != 0 && epochCounter_ % period == 0;
  };
  if (due(kGga)) state_.SendSentence(GgaSentence(r, checksum));
  if (due(kGsa)) state_.SendSentence(GsaSentence(r, checksum));
  if (due(kGsv)) {
    for (std::string& s : GsvSentences(r, checksum)) state_.SendSentence(std::move(s));
  }
  if (due(kRmc)) state_.SendSentence(RmcSentence(r, checksum));
  if (due(kVtg)) state_.SendSentence(VtgSentence(r, checksum));
  if (due(kGll)) state_.SendSentence(GllSentence(r, checksum));
  if (due(kZda)) state_.SendSentence(ZdaSentence(r, checksum));
}

void ReceiverModule::SendBinaryEpoch(const EpochReport& r) {
  const int channels = channelCount();
  const bool k900 = state_.options.chip == Chip::K900;
  state_.SendFrame(kClassReply, state_.options.binarySpeedInMps ? kIdNavFixMps : kIdNavFixDeciMps,
                   NavFixPayload(r, state_.options.binarySpeedInMps));
  state_.SendFrame(kClassReply, k900 ? kIdChannelStatus16 : kIdChannelStatus12,
                   ChannelStatusPayload(r, channels));
  state_.SendFrame(kClassReply, k900 ? kIdMeasurements16 : kIdMeasurements12,
                   MeasurementsPayload(r, channels));
  state_.SendFrame(kClassReply, kIdClockSolution, ClockSolutionPayload(r));
}

// A command frame goes to the flash loader when it starts or erases a load, else to the answers.
void ReceiverModule::HandleCommand(const CommandFrame& frame, double nowS) {
  if (observer_) observer_(frame);
  if (state_.faults->ignoreCommands.load()) return;
  if (state_.faults->nackAll.load()) {
    answers_.Nack(frame.id);
    return;
  }
  if (frame.frameClass == kClassCommand && frame.id == 0x72) {
    loader_.Start(frame, nowS);
    return;
  }
  if (frame.frameClass == kClassCommand && frame.id == 0x73 &&
      state_.mode == ModuleMode::LoadStarting) {
    if (!loader_.SilentAt(LoadStep::FirmwareErase)) loader_.Erase(nowS);
    return;
  }
  if (!answers_.Apply(frame, nowS)) answers_.Nack(frame.id);
}

}  // namespace vetra::sim
