#include "trace/trace_convert.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "trace/trace_scanner.h"
#include "util/bounded_input.h"
#include "util/utf8_path.h"
#include "util/whole_file.h"

namespace vetra {

namespace {
namespace fs = std::filesystem;

constexpr size_t kBlockSize = 1024;
constexpr size_t kFlushSize = 1 << 16;

}  // namespace

const char* TraceOutputFile(TraceFormat format) {
  switch (format) {
    case TraceFormat::Gpx:
      return "tracedata.gpx";
    case TraceFormat::Kml:
      return "tracedata.kml";
    default:
      return kTraceTextFile;
  }
}

TraceConvertResult ConvertTraceFile(const std::string& inputPath, const std::string& outputPath,
                                    TraceFormat format, const TraceConvertCallbacks& callbacks) {
  TraceConvertResult result;
  if (auto problem = InputFileProblem(inputPath, {kTraceCaptureMaxBytes, "a trace capture"})) {
    result.status = TraceConvertStatus::InputMissing;
    result.error = *problem;
    return result;
  }
  std::ifstream in(Utf8Path(inputPath), std::ios::binary);
  if (!in) {
    result.status = TraceConvertStatus::InputMissing;
    result.error = "cannot read '" + inputPath + "': " + std::generic_category().message(errno);
    return result;
  }
  std::error_code same;
  if (fs::equivalent(Utf8Path(inputPath), Utf8Path(outputPath), same)) {
    result.status = TraceConvertStatus::SameFile;
    return result;
  }
  WholeFileWriter out(outputPath);
  if (!out.ok()) {
    result.status = TraceConvertStatus::OutputFailed;
    result.error = out.error();
    return result;
  }
  if (callbacks.started) {
    callbacks.started(static_cast<int64_t>(fs::file_size(Utf8Path(inputPath), same)));
  }

  TTraceScanner scanner;
  TTraceFormatter formatter(format);
  std::string text;
  text.reserve(kFlushSize + 4096);
  formatter.Begin(text);
  char block[kBlockSize];
  for (;;) {
    if (callbacks.beforeBlock) callbacks.beforeBlock();
    in.read(block, sizeof block);
    const auto n = static_cast<size_t>(in.gcount());
    if (n == 0) {
      if (in.bad()) {
        result.status = TraceConvertStatus::ReadFailed;
        result.error = std::generic_category().message(errno);
        return result;
      }
      break;
    }
    result.bytesRead += n;
    if (callbacks.progress) callbacks.progress(static_cast<int64_t>(result.bytesRead));
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(block), n);
    scanner.Feed(bytes, [&](std::span<const uint8_t, kTracePayloadSize> payload) {
      if (formatter.Format(DecodeTraceRecord(payload), text)) {
        ++result.records;
      } else {
        ++result.skipped;
      }
    });
    if (text.size() >= kFlushSize) {
      out.Write(text);
      text.clear();
    }
  }
  formatter.End(text);
  result.badChecksums = scanner.badChecksums();
  if (!out.Write(text) || !out.Commit()) {
    result.status = TraceConvertStatus::WriteFailed;
    result.error = out.error();
  }
  return result;
}

std::string TraceConvertReport(const TraceConvertResult& result, const std::string& outputName) {
  return std::to_string(result.records) + " records written to " + outputName + "; " +
         std::to_string(result.skipped) + " skipped, " + std::to_string(result.badChecksums) +
         " rejected by checksum";
}

uint64_t CountTraceRecords(const std::string& path) {
  if (InputFileProblem(path, {kTraceCaptureMaxBytes, "a trace capture"})) return 0;
  std::ifstream in(Utf8Path(path), std::ios::binary);
  TTraceScanner scanner;
  char block[kBlockSize];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(block),
                                         static_cast<size_t>(in.gcount()));
    scanner.Feed(bytes, [](std::span<const uint8_t, kTracePayloadSize>) {});
  }
  return scanner.recordsFound();
}

}  // namespace vetra
