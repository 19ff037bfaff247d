#pragma once
// What the receiver's output looks like to a gpsd client (the gpsd protocol, gpsd_json(5)): a TPV
// object per position update, a SKY object per satellite update, and the raw NMEA sentences, made
// from the receiver conversation's pass values. `vetra monitor --gpsd` prints them; the share
// server (share_server.h) sends them to its clients.
//
// Sharing is its own folder and library (share/) because it is the one part of the core that
// speaks to other programs rather than to the receiver: it reads pass values, never the port, so
// nothing a client sends can reach the receiver; and it alone needs sockets (Asio).
//
//   TPV
//   {"class":"TPV","device":"/dev/ttyUSB0","mode":3,"status":2,"time":"2024-05-01T12:00:01.000Z",
//         "lat":49.28270166666667,"lon":-123.1207,"altHAE":-4.8,"altMSL":12.3,"speed":9.999,
//         "track":93.1}
//   SKY  {"class":"SKY","device":"/dev/ttyUSB0","time":"...","hdop":0.98,"vdop":1.31,"pdop":1.64,
//         "nSat":10,"uSat":7,"satellites":[{"PRN":3,"el":21,"az":140,"ss":31,"used":true},...]}
//
// Units as gpsd documents them: degrees (signed, north and east positive), metres, metres per
// second, dB-Hz. mode: 1 no fix, 2 2D, 3 3D (3D+ is 3D with "status":2, a differential fix).
// Positions come from the record's exact fix at the precision of the receiver's own digits. A
// value the receiver did not give is left out, never sent as zero: no position without a fix, no
// heights without a 3D fix, no altHAE without the geoid separation, no time before the receiver
// has given a date, no DOP of 0 (the record's "none"), no "ss" for a satellite the receiver does
// not track (C/N0 0).
//
// Which pass is an update: a TPV follows a pass whose navigation copy comes after a position
// sentence (GGA, RMC, GLL) or fix frame (F2 D0/D1) arrived; a SKY after the last GSV of a group or
// a channel status frame (F2 D2/D5). A fix frame in m/s (F2 D1) is shown with the next reply that
// sets the record's flag, so a sentence or frame is remembered until a navigation copy comes.
//
// An NMEA epoch gives its position twice (GGA with the heights, later RMC with speed and track),
// often in different passes, and the record keeps the other sentence's values of the epoch
// before. A TPV carries heights only when a GGA of the latest position's time gave them, and
// speed and track only when an RMC of that time did: the GGA's TPV comes without speed, the
// RMC's after it is whole, and no TPV carries a value of another second. A fix frame gives all.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/nav_record.h"
#include "monitor/pass_value.h"

namespace vetra {

using GpsdJson = nlohmann::ordered_json;  // keeps "class" first, as gpsd writes it

// "2024-05-01T12:00:01.250Z" from the record's UTC date, time and millisecond (".000" when the
// receiver gave no fraction); empty when the record holds no valid date and time.
std::string GpsdTime(const TNavRecord& record);

// Which of the record's values belong to the fix being reported (see above).
struct TpvParts {
  bool heights = true;
  bool motion = true;  // speed and track
};
GpsdJson TpvReport(const TNavRecord& record, const std::string& device, TpvParts parts = {});
GpsdJson SkyReport(const TNavRecord& record, DisplaySource source, const std::string& device);
// One line of the protocol, without its line end; text that is not UTF-8 (a device path) is
// replaced, never a reason to fail.
std::string GpsdText(const GpsdJson& object);

// The NMEA sentence of an echoed line as it can be passed on ("$GPGGA,...*hh", without CR LF):
// the NMEA parser's line, printable ASCII, with a matching checksum or (without one) decoded by
// the parser. Empty for anything else (binary frames, garbage, a sentence cut off by its
// deadline).
std::string_view ShareableSentence(const EchoedLine& line);

// What one pass gives a client.
struct SharedPass {
  std::vector<std::string> sentences;  // raw NMEA, without line ends
  std::optional<std::string> tpv;      // one JSON object each, without line end
  std::optional<std::string> sky;
};

// Turns pass values into SharedPass values, one pass after another (one thread).
class GpsdReportMaker {
 public:
  explicit GpsdReportMaker(std::string device) : device_(std::move(device)) {}

  SharedPass Take(const std::vector<EchoedLine>& lines,
                  const std::optional<NavigationUpdate>& navigation);
  SharedPass Take(const PassValue& pass) { return Take(pass.lines, pass.navigation); }

  const std::string& device() const { return device_; }
  // The last reports made, for a poll; nullopt before the first.
  const std::optional<GpsdJson>& lastTpv() const { return lastTpv_; }
  const std::optional<GpsdJson>& lastSky() const { return lastSky_; }
  bool seenData() const { return seenData_; }  // any sentence or frame of navigation data

 private:
  void NotePositionTime(std::string_view sentence);

  std::string device_;
  bool positionPending_ = false;
  // The time fields of the latest position sentence, GGA and RMC ("042605.000").
  std::string positionTime_, ggaTime_, rmcTime_;
  bool skyPending_ = false;
  bool seenData_ = false;
  std::optional<GpsdJson> lastTpv_;
  std::optional<GpsdJson> lastSky_;
};

}  // namespace vetra
