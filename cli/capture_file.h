#pragma once
// The capture file of a receiver session: the byte sink behind the stream handed to the task's
// capture slot. Every chunk the task writes goes straight to the file (no stdio buffer that a hard
// end could lose) and through a trace scanner, which counts the records exactly as the converter
// will find them; the session hears of each chunk.

#include <fcntl.h>

#include <atomic>
#include <cstdio>
#include <memory>

#include "cli/sink_stream.h"
#include "trace/trace_scanner.h"

// The session opens the file with POSIX's close-on-exec flag. Windows' own is O_NOINHERIT, and a
// capture is raw bytes: binary, never text.
#if defined(_WIN32) && !defined(O_CLOEXEC)
#define O_CLOEXEC (_O_NOINHERIT | _O_BINARY)
#endif

namespace vetra::cli {

class ReceiverSession;

class CaptureFile final : private IByteSink {
 public:
  // Takes over fd, a file open for writing.
  CaptureFile(ReceiverSession& session, int fd);
  ~CaptureFile() override;
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;

  // The stream for the task's capture slot; whoever holds it closes it. nullptr when it could
  // not be made (errno says why).
  std::FILE* OpenStream();
  bool failed() const { return failed_; }

 private:
  bool Write(const uint8_t* bytes, size_t count) override;
  bool Close() override;

  ReceiverSession& session_;
  int fd_;
  std::atomic<bool> failed_{false};  // written on the task's thread (or the stream's own)
  TTraceScanner scanner_;
  std::unique_ptr<SinkStream> stream_;  // last: on Windows its thread writes here until it ends
};

}  // namespace vetra::cli
