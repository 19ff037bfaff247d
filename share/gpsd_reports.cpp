#include "share/gpsd_reports.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace vetra {
namespace {

bool Known(double value) { return std::isfinite(value); }

// Sums and unit conversions made here would print their binary noise (12.3 + -17.1 is
// -4.800000000000001); a tenth of a millimetre is far below what the receiver resolves.
double Tidy(double value) { return std::round(value * 1e4) / 1e4; }

// DOPs travel as 32-bit floats (0.98f is 0.9800000190734863); the receiver gives two decimals.
double TidyDop(float value) { return std::round(static_cast<double>(value) * 100.0) / 100.0; }

int GpsdMode(const TNavRecord& r) {
  switch (r.fixMode) {
    case 1:
      return 2;
    case 2:
    case 3:
      return 3;
    default:
      return 1;
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int ReadInt(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() ? value : -1;
}

// The fields of "$GPGSV,3,3,10,..." after the address: index 0 is "3".
std::string_view SentenceField(std::string_view sentence, int index) {
  size_t start = sentence.find(',');
  for (int i = 0; i < index && start != std::string_view::npos; ++i) {
    start = sentence.find(',', start + 1);
  }
  if (start == std::string_view::npos) return {};
  const size_t end = sentence.find_first_of(",*", start + 1);
  return sentence.substr(start + 1,
                         (end == std::string_view::npos ? sentence.size() : end) - start - 1);
}

// "GGA" of "$GPGGA,...", "" for a proprietary or malformed address.
std::string_view SentenceTag(std::string_view sentence) {
  const size_t comma = sentence.find(',');
  if (comma != 6) return {};
  return sentence.substr(3, 3);
}

enum class Update { None, Position, Satellites };

Update UpdateOfSentence(std::string_view sentence) {
  const std::string_view tag = SentenceTag(sentence);
  if (tag == "GGA" || tag == "RMC" || tag == "GLL") return Update::Position;
  if (tag == "GSV") {  // the group is whole with its last message
    const int total = ReadInt(SentenceField(sentence, 0));
    return total > 0 && total == ReadInt(SentenceField(sentence, 1)) ? Update::Satellites
                                                                     : Update::None;
  }
  return Update::None;
}

// Binary lines show as "%%" and the frame's bytes: class F2, then the message id.
Update UpdateOfFrame(const EchoedLine& line) {
  if (line.result != 1 || line.text.size() < 4 || line.text[0] != '%' || line.text[1] != '%' ||
      static_cast<uint8_t>(line.text[2]) != 0xF2) {
    return Update::None;
  }
  switch (static_cast<uint8_t>(line.text[3])) {
    case 0xD0:
    case 0xD1:
      return Update::Position;
    case 0xD2:
    case 0xD5:
      return Update::Satellites;
    default:
      return Update::None;
  }
}

// The C/N0 of the satellite at position `index` of the PRN list: an NMEA group fills the channel
// entries in its own order, a channel status frame by receiver channel.
int SignalOf(const TNavRecord& r, DisplaySource source, int index, int prn) {
  int channel = index;
  if (source == DisplaySource::Binary) channel = r.satellites[prn - 1].channel;
  return channel >= 0 && channel < kChannelCount ? r.channels[channel].cn0 : 0;
}

}  // namespace

std::string GpsdTime(const TNavRecord& r) {
  const bool valid = r.year >= 1980 && r.year <= 9999 && r.month >= 1 && r.month <= 12 &&
                     r.day >= 1 && r.day <= 31 && r.hour >= 0 && r.hour <= 23 && r.minute >= 0 &&
                     r.minute <= 59 && r.second >= 0 && r.second <= 60;
  if (!valid) return {};
  const int millisecond =
      r.exact.millisecond >= 0 && r.exact.millisecond <= 999 ? r.exact.millisecond : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", r.year, r.month, r.day,
                r.hour, r.minute, r.second, millisecond);
  return text;
}

GpsdJson TpvReport(const TNavRecord& r, const std::string& device, TpvParts parts) {
  GpsdJson tpv;
  tpv["class"] = "TPV";
  tpv["device"] = device;
  const int mode = GpsdMode(r);
  tpv["mode"] = mode;
  if (mode >= 2 && r.fixIndicator == 1) tpv["status"] = 2;  // a differential fix
  const std::string time = GpsdTime(r);
  if (!time.empty()) tpv["time"] = time;
  if (mode < 2) return tpv;

  const TExactFix& x = r.exact;
  if (Known(x.latitudeDeg) && Known(x.longitudeDeg)) {
    tpv["lat"] = x.latitudeDeg;
    tpv["lon"] = x.longitudeDeg;
  }
  if (parts.heights && mode == 3 && Known(x.altitudeMslM)) {
    if (Known(x.geoidSeparationM)) tpv["altHAE"] = Tidy(x.altitudeMslM + x.geoidSeparationM);
    tpv["altMSL"] = x.altitudeMslM;
  }
  if (parts.motion && Known(x.speedMs)) tpv["speed"] = Tidy(x.speedMs);
  if (parts.motion && Known(x.trackDeg)) tpv["track"] = x.trackDeg;
  return tpv;
}

GpsdJson SkyReport(const TNavRecord& r, DisplaySource source, const std::string& device) {
  GpsdJson sky;
  sky["class"] = "SKY";
  sky["device"] = device;
  const std::string time = GpsdTime(r);
  if (!time.empty()) sky["time"] = time;
  if (r.hdop > 0) sky["hdop"] = TidyDop(r.hdop);
  if (r.vdop > 0) sky["vdop"] = TidyDop(r.vdop);
  if (r.pdop > 0) sky["pdop"] = TidyDop(r.pdop);

  GpsdJson satellites = GpsdJson::array();
  const int positions = std::clamp(r.satellitesInView, 0, kChannelCount);
  for (int i = 0; i < positions; ++i) {
    const int prn = r.prnList[i];
    if (prn < 1 || prn > kSatelliteCount) continue;
    const TSatellite& s = r.satellites[prn - 1];
    GpsdJson satellite;
    satellite["PRN"] = prn;
    satellite["el"] = s.elevation;
    satellite["az"] = s.azimuth;
    const int signal = SignalOf(r, source, i, prn);
    if (signal > 0) satellite["ss"] = signal;
    satellite["used"] = s.used != 0;
    satellites.push_back(std::move(satellite));
  }
  sky["nSat"] = satellites.size();
  sky["uSat"] = r.satellitesUsed;
  sky["satellites"] = std::move(satellites);
  return sky;
}

std::string GpsdText(const GpsdJson& object) {
  return object.dump(-1, ' ', false, GpsdJson::error_handler_t::replace);
}

std::string_view ShareableSentence(const EchoedLine& line) {
  const std::string_view text = line.text;
  if (line.parser != ParserKind::Nmea || text.size() < 6 || text[0] != '$') return {};
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) return {};
  }
  const size_t star = text.find('*');
  if (star == std::string_view::npos) return line.result != 0 ? text : std::string_view{};
  if (star + 3 != text.size()) return {};
  const int high = HexDigit(text[star + 1]);
  const int low = HexDigit(text[star + 2]);
  if (high < 0 || low < 0) return {};
  uint8_t sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(text[i]);
  return sum == (high << 4 | low) ? text : std::string_view{};
}

void GpsdReportMaker::NotePositionTime(std::string_view sentence) {
  positionTime_ = SentenceField(sentence, 0);
  const std::string_view tag = SentenceTag(sentence);
  if (tag == "GGA") ggaTime_ = positionTime_;
  if (tag == "RMC") rmcTime_ = positionTime_;
}

SharedPass GpsdReportMaker::Take(const std::vector<EchoedLine>& lines,
                                 const std::optional<NavigationUpdate>& navigation) {
  SharedPass shared;
  for (const EchoedLine& line : lines) {
    Update update = UpdateOfFrame(line);
    const std::string_view sentence = ShareableSentence(line);
    if (!sentence.empty()) {
      shared.sentences.emplace_back(sentence);
      if (line.result != 0) update = UpdateOfSentence(sentence);
      if (update == Update::Position) NotePositionTime(sentence);
    }
    if (update == Update::Position) positionPending_ = true;
    if (update == Update::Satellites) skyPending_ = true;
    if (update != Update::None) seenData_ = true;
  }
  if (!navigation) return shared;
  if (positionPending_) {
    TpvParts parts;  // a fix frame gives all
    if (navigation->source == DisplaySource::Nmea) {
      parts.heights = ggaTime_ == positionTime_;
      parts.motion = rmcTime_ == positionTime_;
    }
    lastTpv_ = TpvReport(navigation->record, device_, parts);
    shared.tpv = GpsdText(*lastTpv_);
    positionPending_ = false;
  }
  if (skyPending_) {
    lastSky_ = SkyReport(navigation->record, navigation->source, device_);
    shared.sky = GpsdText(*lastSky_);
    skyPending_ = false;
  }
  return shared;
}

}  // namespace vetra
