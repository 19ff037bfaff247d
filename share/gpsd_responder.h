#pragma once
// One gpsd client's side of the conversation (gpsd_json(5)), without sockets: the VERSION banner
// it gets on connect, the answers to its request lines, and its watch policy, which decides what
// of the receiver's output it is sent.
//
//   ?VERSION;   {"class":"VERSION","release":"1.0.0.6","rev":"1.0.0.6","proto_major":3,...}
//   ?DEVICES;   {"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/ttyUSB0",...}]}
//   ?DEVICE;    the DEVICE object alone (the setting form is refused: nothing a client sends
//               reaches the receiver)
//   ?WATCH=...  DEVICES, then the WATCH object with the policy now in force
//   ?POLL;      {"class":"POLL","time":...,"active":1,"tpv":[...],"sky":[...]}: the last reports
//               (a TPV with mode 0 before the first)
//   anything else: {"class":"ERROR","message":"Unrecognized request '?FOO'"}
//
// A WATCH without "enable" enables, as gpsd documents; one that enables without asking for any
// stream ("?WATCH;", "?WATCH={"enable":true}") gets the JSON reports, since a watcher that
// receives nothing is of no use. "raw" of 1 or 2 gets the NMEA sentences as they arrive (the
// receiver's binary frames are not passed on). Every reply ends with CR LF.

#include <string>
#include <string_view>

#include "share/gpsd_reports.h"

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

  // Appends the replies to one request line to out. False when the line is garbage: the client
  // is to be dropped.
  bool Answer(std::string_view line, const GpsdServerInfo& info, const GpsdReportMaker& reports,
              const std::string& now, std::string& out);

  const WatchPolicy& policy() const { return policy_; }
  bool wantsReports() const { return policy_.enable && policy_.json; }
  bool wantsSentences() const { return policy_.enable && (policy_.nmea || policy_.raw > 0); }

 private:
  WatchPolicy policy_;
};

}  // namespace vetra
