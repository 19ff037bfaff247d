#pragma once
// What the receiver's output looks like to a gpsd client (the gpsd protocol, gpsd_json(5)): one
// TPV and one SKY object per receiver epoch, sent when the epoch closes, and the raw NMEA
// sentences. They are made from the epochs and sentences of the receiver conversation's pass
// values (PassValue::epochs, PassValue::sentences), which the epoch reader (epoch/) gives for any
// receiver: this folder never reads sentence text itself. `vetra monitor --gpsd` prints them; the
// share server (share_server.h) sends them to its clients.
//
// Sharing is its own folder and library (share/) because it is the one part of the core that
// speaks to other programs rather than to the receiver: it reads pass values, never the port, so
// nothing a client sends can reach the receiver; and it alone needs sockets (Asio).
//
//   TPV  {"class":"TPV","device":"/dev/ttyUSB0","status":2,"mode":3,
//         "time":"2024-05-01T12:00:01.250Z","ept":0.005,"lat":49.28270021,"lon":-123.12070076,
//         "altHAE":-4.8,"altMSL":12.3,"alt":12.3,"epx":2.1,"epy":2.4,"epv":5.3,"track":93.1,
//         "speed":9.999,"climb":0.1,"geoidSep":-17.1,"eph":3.2}
//   SKY  {"class":"SKY","device":"/dev/ttyUSB0","time":"...","xdop":0.7,"ydop":0.68,"vdop":1.31,
//         "tdop":0.9,"hdop":0.98,"gdop":1.9,"pdop":1.64,"nSat":19,"uSat":12,"satellites":[
//         {"PRN":3,"el":21,"az":140,"ss":31,"used":true,"gnssid":0,"svid":3},
//         {"PRN":70,"el":40,"az":12,"ss":38,"used":false,"gnssid":6,"svid":6,"sigid":0},...]}
//
// Names, order and units as gpsd writes them: degrees (signed, north and east positive), metres,
// metres per second, dB-Hz, error estimates in metres (ept in seconds). mode: 1 no fix, 2 2D,
// 3 3D; status as gpsd numbers the fix quality, left out for a plain fix (epoch.h has the one
// table of fix modes). "alt" is the height above mean sea level again: gpsd's older name, still
// the only height some client libraries read.
//
// A value the epoch lacks is left out, never sent as zero: no position without a fix, no heights
// without a 3D fix, no altHAE without the geoid separation, no time before the receiver has given
// a date, no DOP or error estimate the receiver did not give and the epoch could not compute, no
// "ss" for a satellite that is not tracked. Every satellite in view is listed, however many.
//
// An epoch without a satellite view (receivers send GSV every few epochs) gets a SKY with its own
// DOPs and the last satellite view, as gpsd keeps it: a client's sky view does not empty itself
// between two views.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "epoch/epoch.h"
#include "session/pass_value.h"

namespace vetra {

using GpsdJson = nlohmann::ordered_json;  // keeps "class" first, as gpsd writes it

// "2024-05-01T12:00:01.250Z" from the epoch's date and time of day; empty without both.
std::string GpsdTime(const Epoch& epoch);

GpsdJson TpvReport(const Epoch& epoch, const std::string& device);
// satellitesShown: the view to list when the epoch has none of its own (see above); nullptr for
// none.
GpsdJson SkyReport(const Epoch& epoch, const std::string& device,
                   const std::vector<EpochSatellite>* satellitesShown = nullptr);
// One line of the protocol, without its line end; text that is not UTF-8 (a device path) is
// replaced, never a reason to fail.
std::string GpsdText(const GpsdJson& object);

// What one pass gives a client, without line ends.
struct SharedPass {
  std::vector<std::string> sentences;  // raw NMEA, as the pass read them whole
  std::vector<std::string> reports;    // per epoch of the pass, in order: its TPV, then its SKY
};

// Turns pass values into SharedPass values, one pass after another (one thread), and keeps the
// last epoch's reports for a poll.
class GpsdReportMaker {
 public:
  explicit GpsdReportMaker(std::string device) : device_(std::move(device)) {}

  SharedPass Take(const std::vector<Epoch>& epochs, const std::vector<std::string>& sentences);
  SharedPass Take(const PassValue& pass) { return Take(pass.epochs, pass.sentences); }
  // Nothing is read any more (sharing paused): the last reports are not for a poll any more.
  void Forget();

  const std::string& device() const { return device_; }
  // The last whole epoch's reports, for a poll; nullopt before the first.
  const std::optional<GpsdJson>& lastTpv() const { return lastTpv_; }
  const std::optional<GpsdJson>& lastSky() const { return lastSky_; }
  bool seenData() const { return seenData_; }  // any epoch or sentence of navigation data

 private:
  std::string device_;
  bool seenData_ = false;
  std::vector<EpochSatellite> lastView_;  // the last satellite view an epoch gave
  std::optional<GpsdJson> lastTpv_;
  std::optional<GpsdJson> lastSky_;
};

}  // namespace vetra
