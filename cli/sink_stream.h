#pragma once
// A stream of bytes handed on as it comes (a capture file), and the stdio stream over it that the
// monitoring task's capture slot takes: every write to the stream reaches the sink unbuffered,
// and closing the stream closes the sink.
//
// The platform layer: glibc's fopencookie or the BSD funopen (cli/posix/sink_stream.cpp); on
// Windows, which has neither, a pipe whose far end a thread of the stream's own empties into the
// sink (cli/win/sink_stream.cpp). There the last bytes reach the sink just after fclose returns,
// and the stream's destructor waits for them.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace vetra::cli {

class IByteSink {
 public:
  virtual ~IByteSink() = default;
  // Takes every byte; false when they could not all be kept.
  virtual bool Write(const uint8_t* bytes, size_t count) = 0;
  // No more bytes come; false when the end could not be written.
  virtual bool Close() = 0;
};

class SinkStream {
 public:
  explicit SinkStream(IByteSink& sink);
  // The stream must have been closed (fclose) by then.
  ~SinkStream();
  SinkStream(const SinkStream&) = delete;
  SinkStream& operator=(const SinkStream&) = delete;

  // The stream, for whoever closes it; nullptr when it could not be made (errno says why).
  std::FILE* file() const { return file_; }

 private:
  struct Platform;
  std::FILE* file_ = nullptr;
  std::unique_ptr<Platform> platform_;
};

}  // namespace vetra::cli
