// The echo's lines: NMEA as text, binary frames as hex with their name and size.
#include "present/echo_text.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

EchoedLine Binary(std::string frame, int result = 1) {
  return {frame.substr(0, frame.find('\0')), ParserKind::Binary, result, frame};
}

TEST(EchoText, LinesAsTheEchoShowsThem) {
  const std::string clockOffset("%%\xF2\x82\x12\x34\x56\r\n", 9);
  const std::string ack("%%\x06\x05\x03\r\n", 7);
  struct Case {
    EchoedLine line;
    const char* shown;
  };
  const Case cases[] = {
      {Binary(clockOffset), "%% F2 82 clock offset, 9 bytes: 25 25 F2 82 12 34 56 0D 0A"},
      {Binary(ack), "%% 06 05 ACK, 7 bytes: 25 25 06 05 03 0D 0A"},
      {Binary(std::string("%%\xF2\xD0\x00\x01\x00\r\n", 9), 0),  // a NUL in the payload
       "%% F2 D0 fix, 9 bytes, not accepted: 25 25 F2 D0 00 01 00 0D 0A"},
      {Binary("xy%%\x15\x09\x1C\r\n"), "%% 15 09 NACK, 7 bytes: 25 25 15 09 1C 0D 0A"},  // noise
      {{"$GPGGA,1*5A", ParserKind::Nmea, 1, ""}, "$GPGGA,1*5A"},
      {{std::string("$GP\x01\xE9", 5), ParserKind::Nmea, 0, ""}, "$GP.é"},
  };
  for (const Case& c : cases) EXPECT_EQ(EchoText(c.line), c.shown);
}

TEST(EchoText, FilterChoosesTheParser) {
  EXPECT_TRUE(EchoShows(EchoFilter::All, ParserKind::Binary));
  EXPECT_TRUE(EchoShows(EchoFilter::Nmea, ParserKind::Nmea));
  EXPECT_FALSE(EchoShows(EchoFilter::Nmea, ParserKind::Binary));
  EXPECT_FALSE(EchoShows(EchoFilter::Binary, ParserKind::Nmea));
}

}  // namespace
}  // namespace vetra
