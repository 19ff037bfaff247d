#pragma once
// One gpsd client's side of the conversation (gpsd_json(5)), without sockets: the VERSION banner
// it gets on connect, the answers to its requests (each as soon as it is complete,
// gpsd_request.h), and its watch policy, which decides what of the receiver's output it is sent.
//
//   ?VERSION;   {"class":"VERSION","release":"1.0.0.6","rev":"1.0.0.6","proto_major":3,...}
//   ?DEVICES;   {"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/ttyUSB0",...}]}
//   ?DEVICE;    the DEVICE object alone (the setting form is refused: nothing a client sends
//               reaches the receiver)
//   ?WATCH=...  DEVICES, then the WATCH object with the policy now in force; one naming another
//               device than the receiver's: {"class":"ERROR","message":"No such device as X"},
//               and the policy stays
//   ?POLL;      {"class":"POLL","time":...,"active":1,"tpv":[...],"sky":[...]}: the reports of
//               the last whole epoch (a TPV with mode 0 before the first)
//   anything else: {"class":"ERROR","message":"Unrecognized request '?FOO'"}
//
// A WATCH without "enable" enables, as gpsd documents; one that enables without asking for any
// stream ("?WATCH;", "?WATCH={"enable":true}") gets the JSON reports, since a watcher that
// receives nothing is of no use. "raw" of 1 or 2 gets the NMEA sentences as they arrive (the
// receiver's binary frames are not passed on). Every reply ends with CR LF.
//
// While sharing is paused (no port is read: the desktop program shows its Setup page), the server
// answers as a gpsd without a device: DEVICES lists none, a POLL has no reports and "active":0,
// DEVICE is an ERROR that says why; nothing stale is sent.

#include <string>
#include <string_view>

#include "share/gpsd_reports.h"
#include "share/gpsd_request.h"

namespace vetra {

// The proto_major and proto_minor this server speaks (those of gpsd 3.22's clients).
inline constexpr int kGpsdProtoMajor = 3;
inline constexpr int kGpsdProtoMinor = 14;

struct GpsdServerInfo {
  std::string release;    // the program's version
  std::string device;     // the receiver's port, as TPV, SKY and DEVICE name it
  int baudRate = 0;       // 0: not known (left out)
  char parity = 'N';      // 'E' in host mode
  std::string activated;  // when sharing began, ISO 8601
  std::string paused;     // not empty: no port is read, and why
};

struct WatchPolicy {
  bool enable = false;
  bool json = false;
  bool nmea = false;
  int raw = 0;
  bool scaled = false;
  bool split24 = false;
  bool pps = false;
  std::string device;
};

class GpsdResponder {
 public:
  static std::string Banner(const GpsdServerInfo& info);

  // Appends the replies to the requests that what arrived in one read completed to out. False
  // when the client sent garbage or an overlong request (overlong() tells which): it is to be
  // dropped.
  bool Answer(std::string_view received, const GpsdServerInfo& info, const GpsdReportMaker& reports,
              const std::string& now, std::string& out);
  bool overlong() const { return reader_.overlong(); }

  const WatchPolicy& policy() const { return policy_; }
  // The client has asked to watch (a WATCH that enabled), at least once.
  bool askedToWatch() const { return askedToWatch_; }
  bool wantsReports() const { return policy_.enable && policy_.json; }
  bool wantsSentences() const { return policy_.enable && (policy_.nmea || policy_.raw > 0); }

 private:
  GpsdRequestReader reader_;
  WatchPolicy policy_;
  bool askedToWatch_ = false;
};

}  // namespace vetra
