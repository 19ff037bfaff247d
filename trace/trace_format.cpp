#include "trace/trace_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "decode/geodesy.h"
#include "model/number_text.h"

namespace vetra {

const char* const kTraceFormatNames[kTraceFormatCount] = {
    "ECEF(x,y,z) in ASCII", "Geodetic in ASCII", "GGA record",
    "RMC record",           "GPX track",         "KML track"};

namespace {

constexpr double kDegreesPerRadian = 57.2957795131;

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
  if (!TryAppendFixed(out, value, decimals)) {  // only values no position reaches
    char fallback[400];
    const int n = std::snprintf(fallback, sizeof fallback, "%.*f", decimals, value);
    out.append(fallback, n > 0 ? static_cast<size_t>(n) : 0);
  }
}

namespace {

void AppendTwo(std::string& out, int value) {
  out.push_back(static_cast<char>('0' + value / 10 % 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

// Degrees and minutes in NMEA form: whole degrees, whole minutes and ten-thousandths of a minute,
// rounded once so that 59.99995 minutes carries into the next degree.
struct DegreesMinutes {
  int degrees, minutes, tenThousandths;
};
DegreesMinutes ToDegreesMinutes(double degrees) {
  const long long total = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
  return {static_cast<int>(total / 600000), static_cast<int>(total / 10000 % 60),
          static_cast<int>(total % 10000)};
}

// The longitude as the tracks write it, 7 decimals: GPX allows -180 up to but not 180, so a
// value that prints as 180 is written as -180, the same meridian.
double TrackLongitude(double degrees) {
  const double rounded = std::round(degrees * 1e7) / 1e7;
  return rounded >= 180.0 ? rounded - 360.0 : rounded;
}

std::string WithChecksum(const char* body, int length) {
  std::string sentence(body, static_cast<size_t>(length));
  unsigned char sum = 0;
  for (size_t i = 1; i < sentence.size(); ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  char tail[4];
  std::snprintf(tail, sizeof tail, "*%02X", sum);
  return sentence + tail;
}

void AppendIsoTime(std::string& out, const TraceTime& t) {
  AppendInt(out, t.year);
  out.push_back('-');
  AppendTwo(out, t.month);
  out.push_back('-');
  AppendTwo(out, t.day);
  out.push_back('T');
  AppendTwo(out, t.hour);
  out.push_back(':');
  AppendTwo(out, t.minute);
  out.push_back(':');
  AppendTwo(out, t.second);
  out.push_back('Z');
}

}  // namespace

TracePosition TraceRecordPosition(const TraceRecord& record) {
  const double ecef[3] = {static_cast<double>(record.x), static_cast<double>(record.y),
                          static_cast<double>(record.z)};
  double geodetic[3] = {};
  ecefToGeodetic(ecef, geodetic);
  return {geodetic[0] * kDegreesPerRadian, geodetic[1] * kDegreesPerRadian, geodetic[2]};
}

TraceTime TTraceFormatter::TimeOf(const TraceRecord& record) const {
  int seconds = 2 * record.timeField;
  if (seconds == previousSeconds_) seconds += 1;
  return {record.year, record.month, record.day, seconds / 3600, seconds % 3600 / 60, seconds % 60};
}

TraceTime TTraceFormatter::NextTime(const TraceRecord& record) {
  const TraceTime t = TimeOf(record);
  previousSeconds_ = t.hour * 3600 + t.minute * 60 + t.second;
  return t;
}

bool ImplausibleTraceFix(const TraceTime& t, const TraceRecord& r) {
  static constexpr int kDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.year < 1980 || t.month < 1 || t.month > 12 || t.day < 1) return true;
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  const int days = t.month == 2 && !leap ? 28 : kDaysInMonth[t.month - 1];
  if (t.day > days || t.hour > 23) return true;
  return r.x == 0 && r.y == 0 && r.z == 0;
}

void TTraceFormatter::Begin(std::string& out) {
  if (format_ == TraceFormat::Gpx) {
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Vetra Viewer\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "<trk><name>Receiver trace</name><trkseg>\n";
  } else if (format_ == TraceFormat::Kml) {
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document><name>Receiver trace</name>\n"
        "<Folder><name>Points</name>\n";
  }
}

void TTraceFormatter::End(std::string& out) {
  if (format_ == TraceFormat::Gpx) {
    out += "</trkseg></trk>\n</gpx>\n";
  } else if (format_ == TraceFormat::Kml) {
    out += "</Folder>\n";
    if (kmlPoints_ >= 2) {  // a line needs two points
      out +=
          "<Placemark><name>Track</name><LineString><altitudeMode>absolute</altitudeMode>"
          "<coordinates>\n";
      out += kmlPath_;
      out += "</coordinates></LineString></Placemark>\n";
    }
    out += "</Document></kml>\n";
    kmlPath_.clear();
    kmlPoints_ = 0;
  }
}

bool TTraceFormatter::Format(const TraceRecord& r, std::string& out) {
  const bool track = format_ == TraceFormat::Gpx || format_ == TraceFormat::Kml;
  if (track && ImplausibleTraceFix(TimeOf(r), r)) return false;
  const TraceTime t = NextTime(r);
  auto appendDateTime = [&] {
    AppendInt(out, t.year);
    out.push_back('/');
    AppendInt(out, t.month);
    out.push_back('/');
    AppendInt(out, t.day);
    out += ", ";
    AppendInt(out, t.hour);
    out.push_back(':');
    AppendInt(out, t.minute);
    out.push_back(':');
    AppendInt(out, t.second);
  };
  auto appendFlags = [&] {
    for (int v : {r.statusNumber(), r.flag13(), r.flag12(), r.value}) {
      out += ", ";
      AppendInt(out, v);
    }
    out.push_back('\n');
  };

  switch (format_) {
    case TraceFormat::Ecef:
      appendDateTime();
      for (int32_t v : {r.x, r.y, r.z}) {
        out += ", ";
        AppendInt(out, v);
      }
      appendFlags();
      return true;
    case TraceFormat::Geodetic: {
      const TracePosition p = TraceRecordPosition(r);
      appendDateTime();
      for (double v : {p.latitudeDeg, p.longitudeDeg, p.heightM}) {
        out += ", ";
        AppendFixed(out, v);
      }
      appendFlags();
      return true;
    }
    case TraceFormat::Gga:
      out += BuildGgaSentence(t, TraceRecordPosition(r));
      out.push_back('\n');
      return true;
    case TraceFormat::Rmc:
      out += BuildRmcSentence(t, TraceRecordPosition(r));
      out.push_back('\n');
      return true;
    case TraceFormat::Gpx: {
      const TracePosition p = TraceRecordPosition(r);
      out += "<trkpt lat=\"";
      AppendFixed(out, p.latitudeDeg, 7);
      out += "\" lon=\"";
      AppendFixed(out, TrackLongitude(p.longitudeDeg), 7);
      out += "\"><ele>";
      AppendFixed(out, p.heightM, 1);
      out += "</ele><time>";
      AppendIsoTime(out, t);
      out += "</time></trkpt>\n";
      return true;
    }
    case TraceFormat::Kml: {
      const TracePosition p = TraceRecordPosition(r);
      std::string coordinates;
      AppendFixed(coordinates, TrackLongitude(p.longitudeDeg), 7);
      coordinates.push_back(',');
      AppendFixed(coordinates, p.latitudeDeg, 7);
      coordinates.push_back(',');
      AppendFixed(coordinates, p.heightM, 1);
      out += "<Placemark><TimeStamp><when>";
      AppendIsoTime(out, t);
      out += "</when></TimeStamp><Point><altitudeMode>absolute</altitudeMode><coordinates>";
      out += coordinates;
      out += "</coordinates></Point></Placemark>\n";
      kmlPath_ += coordinates;
      kmlPath_.push_back('\n');
      ++kmlPoints_;
      return true;
    }
  }
  return false;
}

std::string BuildGgaSentence(const TraceTime& t, const TracePosition& p) {
  const DegreesMinutes lat = ToDegreesMinutes(p.latitudeDeg);
  const DegreesMinutes lon = ToDegreesMinutes(p.longitudeDeg);
  char body[256];
  const int n = std::snprintf(
      body, sizeof body,
      "$GPGGA,%02d%02d%02d.%02d,%02d%02d.%04d,%c,%03d%02d.%04d,%c,1,10,1.0,%07d,M,16,M,,", t.hour,
      t.minute, t.second, 0, lat.degrees, lat.minutes, lat.tenThousandths,
      p.latitudeDeg < 0 ? 'S' : 'N', lon.degrees, lon.minutes, lon.tenThousandths,
      p.longitudeDeg < 0 ? 'W' : 'E',
      static_cast<int>(std::lround(p.heightM - kGgaGeoidSeparationM)));
  return WithChecksum(body, n);
}

std::string BuildRmcSentence(const TraceTime& t, const TracePosition& p) {
  const DegreesMinutes lat = ToDegreesMinutes(p.latitudeDeg);
  const DegreesMinutes lon = ToDegreesMinutes(p.longitudeDeg);
  char body[256];
  const int n = std::snprintf(
      body, sizeof body,
      "$GPRMC,%02d%02d%02d.%02d,A,%02d%02d.%04d,%c,%03d%02d.%04d,%c,0.0,0.0,%02d%02d%02d,,,A",
      t.hour, t.minute, t.second, 0, lat.degrees, lat.minutes, lat.tenThousandths,
      p.latitudeDeg < 0 ? 'S' : 'N', lon.degrees, lon.minutes, lon.tenThousandths,
      p.longitudeDeg < 0 ? 'W' : 'E', t.day, t.month, t.year % 100);
  return WithChecksum(body, n);
}

}  // namespace vetra
