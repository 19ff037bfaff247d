#include "share/gpsd_reports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vetra {
namespace {

bool Known(double value) { return std::isfinite(value); }

// Values computed here or converted (knots to m/s, MSL plus separation) would print their binary
// noise (12.3 + -17.1 is -4.800000000000001); rounded to a tenth of what gpsd prints, far below
// what a receiver resolves.
double Rounded(double value, double perUnit) { return std::round(value * perUnit) / perUnit; }

// An integral value (an elevation of 21, a C/N0 of 31) as a JSON integer, as gpsd writes it.
GpsdJson Number(double value) {
  if (std::abs(value) < 1e9 && value == std::trunc(value)) return static_cast<int64_t>(value);
  return value;
}

void PutIfKnown(GpsdJson& object, const char* key, double value, double perUnit) {
  if (Known(value)) object[key] = Number(Rounded(value, perUnit));
}

constexpr double kPerMetre = 1e4;  // heights and error estimates to 0.1 mm
constexpr double kPerDop = 1e3;
constexpr double kPerDegree = 1e4;  // track, elevation, azimuth
constexpr double kPerMetrePerSecond = 1e4;

}  // namespace

std::string GpsdTime(const Epoch& e) {
  if (!e.hasTime() || !e.date) return {};
  const UtcDate& d = *e.date;
  if (d.year < 1980 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31) {
    return {};
  }
  int64_t ms = e.timeOfDayMs;
  int hour = static_cast<int>(ms / 3'600'000);
  int minute = static_cast<int>(ms / 60'000 % 60);
  int second = static_cast<int>(ms / 1000 % 60);
  if (hour > 23) {  // a leap second, 23:59:60
    hour = 23;
    minute = 59;
    second = static_cast<int>(std::min<int64_t>(60, 60 + (ms - 86'400'000) / 1000));
  }
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", d.year, d.month, d.day,
                hour, minute, second, static_cast<int>(ms % 1000));
  return text;
}

GpsdJson TpvReport(const Epoch& e, const std::string& device) {
  GpsdJson tpv;
  tpv["class"] = "TPV";
  tpv["device"] = device;
  const int mode = GpsdMode(e.mode);
  const bool fix = mode >= 2 && e.hasFix();
  const int status = GpsdStatus(e.quality);
  if (fix && status != 0) tpv["status"] = status;
  tpv["mode"] = mode;
  const std::string time = GpsdTime(e);
  if (!time.empty()) tpv["time"] = time;
  if (Known(e.ept)) tpv["ept"] = Rounded(e.ept, 1e6);
  if (!fix) return tpv;

  tpv["lat"] = e.latitudeDeg;  // the receiver's own digits
  tpv["lon"] = e.longitudeDeg;
  const bool heights = mode == 3 && Known(e.altitudeMslM);
  if (heights) {
    PutIfKnown(tpv, "altHAE", e.EllipsoidHeightM(), kPerMetre);
    PutIfKnown(tpv, "altMSL", e.altitudeMslM, kPerMetre);
    PutIfKnown(tpv, "alt", e.altitudeMslM, kPerMetre);
  }
  PutIfKnown(tpv, "epx", e.epx, kPerMetre);
  PutIfKnown(tpv, "epy", e.epy, kPerMetre);
  if (mode == 3) PutIfKnown(tpv, "epv", e.epv, kPerMetre);
  PutIfKnown(tpv, "track", e.trackDeg, kPerDegree);
  PutIfKnown(tpv, "speed", e.speedMs, kPerMetrePerSecond);
  if (heights) PutIfKnown(tpv, "climb", e.climbMs, kPerMetrePerSecond);
  PutIfKnown(tpv, "geoidSep", e.geoidSeparationM, kPerMetre);
  PutIfKnown(tpv, "eph", e.eph, kPerMetre);
  return tpv;
}

GpsdJson SkyReport(const Epoch& e, const std::string& device,
                   const std::vector<EpochSatellite>* satellitesShown) {
  GpsdJson sky;
  sky["class"] = "SKY";
  sky["device"] = device;
  const std::string time = GpsdTime(e);
  if (!time.empty()) sky["time"] = time;
  PutIfKnown(sky, "xdop", e.xdop, kPerDop);
  PutIfKnown(sky, "ydop", e.ydop, kPerDop);
  PutIfKnown(sky, "vdop", e.vdop, kPerDop);
  PutIfKnown(sky, "tdop", e.tdop, kPerDop);
  PutIfKnown(sky, "hdop", e.hdop, kPerDop);
  PutIfKnown(sky, "gdop", e.gdop, kPerDop);
  PutIfKnown(sky, "pdop", e.pdop, kPerDop);

  const std::vector<EpochSatellite>* view = e.hasSky ? &e.satellites : satellitesShown;
  GpsdJson satellites = GpsdJson::array();
  int used = 0;
  if (view != nullptr) {
    for (const EpochSatellite& s : *view) {
      GpsdJson satellite;
      satellite["PRN"] = s.prn;
      PutIfKnown(satellite, "el", s.elevationDeg, kPerDegree);
      PutIfKnown(satellite, "az", s.azimuthDeg, kPerDegree);
      if (Known(s.cn0DbHz) && s.cn0DbHz > 0) PutIfKnown(satellite, "ss", s.cn0DbHz, 10);
      satellite["used"] = s.used;
      satellite["gnssid"] = static_cast<int>(s.system);
      satellite["svid"] = s.svid;
      if (s.signalId >= 0) satellite["sigid"] = s.signalId;
      if (s.used) ++used;
      satellites.push_back(std::move(satellite));
    }
    sky["nSat"] = satellites.size();
  }
  if (e.hasSky) {
    sky["uSat"] = used;
  } else if (e.satellitesUsed >= 0) {
    sky["uSat"] = e.satellitesUsed;
  }
  sky["satellites"] = std::move(satellites);
  return sky;
}

std::string GpsdText(const GpsdJson& object) {
  return object.dump(-1, ' ', false, GpsdJson::error_handler_t::replace);
}

SharedPass GpsdReportMaker::Take(const std::vector<Epoch>& epochs,
                                 const std::vector<std::string>& sentences) {
  SharedPass shared;
  shared.sentences = sentences;
  if (!sentences.empty()) seenData_ = true;
  for (const Epoch& epoch : epochs) {
    seenData_ = true;
    if (epoch.hasSky) lastView_ = epoch.satellites;
    lastTpv_ = TpvReport(epoch, device_);
    lastSky_ = SkyReport(epoch, device_, &lastView_);
    shared.reports.push_back(GpsdText(*lastTpv_));
    shared.reports.push_back(GpsdText(*lastSky_));
  }
  return shared;
}

void GpsdReportMaker::Forget() {
  lastView_.clear();
  lastTpv_.reset();
  lastSky_.reset();
}

}  // namespace vetra
