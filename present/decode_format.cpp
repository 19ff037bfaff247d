#include "present/decode_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "epoch/fix_mode_text.h"
#include "model/number_text.h"

namespace vetra {

namespace {

void AppendRange(std::string& out, const char* begin, const char* end) {
  out.append(begin, static_cast<size_t>(end - begin));
}

// At least `width` digits, zero-padded (a negative value keeps its sign in front).
void AppendPadded(std::string& out, int32_t value, int width) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  const int digits = static_cast<int>(end - buffer) - (value < 0 ? 1 : 0);
  const char* from = buffer;
  if (value < 0) out.push_back(*from++);
  if (digits < width) out.append(static_cast<size_t>(width - digits), '0');
  AppendRange(out, from, end);
}

// Shortest round-trip form; JSON has no NaN or infinity.
template <typename Float>
void AppendFloat(std::string& out, Float value) {
  if (!std::isfinite(value)) {
    out.append("null");
    return;
  }
  char buffer[40];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  AppendRange(out, buffer, end);
}

void AppendFixed(std::string& out, double value, int decimals) {
  // A garbage value from the wire, too long for fixed notation, goes out in its shortest form.
  if (!TryAppendFixed(out, value, decimals)) AppendFloat(out, value);
}

void AppendChar(std::string& out, char c) { AppendJsonString(out, std::string_view(&c, 1)); }

// `"key":` ; keys are plain ASCII.
void Key(std::string& out, std::string_view key) {
  out.push_back('"');
  out.append(key);
  out.append("\":");
}

template <typename Int>
void IntField(std::string& out, std::string_view key, Int value, bool comma = true) {
  Key(out, key);
  AppendInt(out, value);
  if (comma) out.push_back(',');
}

template <typename Float>
void FloatField(std::string& out, std::string_view key, Float value) {
  Key(out, key);
  AppendFloat(out, value);
  out.push_back(',');
}

void CharField(std::string& out, std::string_view key, char value) {
  Key(out, key);
  AppendChar(out, value);
  out.push_back(',');
}

bool AllZero(const TSatellite& s) {
  return s.signal == 0 && s.elevation == 0 && s.azimuth == 0 && s.used == 0 && s.channel == 0;
}

constexpr char kHex[] = "0123456789abcdef";

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
  out.push_back('"');
  size_t plainFrom = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') continue;  // copied in runs below
    out.append(bytes.data() + plainFrom, i - plainFrom);
    plainFrom = i + 1;
    switch (b) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      default:
        if (b >= 0x80) {  // U+0080..U+00FF in UTF-8
          out.push_back(static_cast<char>(0xC0 | (b >> 6)));
          out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        } else {  // other controls and DEL
          out.append("\\u00");
          out.push_back(kHex[b >> 4]);
          out.push_back(kHex[b & 0x0F]);
        }
    }
  }
  out.append(bytes.data() + plainFrom, bytes.size() - plainFrom);
  out.push_back('"');
}

void AppendRecordJson(std::string& out, const TNavRecord& r) {
  out.push_back('{');
  IntField(out, "updated", r.updated);
  IntField(out, "restart_counter", r.restartCounter);
  IntField(out, "speed", r.speedKmh);
  IntField(out, "heading", r.headingDeg);
  FloatField(out, "latitude", r.latitudeDeg);
  CharField(out, "latitude_hemisphere", r.latitudeHemisphere);
  FloatField(out, "longitude", r.longitudeDeg);
  CharField(out, "longitude_hemisphere", r.longitudeHemisphere);
  IntField(out, "altitude", r.altitudeM);
  IntField(out, "year", r.year);
  IntField(out, "month", r.month);
  IntField(out, "day", r.day);
  IntField(out, "hour", r.hour);
  IntField(out, "minute", r.minute);
  IntField(out, "second", r.second);
  IntField(out, "fix_indicator", r.fixIndicator);
  IntField(out, "fix_mode", r.fixMode);
  CharField(out, "status", r.status);
  FloatField(out, "pdop", r.pdop);
  FloatField(out, "hdop", r.hdop);
  FloatField(out, "vdop", r.vdop);

  Key(out, "satellites");
  out.push_back('[');
  bool first = true;
  for (int prn = 1; prn <= kSatelliteCount; ++prn) {
    const TSatellite& s = r.satellites[prn - 1];
    if (AllZero(s)) continue;
    if (!first) out.push_back(',');
    first = false;
    out.push_back('{');
    IntField(out, "prn", prn);
    IntField(out, "signal", s.signal);
    IntField(out, "elevation", s.elevation);
    IntField(out, "azimuth", s.azimuth);
    IntField(out, "used", s.used);
    IntField(out, "channel", s.channel, false);
    out.push_back('}');
  }
  out.append("],");

  Key(out, "prn_list");
  out.push_back('[');
  for (int i = 0; i < kChannelCount; ++i) {
    if (i > 0) out.push_back(',');
    AppendInt(out, r.prnList[i]);
  }
  out.append("],");

  IntField(out, "satellites_in_view", r.satellitesInView);
  IntField(out, "satellites_used", r.satellitesUsed);
  IntField(out, "date_code", r.dateCode);
  IntField(out, "clock_value", r.clockValue);
  FloatField(out, "measurement_utc", r.measurementUtc);
  FloatField(out, "clock_bias", r.clockBias);
  FloatField(out, "time_bias", r.timeBias);
  FloatField(out, "frequency_bias", r.frequencyBias);

  Key(out, "channels");
  out.push_back('[');
  for (int i = 0; i < kChannelCount; ++i) {
    const TChannel& c = r.channels[i];
    if (i > 0) out.push_back(',');
    out.push_back('{');
    IntField(out, "status", c.status);
    IntField(out, "cn0", c.cn0);
    IntField(out, "prn", c.prn);
    IntField(out, "pseudorange", c.pseudorange);
    IntField(out, "delta_range", c.deltaRange);
    IntField(out, "doppler", c.doppler);
    IntField(out, "health", c.health, false);
    out.push_back('}');
  }
  out.append("]}");
}

void AppendDecodeJson(std::string& out, const EchoLine& line, uint32_t nmeaErrors,
                      const TNavRecord& record) {
  out.append("{\"line\":");
  AppendJsonString(out, line.text);
  out.append(line.parser == ParserKind::Nmea ? ",\"parser\":\"nmea\"," : ",\"parser\":\"binary\",");
  IntField(out, "result", line.result);
  IntField(out, "errors", nmeaErrors);
  Key(out, "record");
  AppendRecordJson(out, record);
  out.append("}\n");
}

void BriefLineWriter::Append(std::string& out, const Epoch& e) {
  if (e.hasTime()) {
    if (e.date) {
      AppendPadded(out, e.date->year, 4);
      out.push_back('-');
      AppendPadded(out, e.date->month, 2);
      out.push_back('-');
      AppendPadded(out, e.date->day, 2);
      out.push_back(' ');
    }
    const int64_t seconds = e.timeOfDayMs / 1000;
    const auto ms = static_cast<int32_t>(e.timeOfDayMs % 1000);
    fractions_ = fractions_ || ms != 0;
    AppendPadded(out, static_cast<int32_t>(seconds / 3600), 2);
    out.push_back(':');
    AppendPadded(out, static_cast<int32_t>(seconds / 60 % 60), 2);
    out.push_back(':');
    AppendPadded(out, static_cast<int32_t>(seconds % 60), 2);
    if (fractions_) {
      out.push_back('.');
      AppendPadded(out, ms, 3);
    }
    out.append(" UTC  ");
  } else {
    out.append("- UTC  ");
  }
  out.append(FixShortText({e.mode, e.quality}));
  out.append("  ");
  const auto coordinate = [&out](double degrees, char positive, char negative) {
    if (!std::isfinite(degrees)) {
      out.push_back('-');
      return;
    }
    AppendFixed(out, std::fabs(degrees), 6);
    out.push_back(' ');
    out.push_back(degrees < 0 ? negative : positive);
  };
  coordinate(e.latitudeDeg, 'N', 'S');
  out.append("  ");
  coordinate(e.longitudeDeg, 'E', 'W');
  const auto number = [&out](double value, int decimals) {
    if (std::isfinite(value)) {
      AppendFixed(out, value + 0.0, decimals);  // no "-0"
    } else {
      out.push_back('-');
    }
  };
  out.append("  alt ");
  number(e.altitudeMslM, 1);
  out.append(" m  ");
  number(std::round(e.speedMs * 3.6), 0);
  out.append(" km/h  hdg ");
  number(std::round(e.trackDeg), 0);
  out.append("  sats ");
  int used = e.satellitesUsed;
  if (used < 0 && e.hasSky) {
    used = static_cast<int>(std::count_if(e.satellites.begin(), e.satellites.end(),
                                          [](const EpochSatellite& s) { return s.used; }));
  }
  if (used >= 0) {
    AppendInt(out, used);
  } else {
    out.push_back('-');
  }
  out.push_back('/');
  if (e.hasSky) {
    AppendInt(out, e.satellites.size());
  } else {
    out.push_back('-');
  }
  out.push_back('\n');
}

}  // namespace vetra
