// The decoders of TNmea: the field readers and what each sentence kind writes into the record.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "decode/nmea.h"
#include "decode/nmea_internal.h"

namespace vetra {
namespace {

using nmea_internal::HexByte;
using nmea_internal::IsDigit;

constexpr int kMaxFractionDigits = 8;
constexpr double kPow10[kMaxFractionDigits + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

int TwoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

bool LeadingDigits(std::string_view f, size_t count) {
  if (f.size() < count) return false;
  for (size_t i = 0; i < count; ++i) {
    if (!IsDigit(f[i])) return false;
  }
  return true;
}

// A "decimal" field: its leading integer ("08" -> 8, "-3" -> -3, "1.5" -> 1); 0 when empty,
// unreadable or out of the int range. Always inlined: a GSV sentence alone reads 19 of them, and
// the calls cost as much as the digits.
[[gnu::always_inline]] inline int ReadDecimal(std::string_view f) {
  // Most fields are one to three digits (PRN, elevation, azimuth, C/N0): read without a loop.
  const size_t n = f.size();
  if (n - 1 < 3 && IsDigit(f[0]) && (n < 2 || IsDigit(f[1])) && (n < 3 || IsDigit(f[2]))) {
    const int d0 = f[0] - '0';
    if (n == 1) return d0;
    const int d1 = f[1] - '0';
    if (n == 2) return d0 * 10 + d1;
    return d0 * 100 + d1 * 10 + (f[2] - '0');
  }
  const char* p = f.data();
  const char* const end = p + f.size();
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  if (p == end || !IsDigit(*p)) return 0;
  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  uint64_t value = 0;
  do {
    value = value * 10 + static_cast<uint64_t>(*p++ - '0');
    if (value > limit) return 0;
  } while (p != end && IsDigit(*p));
  return static_cast<int>(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
}

// A decimal number with a fraction ("1.64"); 0 when empty, unreadable or not finite.
float ReadReal(std::string_view f) {
  if (f.empty()) return 0;
  float value = 0;
  const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), value);
  return (ec == std::errc() && std::isfinite(value)) ? value : 0;
}

// The integer part of "integer '.' fraction" ("1127.7" -> 1127); 0 when unreadable.
int64_t ReadWholePart(std::string_view f) {
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), value);
  return ec == std::errc() ? value : 0;
}

int16_t ClampToInt16(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

// "hhmmss[.sss]": hour, minute and second, and the milliseconds for the exact fix (-1 without a
// fraction). False (and nothing written) unless the field starts with six digits.
bool ReadTime(std::string_view f, TNavRecord& r) {
  if (!LeadingDigits(f, 6)) return false;
  r.hour = TwoDigits(f.data());
  r.minute = TwoDigits(f.data() + 2);
  r.second = TwoDigits(f.data() + 4);
  r.exact.millisecond = -1;
  if (f.size() > 7 && f[6] == '.' && IsDigit(f[7])) {
    int millisecond = 0;
    for (size_t i = 7; i < 10; ++i)
      millisecond = millisecond * 10 + (i < f.size() && IsDigit(f[i]) ? f[i] - '0' : 0);
    r.exact.millisecond = millisecond;
  }
  return true;
}

// "ddmmyy": day, month and year 2000 + yy. False (and nothing written) unless six digits lead.
bool ReadDate(std::string_view f, TNavRecord& r) {
  if (!LeadingDigits(f, 6)) return false;
  r.day = TwoDigits(f.data());
  r.month = TwoDigits(f.data() + 2);
  r.year = 2000 + TwoDigits(f.data() + 4);
  return true;
}

// Degrees and minutes run together: degreeDigits digits of degrees, two of whole minutes, then
// optionally '.' and a fraction of a minute of which the first 8 digits count.
// "4913.5000" with 2 degree digits -> 49.225. False (and nothing written) unless the degree and
// whole-minute digits are there.
bool ReadAngle(std::string_view f, size_t degreeDigits, double& degrees) {
  if (!LeadingDigits(f, degreeDigits + 2)) return false;
  int whole = 0;
  for (size_t i = 0; i < degreeDigits; ++i) whole = whole * 10 + (f[i] - '0');
  const int minutes = TwoDigits(f.data() + degreeDigits);
  uint32_t fraction = 0;
  int fractionDigits = 0;
  size_t i = degreeDigits + 2;
  if (i < f.size() && f[i] == '.') {
    for (++i; i < f.size() && IsDigit(f[i]); ++i) {
      if (fractionDigits == kMaxFractionDigits) continue;  // further digits are ignored
      fraction = fraction * 10 + static_cast<uint32_t>(f[i] - '0');
      ++fractionDigits;
    }
  }
  const double minuteValue = minutes + fraction / kPow10[fractionDigits];
  degrees = whole + minuteValue / 60.0;
  return true;
}

void ReadHemisphere(std::string_view f, char& hemisphere) {
  if (!f.empty()) hemisphere = f[0];
}

// A coordinate: its magnitude into the record's 32-bit field and, signed by the hemisphere letter,
// at full precision into the exact fix. An unreadable angle changes neither.
void ReadCoordinate(std::string_view angle, size_t degreeDigits, std::string_view hemisphereField,
                    char negativeLetter, float& magnitude, char& hemisphere, double& exact) {
  double degrees = 0;
  const bool read = ReadAngle(angle, degreeDigits, degrees);
  if (read) magnitude = static_cast<float>(degrees);
  ReadHemisphere(hemisphereField, hemisphere);
  if (read) exact = hemisphere == negativeLetter ? -degrees : degrees;
}

// A real number at full precision; NaN when empty or unreadable.
double ReadExact(std::string_view f) {
  double value = 0;
  const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), value);
  return !f.empty() && ec == std::errc() && std::isfinite(value) ? value : TExactFix::kUnknown;
}

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

}  // namespace

std::string_view TNmea::Field(int index) const {
  if (index < 0 || index >= std::min(fieldCount_, kFieldCapacity)) return {};
  const size_t length = fieldLength_[index];
  return fieldsInCopy_ ? std::string_view(sentenceCopy_ + fieldOffset_[index], length)
                       : std::string_view(fields_[index], length);
}

int TNmea::Decode() {
  int result = 0;
  switch (sentenceType_) {
    case nmea_internal::kGga:
      result = DecodeGga();
      break;
    case nmea_internal::kGsa:
      result = DecodeGsa();
      break;
    case nmea_internal::kGsv:
      result = DecodeGsv();
      break;
    case nmea_internal::kRmc:
      result = DecodeRmc();
      break;
    case nmea_internal::kProprietary:
      result = DecodeProprietary();
      break;
    default:  // GLL, VTG, ZDA: accepted, not decoded
      result = kNmeaAccepted;
      break;
  }
  if (result != 0) record_.updated = 1;
  return result;
}

// $GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C
//   0 time hhmmss.sss  1 latitude ddmm.f  2 N/S  3 longitude dddmm.f  4 E/W  5 quality
//   6 satellites used  7 HDOP  8 altitude  9 'M'  10 geoid separation  11 'M'
//   12 age of differential data  13 station id
int TNmea::DecodeGga() {
  if (fieldCount_ != 14) return 0;
  ReadTime(Field(0), record_);
  ReadCoordinate(Field(1), 2, Field(2), 'S', record_.latitudeDeg, record_.latitudeHemisphere,
                 record_.exact.latitudeDeg);
  ReadCoordinate(Field(3), 3, Field(4), 'W', record_.longitudeDeg, record_.longitudeHemisphere,
                 record_.exact.longitudeDeg);
  record_.satellitesUsed = ReadDecimal(Field(6));
  switch (ReadDecimal(Field(5))) {
    case 0:
      record_.fixIndicator = 5;
      record_.fixMode = 0;
      break;
    case 1:
      record_.fixIndicator = 0;
      record_.fixMode = record_.satellitesUsed > 3 ? 2 : 1;
      break;
    case 2:
      record_.fixIndicator = 1;
      record_.fixMode = 3;
      break;
    default:  // other qualities (estimated, simulated ...) leave both as they were
      break;
  }
  const std::string_view altitude = Field(8);
  record_.altitudeM = altitude.empty() ? 0 : ClampToInt16(ReadWholePart(altitude));
  record_.exact.altitudeMslM = ReadExact(altitude);
  record_.exact.geoidSeparationM = ReadExact(Field(10));
  return kNmeaAccepted;
}

// $GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05
//   0 selection mode  1 fix (1 none, 2 2D, 3 3D)  2..13 PRNs  14 PDOP  15 HDOP  16 VDOP
// A receiver with 16 channels sends 16 PRN fields (2..17) and the DOPs in 18..20.
int TNmea::DecodeGsa() {
  const std::string_view mode = Field(0);
  const std::string_view fix = Field(1);
  if (mode.size() != 1 || fix.size() != 1) return 0;
  const bool sixteenChannels = fieldCount_ >= 19;
  const int lastPrnField = sixteenChannels ? 17 : 13;
  const int firstDopField = sixteenChannels ? 18 : 14;

  record_.satellitesUsed = 0;
  usedLow_ = 0;
  usedHigh_ = 0;
  for (int f = 2; f <= lastPrnField; ++f) {
    const int prn = ReadDecimal(Field(f));  // an empty field reads 0
    if (prn <= 0) continue;
    ++record_.satellitesUsed;
    if (prn <= 32) {
      usedLow_ |= uint32_t{1} << (prn - 1);
    } else if (prn <= 64) {
      usedHigh_ |= uint32_t{1} << (prn - 33);
    }
  }
  record_.status = mode[0];
  record_.fixMode = ReadDecimal(Field(1)) - 1;
  if (record_.fixIndicator == 1) record_.fixMode = 3;
  record_.pdop = ReadReal(Field(firstDopField));
  record_.hdop = ReadReal(Field(firstDopField + 1));
  record_.vdop = ReadReal(Field(firstDopField + 2));
  return kNmeaAccepted;
}

// $GPGSV,3,1,12,03,21,140,31,04,34,036,30,09,32,348,32,15,73,243,53*7F
//   0 messages in the group  1 this message's number  2 satellites in view
//   then per satellite (up to four): PRN, elevation, azimuth, SNR (C/N0)
// The group's PRNs are staged and reach the PRN list only with its last message, so the display
// never shows half a group; the C/N0 values go to the channel entries as they arrive.
int TNmea::DecodeGsv() {
  const int total = ReadDecimal(Field(0));
  const int number = ReadDecimal(Field(1));
  if (number == 1) {
    channelFill_ = 0;
    std::fill(std::begin(staging_), std::end(staging_), 0);
  }
  const int inView = ReadDecimal(Field(2));
  record_.satellitesInView = inView;
  int64_t slot = (int64_t{number} - 1) * 4;
  for (int i = 0; i < 4 && slot < inView; ++i, ++slot) {
    const int prn = ReadDecimal(Field(3 + 4 * i));
    const int elevation = ReadDecimal(Field(4 + 4 * i));
    const int azimuth = ReadDecimal(Field(5 + 4 * i));
    const int snr = ReadDecimal(Field(6 + 4 * i));
    if (prn >= 1 && prn <= kSatelliteCount) {
      TSatellite& satellite = record_.satellites[prn - 1];
      satellite.elevation = elevation;
      satellite.azimuth = azimuth;
      satellite.used = static_cast<int32_t>(prn <= 32 ? (usedLow_ >> (prn - 1)) & 1u
                                                      : (usedHigh_ >> (prn - 33)) & 1u);
    }
    if (channelFill_ < kChannelCount) record_.channels[channelFill_++].cn0 = snr;
    if (slot >= 0 && slot < kChannelCount) staging_[slot] = prn;
  }
  if (number == total) std::copy(std::begin(staging_), std::end(staging_), record_.prnList);
  return total >= number ? kNmeaAccepted : 0;
}

// $GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73
//   0 time  1 status (A valid, V warning)  2 latitude  3 N/S  4 longitude  5 E/W
//   6 speed in knots  7 course in degrees  8 date ddmmyy  9.. magnetic variation, mode
int TNmea::DecodeRmc() {
  ReadTime(Field(0), record_);
  const std::string_view status = Field(1);
  if (!status.empty() && status[0] == 'A') {
    record_.fixMode = record_.satellitesUsed > 3 ? 2 : 1;
  } else {
    record_.fixMode = 0;
  }
  ReadCoordinate(Field(2), 2, Field(3), 'S', record_.latitudeDeg, record_.latitudeHemisphere,
                 record_.exact.latitudeDeg);
  ReadCoordinate(Field(4), 3, Field(5), 'W', record_.longitudeDeg, record_.longitudeHemisphere,
                 record_.exact.longitudeDeg);
  ReadDate(Field(8), record_);
  const std::string_view course = Field(7);
  record_.headingDeg = course.empty() ? 0 : ClampToInt16(ReadWholePart(course));
  // Whole knots times 1.852, truncated towards zero: 10.9 kn gives 10 x 1.852 = 18.52 -> 18.
  const std::string_view knots = Field(6);
  const int64_t wholeKnots = std::clamp<int64_t>(ReadWholePart(knots), -1000000, 1000000);
  record_.speedKmh = knots.empty() ? 0 : ClampToInt16(wholeKnots * 1852 / 1000);
  record_.exact.speedMs = ReadExact(knots) * kMetresPerSecondPerKnot;
  record_.exact.trackDeg = ReadExact(course);
  return kNmeaAccepted;
}

// $MXTR,4D,21,HELLO*hh   $MXTR,4D,21,DATARQST*hh   $MXTR,41,72*hh   $MXTR,REV,...*hh
//   0, 1 two hexadecimal codes (or 0 "REV": the receiver has restarted)  2 text
int TNmea::DecodeProprietary() {
  if (fieldCount_ < 2) return 0;
  const std::string_view first = Field(0);
  const std::string_view second = Field(1);
  if (first.size() == 2 && second.size() == 2) {
    const int a = HexByte(first[0], first[1]);
    const int b = HexByte(second[0], second[1]);
    if (a < 0 || b < 0) return 0;
    switch (a << 8 | b) {
      case 0x4D21: {
        const std::string_view text = Field(2);
        if (text == "HELLO") return kNmeaHello;
        if (text == "DATARQST") return kNmeaDataRequest;
        return 0;
      }
      case 0x4D20:
        return kNmea4D20;
      case 0x4172:
        return kNmeaStartAck;
      case 0x4E72:
        return kNmeaStartRefused;
      case 0x4173:
        return kNmeaEraseDone;
      default:
        return 0;
    }
  }
  if (first == "REV") {
    ++record_.restartCounter;
    return kNmeaRevision;
  }
  return 0;
}

}  // namespace vetra
