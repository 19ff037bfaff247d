#pragma once
// Pass values as the receiver conversation makes them, from NMEA sentence bodies: each sentence
// is fed to a TNmea, echoed as the NMEA view shows it, and the pass carries the parser's record.

#include <initializer_list>
#include <string>
#include <string_view>

#include "../decode/nmea_test_support.h"
#include "decode/nmea.h"
#include "monitor/pass_value.h"

namespace vetra::testing {

// "$GPGGA,...*hh" without its line end.
inline std::string Sentence(std::string_view body) { return WithChecksum(body, ""); }

inline PassValue PassOf(TNmea& nmea, std::initializer_list<std::string_view> bodies) {
  PassValue pass;
  for (const std::string_view body : bodies) {
    const int result = ResultOf(nmea, WithChecksum(body));
    pass.lines.push_back(EchoedLine{Sentence(body), ParserKind::Nmea, result, {}});
  }
  pass.navigation = NavigationUpdate{nmea.record(), DisplaySource::Nmea};
  return pass;
}

}  // namespace vetra::testing
