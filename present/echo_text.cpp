#include "present/echo_text.h"

#include <cstdio>
#include <iterator>
#include <string_view>

namespace vetra {
namespace {

struct FrameNameRow {
  int frameClass, id;
  const char* name;
};

// The receiver's frames as its message table lists them; ACK and NACK match any id.
constexpr int kAnyId = -1;
constexpr FrameNameRow kFrameNames[] = {
    {0xF2, 0x80, "revision"},
    {0xF2, 0x81, "self test"},
    {0xF2, 0x82, "clock offset"},
    {0xF2, 0x83, "ephemeris"},
    {0xF2, 0x84, "almanac"},
    {0xF2, 0x85, "module ID"},
    {0xF2, 0xD0, "fix"},
    {0xF2, 0xD1, "fix"},
    {0xF2, 0xD2, "channel status"},
    {0xF2, 0xD3, "measurements"},
    {0xF2, 0xD4, "clock solution"},
    {0xF2, 0x88, "trace record"},
    {0xF2, 0x89, "trace status"},
    {0xF2, 0x8A, "trace status"},
    {0xF2, 0x86, "nav settings"},
    {0xF2, 0x87, "system settings"},
    {0xF2, 0xD5, "channel status"},
    {0xF2, 0xD6, "measurements"},
    {0xF2, 0x50, "accepted"},
    {0x06, kAnyId, "ACK"},
    {0x15, kAnyId, "NACK"},
    {0xF2, 0x8D, "customized ID"},
    {0xF2, 0x8C, "test result"},
};
static_assert(std::size(kFrameNames) == 23, "one name per row of the receiver's message table");

void AppendUtf8(std::string& out, unsigned char byte) {
  if (byte < 0x80) {
    out += static_cast<char>(byte);
  } else {
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
  }
}

std::string NmeaText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool control = byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xA0);
    AppendUtf8(out, control ? '.' : byte);
  }
  return out;
}

std::string FrameText(std::string_view bytes, bool accepted) {
  // Bytes that came before the frame's "%" (noise on the line) are not part of it.
  const size_t start = bytes.find('%');
  if (start != std::string_view::npos) bytes.remove_prefix(start);
  std::string out = "%%";
  char hex[8];
  if (bytes.size() >= 4) {
    const int frameClass = static_cast<unsigned char>(bytes[2]);
    const int id = static_cast<unsigned char>(bytes[3]);
    std::snprintf(hex, sizeof hex, " %02X %02X", frameClass, id);
    out += hex;
    const char* name = FrameName(frameClass, id);
    if (*name != '\0') out += std::string(" ") + name;
  }
  out += ", " + std::to_string(bytes.size()) + " bytes";
  if (!accepted) out += ", not accepted";
  out += ':';
  for (const char c : bytes) {
    std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(c));
    out += hex;
  }
  return out;
}

}  // namespace

bool EchoShows(EchoFilter filter, ParserKind parser) {
  switch (filter) {
    case EchoFilter::Nmea:
      return parser == ParserKind::Nmea;
    case EchoFilter::Binary:
      return parser == ParserKind::Binary;
    case EchoFilter::All:
      break;
  }
  return true;
}

const char* FrameName(int frameClass, int id) {
  for (const FrameNameRow& row : kFrameNames) {
    if (row.frameClass == frameClass && (row.id == kAnyId || row.id == id)) return row.name;
  }
  return "";
}

std::string EchoText(const EchoedLine& line) {
  if (line.parser == ParserKind::Binary && !line.frame.empty()) {
    return FrameText(line.frame, line.result != 0);
  }
  return NmeaText(line.text);
}

}  // namespace vetra
