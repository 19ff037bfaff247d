// vetra convert [--type ecef|geodetic|gga|rmc|gpx|kml] [IN] [OUT]
// Turns a trace read's capture into text, as the Trace page's "Convert" does.
#include <cstdio>
#include <iostream>
#include <map>

#include "cli/command_registry.h"
#include "trace/trace_convert.h"

namespace vetra::cli {
namespace {

const std::map<std::string, TraceFormat> kTypes = {
    {"ecef", TraceFormat::Ecef}, {"geodetic", TraceFormat::Geodetic}, {"gga", TraceFormat::Gga},
    {"rmc", TraceFormat::Rmc},   {"gpx", TraceFormat::Gpx},           {"kml", TraceFormat::Kml}};

struct ConvertOptions {
  std::string type = "ecef";
  std::string input = kTraceCaptureFile;
  std::string output;  // empty: tracedata.gps, or tracedata.gpx / .kml for the tracks
};

int RunConvert(ConvertOptions o) {
  const TraceFormat format = kTypes.at(o.type);
  if (o.output.empty()) o.output = TraceOutputFile(format);
  const auto result = ConvertTraceFile(o.input, o.output, format);
  switch (result.status) {
    case TraceConvertStatus::InputMissing:
      std::cerr << "vetra convert: cannot read the trace capture '" << o.input << "'\n";
      return 1;
    case TraceConvertStatus::OutputFailed:
      std::cerr << "vetra convert: cannot create '" << o.output << "'\n";
      return 1;
    case TraceConvertStatus::WriteFailed:
      std::cerr << "vetra convert: writing '" << o.output << "' failed\n";
      return 1;
    case TraceConvertStatus::Ok:
      break;
  }
  std::cout << result.records << " records from " << result.bytesRead << " bytes written to "
            << o.output << "\n";
  return 0;
}

const CommandRegistration registration{
    "convert", "Convert a trace capture into dated positions", [](CLI::App& sub) {
      auto options = std::make_shared<ConvertOptions>();
      sub.add_option("--type", options->type, "ecef, geodetic, gga, rmc, gpx or kml")
          ->check(CLI::IsMember({"ecef", "geodetic", "gga", "rmc", "gpx", "kml"}))
          ->capture_default_str();
      sub.add_option("IN", options->input, "trace capture")->capture_default_str();
      sub.add_option("OUT", options->output,
                     "file to write (default tracedata.gps; tracedata.gpx or .kml for the tracks)");
      return [options] { return RunConvert(*options); };
    }};

}  // namespace
}  // namespace vetra::cli
