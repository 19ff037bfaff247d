#include "trace/trace_convert.h"

#include <cstdio>
#include <memory>

#include "trace/trace_scanner.h"

namespace vetra {

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr size_t kBlockSize = 1024;
constexpr size_t kFlushSize = 1 << 16;

bool WriteAll(std::FILE* f, std::string& text) {
  const bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), f) == text.size();
  text.clear();
  return ok;
}
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
  File in(std::fopen(inputPath.c_str(), "rb"));
  if (!in) {
    result.status = TraceConvertStatus::InputMissing;
    return result;
  }
  File out(std::fopen(outputPath.c_str(), "wb"));
  if (!out) {
    result.status = TraceConvertStatus::OutputFailed;
    return result;
  }
  if (callbacks.started) {
    std::fseek(in.get(), 0, SEEK_END);
    const long length = std::ftell(in.get());
    std::fseek(in.get(), 0, SEEK_SET);
    callbacks.started(length < 0 ? 0 : length);
  }

  TTraceScanner scanner;
  TTraceFormatter formatter(format);
  std::string text;
  text.reserve(kFlushSize + 4096);
  bool writeOk = true;
  formatter.Begin(text);
  uint8_t block[kBlockSize];
  for (;;) {
    if (callbacks.beforeBlock) callbacks.beforeBlock();
    const size_t n = std::fread(block, 1, sizeof block, in.get());
    if (n == 0) break;
    result.bytesRead += n;
    if (callbacks.progress) callbacks.progress(static_cast<int64_t>(result.bytesRead));
    scanner.Feed({block, n}, [&](std::span<const uint8_t, kTracePayloadSize> payload) {
      formatter.Format(DecodeTraceRecord(payload), text);
    });
    if (text.size() >= kFlushSize) writeOk = WriteAll(out.get(), text) && writeOk;
  }
  formatter.End(text);
  writeOk = WriteAll(out.get(), text) && writeOk;
  writeOk = std::fclose(out.release()) == 0 && writeOk;
  result.records = scanner.recordsFound();
  if (!writeOk) result.status = TraceConvertStatus::WriteFailed;
  return result;
}

}  // namespace vetra
