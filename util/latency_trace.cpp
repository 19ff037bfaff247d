#include "util/latency_trace.h"
#include "util/open_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vetra {
namespace {

struct TraceFile {
  TraceFile() {
    const char* path = std::getenv("VETRA_LATENCY_TRACE");
    if (path != nullptr && *path != '\0') file = OpenFile(std::string(path), "a");
  }
  ~TraceFile() {
    if (file != nullptr) std::fclose(file);
  }
  std::mutex mutex;
  std::FILE* file = nullptr;
};

TraceFile& Trace() {
  static TraceFile trace;
  return trace;
}

}  // namespace

bool LatencyTraceOn() { return Trace().file != nullptr; }

void TraceLatencyEvent(const char* name) {
  TraceFile& trace = Trace();
  if (trace.file == nullptr) return;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const long long us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  std::lock_guard lock(trace.mutex);
  // Flushed at once: the program may be ended by a signal, and the benchmark reads as it goes.
  std::fprintf(trace.file, "%s %lld.%06lld\n", name, us / 1'000'000, us % 1'000'000);
  std::fflush(trace.file);
}

}  // namespace vetra
