// vetra convert [--type ecef|geodetic|gga|rmc|gpx|kml] [IN] [OUT]
// Turns a trace read's capture into text, as the Trace page's "Convert" does, and reports the
// records written, those skipped (GPX and KML: not a real fix) or rejected by their checksum, and
// the output file. OUT "-" writes the text to standard output (the summary then goes to standard
// error). Otherwise OUT is written by the whole-file writer (util/whole_file.h): a file whole or
// not at all (a temporary file renamed over it), a device or FIFO through (never replaced), a
// directory refused; OUT may not be IN (by device and inode, whatever the paths say). IN must be
// a regular file of a trace capture's size.
// Exit status: 0 on success; 1 when IN cannot be read, OUT is IN, or OUT cannot be written.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>

#include "cli/command_registry.h"
#include "cli/standard_output.h"
#include "trace/trace_convert.h"
#include "util/open_file.h"

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

namespace fs = std::filesystem;

// The conversion goes to a file of its own in the temporary folder, which is then copied to
// standard output and removed: the text is whole or, on a failure, not written at all.
struct StdoutTarget {
  fs::path file;
  StdoutTarget() {
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error);
    file = (error ? fs::path(".") : folder) /
           ("vetra-convert-" + std::to_string(std::random_device{}()) + ".tmp");
  }
  ~StdoutTarget() {
    std::error_code ignored;
    fs::remove(file, ignored);
  }
  bool CopyToStdout() const {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    // An empty text writes nothing (streaming an empty buffer would mark the stream failed).
    if (in.peek() != std::ifstream::traits_type::eof()) std::cout << in.rdbuf();
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
};

int RunConvert(ConvertOptions o) {
  const TraceFormat format = kTypes.at(o.type);
  if (o.output.empty()) o.output = TraceOutputFile(format);
  std::unique_ptr<StdoutTarget> toStdout;
  std::string target = o.output;
  if (o.output == "-") {
    toStdout = std::make_unique<StdoutTarget>();
    target = vetra::Utf8Text(toStdout->file);
    o.output = "standard output";
  }
  const auto result = ConvertTraceFile(o.input, target, format);
  const std::string why = result.error.empty() ? "" : ": " + result.error;
  switch (result.status) {
    case TraceConvertStatus::InputMissing:
      std::cerr << "vetra convert: " << result.error << "\n";
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
  if (toStdout && !toStdout->CopyToStdout()) return StandardOutputFailed();
  (toStdout ? std::cerr : std::cout)
      << TraceConvertReport(result, o.output) << " (" << result.bytesRead << " bytes read)\n";
  return 0;
}

const CommandRegistration registration{
    "convert", "Convert a trace capture into dated positions", [](CLI::App& sub) {
      auto options = std::make_shared<ConvertOptions>();
      sub.add_option("--type", options->type, "Output form: ecef, geodetic, gga, rmc, gpx or kml")
          ->check(CLI::IsMember({"ecef", "geodetic", "gga", "rmc", "gpx", "kml"}))
          ->capture_default_str();
      sub.add_option("IN", options->input, "Trace capture")->capture_default_str();
      sub.add_option("OUT", options->output,
                     "File to write, - for standard output (default tracedata.gps; tracedata.gpx "
                     "or .kml for the "
                     "tracks)");
      return [options] { return RunConvert(*options); };
    }};

}  // namespace
}  // namespace vetra::cli
