#pragma once
// What `vetra decode` prints for a line of the split-and-parse path: one JSON object per echoed
// line, or one plain line per decoded position (--brief). Hand-written for speed: a 100 MB capture
// is decoded in about a second.
//
// JSON line: {"line": ECHO, "parser": "nmea"|"binary", "result": CODE, "errors": N, "record":
// {...}} ECHO maps each byte to the code point of the same value (U+0000..U+00FF), JSON-escaped.
// Floats are written in the shortest form that reads back to the same float or double; a NaN or an
// infinity (JSON has neither) is written as null.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/nav_record.h"
#include "monitor/stream_splitter.h"

namespace vetra {

// Appends the JSON object of one echoed line and a newline.
void AppendDecodeJson(std::string& out, const EchoLine& line, uint32_t nmeaErrors,
                      const TNavRecord& record);

// Appends the record as JSON (the "record" value above), without a newline.
void AppendRecordJson(std::string& out, const TNavRecord& record);

// Appends the bytes as a JSON string, each byte taken as the code point of its value.
void AppendJsonString(std::string& out, std::string_view bytes);

// Appends one plain line of a decoded position and a newline:
// "2008-07-12 03:00:01 UTC  3D  49.225000 N  121.500000 E  alt 105 m  18 km/h  hdg 87  sats 8/12"
void AppendBriefLine(std::string& out, const TNavRecord& record);

// The fix mode as the brief line writes it: "no fix", "2D", "3D", "3D+" (else the number).
std::string_view FixModeText(int32_t fixMode);

}  // namespace vetra
