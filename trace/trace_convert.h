#pragma once
// Converts a trace read's capture ("tracelog.tmp") into a text file ("tracedata.gps"): the input is
// read in blocks of 1,024 bytes, every intact trace record becomes one line (or one track point),
// and the caller is called back before each block so that a window stays responsive and shows
// progress.
//
// The output is written by the whole-file writer (util/whole_file.h): into a temporary file beside
// it and renamed over it only when the whole conversion succeeded, so a failure (a full disk, a
// read error) leaves an earlier output as it was; a device or FIFO (/dev/stdout) is written
// through, a directory refused. The capture must be a regular file of at most
// kTraceCaptureMaxBytes (a device such as /dev/zero would never end). An output that is the input
// itself (the same file by device and inode, whatever the path says) is refused before anything is
// written; a read error is an error, not the end of the file.

#include <cstdint>
#include <functional>
#include <string>

#include "trace/trace_format.h"

namespace vetra {

inline constexpr const char* kTraceCaptureFile = "tracelog.tmp";
inline constexpr const char* kTraceTextFile = "tracedata.gps";
// The largest capture converted: a full trace memory's 65,535 records (the logged count is 16 bits)
// as 27-byte frames, with room for sixteen times as much other output received during the read.
inline constexpr std::uintmax_t kTraceCaptureMaxBytes = 65'535ull * 27 * 17;

// The conversion's output file: "tracedata.gps" for the text forms; the GPX and KML tracks get
// their own ending so that mapping tools open them directly.
const char* TraceOutputFile(TraceFormat format);

enum class TraceConvertStatus {
  Ok,
  InputMissing,  // the capture cannot be opened, or is no regular file within the size
  SameFile,      // the output is the input
  ReadFailed,    // reading the capture failed before its end
  OutputFailed,  // the output cannot be created
  WriteFailed,   // the output could not be written whole (or not put in place)
};

struct TraceConvertCallbacks {
  std::function<void(int64_t total)> started;  // the input's length in bytes
  std::function<void()> beforeBlock;           // let the window process its messages
  std::function<void(int64_t bytesRead)> progress;
};

struct TraceConvertResult {
  TraceConvertStatus status = TraceConvertStatus::Ok;
  uint64_t records = 0;       // written
  uint64_t skipped = 0;       // intact, but not a real fix (GPX, KML)
  uint64_t badChecksums = 0;  // trace frames whose checksum did not match
  uint64_t bytesRead = 0;
  // The system's reason for a failure, when it gave one; for InputMissing a sentence naming the
  // capture ("'/dev/zero' is a character device, not a file to read").
  std::string error;
};

TraceConvertResult ConvertTraceFile(const std::string& inputPath, const std::string& outputPath,
                                    TraceFormat format,
                                    const TraceConvertCallbacks& callbacks = {});

// "12 records written to tracedata.gpx; 1 skipped, 0 rejected by checksum": what the page and
// `vetra convert` report after a conversion that succeeded.
std::string TraceConvertReport(const TraceConvertResult& result, const std::string& outputName);

// The intact trace records in a capture file, as the converter finds them; 0 for a file that is
// missing or not a regular file.
uint64_t CountTraceRecords(const std::string& path);

}  // namespace vetra
