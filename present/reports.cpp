#include "present/reports.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "link/frame.h"

namespace vetra {

namespace {

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
  }
  va_end(again);
  return text;
}

// A label shows a terminated text: a zero byte inside ends it.
std::string UpToZero(std::string text) {
  text.resize(std::strlen(text.c_str()));
  return text;
}

// The settings replies' single bytes are signed.
int S8(std::span<const uint8_t> p, size_t offset) {
  return offset < p.size() ? static_cast<int8_t>(p[offset]) : 0;
}

const char* OnOff(int value) { return value != 0 ? "ON" : "OFF"; }

// A code's word from a table, "Unknown" for a code the table lacks.
template <size_t N>
const char* Word(const char* const (&words)[N], int code) {
  return code >= 0 && static_cast<size_t>(code) < N ? words[code] : "Unknown";
}

}  // namespace

// Date and time with the first chip are BCD bytes (12 07 08 00 -> "08/07/12"); with the second
// they are decimal numbers (20080712 -> "2008/07/12").
RevisionView MakeRevisionView(const RevisionBlock& rev, bool secondChip) {
  RevisionView view;
  if (rev.date == 0) return view;
  if (!secondChip) {
    view.revision = UpToZero(std::string(rev.label, sizeof rev.label));
    view.date = Format("%02x/%02x/%02x", rev.date >> 16, (rev.date >> 8) & 0xFF, rev.date & 0xFF);
    view.time = Format("%02x:%02x:%02x", rev.time >> 16, (rev.time >> 8) & 0xFF, rev.time & 0xFF);
  } else {
    // The second chip's label has two filler characters at 7 and 8.
    view.revision = UpToZero(std::string(rev.label, 7) + std::string(rev.label + 9, 3));
    const std::string d = Format("%08d", static_cast<int32_t>(rev.date));  // at least 8 characters
    view.date = Format("%c%c%c%c/%c%c/%c%c", d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
    const std::string t = Format("%06d", static_cast<int32_t>(rev.time));  // at least 6 characters
    view.time = Format("%c%c:%c%c:%c%c", t[0], t[1], t[2], t[3], t[4], t[5]);
  }
  view.crc = Format("%04x", rev.crc);
  return view;
}

std::string MakeClockOffsetText(uint16_t clockOffset) {
  return clockOffset != 0 ? Format("%d", clockOffset) : std::string();
}

SelfTestView MakeSelfTestView(const int32_t (&results)[4], int testItem) {
  SelfTestView view;
  for (int i = 0; i < 4; ++i) view.results[i] = results[i] == -1 ? "" : Format("%d", results[i]);
  if (testItem != 2) return view;
  // Words 1, 2 and 4 echo the test pattern of a good connection; word 3 takes no part.
  if (results[0] == 100 && results[1] == 100 && results[3] == 100) {
    view.verdict = SelfTestVerdict{kConnectionOk, kGreen};
  } else if (results[0] == -1) {
    view.verdict = SelfTestVerdict{"", std::nullopt};  // cleared while the reply is awaited
  } else {
    view.verdict = SelfTestVerdict{kConnectionFail, kRed};
  }
  return view;
}

std::string MakeModuleIdText(const std::array<int32_t, 2>& moduleIds, int idChoice) {
  if (idChoice != 0 && idChoice != 1) return "";
  return Format("%d", moduleIds[static_cast<size_t>(idChoice)]);
}

std::string MakeCustomizedIdText(const ReceiverStores& stores) { return stores.customizedId(); }

// Navigation settings, 18 bytes (single bytes signed):
//   0 update rate | 1 DOP mask mode | 2 GDOP | 3 PDOP | 4 HDOP | 5 elevation mask | 6 DGPS mode
//   7 1PPS on | 8 pulse width unit | 9 pulse width | 10 power save i16
std::vector<std::string> MakeNavSettingsReport(std::span<const uint8_t> p) {
  static const char* const kDopMask[] = {"No Mask", "Gdop", "Pdop", "Hdop"};
  static const char* const kDgps[] = {"Disable", "WAAS", "RTCM"};
  // Microseconds per unit of the pulse width, by unit code.
  static const int kPulseUnitUs[] = {20000, 1000, 20, 1};
  std::vector<std::string> lines;
  lines.push_back(Format("Position Update Rate= %d", S8(p, 0)));
  lines.push_back(Format("DOP Mask= %s", Word(kDopMask, S8(p, 1))));
  lines.push_back(Format("GDOP=%d, PDOP=%d, HDOP=%d", S8(p, 2), S8(p, 3), S8(p, 4)));
  lines.push_back(Format("Elevation Mask= %d degree", S8(p, 5)));
  lines.push_back(Format("DGPS= %s", Word(kDgps, S8(p, 6))));
  const int unit = S8(p, 8);
  const int widthUs = unit >= 0 && unit < 4 ? S8(p, 9) * kPulseUnitUs[unit] : 0;
  lines.push_back(Format("1PPS= %s, Pulse Width= %d us", OnOff(S8(p, 7)), widthUs));
  const int powerSave = ReadI16(p, 10);
  if (powerSave == -1) {
    lines.push_back("Power save = sleep");
  } else if (powerSave == 0) {
    lines.push_back("Power save = disable");
  } else {
    lines.push_back(Format("Power Save = %d", powerSave));
  }
  return lines;
}

// System settings, 48 bytes (single bytes signed):
//   0 COM1 baud code | 1 COM2 baud code | 2 NMEA checksum on | 3..9 RMC VTG GGA GSA GSV GLL ZDA
//   periods | 10 output format | 11..14 locale hour, minute, second, adjust | 15 time localized
//   16 ellipsoid index u16 | 18 semi-major axis f64 | 26 inverse flattening f64
//   34, 36, 38 datum delta X, Y, Z i16 | 40..47 not shown
std::vector<std::string> MakeSysSettingsReport(std::span<const uint8_t> p) {
  // A format code without a word shows "Unknown", like the other settings' codes.
  static const char* const kOutput[] = {"Disable", "NMEA", "Binary (temporary)",
                                        "Binary (Permanent)"};
  std::vector<std::string> lines;
  lines.push_back(Format("Baudrate: COM1=%d, COM2=%d", S8(p, 0), S8(p, 1)));
  lines.push_back(Format("NMEA check sum=%s", OnOff(S8(p, 2))));
  lines.push_back(
      Format("Period: RMC=%d, VTG=%d, GGA=%d, GSA=%d", S8(p, 3), S8(p, 4), S8(p, 5), S8(p, 6)));
  lines.push_back(Format("            GSV=%d, GLL=%d, ZDA=%d", S8(p, 7), S8(p, 8), S8(p, 9)));
  lines.push_back(Format("Output= %s", Word(kOutput, S8(p, 10))));
  lines.push_back(
      Format("Locale: H=%d,M=%d,S=%d,Adjust=%d", S8(p, 11), S8(p, 12), S8(p, 13), S8(p, 14)));
  lines.push_back(Format("            Time Localized=%s", OnOff(S8(p, 15))));
  lines.push_back(Format("Ellipsoid Index= %d", ReadU16(p, 16)));
  lines.push_back(Format("            A= %f", ReadF64(p, 18)));
  lines.push_back(Format("            1/F= %f", ReadF64(p, 26)));
  lines.push_back(Format("Datum Delta X= %d", ReadI16(p, 34)));
  lines.push_back(Format("            Delta Y= %d", ReadI16(p, 36)));
  lines.push_back(Format("            Delta Z= %d", ReadI16(p, 38)));
  return lines;
}

namespace {

TraceReport TraceTexts(const TraceStatus& s, std::string_view shownTrcStatus) {
  static const char* const kState[] = {"Stop", "Recording...", "Reading..."};
  TraceReport report;
  report.trcStatus =
      s.state >= 0 && s.state < 3 ? std::string(kState[s.state]) : std::string(shownTrcStatus);
  report.traceStatus = report.trcStatus;
  report.usedPercent = Format("%d", s.usedPercent);
  report.recordsLogged = Format("%d", s.recordsLogged);
  return report;
}

}  // namespace

TraceReport MakeFullTraceReport(const TraceStatus& s, std::string_view shownTrcStatus) {
  TraceReport report = TraceTexts(s, shownTrcStatus);
  report.config = std::vector<std::string>{
      Format("Total size= %d Byte", s.totalSizeBytes),
      Format("Stop on Full= %s", OnOff(s.optionFlags & 1)),
      Format("Log on Poweron= %s", OnOff(s.optionFlags & 2)),
      Format("Extended= %s", OnOff(s.optionFlags & 4)),
      Format("min time = %d second", s.minTimeSeconds),
      Format("min distance = %d meter", s.minDistanceM),
      Format("min speed = %d KMH", s.minSpeedKmh),
  };
  return report;
}

TraceReport MakeShortTraceReport(const TraceStatus& s, std::string_view shownTrcStatus) {
  TraceReport report = TraceTexts(s, shownTrcStatus);
  report.traceStatusFont = kGreen;
  return report;
}

TestResultView MakeTestResultView(bool testFailed) {
  return testFailed ? TestResultView{"TEST FAIL!", kRed} : TestResultView{"TEST OK!", kGreen};
}

}  // namespace vetra
