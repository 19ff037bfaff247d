// The sentence decoders of the NMEA 0183 reader (nmea_reader.h). Each decoder reads its fields by
// number through NmeaFields, which splits the text once and hands out string_views; no decoder
// touches a character outside the sentence.

#include "epoch/nmea_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vetra {

namespace {

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
constexpr double kMetresPerSecondPerKmh = 1000.0 / 3600.0;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The fields of one sentence after its address, split at the commas once. A field past the last
// reads as empty; count() says how many the sentence has.
class NmeaFields {
 public:
  static constexpr int kCapacity = 64;  // a 120-character sentence has at most 60 fields

  // body: the text between the address's comma and the '*' (at most 120 characters).
  explicit NmeaFields(std::string_view body) : data_(body.data()) {
    // One pass: a comma ends a field (every sentence is short, so a loop beats a search). Field i
    // runs from starts_[i] to the comma before starts_[i + 1].
    const size_t size = std::min(body.size(), kMaxSentenceLength);
    starts_[0] = 0;
    for (size_t i = 0; i < size && count_ < kCapacity - 1; ++i) {
      if (data_[i] == ',') starts_[++count_] = static_cast<uint8_t>(i + 1);
    }
    ++count_;
    starts_[count_] = static_cast<uint8_t>(size + 1);
  }

  int count() const { return count_; }
  std::string_view operator[](int i) const {
    if (i < 0 || i >= count_) return {};
    return std::string_view(data_ + starts_[i],
                            static_cast<size_t>(starts_[i + 1] - starts_[i] - 1));
  }

  // A real number; NaN when empty, unreadable or not finite.
  double Real(int i) const {
    const std::string_view f = (*this)[i];
    // Most numbers of a sentence are whole (elevation, azimuth, C/N0): read without from_chars.
    if (!f.empty() && f.size() <= 9) {
      int whole = 0;
      size_t k = 0;
      while (k < f.size() && IsDigit(f[k])) whole = whole * 10 + (f[k++] - '0');
      if (k == f.size()) return whole;
    }
    double value = 0;
    const char* begin = f.data();
    const char* end = f.data() + f.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return !f.empty() && ec == std::errc() && ptr == end && std::isfinite(value) ? value : kNoValue;
  }
  // A whole number; -1 when empty or unreadable (every whole-number field is not negative).
  int Whole(int i) const {
    const std::string_view f = (*this)[i];
    int value = 0;
    const auto [ptr, ec] = std::from_chars(f.data(), f.data() + f.size(), value);
    return !f.empty() && ec == std::errc() && ptr == f.data() + f.size() && value >= 0 ? value : -1;
  }
  // The first letter of a field; 0 when empty.
  char Letter(int i) const {
    const std::string_view f = (*this)[i];
    return f.empty() ? 0 : f[0];
  }

  // "hhmmss[.s...]" into milliseconds of the day (further digits of the fraction cut off); -1
  // when empty or not a time.
  TimeOfDayMs Time(int i) const {
    const std::string_view f = (*this)[i];
    if (f.size() < 6) return -1;
    for (int k = 0; k < 6; ++k) {
      if (!IsDigit(f[k])) return -1;
    }
    const int hour = (f[0] - '0') * 10 + (f[1] - '0');
    const int minute = (f[2] - '0') * 10 + (f[3] - '0');
    const int second = (f[4] - '0') * 10 + (f[5] - '0');
    if (hour > 23 || minute > 59 || second > 60) return -1;
    int millisecond = 0;
    if (f.size() > 6) {
      if (f[6] != '.') return -1;
      int scale = 100;
      for (size_t k = 7; k < f.size(); ++k) {
        if (!IsDigit(f[k])) return -1;
        millisecond += (f[k] - '0') * scale;
        scale /= 10;
      }
    }
    return ((hour * 60 + minute) * 60 + second) * 1000LL + millisecond;
  }

  // "ddmm.mmmm" (degreeDigits 2) or "dddmm.mmmm" (3) with its hemisphere letter at i + 1: signed
  // degrees; NaN when empty, unreadable or out of range.
  double Angle(int i, double maxDegrees, char negative, char positive) const {
    const double value = Real(i);
    const char hemisphere = Letter(i + 1);
    if (std::isnan(value) || value < 0 || (hemisphere != negative && hemisphere != positive))
      return kNoValue;
    const double degrees = std::floor(value / 100.0);
    const double minutes = value - degrees * 100.0;
    if (minutes >= 60.0) return kNoValue;
    const double result = degrees + minutes / 60.0;
    if (result > maxDegrees) return kNoValue;
    return hemisphere == negative ? -result : result;
  }

 private:
  const char* data_;
  std::array<uint8_t, kCapacity + 1> starts_;  // only the first count_ + 1 are set
  int count_ = 0;
};

double Latitude(const NmeaFields& f, int i) { return f.Angle(i, 90.0, 'S', 'N'); }
double Longitude(const NmeaFields& f, int i) { return f.Angle(i, 180.0, 'W', 'E'); }

// A two-digit year as receivers send it in RMC: 80-99 are the 1900s, the rest this century.
int FullYear(int twoDigits) { return twoDigits >= 80 ? 1900 + twoDigits : 2000 + twoDigits; }

std::optional<UtcDate> DayMonthYear(std::string_view f) {
  if (f.size() != 6) return std::nullopt;
  for (char c : f) {
    if (!IsDigit(c)) return std::nullopt;
  }
  UtcDate date;
  date.day = (f[0] - '0') * 10 + (f[1] - '0');
  date.month = (f[2] - '0') * 10 + (f[3] - '0');
  date.year = FullYear((f[4] - '0') * 10 + (f[5] - '0'));
  if (date.day < 1 || date.day > 31 || date.month < 1 || date.month > 12) return std::nullopt;
  return date;
}

// $GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C
//   0 time  1 latitude  2 N/S  3 longitude  4 E/W  5 quality  6 satellites used  7 HDOP
//   8 altitude  9 'M'  10 geoid separation  11 'M'  12 age of corrections  13 station
// At least the fields up to the altitude's unit (10).
bool ReadGga(const NmeaFields& f, GgaSentence& s) {
  if (f.count() < 10) return false;
  s.timeMs = f.Time(0);
  s.latitudeDeg = Latitude(f, 1);
  s.longitudeDeg = Longitude(f, 3);
  s.quality = f.Whole(5);
  s.satellitesUsed = f.Whole(6);
  s.hdop = f.Real(7);
  s.altitudeMslM = f.Real(8);
  s.geoidSeparationM = f.Real(10);
  return true;
}

// $GNGNS,014035.00,4332.69262,S,17235.48549,E,RR,13,0.9,25.63,11.24,,*70
//   0 time  1 latitude  2 N/S  3 longitude  4 E/W  5 mode letters (one per system)
//   6 satellites used  7 HDOP  8 altitude  9 geoid separation  10 age  11 station
//   [12 navigational status, NMEA 4.10]
bool ReadGns(const NmeaFields& f, GnsSentence& s) {
  if (f.count() < 10) return false;
  s.timeMs = f.Time(0);
  s.latitudeDeg = Latitude(f, 1);
  s.longitudeDeg = Longitude(f, 3);
  // The best mode any system gives: a fix by one system is the receiver's fix.
  static constexpr std::string_view kRank = "NEAMSDPFR";
  int best = -1;
  for (char c : f[5]) {
    const size_t rank = kRank.find(c);
    if (rank != std::string_view::npos && static_cast<int>(rank) > best)
      best = static_cast<int>(rank);
  }
  s.mode = best >= 0 ? kRank[static_cast<size_t>(best)] : 0;
  s.satellitesUsed = f.Whole(6);
  s.hdop = f.Real(7);
  s.altitudeMslM = f.Real(8);
  s.geoidSeparationM = f.Real(9);
  return true;
}

// $GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E,A*68
//   0 time  1 status A/V  2 latitude  3 N/S  4 longitude  5 E/W  6 speed knots  7 track
//   8 date ddmmyy  9 magnetic variation  10 E/W  [11 mode, NMEA 2.3]  [12 nav status, 4.10]
bool ReadRmc(const NmeaFields& f, RmcSentence& s) {
  if (f.count() < 9) return false;
  s.timeMs = f.Time(0);
  s.valid = f.Letter(1) == 'A';
  s.latitudeDeg = Latitude(f, 2);
  s.longitudeDeg = Longitude(f, 4);
  s.speedMs = f.Real(6) * kMetresPerSecondPerKnot;
  s.trackDeg = f.Real(7);
  s.date = DayMonthYear(f[8]);
  s.mode = f.Letter(11);
  return true;
}

// $GPGLL,4916.45,N,12311.12,W,225444,A,A*5C
//   0 latitude  1 N/S  2 longitude  3 E/W  4 time  5 status A/V  [6 mode, NMEA 2.3]
// The time is the fifth field, after the position.
bool ReadGll(const NmeaFields& f, GllSentence& s) {
  if (f.count() < 6) return false;
  s.latitudeDeg = Latitude(f, 0);
  s.longitudeDeg = Longitude(f, 2);
  s.timeMs = f.Time(4);
  s.valid = f.Letter(5) == 'A';
  s.mode = f.Letter(6);
  return true;
}

// $GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47,2*0B
//   0 selection A/M  1 fix type 1/2/3  2..13 satellites used (12 fields)  14 PDOP  15 HDOP
//   16 VDOP  [17 system id, NMEA 4.10]
// Some receivers list more than 12 satellites; the three DOPs are then the fields before the
// system id, counted from the end.
bool ReadGsa(const NmeaFields& f, GsaSentence& s) {
  if (f.count() < 17) return false;
  s.fixType = f.Whole(1);
  // Twelve satellite fields make 17 fields, or 18 with the system id. More fields than that: the
  // extra ones are satellites, and the last field is the system id only when the receiver is of
  // NMEA 4.10 (it then sent 18 or more fields and a one-digit id).
  const int count = f.count();
  const bool hasSystemId = count >= 18 && f[count - 1].size() == 1;
  const int pdopAt = count - (hasSystemId ? 4 : 3);
  for (int i = 2; i < pdopAt && s.prnCount < GsaSentence::kMaxSatellites; ++i) {
    const int prn = f.Whole(i);
    if (prn > 0) s.prns[static_cast<size_t>(s.prnCount++)] = static_cast<uint16_t>(prn);
  }
  s.pdop = f.Real(pdopAt);
  s.hdop = f.Real(pdopAt + 1);
  s.vdop = f.Real(pdopAt + 2);
  if (hasSystemId) s.systemId = f.Whole(count - 1);
  return true;
}

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//   0 messages  1 message number  2 satellites in view
//   3 + 4k: satellite k's number, elevation, azimuth, C/N0 (any number of satellites)
//   [last, NMEA 4.10: signal id, when the fields after 2 do not make whole groups of four]
bool ReadGsv(const NmeaFields& f, GsvSentence& s) {
  if (f.count() < 3) return false;
  s.messages = f.Whole(0);
  s.messageNumber = f.Whole(1);
  s.inView = f.Whole(2);
  int satelliteFields = f.count() - 3;
  if (satelliteFields % 4 == 1) {
    s.signalId = f.Whole(f.count() - 1);
    --satelliteFields;
  }
  for (int i = 3; i < 3 + satelliteFields && s.satelliteCount < GsvSentence::kMaxSatellites;
       i += 4) {
    const int number = f.Whole(i);
    if (number <= 0) continue;
    GsvSatellite& sat = s.satellites[static_cast<size_t>(s.satelliteCount++)];
    sat.number = number;
    sat.elevationDeg = f.Real(i + 1);
    sat.azimuthDeg = f.Real(i + 2);
    sat.cn0DbHz = f.Real(i + 3);
  }
  return true;
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*48
//   0 track true  1 'T'  2 track magnetic  3 'M'  4 speed knots  5 'N'  6 speed km/h  7 'K'
//   [8 mode, NMEA 2.3]
// The oldest form ("$GPVTG,054.7,034.4,005.5,010.2") has no unit letters: 0 true, 2 knots.
bool ReadVtg(const NmeaFields& f, VtgSentence& s) {
  if (f.count() >= 8 && f.Letter(1) == 'T') {
    s.trackDeg = f.Real(0);
    s.speedMs = f.Real(4) * kMetresPerSecondPerKnot;
    if (std::isnan(s.speedMs)) s.speedMs = f.Real(6) * kMetresPerSecondPerKmh;
    s.mode = f.Letter(8);
    return true;
  }
  if (f.count() < 4) return false;
  s.trackDeg = f.Real(0);
  s.speedMs = f.Real(2) * kMetresPerSecondPerKnot;
  return true;
}

// $GPZDA,201530.00,04,07,2002,00,00*60
//   0 time  1 day  2 month  3 year (four digits)  4 zone hours  5 zone minutes
bool ReadZda(const NmeaFields& f, ZdaSentence& s) {
  if (f.count() < 4) return false;
  s.timeMs = f.Time(0);
  const int day = f.Whole(1), month = f.Whole(2), year = f.Whole(3);
  if (day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 1980 && year <= 9999)
    s.date = UtcDate{year, month, day};
  return true;
}

// $GPGST,172814.0,0.006,0.023,0.020,273.6,0.023,0.020,0.031*6A
//   0 time  1 RMS of the ranges  2 error ellipse semi-major (m)  3 semi-minor (m)
//   4 orientation (deg from true north)  5 latitude sigma (m)  6 longitude sigma (m)
//   7 altitude sigma (m)
bool ReadGst(const NmeaFields& f, GstSentence& s) {
  if (f.count() < 8) return false;
  s.timeMs = f.Time(0);
  s.rangeRms = f.Real(1);
  s.semiMajorM = f.Real(2);
  s.semiMinorM = f.Real(3);
  s.orientationDeg = f.Real(4);
  s.latitudeSigmaM = f.Real(5);
  s.longitudeSigmaM = f.Real(6);
  s.altitudeSigmaM = f.Real(7);
  return true;
}

template <typename Value>
bool ReadInto(const NmeaFields& f, NmeaSentence& out, bool (*read)(const NmeaFields&, Value&)) {
  return read(f, out.value.emplace<Value>());
}

SentenceKind KindOf(std::string_view code) {
  if (code == "GGA") return SentenceKind::Gga;
  if (code == "GNS") return SentenceKind::Gns;
  if (code == "RMC") return SentenceKind::Rmc;
  if (code == "GLL") return SentenceKind::Gll;
  if (code == "GSA") return SentenceKind::Gsa;
  if (code == "GSV") return SentenceKind::Gsv;
  if (code == "VTG") return SentenceKind::Vtg;
  if (code == "ZDA") return SentenceKind::Zda;
  if (code == "GST") return SentenceKind::Gst;
  return SentenceKind::Other;
}

}  // namespace

TimeOfDayMs NmeaSentence::timeMs() const {
  return std::visit(
      [](const auto& v) -> TimeOfDayMs {
        if constexpr (requires { v.timeMs; }) {
          return v.timeMs;
        } else {
          return -1;
        }
      },
      value);
}

std::optional<GnssSystem> SystemOfTalker(std::string_view talker) {
  if (talker == "GP") return GnssSystem::Gps;
  if (talker == "GL") return GnssSystem::Glonass;
  if (talker == "GA") return GnssSystem::Galileo;
  if (talker == "GB" || talker == "BD") return GnssSystem::Beidou;
  if (talker == "GQ" || talker == "QZ") return GnssSystem::Qzss;
  if (talker == "GI") return GnssSystem::Navic;
  return std::nullopt;
}

ReadOutcome ReadNmeaSentence(std::string_view text, NmeaSentence& out) {
  out.kind = SentenceKind::Other;
  out.talker[0] = out.talker[1] = 0;
  out.value.emplace<std::monostate>();
  if (text.size() < 2 || text.size() > kMaxSentenceLength || text[0] != '$')
    return ReadOutcome::Malformed;
  // The checksum up to '*' and whether every character is printable, in one loop without a
  // branch per character.
  const size_t star = text.find('*');
  const size_t summed = star == std::string_view::npos ? text.size() : star;
  uint8_t sum = 0;
  bool unprintable = false;
  for (size_t i = 1; i < summed; ++i) {
    const auto c = static_cast<uint8_t>(text[i]);
    sum ^= c;
    unprintable |= static_cast<uint8_t>(c - 0x20) > 0x5E;
  }
  for (size_t i = summed; i < text.size(); ++i) {
    unprintable |= static_cast<uint8_t>(static_cast<uint8_t>(text[i]) - 0x20) > 0x5E;
  }
  if (unprintable) return ReadOutcome::Malformed;
  std::string_view body = text.substr(1);
  if (star != std::string_view::npos) {
    if (star + 3 != text.size()) return ReadOutcome::Malformed;
    const int high = HexDigit(text[star + 1]);
    const int low = HexDigit(text[star + 2]);
    if (high < 0 || low < 0) return ReadOutcome::Malformed;
    if (sum != high * 16 + low) return ReadOutcome::ChecksumError;
    body = text.substr(1, star - 1);
  }
  const size_t comma = body.find(',');
  const std::string_view address = body.substr(0, comma);
  if (address.empty()) return ReadOutcome::Malformed;
  if (address[0] == 'P' || address.size() != 5) {
    out.talker[0] = address[0] == 'P' ? 'P' : 0;
    return ReadOutcome::Other;
  }
  out.talker[0] = address[0];
  out.talker[1] = address[1];
  out.kind = KindOf(address.substr(2));
  if (out.kind == SentenceKind::Other) return ReadOutcome::Other;
  if (comma == std::string_view::npos) return ReadOutcome::Malformed;

  const NmeaFields f(body.substr(comma + 1));
  bool read = false;
  switch (out.kind) {
    case SentenceKind::Gga:
      read = ReadInto(f, out, ReadGga);
      break;
    case SentenceKind::Gns:
      read = ReadInto(f, out, ReadGns);
      break;
    case SentenceKind::Rmc:
      read = ReadInto(f, out, ReadRmc);
      break;
    case SentenceKind::Gll:
      read = ReadInto(f, out, ReadGll);
      break;
    case SentenceKind::Gsa:
      read = ReadInto(f, out, ReadGsa);
      break;
    case SentenceKind::Gsv:
      read = ReadInto(f, out, ReadGsv);
      break;
    case SentenceKind::Vtg:
      read = ReadInto(f, out, ReadVtg);
      break;
    case SentenceKind::Zda:
      read = ReadInto(f, out, ReadZda);
      break;
    case SentenceKind::Gst:
      read = ReadInto(f, out, ReadGst);
      break;
    case SentenceKind::Other:
      break;
  }
  if (!read) {
    out.kind = SentenceKind::Other;
    out.value = std::monostate{};
    return ReadOutcome::Malformed;
  }
  return ReadOutcome::Read;
}

}  // namespace vetra
