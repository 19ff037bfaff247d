// Feeds arbitrary bytes to the share server's request parser and to a gpsd client's responder, as
// a client's line: no read or write outside a buffer, no undefined behaviour, no exception; a
// line with a byte that is not request text is garbage; every request is named with its '?'; a
// line that is not garbage is answered with whole JSON objects, one per CR LF ended line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "share/gpsd_request.h"
#include "share/gpsd_responder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vetra;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const GpsdRequestLine parsed = ParseGpsdRequestLine(line);
  const bool requestText =
      std::all_of(data, data + size, [](uint8_t b) { return IsRequestByte(b); });
  if (!requestText && !parsed.garbage) std::abort();
  if (parsed.garbage && !parsed.requests.empty()) std::abort();
  for (const GpsdRequest& request : parsed.requests) {
    if (request.name.empty() || request.name[0] != '?') std::abort();
  }

  static const GpsdReportMaker reports("/dev/ttyUSB0");
  static const GpsdServerInfo info{"1.0", "/dev/ttyUSB0", 9600, 'N', "2024-05-01T12:00:00.000Z",
                                   {}};
  GpsdResponder responder;
  std::string out;
  if (responder.Answer(line, info, reports, "2024-05-01T12:00:01.000Z", out) == parsed.garbage) {
    std::abort();
  }
  for (size_t start = 0; start < out.size();) {
    const size_t end = out.find("\r\n", start);
    if (end == std::string::npos) std::abort();
    const GpsdJson object = GpsdJson::parse(out.substr(start, end - start), nullptr, false);
    if (!object.is_object() || !object.contains("class")) std::abort();
    start = end + 2;
  }
  return 0;
}
