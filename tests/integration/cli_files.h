#pragma once
// Files of the terminal tool's integration tests: a fresh folder per test, whole-file reads, and
// the trace records a capture holds as the converter would find them.

#include <stdlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "trace/trace_scanner.h"

namespace vetra::testing {

// A new empty folder under the test's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = std::filesystem::temp_directory_path() / "vetra-cli-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

inline std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

using TracePayload = std::array<uint8_t, kTracePayloadSize>;

// The intact trace records in a capture file, in order.
inline std::vector<TracePayload> TraceRecordsIn(const std::string& path) {
  std::vector<TracePayload> records;
  TTraceScanner scanner;
  scanner.Feed(ReadBytes(path), [&](std::span<const uint8_t, kTracePayloadSize> payload) {
    TracePayload record;
    std::copy(payload.begin(), payload.end(), record.begin());
    records.push_back(record);
  });
  return records;
}

}  // namespace vetra::testing
