#pragma once
// A raw receive log of a receiver standing still: per second GGA, GSA, two GSV and RMC, the
// position scattered around a fixed point by a repeatable noise, its minutes written with seven
// decimals (a millimetre of latitude is about 1.5e-5 minutes). The positions as the sentences
// write them are kept beside the log, read back from the very digits sent.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace vetra::test {

struct LoggedFix {
  double latitudeDeg = 0, longitudeDeg = 0;  // signed, from the sentence's digits
  std::string latitudeText, longitudeText;   // "4916.1234567", "12307.1234567"
};

inline std::string NmeaSentence(const std::string& body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

struct StaticLogOptions {
  int epochs = 120;
  double latitudeDeg = 49.26872428;
  double longitudeDeg = -123.11872011;
  double spreadM = 1.5;  // largest offset in each direction
  uint32_t seed = 7;
};

// "ddmm.mmmmmmm" (dd with two digits for latitude, three for longitude) and the value it writes.
inline std::string AngleText(double magnitudeDeg, int degreeDigits, double& written) {
  const long long units = std::llround(magnitudeDeg * 60e7);  // 1e-7 minutes
  const long long degrees = units / 600'000'000LL;
  const long long minuteUnits = units % 600'000'000LL;
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld%02lld.%07lld", degreeDigits, degrees,
                minuteUnits / 10'000'000LL, minuteUnits % 10'000'000LL);
  written = static_cast<double>(degrees) + static_cast<double>(minuteUnits) / 60e7;
  return text;
}

inline std::string StaticLog(const StaticLogOptions& options, std::vector<LoggedFix>* fixes) {
  uint32_t state = options.seed;
  auto uniform = [&state] {  // in [-1, 1)
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 16777216.0 * 2 - 1;
  };
  // Bell-shaped, as a receiver's scatter is, and never beyond the spread.
  auto noise = [&] { return (uniform() + uniform() + uniform()) / 3 * options.spreadM; };
  const double metresPerDegLat = 111'132.0;
  const double metresPerDegLon = 111'320.0 * std::cos(options.latitudeDeg * std::numbers::pi / 180);
  std::string log;
  for (int i = 0; i < options.epochs; ++i) {
    const double lat = options.latitudeDeg + noise() / metresPerDegLat;
    const double lon = options.longitudeDeg + noise() / metresPerDegLon;
    LoggedFix fix;
    double writtenLat = 0, writtenLon = 0;
    fix.latitudeText = AngleText(std::fabs(lat), 2, writtenLat);
    fix.longitudeText = AngleText(std::fabs(lon), 3, writtenLon);
    fix.latitudeDeg = lat < 0 ? -writtenLat : writtenLat;
    fix.longitudeDeg = lon < 0 ? -writtenLon : writtenLon;
    const char ns = lat < 0 ? 'S' : 'N';
    const char ew = lon < 0 ? 'W' : 'E';
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d.000", 12 + i / 3600, i / 60 % 60, i % 60);
    char altitude[16];
    std::snprintf(altitude, sizeof altitude, "%.1f", 55.0 + noise());
    const std::string position = fix.latitudeText + "," + ns + "," + fix.longitudeText + "," + ew;
    log += NmeaSentence(std::string("GPGGA,") + time + "," + position + ",1,08,0.9," + altitude +
                        ",M,-16.8,M,,");
    log += NmeaSentence("GPGSA,A,3,02,05,09,12,15,18,21,25,,,,,1.6,0.9,1.3");
    log += NmeaSentence("GPGSV,2,1,08,02,45,030,44,05,60,120,46,09,30,200,40,12,15,300,35");
    log += NmeaSentence("GPGSV,2,2,08,15,70,010,47,18,25,250,38,21,40,080,42,25,10,160,31");
    log += NmeaSentence(std::string("GPRMC,") + time + ",A," + position + ",0.0,0.0,150324,,");
    if (fixes != nullptr) fixes->push_back(fix);
  }
  return log;
}

}  // namespace vetra::test
