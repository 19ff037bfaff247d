#pragma once
// A gpsd client's requests, parsed (gpsd_json(5)): "?" and a command name, ended by ';' or a line
// end or followed by '=' and a JSON object; several commands may share a line, and ';', spaces
// and line ends between them are ignored.
//
//   ?VERSION;   ?DEVICES;   ?POLL;   ?DEVICE;   ?WATCH;
//   ?WATCH={"enable":true,"json":true}        TPV and SKY objects
//   ?WATCH={"enable":true,"nmea":true};?POLL;  raw NMEA sentences, then a poll
//
// A request is answered as soon as it is complete, as gpsd answers it, with or without ';' or a
// line end: node-gpsd sends `?WATCH={...}` without a line end, go-gpsd without ';' either. So a
// request is complete at its ';' or line end, at the closing brace of its object, or at the end
// of what arrived in one read (gpsd reads each read as whole requests too); only an object not yet
// closed waits for the rest, and a line end inside it makes it an error.
//
// What a client sends is garbage (and its client is dropped) when it holds a byte that is not
// printable US-ASCII (the line end and tabs aside), or when it is not a series of requests: text
// that does not begin with '?' where a request must begin; and a request still unfinished after
// kMaxRequestBytes is too long. A request with a name the server does not know, or a WATCH whose
// argument is not a JSON object with the documented types, is answered with an ERROR object and
// the client stays.
//
// The reader is pure and bounded: it holds at most one unfinished request, and a JSON argument is
// handed to nlohmann_json only after its braces have been matched.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vetra {

enum class GpsdCommand { Version, Devices, Device, Watch, Poll, Unknown };

// The attributes a WATCH object may set; those left out keep the client's policy.
struct WatchArguments {
  std::optional<bool> enable;
  std::optional<bool> json;
  std::optional<bool> nmea;
  std::optional<int> raw;  // 0, 1 or 2
  std::optional<bool> scaled;
  std::optional<bool> split24;
  std::optional<bool> pps;
  std::optional<std::string> device;
  bool operator==(const WatchArguments&) const = default;
};

struct GpsdRequest {
  GpsdCommand command = GpsdCommand::Unknown;
  std::string name;  // as sent, with its '?': "?WATCH", "?FOO"
  bool hasArgument = false;
  WatchArguments watch;  // a WATCH's argument
  std::string error;     // not empty: answer with an ERROR object carrying this message
};

struct GpsdRequestLine {
  bool garbage = false;
  std::vector<GpsdRequest> requests;
};

// True for a byte a request line may hold (printable US-ASCII, tab, CR, LF): the server checks
// each byte as it arrives, so that a client sending binary garbage is dropped at once.
constexpr bool IsRequestByte(unsigned char byte) {
  return (byte >= 0x20 && byte <= 0x7E) || byte == '\t' || byte == '\r' || byte == '\n';
}

// Splits what one client sends into requests as each is complete (see above).
class GpsdRequestReader {
 public:
  static constexpr size_t kMaxRequestBytes = 4096;

  // What arrived in one read; returns the requests it completed, in order. Nothing more is read
  // once the client sent garbage or an overlong request.
  std::vector<GpsdRequest> Take(std::string_view received);
  bool garbage() const { return garbage_; }
  bool overlong() const { return overlong_; }

 private:
  std::string pending_;  // an unfinished request: '?' up to the object still open
  bool garbage_ = false;
  bool overlong_ = false;
};

// One line, without or with its line end, as one read that ends the line.
GpsdRequestLine ParseGpsdRequestLine(std::string_view line);

}  // namespace vetra
