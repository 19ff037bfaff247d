#include "trace/trace_convert.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "link/open_file.h"
#include "trace/trace_scanner.h"

namespace vetra {

namespace {
namespace fs = std::filesystem;

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

std::string ErrorText(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string();
}

// A name beside the output that no file has yet.
fs::path TemporaryBeside(const fs::path& output) {
  for (int n = 0;; ++n) {
    fs::path candidate = output;
    candidate += n == 0 ? ".part" : ".part" + std::to_string(n);
    std::error_code error;
    if (!fs::exists(candidate, error)) return candidate;
  }
}

// Removes the temporary file unless it was put in place.
struct TemporaryOutput {
  fs::path path;
  bool kept = false;
  ~TemporaryOutput() {
    std::error_code error;
    if (!kept) fs::remove(path, error);
  }
};

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
  File in(OpenFile(inputPath, "rb"));
  if (!in) {
    result.status = TraceConvertStatus::InputMissing;
    result.error = ErrorText(errno);
    return result;
  }
  std::error_code same;
  if (fs::equivalent(FilePathFromUtf8(inputPath), FilePathFromUtf8(outputPath), same)) {
    result.status = TraceConvertStatus::SameFile;
    return result;
  }
  TemporaryOutput temporary{TemporaryBeside(FilePathFromUtf8(outputPath))};
  File out(OpenFile(temporary.path, "wb"));
  if (!out) {
    result.status = TraceConvertStatus::OutputFailed;
    result.error = ErrorText(errno);
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
    errno = 0;
    const size_t n = std::fread(block, 1, sizeof block, in.get());
    if (n == 0) {
      if (std::ferror(in.get())) {
        result.status = TraceConvertStatus::ReadFailed;
        result.error = ErrorText(errno);
        return result;
      }
      break;
    }
    result.bytesRead += n;
    if (callbacks.progress) callbacks.progress(static_cast<int64_t>(result.bytesRead));
    scanner.Feed({block, n}, [&](std::span<const uint8_t, kTracePayloadSize> payload) {
      if (formatter.Format(DecodeTraceRecord(payload), text)) {
        ++result.records;
      } else {
        ++result.skipped;
      }
    });
    if (text.size() >= kFlushSize) writeOk = WriteAll(out.get(), text) && writeOk;
  }
  formatter.End(text);
  result.badChecksums = scanner.badChecksums();
  errno = 0;
  writeOk = WriteAll(out.get(), text) && writeOk;
  writeOk = std::fflush(out.get()) == 0 && writeOk;
  const int writeError = errno;
  writeOk = std::fclose(out.release()) == 0 && writeOk;
  if (!writeOk) {
    result.status = TraceConvertStatus::WriteFailed;
    result.error = ErrorText(writeError != 0 ? writeError : errno);
    return result;
  }
  std::error_code renamed;
  fs::rename(temporary.path, outputPath, renamed);
  if (renamed) {
    result.status = TraceConvertStatus::WriteFailed;
    result.error = renamed.message();
    return result;
  }
  temporary.kept = true;
  return result;
}

std::string TraceConvertReport(const TraceConvertResult& result, const std::string& outputName) {
  return std::to_string(result.records) + " records written to " + outputName + "; " +
         std::to_string(result.skipped) + " skipped, " + std::to_string(result.badChecksums) +
         " rejected by checksum";
}

uint64_t CountTraceRecords(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(FilePathFromUtf8(path), error)) return 0;
  File in(OpenFile(path, "rb"));
  if (!in) return 0;
  TTraceScanner scanner;
  uint8_t block[kBlockSize];
  for (size_t n; (n = std::fread(block, 1, sizeof block, in.get())) > 0;) {
    scanner.Feed({block, n}, [](std::span<const uint8_t, kTracePayloadSize>) {});
  }
  return scanner.recordsFound();
}

}  // namespace vetra
