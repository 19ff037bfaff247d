#pragma once
// The echo of the View page (moNMEA): one line per sentence or frame the receiver sent. NMEA
// sentences show as their text; binary frames as hex with their name and size, because their
// bytes are no text:
//
//   %% F2 D0 fix, 44 bytes: 25 25 F2 D0 ... 0D 0A
//
// A frame whose checksum did not match (or that the splitter's deadline cut off) says
// "not accepted" after its size. The filter shows NMEA, binary or all lines.

#include <string>

#include "session/pass_value.h"

namespace vetra {

enum class EchoFilter { All, Nmea, Binary };
inline constexpr const char* kEchoFilterTexts[] = {"All", "NMEA", "Binary"};  // by EchoFilter

bool EchoShows(EchoFilter filter, ParserKind parser);

// The line as the echo shows it, UTF-8. In NMEA text, control characters show as dots (they would
// break the line or vanish) and bytes from A0h up as Latin-1 characters.
std::string EchoText(const EchoedLine& line);

// What a receiver frame (class and id) is called in the echo: "fix", "ACK" ...; empty when the
// receiver has no such frame.
const char* FrameName(int frameClass, int id);

}  // namespace vetra
