#include "sim/nmea_sentences.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vetra::sim {

namespace {

std::string Format(const char* format, auto... values) {
  char text[96];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string TimeField(const UtcTime& t) {
  return Format("%02d%02d%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
}

std::string DateField(const UtcTime& t) {
  return Format("%02d%02d%02d", t.day, t.month, t.year % 100);
}

// "ddmm.mmmm,N,dddmm.mmmm,W"
std::string PositionFields(const AntennaPosition& p) {
  return NmeaCoordinate(p.latitudeDeg, 2) + (p.latitudeDeg < 0 ? ",S," : ",N,") +
         NmeaCoordinate(p.longitudeDeg, 3) + (p.longitudeDeg < 0 ? ",W" : ",E");
}

double Knots(double kmh) { return kmh / 1.852; }

}  // namespace

uint8_t NmeaChecksum(std::string_view body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  return sum;
}

std::string NmeaSentence(std::string_view body, bool withChecksum) {
  std::string s = "$";
  s += body;
  if (withChecksum) s += Format("*%02X", NmeaChecksum(body));
  s += "\r\n";
  return s;
}

std::string NmeaCoordinate(double degrees, int degreeDigits) {
  // Rounded once in units of 1/10000 minute, so that 59.99995' carries into the degrees.
  const long long units = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
  const long long whole = units / 600000;
  const long long minutes = (units % 600000) / 10000;
  const long long fraction = units % 10000;
  return Format(degreeDigits == 2 ? "%02lld%02lld.%04lld" : "%03lld%02lld.%04lld", whole, minutes,
                fraction);
}

std::string GgaSentence(const EpochReport& r, bool withChecksum) {
  const UtcTime t = UtcFromMs(r.utcMs);
  std::string body = "GPGGA," + TimeField(t) + ",";
  if (!r.fix) {
    body += Format(",,,,0,%02d,,,M,,M,,", r.satellitesUsed);
  } else {
    body += PositionFields(r.position) +
            Format(",%d,%02d,%.1f,%.1f,M,%.1f,M,%s,0000", r.differential ? 2 : 1, r.satellitesUsed,
                   r.hdop, r.position.altitudeM, r.geoidSeparationM, r.differential ? "1" : "");
  }
  return NmeaSentence(body, withChecksum);
}

std::string GsaSentence(const EpochReport& r, bool withChecksum) {
  std::string body = Format("GPGSA,A,%d,", r.fix ? r.fixMode + 1 : 1);
  int listed = 0;
  for (const ChannelReport& c : r.channels) {
    if (!r.fix || !c.used || listed == 12) continue;
    body += Format("%02d,", c.prn);
    ++listed;
  }
  for (; listed < 12; ++listed) body += ",";
  if (r.fix) {
    body += Format("%.1f,%.1f,%.1f", r.pdop, r.hdop, r.vdop);
  } else {
    body += ",,";
  }
  return NmeaSentence(body, withChecksum);
}

std::vector<std::string> GsvSentences(const EpochReport& r, bool withChecksum) {
  std::vector<std::string> sentences;
  const int inView = static_cast<int>(std::min<size_t>(r.channels.size(), 16));
  const int total = inView == 0 ? 1 : (inView + 3) / 4;
  for (int m = 1; m <= total; ++m) {
    std::string body = Format("GPGSV,%d,%d,%02d", total, m, inView);
    for (int i = (m - 1) * 4; i < std::min(inView, m * 4); ++i) {
      const ChannelReport& c = r.channels[i];
      body += Format(",%02d,%02d,%03d,", c.prn, c.elevationDeg, c.azimuthDeg);
      if (c.tracked) body += Format("%02d", c.cn0DbHz);
    }
    sentences.push_back(NmeaSentence(body, withChecksum));
  }
  return sentences;
}

std::string RmcSentence(const EpochReport& r, bool withChecksum) {
  const UtcTime t = UtcFromMs(r.utcMs);
  std::string body = "GPRMC," + TimeField(t);
  if (!r.fix) {
    body += ",V,,,,,,," + DateField(t) + ",,,N";
  } else {
    body += ",A," + PositionFields(r.position) +
            Format(",%.1f,%05.1f,", Knots(r.position.speedKmh), r.position.headingDeg) +
            DateField(t) + (r.differential ? ",,,D" : ",,,A");
  }
  return NmeaSentence(body, withChecksum);
}

std::string VtgSentence(const EpochReport& r, bool withChecksum) {
  if (!r.fix) return NmeaSentence("GPVTG,,T,,M,,N,,K,N", withChecksum);
  return NmeaSentence(
      Format("GPVTG,%05.1f,T,,M,%.1f,N,%.1f,K,%c", r.position.headingDeg,
             Knots(r.position.speedKmh), r.position.speedKmh, r.differential ? 'D' : 'A'),
      withChecksum);
}

std::string GllSentence(const EpochReport& r, bool withChecksum) {
  const UtcTime t = UtcFromMs(r.utcMs);
  if (!r.fix) return NmeaSentence("GPGLL,,,,," + TimeField(t) + ",V,N", withChecksum);
  return NmeaSentence("GPGLL," + PositionFields(r.position) + "," + TimeField(t) + ",A,A",
                      withChecksum);
}

std::string ZdaSentence(const EpochReport& r, bool withChecksum) {
  const UtcTime t = UtcFromMs(r.utcMs);
  const bool west = r.zoneHours < 0 || r.zoneMinutes < 0;
  return NmeaSentence("GPZDA," + TimeField(t) +
                          Format(",%02d,%02d,%04d,%s%02d,%02d", t.day, t.month, t.year,
                                 west ? "-" : "", std::abs(r.zoneHours), std::abs(r.zoneMinutes)),
                      withChecksum);
}

std::string MxtrSentence(const std::vector<std::string>& fields, bool withChecksum) {
  std::string body = "MXTR";
  for (const std::string& f : fields) body += "," + f;
  return NmeaSentence(body, withChecksum);
}

}  // namespace vetra::sim
