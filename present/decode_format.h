#pragma once
// What `vetra decode` prints: for a line of the split-and-parse path one JSON object per echoed
// line; with --brief (and in `vetra monitor`) one plain line per epoch of the epoch assembler
// (epoch/epoch.h). Hand-written for speed: a 100 MB capture is decoded in about a second.
//
// JSON line: {"line": ECHO, "parser": "nmea"|"binary", "result": CODE, "errors": N, "record":
// {...}} ECHO maps each byte to the code point of the same value (U+0000..U+00FF), JSON-escaped.
// Floats are written in the shortest form that reads back to the same float or double; a NaN or an
// infinity (JSON has neither) is written as null.

#include <cstdint>
#include <string>
#include <string_view>

#include "epoch/epoch.h"
#include "model/nav_record.h"
#include "session/stream_splitter.h"

namespace vetra {

// Appends the JSON object of one echoed line and a newline.
void AppendDecodeJson(std::string& out, const EchoLine& line, uint32_t nmeaErrors,
                      const TNavRecord& record);

// Appends the record as JSON (the "record" value above), without a newline.
void AppendRecordJson(std::string& out, const TNavRecord& record);

// Appends the bytes as a JSON string, each byte taken as the code point of its value.
void AppendJsonString(std::string& out, std::string_view bytes);

// One plain line per epoch, with a newline:
// "2008-07-12 03:00:01 UTC  3D  49.225000 N  121.500000 E  alt 105.2 m  18 km/h  hdg 87  sats 8/12"
// The date only when the epoch has one ("03:00:01 UTC  ..." until the receiver gave one); the
// time with milliseconds once an epoch of the stream had a fraction of a second, so that lines
// of a 10 Hz receiver differ and keep one width. A value the epoch lacks is "-"; the fix is
// written as epoch/fix_mode_text.h's FixShortText; sats is used/in view.
class BriefLineWriter {
 public:
  void Append(std::string& out, const Epoch& epoch);

 private:
  bool fractions_ = false;
};

}  // namespace vetra
