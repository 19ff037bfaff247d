// vetra convert [--type ecef|geodetic|gga|rmc|gpx|kml] [IN] [OUT]
// Turns a trace read's capture into text, as the Trace page's "Convert" does, and reports the
// records written, those skipped (GPX and KML: not a real fix) or rejected by their checksum, and
// the output file. OUT is written whole or not at all (a temporary file renamed over it); OUT may
// not be IN (by device and inode, whatever the paths say).
// Exit status: 0 on success; 1 when IN cannot be read, OUT is IN, or OUT cannot be written.
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
  const std::string why = result.error.empty() ? "" : ": " + result.error;
  switch (result.status) {
    case TraceConvertStatus::InputMissing:
      std::cerr << "vetra convert: cannot read the trace capture '" << o.input << "'" << why
                << "\n";
      return 1;
    case TraceConvertStatus::SameFile:
      std::cerr << "vetra convert: '" << o.output << "' is the capture '" << o.input
                << "' itself; nothing was written\n";
      return 1;
    case TraceConvertStatus::ReadFailed:
      std::cerr << "vetra convert: reading '" << o.input << "' failed" << why << "; '" << o.output
                << "' was left as it was\n";
      return 1;
    case TraceConvertStatus::OutputFailed:
      std::cerr << "vetra convert: cannot create '" << o.output << "'" << why << "\n";
      return 1;
    case TraceConvertStatus::WriteFailed:
      std::cerr << "vetra convert: writing '" << o.output << "' failed" << why << "; '" << o.output
                << "' was left as it was\n";
      return 1;
    case TraceConvertStatus::Ok:
      break;
  }
  std::cout << TraceConvertReport(result, o.output) << " (" << result.bytesRead << " bytes read)\n";
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
