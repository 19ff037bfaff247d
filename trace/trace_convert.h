#pragma once
// Converts a trace read's capture ("tracelog.tmp") into a text file ("tracedata.gps"): the input is
// read in blocks of 1,024 bytes, every intact trace record becomes one line (or one track point),
// and the caller is called back before each block so that a window stays responsive and shows
// progress.

#include <cstdint>
#include <functional>
#include <string>

#include "trace/trace_format.h"

namespace vetra {

inline constexpr const char* kTraceCaptureFile = "tracelog.tmp";
inline constexpr const char* kTraceTextFile = "tracedata.gps";

// The conversion's output file: "tracedata.gps" for the text forms; the GPX and KML tracks get
// their own ending so that mapping tools open them directly.
const char* TraceOutputFile(TraceFormat format);

enum class TraceConvertStatus { Ok, InputMissing, OutputFailed, WriteFailed };

struct TraceConvertCallbacks {
  std::function<void(int64_t total)> started;  // the input's length in bytes
  std::function<void()> beforeBlock;           // let the window process its messages
  std::function<void(int64_t bytesRead)> progress;
};

struct TraceConvertResult {
  TraceConvertStatus status = TraceConvertStatus::Ok;
  uint64_t records = 0;
  uint64_t bytesRead = 0;
};

TraceConvertResult ConvertTraceFile(const std::string& inputPath, const std::string& outputPath,
                                    TraceFormat format,
                                    const TraceConvertCallbacks& callbacks = {});

}  // namespace vetra
