#include "epoch/epoch_assembler.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "epoch/dop_geometry.h"
#include "epoch/error_model.h"

namespace vetra {

namespace {

constexpr int64_t kDayMs = 24LL * 3600 * 1000;
constexpr int64_t kHalfDayMs = kDayMs / 2;
constexpr int64_t kMaxClimbStepMs = 10'000;  // heights further apart give no climb

UtcDate NextDay(const UtcDate& d) {
  using namespace std::chrono;
  const year_month_day ymd{year{d.year}, month{static_cast<unsigned>(d.month)},
                           day{static_cast<unsigned>(d.day)}};
  if (!ymd.ok()) return d;
  const year_month_day next{sys_days{ymd} + days{1}};
  return UtcDate{static_cast<int>(next.year()), static_cast<int>(unsigned{next.month()}),
                 static_cast<int>(unsigned{next.day()})};
}

// The receiver's later step from a to b in the day, across midnight.
int64_t StepMs(int64_t from, int64_t to) {
  int64_t step = to - from;
  if (step < -kHalfDayMs) step += kDayMs;
  return step;
}

FixQuality QualityOfGga(int quality) {
  switch (quality) {
    case 2:
      return FixQuality::Differential;
    case 4:
      return FixQuality::RtkFixed;
    case 5:
      return FixQuality::RtkFloat;
    case 6:
      return FixQuality::DeadReckoning;
    case 7:
      return FixQuality::Manual;
    case 8:
      return FixQuality::Simulated;
    default:
      return FixQuality::Autonomous;
  }
}

// The mode letters of GNS, RMC, GLL and VTG (NMEA 2.3 and later); 0: none given.
FixQuality QualityOfMode(char mode) {
  switch (mode) {
    case 'D':
    case 'P':
      return FixQuality::Differential;
    case 'R':
      return FixQuality::RtkFixed;
    case 'F':
      return FixQuality::RtkFloat;
    case 'E':
      return FixQuality::DeadReckoning;
    case 'M':
      return FixQuality::Manual;
    case 'S':
      return FixQuality::Simulated;
    default:
      return FixQuality::Autonomous;
  }
}

bool HasPosition(double lat, double lon) { return !std::isnan(lat) && !std::isnan(lon); }

}  // namespace

// --- Cutting epochs ---------------------------------------------------------------------------

void EpochAssembler::CloseIfNewEpoch(Part part, int64_t timeMs, std::vector<Epoch>& out) {
  if (!open()) return;
  const bool seen = (open_.parts >> part) & 1;
  if (timeMs >= 0 && open_.timeMs >= 0 && timeMs != open_.timeMs) {
    // Without a silence to tell, the sentence with the new time is taken to begin the cycle.
    if (!startFromSilence_) startPart_ = part;
    Close(out);
  } else if (part == startPart_ && part != lastPart_) {
    Close(out);
  } else if (open_.timeMs < 0 && timeMs < 0 && seen && part != lastPart_ && part != kGsa &&
             part != kGsv) {
    // No time yet (a receiver still searching): a kind that comes round again starts a new cycle.
    startPart_ = part;
    Close(out);
  }
}

void EpochAssembler::Note(Part part, int64_t timeMs) {
  if (!open() && closedBySilence_) {
    // What a receiver sends first after its pause begins its cycle.
    startPart_ = part;
    startFromSilence_ = true;
    closedBySilence_ = false;
  }
  open_.parts |= 1u << part;
  if (timeMs >= 0 && open_.timeMs < 0) open_.timeMs = timeMs;
  lastPart_ = part;
}

void EpochAssembler::Add(const NmeaSentence& s, std::vector<Epoch>& out) {
  Part part = kPartCount;
  switch (s.kind) {
    case SentenceKind::Gga:
      part = kGga;
      break;
    case SentenceKind::Gns:
      part = kGns;
      break;
    case SentenceKind::Rmc:
      part = kRmc;
      break;
    case SentenceKind::Gll:
      part = kGll;
      break;
    case SentenceKind::Gsa:
      part = kGsa;
      break;
    case SentenceKind::Gsv:
      part = kGsv;
      break;
    case SentenceKind::Vtg:
      part = kVtg;
      break;
    case SentenceKind::Zda:
      part = kZda;
      break;
    case SentenceKind::Gst:
      part = kGst;
      break;
    case SentenceKind::Other:
      return;
  }
  const int64_t timeMs = s.timeMs();
  CloseIfNewEpoch(part, timeMs, out);
  Note(part, timeMs);

  const std::optional<GnssSystem> talkerSystem = SystemOfTalker(s.talkerText());
  const auto setTalker = [&] {
    open_.talker[0] = s.talker[0];
    open_.talker[1] = s.talker[1];
  };
  if (const auto* gga = std::get_if<GgaSentence>(&s.value)) {
    open_.gga = *gga;
    setTalker();
  } else if (const auto* gns = std::get_if<GnsSentence>(&s.value)) {
    open_.gns = *gns;
    if (!open_.gga) setTalker();
  } else if (const auto* rmc = std::get_if<RmcSentence>(&s.value)) {
    open_.rmc = *rmc;
    if (rmc->date) open_.date = rmc->date;
    if (!open_.gga && !open_.gns) setTalker();
  } else if (const auto* gll = std::get_if<GllSentence>(&s.value)) {
    open_.gll = *gll;
    if (!open_.gga && !open_.gns && !open_.rmc) setTalker();
  } else if (const auto* gsa = std::get_if<GsaSentence>(&s.value)) {
    AddUsed(*gsa, talkerSystem);
  } else if (const auto* gsv = std::get_if<GsvSentence>(&s.value)) {
    AddSatellites(*gsv, talkerSystem);
  } else if (const auto* vtg = std::get_if<VtgSentence>(&s.value)) {
    open_.vtg = *vtg;
  } else if (const auto* zda = std::get_if<ZdaSentence>(&s.value)) {
    if (zda->date) open_.date = zda->date;
  } else if (const auto* gst = std::get_if<GstSentence>(&s.value)) {
    open_.gst = *gst;
  }
}

void EpochAssembler::AddUsed(const GsaSentence& gsa, std::optional<GnssSystem> talkerSystem) {
  const std::optional<GnssSystem> system =
      gsa.systemId >= 0 ? SystemOfNmeaId(gsa.systemId) : talkerSystem;
  if (!open_.hasGsa || (gsa.fixType > open_.gsaFixType)) open_.gsaFixType = gsa.fixType;
  open_.hasGsa = true;
  // Several GSA of one epoch (one per system) repeat the same DOPs; the first that gives them.
  if (std::isnan(open_.pdop)) open_.pdop = gsa.pdop;
  if (std::isnan(open_.hdop)) open_.hdop = gsa.hdop;
  if (std::isnan(open_.vdop)) open_.vdop = gsa.vdop;
  for (int i = 0; i < gsa.prnCount; ++i) {
    if (auto id = SatelliteFromNmea(gsa.prns[static_cast<size_t>(i)], system)) {
      if (std::find(open_.used.begin(), open_.used.end(), *id) == open_.used.end())
        open_.used.push_back(*id);
    }
  }
}

void EpochAssembler::AddSatellites(const GsvSentence& gsv, std::optional<GnssSystem> system) {
  open_.hasSky = true;
  for (int i = 0; i < gsv.satelliteCount; ++i) {
    const GsvSatellite& in = gsv.satellites[static_cast<size_t>(i)];
    const auto id = SatelliteFromNmea(in.number, system);
    if (!id) continue;
    EpochSatellite sat;
    sat.system = id->system;
    sat.svid = id->svid;
    sat.prn = id->prn;
    sat.signalId = gsv.signalId;
    sat.elevationDeg = in.elevationDeg;
    sat.azimuthDeg = in.azimuthDeg;
    sat.cn0DbHz = in.cn0DbHz;
    // A group repeated within the epoch replaces its satellite's entry. The bitmap of the
    // satellites so far saves the search for all but a satellite's further signals.
    const size_t bit =
        (static_cast<size_t>(sat.system) << 8 | (static_cast<size_t>(sat.svid) & 0xFF));
    auto same = open_.satellites.end();
    if (open_.seen.test(bit)) {
      same = std::find_if(open_.satellites.begin(), open_.satellites.end(), [&](const auto& s) {
        return s.system == sat.system && s.svid == sat.svid && s.signalId == sat.signalId;
      });
    }
    open_.seen.set(bit);
    if (same != open_.satellites.end()) {
      *same = sat;
    } else {
      open_.satellites.push_back(sat);
    }
  }
}

void EpochAssembler::AddBinaryFix(const TNavRecord& r, std::vector<Epoch>& out) {
  const int64_t timeMs = (r.hour >= 0 && r.hour < 24 && r.minute >= 0 && r.minute < 60 &&
                          r.second >= 0 && r.second <= 60)
                             ? ((r.hour * 60LL + r.minute) * 60 + r.second) * 1000
                             : -1;
  CloseIfNewEpoch(kBinaryFix, timeMs, out);
  Note(kBinaryFix, timeMs);
  Epoch e;
  e.source = EpochSource::Binary;
  // fixMode: 0 no fix, 1 2D, 2 3D, 3 3D+; fixIndicator: 5 no fix, 0 GPS, 1 differential.
  const bool fix = r.fixIndicator != 5 && r.fixMode >= 1;
  e.mode = !fix ? FixMode::None : (r.fixMode == 1 ? FixMode::TwoD : FixMode::ThreeD);
  e.quality = !fix ? FixQuality::Invalid
                   : (r.fixIndicator == 1 ? FixQuality::Differential : FixQuality::Autonomous);
  if (fix) {
    e.latitudeDeg = r.exact.latitudeDeg;
    e.longitudeDeg = r.exact.longitudeDeg;
    if (e.threeD()) e.altitudeMslM = r.exact.altitudeMslM;
    e.speedMs = r.exact.speedMs;
    e.trackDeg = r.exact.trackDeg;
  }
  e.pdop = r.pdop > 0 ? r.pdop : kNoValue;
  e.hdop = r.hdop > 0 ? r.hdop : kNoValue;
  e.vdop = r.vdop > 0 ? r.vdop : kNoValue;
  e.satellitesUsed = r.satellitesUsed;
  if (r.year >= 1980 && r.month >= 1 && r.month <= 12 && r.day >= 1 && r.day <= 31)
    open_.date = UtcDate{r.year, r.month, r.day};
  open_.binary = std::move(e);
}

void EpochAssembler::AddBinaryChannels(const TNavRecord& r, int channelCount,
                                       std::vector<Epoch>& out) {
  CloseIfNewEpoch(kBinaryChannels, -1, out);
  Note(kBinaryChannels, -1);
  open_.hasSky = true;
  open_.satellites.clear();
  open_.seen.reset();
  open_.used.clear();
  for (int i = 0; i < std::min(channelCount, kChannelCount); ++i) {
    const int prn = r.prnList[i];
    if (prn < 1 || prn > kSatelliteCount) continue;
    const TSatellite& in = r.satellites[prn - 1];
    const auto id = SatelliteFromNmea(prn, std::nullopt);
    if (!id) continue;
    EpochSatellite sat;
    sat.system = id->system;
    sat.svid = id->svid;
    sat.prn = id->prn;
    sat.elevationDeg = in.elevation;
    sat.azimuthDeg = in.azimuth;
    const int channel = std::clamp(in.channel, 0, kChannelCount - 1);
    sat.cn0DbHz = r.channels[channel].cn0 > 0 ? r.channels[channel].cn0 : kNoValue;
    sat.used = in.used != 0;
    if (sat.used) open_.used.push_back(*id);
    open_.satellites.push_back(sat);
  }
}

void EpochAssembler::Close(std::vector<Epoch>& out) {
  if (!open()) return;
  out.push_back(Build());
  open_.parts = 0;
  open_.timeMs = -1;
  open_.gga.reset();
  open_.gns.reset();
  open_.rmc.reset();
  open_.gll.reset();
  open_.vtg.reset();
  open_.gst.reset();
  open_.date.reset();
  open_.talker[0] = open_.talker[1] = 0;
  open_.gsaFixType = -1;
  open_.pdop = open_.hdop = open_.vdop = kNoValue;
  open_.hasGsa = false;
  open_.used.clear();  // keeps its capacity
  open_.satellites.clear();
  open_.seen.reset();
  open_.hasSky = false;
  open_.binary.reset();
  lastPart_ = -1;
  closedBySilence_ = false;
}

void EpochAssembler::CloseAfterSilence(std::vector<Epoch>& out) {
  if (!open()) return;
  Close(out);
  closedBySilence_ = true;
}

// --- Building the value -----------------------------------------------------------------------

Epoch EpochAssembler::Build() {
  Epoch e = open_.binary ? std::move(*open_.binary) : Epoch{};
  if (!open_.binary) {
    e.talker.assign(open_.talker, open_.talker[1] ? 2 : (open_.talker[0] ? 1 : 0));
    SetFix(e);
  }
  e.timeOfDayMs = open_.timeMs;
  SetDate(e);
  SetSky(e);
  if (e.source == EpochSource::Nmea) SetErrorEstimates(e, open_.gst ? &*open_.gst : nullptr);

  // Climb from the heights of consecutive epochs.
  if (e.hasFix() && !std::isnan(e.altitudeMslM) && e.hasTime()) {
    if (!std::isnan(lastAltitudeM_) && lastAltitudeTimeMs_ >= 0) {
      const int64_t step = StepMs(lastAltitudeTimeMs_, e.timeOfDayMs);
      if (step > 0 && step <= kMaxClimbStepMs)
        e.climbMs = (e.altitudeMslM - lastAltitudeM_) * 1000.0 / static_cast<double>(step);
    }
    lastAltitudeM_ = e.altitudeMslM;
    lastAltitudeTimeMs_ = e.timeOfDayMs;
  }
  if (e.hasTime()) {
    if (lastEpochTimeMs_ >= 0) {
      const int64_t step = StepMs(lastEpochTimeMs_, e.timeOfDayMs);
      if (step > 0) intervalMs_ = step;
    }
    lastEpochTimeMs_ = e.timeOfDayMs;
  }
  return e;
}

void EpochAssembler::SetDate(Epoch& e) {
  if (open_.date) {
    date_ = open_.date;
    dateTimeMs_ = e.timeOfDayMs;
  } else if (date_ && e.hasTime()) {
    if (dateTimeMs_ >= 0 && e.timeOfDayMs < dateTimeMs_ - kHalfDayMs) date_ = NextDay(*date_);
    dateTimeMs_ = e.timeOfDayMs;
  }
  if (e.hasTime()) e.date = date_;
}

void EpochAssembler::SetFix(Epoch& e) {
  const OpenEpoch& o = open_;
  // Who says whether there is a fix: GGA or GNS first, else RMC or GLL.
  bool fix = false;
  double lat = kNoValue, lon = kNoValue;
  FixQuality quality = FixQuality::Autonomous;
  if (o.gga && o.gga->quality >= 0) {
    // A satellite fix from no satellites is a position held over, not a fix (gpsd's rule too);
    // dead reckoning, a manual or a simulated position need none.
    fix = o.gga->quality > 0 && !(o.gga->quality <= 5 && o.gga->satellitesUsed == 0);
    quality = QualityOfGga(o.gga->quality);
    if (fix) {
      lat = o.gga->latitudeDeg, lon = o.gga->longitudeDeg;
      e.satellitesUsed = o.gga->satellitesUsed;
    }
  } else if (o.gns && o.gns->mode != 0) {
    fix = o.gns->mode != 'N';
    quality = QualityOfMode(o.gns->mode);
    if (fix) lat = o.gns->latitudeDeg, lon = o.gns->longitudeDeg;
  } else if (o.rmc) {
    fix = o.rmc->valid && o.rmc->mode != 'N';
    quality = QualityOfMode(o.rmc->mode);
  } else if (o.gll) {
    fix = o.gll->valid && o.gll->mode != 'N';
    quality = QualityOfMode(o.gll->mode);
  }
  // The position from the first sentence that has one, when a fix was said.
  if (fix && !HasPosition(lat, lon)) {
    if (o.gns && o.gns->mode != 'N' && HasPosition(o.gns->latitudeDeg, o.gns->longitudeDeg)) {
      lat = o.gns->latitudeDeg, lon = o.gns->longitudeDeg;
    } else if (o.rmc && o.rmc->valid && HasPosition(o.rmc->latitudeDeg, o.rmc->longitudeDeg)) {
      lat = o.rmc->latitudeDeg, lon = o.rmc->longitudeDeg;
    } else if (o.gll && o.gll->valid && HasPosition(o.gll->latitudeDeg, o.gll->longitudeDeg)) {
      lat = o.gll->latitudeDeg, lon = o.gll->longitudeDeg;
    }
  }
  if (o.gga && e.satellitesUsed < 0) e.satellitesUsed = o.gga->satellitesUsed;
  if (o.gns && e.satellitesUsed < 0) e.satellitesUsed = o.gns->satellitesUsed;

  // Heights, from the sentence with the fix.
  double altitude = kNoValue, separation = kNoValue;
  if (o.gga && o.gga->quality > 0) {
    altitude = o.gga->altitudeMslM, separation = o.gga->geoidSeparationM;
  } else if (o.gns && o.gns->mode != 0 && o.gns->mode != 'N') {
    altitude = o.gns->altitudeMslM, separation = o.gns->geoidSeparationM;
  }
  // A GSA that says no fix is the receiver's own word on the mode, and so is its 2D.
  if (fix && o.hasGsa && o.gsaFixType == 1) fix = false;
  if (!fix || !HasPosition(lat, lon)) {
    e.mode = FixMode::None;
    e.quality = FixQuality::Invalid;
  } else {
    e.latitudeDeg = lat;
    e.longitudeDeg = lon;
    e.quality = quality;
    if (o.hasGsa && o.gsaFixType >= 2) {
      e.mode = o.gsaFixType == 2 ? FixMode::TwoD : FixMode::ThreeD;
    } else {
      e.mode = std::isnan(altitude) ? FixMode::TwoD : FixMode::ThreeD;
    }
    if (e.mode == FixMode::ThreeD) {
      e.altitudeMslM = altitude;
      e.geoidSeparationM = separation;
    }
  }

  // Speed and track: RMC, else VTG.
  if (o.rmc && o.rmc->valid) {
    e.speedMs = o.rmc->speedMs;
    e.trackDeg = o.rmc->trackDeg;
  }
  if (o.vtg && o.vtg->mode != 'N') {
    if (std::isnan(e.speedMs)) e.speedMs = o.vtg->speedMs;
    if (std::isnan(e.trackDeg)) e.trackDeg = o.vtg->trackDeg;
  }
  if (!e.hasFix()) e.speedMs = e.trackDeg = kNoValue;

  e.pdop = o.pdop;
  e.hdop = !std::isnan(o.hdop) ? o.hdop : o.gga ? o.gga->hdop : o.gns ? o.gns->hdop : kNoValue;
  e.vdop = o.vdop;
}

void EpochAssembler::MarkUsed(std::vector<EpochSatellite>& satellites) const {
  for (EpochSatellite& sat : satellites) {
    const bool listed = std::find(open_.used.begin(), open_.used.end(),
                                  SatelliteId{sat.system, sat.svid, sat.prn}) != open_.used.end();
    // Listed in a GSA but shown without a signal: not measured in this epoch (gpsd's rule too).
    sat.used = listed && sat.cn0DbHz > 0;
  }
}

void EpochAssembler::SetSky(Epoch& e) {
  e.hasSky = open_.hasSky;
  if (open_.hasSky) {
    if (e.source == EpochSource::Nmea) MarkUsed(open_.satellites);  // the module says it itself
    e.satellites = open_.satellites;
    lastSky_ = open_.satellites;
  }
  if (e.source == EpochSource::Binary || !e.hasFix() || !open_.hasGsa) return;
  // The geometry: this epoch's satellites, or the last view seen, with this epoch's used flags.
  std::vector<EpochSatellite>& geometry = open_.hasSky ? open_.satellites : lastSky_;
  if (!open_.hasSky) MarkUsed(geometry);
  if (const auto dop = DopFromGeometry(geometry)) {
    e.xdop = dop->xdop;
    e.ydop = dop->ydop;
    e.tdop = dop->tdop;
    e.gdop = dop->gdop;
    if (std::isnan(e.hdop)) e.hdop = dop->hdop;
    if (std::isnan(e.vdop)) e.vdop = dop->vdop;
    if (std::isnan(e.pdop)) e.pdop = dop->pdop;
  }
}

}  // namespace vetra
