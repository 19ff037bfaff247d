#pragma once
// Turns trace records into text lines: ECEF or geodetic columns, GGA or RMC sentences, or the
// points of a GPX 1.1 / KML 2.2 track. One formatter serves one conversion: it remembers the
// seconds of the last record written so that two records logged within the same 2-second tick
// get distinct seconds (2T, then 2T + 1).
//
// The GPX and KML documents always validate: a record that cannot be a real fix (a month outside
// 1 to 12, a day outside the month, an hour past 23, a date before 1980, a position at the
// Earth's centre) is skipped and counted, 180 degrees of longitude are written as -180, and the
// KML track line needs two points. The four text forms write every record as it is.
//
// Heights: a trace record gives the WGS 84 ellipsoidal height and no geoid model is at hand. GPX
// <ele> and KML's absolute altitude carry that ellipsoidal height. GGA carries a fixed geoid
// separation of 16 m ("16,M"), so its altitude field is the ellipsoidal height less 16 m: a
// reader that adds the two gets the ellipsoidal height back.

#include <string>

#include "trace/trace_record.h"

namespace vetra {

// The items of "Convert type", in their order; GPX and KML come after the four classic forms.
enum class TraceFormat { Ecef = 0, Geodetic = 1, Gga = 2, Rmc = 3, Gpx = 4, Kml = 5 };
inline constexpr int kTraceFormatCount = 6;
extern const char* const kTraceFormatNames[kTraceFormatCount];

struct TraceTime {
  int year, month, day, hour, minute, second;
};

struct TracePosition {
  double latitudeDeg, longitudeDeg, heightM;  // signed degrees
};

TracePosition TraceRecordPosition(const TraceRecord& record);

class TTraceFormatter {
 public:
  explicit TTraceFormatter(TraceFormat format) : format_(format) {}

  void Begin(std::string& out);  // document head (GPX, KML); nothing for the line formats
  // False when the record was skipped (GPX and KML: it cannot be a real fix).
  bool Format(const TraceRecord& record, std::string& out);
  void End(std::string& out);  // document tail

  // Date and time of a record, advancing the previous-seconds memory.
  TraceTime NextTime(const TraceRecord& record);

 private:
  TraceTime TimeOf(const TraceRecord& record) const;

  TraceFormat format_;
  int previousSeconds_ = -1;
  std::string kmlPath_;  // KML: the track's coordinates, written after the points
  int kmlPoints_ = 0;
};

// A record whose date, time or position cannot be a real fix (see above).
bool ImplausibleTraceFix(const TraceTime& time, const TraceRecord& record);

// The geoid separation the GGA form states beside its altitude.
inline constexpr int kGgaGeoidSeparationM = 16;

// Appends value with the given number of decimals, as printf's "%.*f" prints it.
void AppendFixed(std::string& out, double value, int decimals = 6);

// The NMEA sentences of the GGA and RMC forms, "*hh" checksum included, without line end.
std::string BuildGgaSentence(const TraceTime& t, const TracePosition& p);
std::string BuildRmcSentence(const TraceTime& t, const TracePosition& p);

}  // namespace vetra
