// gpsd's own decoder as the oracle of the epochs: each real capture of tests/data/nmea-real goes
// through an EpochStream and through `gpsdecode`, and every TPV gpsdecode reports with a fix is
// matched by its UTC time of day to one of our epochs: the mode, the position (to 1e-9 degrees),
// the heights, speed, track, eph/epv (to 1 %), and, from the SKY report gpsd gave last before the
// TPV, the DOPs and the satellites used. Each deliberate difference is listed below with its
// reason; everything else must agree.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "epoch_test_support.h"

namespace vetra {
namespace {

using nlohmann::json;

#ifdef VETRA_GPSDECODE
constexpr const char* kGpsdecode = VETRA_GPSDECODE;
#else
constexpr const char* kGpsdecode = nullptr;
#endif

const std::filesystem::path kCaptures = std::filesystem::path(VETRA_TESTDATA) / "nmea-real";

// A TPV of gpsdecode with the SKY reports around it: gpsd sends a SKY when a GSV group or a GSA
// completes, before or after the epoch's TPV as the receiver orders its sentences, so the
// epoch's SKY is the last one before its TPV or the last one before the next TPV.
struct GpsdReport {
  json tpv;
  std::optional<json> skyBefore, skyAfter;
};

std::vector<GpsdReport> Gpsdecode(const std::filesystem::path& log) {
  std::vector<GpsdReport> reports;
#ifdef VETRA_GPSDECODE
  const std::string command = std::string(kGpsdecode) + " < '" + log.string() + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return reports;
  std::string line;
  std::optional<json> sky;
  char buffer[65536];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    line += buffer;
    if (line.empty() || line.back() != '\n') continue;
    const json report = json::parse(line, nullptr, false);
    line.clear();
    if (report.is_discarded()) continue;
    if (report.value("class", "") == "SKY") {
      sky = report;
      if (!reports.empty()) reports.back().skyAfter = report;
    }
    if (report.value("class", "") == "TPV") {
      // gpsd may report an epoch twice when it takes a sentence in the middle for the end of
      // the receiver's cycle (a GLL before the GGA): the first report lacks what came later.
      if (!reports.empty() && reports.back().tpv.value("time", "") == report.value("time", "x")) {
        reports.back().tpv = report;
        continue;
      }
      reports.push_back({report, sky, std::nullopt});
    }
  }
  pclose(pipe);
#else
  (void)log;
#endif
  return reports;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// "2035-12-06T22:32:52.000Z" -> milliseconds of the day.
int64_t TimeOfDayMs(const std::string& time) {
  int hour = 0, minute = 0;
  double second = 0;
  if (time.size() < 20 || std::sscanf(time.c_str() + 11, "%d:%d:%lf", &hour, &minute, &second) != 3)
    return -1;
  return (hour * 60LL + minute) * 60'000 + std::llround(second * 1000);
}

// gpsdecode has no clock to tell which 1024-week GPS era a receiver's date belongs to, and on
// captures older than its own build it guesses the later era: its date is then ours plus 1024
// weeks (the time of day the same). Our epochs keep the receiver's date.
bool OneRolloverLater(const Epoch& e, const std::string& gpsdTime) {
  if (!e.date) return false;
  using namespace std::chrono;
  const sys_days ours{year{e.date->year} / month{static_cast<unsigned>(e.date->month)} /
                      day{static_cast<unsigned>(e.date->day)}};
  const year_month_day later{ours + weeks{1024}};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(later.year()),
                static_cast<unsigned>(later.month()), static_cast<unsigned>(later.day()));
  return gpsdTime.compare(0, 10, text) == 0 && gpsdTime.substr(10) == e.UtcText().substr(10);
}

// What we deliberately do otherwise than gpsd, capture by capture (the reasons in the list).
enum Difference : unsigned {
  kOtherProtocol = 1u << 0,  // gpsd decodes u-blox's binary protocol too: fixes we do not read
  kMode = 1u << 1,           // the receiver says 2D: gpsd says 3D from a height it gave anyway
  kHeight = 1u << 2,         // gpsd's altHAE from its own geoid table: no separation given
  kSky = 1u << 3,            // gpsd's SKY reports are of other epochs than the one beside them
  kUsed = 1u << 4,           // gpsd's satellites used are not the receiver's
  kZdaAhead = 1u << 5,       // ZDA runs a second ahead: gpsd stamps the epoch with its time
  kErrors = 1u << 6,         // gpsd's eph/epv are not from the DOPs
  kPosition = 1u << 7,       // gpsd's position is of another sentence of the epoch
  kLongGsa = 1u << 8,        // gpsd does not read the DOPs of a GSA with room for 24 satellites
  kExtraFix = 1u << 9,       // a fix where gpsd reports none
};

const std::map<std::string, unsigned> kKnown = {
    // ZDA one second ahead of GGA and RMC in each cycle, which gpsd takes as the epoch's time;
    // the receiver's GSA says 2D; gpsd's position is the RMC's (four decimals of minutes), ours
    // the GGA's (five).
    {"ac12_binary.log", kZdaAhead | kMode | kPosition},
    // gpsd takes eph and epv from SiRF's proprietary $PSRFEPE; ours come from the DOPs.
    {"beidou-gb.log", kErrors},
    // GSA with room for 24 satellites: gpsd reads its DOPs where a 12-satellite GSA has them
    // (empty there) and computes pdop and vdop (and so epv) from the geometry; ours are the
    // receiver's.
    {"ch-4701.log", kLongGsa},
    // GSA says 2D while GGA gives a height.
    {"ch-4711.log", kMode},
    // A GSV that lost characters in transit leaves the first epoch without gpsd's SKY: the SKY
    // beside it is of another epoch.
    {"com-1289.log", kSky},
    // A GLL one second off the epoch's time: an epoch of its own, 2D (a GLL has no height),
    // where gpsd carries the mode of the epoch before.
    {"garmin48.log", kMode},
    // GSV groups cut short by the receiver's overflow: gpsd sends no SKY for them, and the one it
    // sent last is of an earlier epoch.
    {"gp-320fw-2019-04-06-overflow.log", kSky},
    // One sentence kind a second (RMC, GLL, GGA in turn): gpsd carries the mode, speed and errors
    // of one second into the next; ours are each second's own.
    {"humminbird-M37.log", kMode | kErrors | kHeight},
    // Packet collisions cut the first GSV of the epochs: gpsd keeps those satellites from an
    // earlier view and counts them used; our epochs hold the satellites of their own GSV.
    {"isync.log", kUsed},
    // GSA says 2D while GGA gives a height; GGA without geoid separation.
    {"myguide-3100.log", kHeight},
    {"tomtom-mkII.log", kMode},
    // GSA says 2D; gpsd's error figures come from the GSA of an epoch without a fix (DOP 99).
    {"sl869.log", kMode | kErrors},
    // gpsd 3.22 reads no NMEA 4.10 system id for Galileo and BeiDou: it marks none of their
    // satellites used (and takes Galileo E33 for SBAS 120), so its geometry DOPs differ too.
    {"ublox-zed-f9p-nmea.log", kUsed},
    // u-blox binary only.
    {"ublox-neo-m8n.log", kOtherProtocol},
};

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

class GpsdecodeOracle : public ::testing::TestWithParam<std::string> {};

// One value of ours against gpsd's: equal within the tolerance, or a difference the rules at the
// top of this file allow. before: the same value of our epoch before (gpsd may report an epoch
// before all of its sentences arrived).
struct Compare {
  std::vector<std::string>& problems;
  std::string time;

  void Value(const std::string& key, double mine, const json& object, double tolerance,
             double relative = 0, double before = kNoValue) {
    const bool theirs = object.contains(key);
    if (!theirs && std::isnan(mine)) return;
    if (theirs && std::isnan(mine)) return;  // gpsd keeps an earlier epoch's value
    if (theirs) {
      const double value = object[key].get<double>();
      const double allowed = tolerance + relative * std::fabs(value);
      if (Near(mine, value, allowed) || (!std::isnan(before) && Near(before, value, allowed)))
        return;
    }
    problems.push_back(time + " " + key + " " + std::to_string(mine) + " gpsd " +
                       (theirs ? object[key].dump() : "none"));
  }
};

TEST_P(GpsdecodeOracle, EpochsAgreeWithGpsdecode) {
  if (kGpsdecode == nullptr) GTEST_SKIP() << "gpsdecode (gpsd-clients) not installed";
  const std::string name = GetParam();
  const auto path = kCaptures / name;
  const auto run = test::RunLog(ReadFile(path));
  const auto reports = Gpsdecode(path);
  const unsigned known = kKnown.count(name) ? kKnown.at(name) : 0;

  // Our epochs by time of day; where a time has two (a receiver whose clock stepped back, a ZDA
  // a second ahead of its epoch), the one nearest to gpsd's position.
  std::multimap<int64_t, size_t> byTime;
  for (size_t i = 0; i < run.epochs.size(); ++i) byTime.emplace(run.epochs[i].timeOfDayMs, i);
  const auto epochAt = [&](int64_t timeMs, const json& tpv) -> std::optional<size_t> {
    std::optional<size_t> found;
    double nearest = 1e9;
    for (auto [it, end] = byTime.equal_range(timeMs); it != end; ++it) {
      const Epoch& e = run.epochs[it->second];
      const double distance = e.hasFix() ? std::fabs(e.latitudeDeg - tpv.value("lat", 0.0)) +
                                               std::fabs(e.longitudeDeg - tpv.value("lon", 0.0))
                                         : 1e8;
      if (!found || distance < nearest) found = it->second, nearest = distance;
    }
    return found;
  };

  std::vector<std::string> problems;
  for (const GpsdReport& report : reports) {
    const json& tpv = report.tpv;
    if (!tpv.contains("time")) continue;
    const std::string time = tpv["time"];
    if (tpv.value("mode", 0) < 2) {
      // gpsd says no fix: neither may we.
      const int64_t shift = (known & kZdaAhead) ? -1000 : 0;
      for (auto [it, end] = byTime.equal_range(TimeOfDayMs(time) + shift); it != end; ++it) {
        if (run.epochs[it->second].hasFix() && !(known & kExtraFix))
          problems.push_back(time + " a fix where gpsd has none");
      }
      continue;
    }
    Compare compare{problems, time};
    const int64_t shift = (known & kZdaAhead) ? -1000 : 0;
    const auto index = epochAt(TimeOfDayMs(time) + shift, tpv);
    if (!index) {
      if (!(known & kOtherProtocol)) problems.push_back(time + " no epoch");
      continue;
    }
    const Epoch& e = run.epochs[*index];
    // The same value of our latest epoch before that has one.
    const auto previous = [&](double Epoch::*field) {
      for (size_t i = *index; i-- > 0;) {
        if (run.epochs[i].hasFix() && !std::isnan(run.epochs[i].*field))
          return run.epochs[i].*field;
      }
      return kNoValue;
    };
    if (!(known & kZdaAhead) && e.UtcText() != time && !OneRolloverLater(e, time))
      problems.push_back(time + " time " + e.UtcText());
    if (!(known & kMode) && GpsdMode(e.mode) != tpv.value("mode", 0))
      problems.push_back(time + " mode " + std::to_string(GpsdMode(e.mode)));
    if (!e.hasFix()) continue;
    if (!(known & kPosition) && (!Near(e.latitudeDeg, tpv.value("lat", 1e9), 1e-9) ||
                                 !Near(e.longitudeDeg, tpv.value("lon", 1e9), 1e-9)))
      problems.push_back(time + " position");
    if (!(known & kMode)) {
      compare.Value("altMSL", e.altitudeMslM, tpv, 1e-4);
      if (!(known & kHeight)) compare.Value("altHAE", e.EllipsoidHeightM(), tpv, 1e-4);
    }
    // A speed without a track is gpsd's own, from the change of position, where it reported the
    // epoch before the sentence with the receiver's speed arrived.
    if (tpv.contains("track") || std::isnan(e.trackDeg)) {
      compare.Value("speed", e.speedMs, tpv, 1e-3);
      compare.Value("track", e.trackDeg, tpv, 1e-4);
    }
    if (!(known & kErrors)) {
      compare.Value("eph", e.eph, tpv, 1e-3, 0.01, previous(&Epoch::eph));
      if (!(known & kLongGsa)) compare.Value("epv", e.epv, tpv, 1e-3, 0.01, previous(&Epoch::epv));
    }
    // gpsd sends a SKY when a satellite view completes: an epoch without GSV has none of its own.
    if ((known & kSky) || !e.hasSky) continue;
    // The SKY before the TPV, or the one after it, must agree.
    std::vector<std::string> skyProblems[2];
    const std::optional<json>* skies[2] = {&report.skyBefore, &report.skyAfter};
    for (int k = 0; k < 2; ++k) {
      if (!*skies[k]) continue;
      const json& sky = **skies[k];
      Compare sky_compare{skyProblems[k], time};
      sky_compare.Value("hdop", e.hdop, sky, 0.0051, 0, previous(&Epoch::hdop));
      if (!(known & kLongGsa)) {
        sky_compare.Value("vdop", e.vdop, sky, 0.0051, 0, previous(&Epoch::vdop));
        sky_compare.Value("pdop", e.pdop, sky, 0.0051, 0, previous(&Epoch::pdop));
      }
      if (!(known & kUsed)) {
        for (const auto& [key, field] : {std::pair{"xdop", &Epoch::xdop},
                                         {"ydop", &Epoch::ydop},
                                         {"tdop", &Epoch::tdop},
                                         {"gdop", &Epoch::gdop}}) {
          sky_compare.Value(key, e.*field, sky, 0.0051, 0, previous(field));
        }
      }
      if (!(known & kUsed)) {
        std::set<std::pair<int, int>> ours, theirs;
        for (const EpochSatellite& s : e.satellites)
          if (s.used) ours.insert({static_cast<int>(s.system), s.svid});
        for (const json& s : sky["satellites"])
          if (s.value("used", false)) theirs.insert({s.value("gnssid", -1), s.value("svid", -1)});
        if (ours != theirs) {
          std::string diff;
          for (auto [g, v] : ours)
            if (!theirs.count({g, v})) diff += " +" + std::to_string(g) + ":" + std::to_string(v);
          for (auto [g, v] : theirs)
            if (!ours.count({g, v})) diff += " -" + std::to_string(g) + ":" + std::to_string(v);
          skyProblems[k].push_back(time + " satellites used" + diff);
        }
      }
    }
    if (!report.skyBefore && !report.skyAfter) continue;
    if ((report.skyBefore && skyProblems[0].empty()) || (report.skyAfter && skyProblems[1].empty()))
      continue;
    const auto& shown = report.skyBefore ? skyProblems[0] : skyProblems[1];
    problems.insert(problems.end(), shown.begin(), shown.end());
  }
  std::string all;
  for (const auto& p : problems) all += "\n  " + p;
  EXPECT_TRUE(problems.empty()) << name << ": " << problems.size() << " differences" << all;
  std::printf("%-36s epochs with a fix %4llu   gpsdecode TPVs %4zu\n", name.c_str(),
              static_cast<unsigned long long>(run.counts.epochsWithFix), reports.size());
}

std::vector<std::string> Captures() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kCaptures)) {
    if (entry.path().extension() == ".log") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param.substr(0, info.param.size() - 4)) name += std::isalnum(c) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(RealCaptures, GpsdecodeOracle, ::testing::ValuesIn(Captures()), TestName);

}  // namespace
}  // namespace vetra
