#pragma once
// Helpers for the NMEA parser tests: sentences with their checksum, feeding a stream the way the
// monitoring task does (Feed again on the remainder) in pieces of a chosen size, a printable
// summary of the record, and reading a capture.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "decode/nmea.h"

namespace vetra::testing {

// "GPGGA,..." -> "$GPGGA,...*hh\r\n" with the XOR of the body as hh (upper case).
inline std::string WithChecksum(std::string_view body, std::string_view end = "\r\n") {
  uint8_t x = 0;
  for (char c : body) x ^= static_cast<uint8_t>(c);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", x);
  return "$" + std::string(body) + "*" + hex + std::string(end);
}

inline NmeaFeed FeedText(TNmea& nmea, std::string_view text) {
  return nmea.Feed(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
}

// Feeds text whole and returns the result code of the one call.
inline int ResultOf(TNmea& nmea, std::string_view text) { return FeedText(nmea, text).result; }

struct FeedTranscript {
  std::vector<int> results;     // every non-zero result, in order
  bool consumedOk = true;       // each call consumed at least one byte and no more than given
  uint32_t positionErrors = 0;  // delimiters beyond position 82 of the call they were fed in
};

inline bool IsDelimiter(char c) {
  return c == '$' || c == ',' || c == '*' || c == '\r' || c == '\n';
}

// Feeds the stream in pieces of `piece` bytes (0: whole); each piece is fed again on its
// remainder until used up, as the monitoring task does.
inline FeedTranscript FeedStream(TNmea& nmea, std::string_view stream, size_t piece = 0) {
  FeedTranscript t;
  if (piece == 0) piece = stream.size();
  for (size_t start = 0; start < stream.size(); start += piece) {
    std::string_view rest = stream.substr(start, piece);
    while (!rest.empty()) {
      const NmeaFeed fed = FeedText(nmea, rest);
      if (fed.consumed <= 0 || static_cast<size_t>(fed.consumed) > rest.size()) {
        t.consumedOk = false;
        return t;
      }
      for (size_t k = TNmea::kMaxDelimiterPosition + 1; k < static_cast<size_t>(fed.consumed);
           ++k) {
        t.positionErrors += IsDelimiter(rest[k]);
      }
      if (fed.result != 0) t.results.push_back(fed.result);
      rest.remove_prefix(static_cast<size_t>(fed.consumed));
    }
  }
  return t;
}

// Feeds each line (LF included) on its own, so that no delimiter lies beyond the 82nd position of
// a call, and returns the number of non-zero results.
inline int FeedLineByLine(TNmea& nmea, std::string_view stream) {
  int results = 0;
  while (!stream.empty()) {
    const size_t lf = stream.find('\n');
    const size_t length = lf == std::string_view::npos ? stream.size() : lf + 1;
    std::string_view line = stream.substr(0, length);
    while (!line.empty()) {
      const NmeaFeed fed = FeedText(nmea, line);
      if (fed.result != 0) ++results;
      line.remove_prefix(static_cast<size_t>(fed.consumed));
    }
    stream.remove_prefix(length);
  }
  return results;
}

// Every record field the NMEA parser writes, as text, so that two records compare with a
// readable difference.
inline std::string Describe(const TNavRecord& r) {
  std::ostringstream out;
  out << "updated " << int{r.updated} << " restarts " << r.restartCounter << " speed " << r.speedKmh
      << " heading " << r.headingDeg << " lat " << r.latitudeDeg << ' ' << int{r.latitudeHemisphere}
      << " lon " << r.longitudeDeg << ' ' << int{r.longitudeHemisphere} << " alt " << r.altitudeM
      << " date " << r.year << '-' << r.month << '-' << r.day << " time " << r.hour << ':'
      << r.minute << ':' << r.second << " fixInd " << r.fixIndicator << " fixMode " << r.fixMode
      << " status " << int{r.status} << " dop " << r.pdop << '/' << r.hdop << '/' << r.vdop
      << " inView " << r.satellitesInView << " used " << r.satellitesUsed << "\nsatellites";
  for (int i = 0; i < kSatelliteCount; ++i) {
    const TSatellite& s = r.satellites[i];
    if (s.elevation || s.azimuth || s.used) {
      out << ' ' << i + 1 << ':' << s.elevation << '/' << s.azimuth << '/' << s.used;
    }
  }
  out << "\nprns";
  for (int prn : r.prnList) out << ' ' << prn;
  out << "\ncn0";
  for (const TChannel& c : r.channels) out << ' ' << c.cn0;
  return out.str();
}

// A missing capture fails the test that wanted it (gtest reports the exception) instead of
// handing it an empty stream to index into.
inline std::string ReadCapture(const std::string& name) {
  const std::string path = std::string(VETRA_TESTDATA) + "/nmea-real/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing capture " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vetra::testing
