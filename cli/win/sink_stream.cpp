#include "cli/sink_stream.h"

#include <fcntl.h>
#include <io.h>

#include <thread>

namespace vetra::cli {

struct SinkStream::Platform {
  std::thread pump;
};

SinkStream::SinkStream(IByteSink& sink) {
  int ends[2] = {-1, -1};
  if (::_pipe(ends, 4096, _O_BINARY | _O_NOINHERIT) != 0) return;
  file_ = ::_fdopen(ends[1], "wb");
  if (file_ == nullptr) {
    ::_close(ends[0]);
    ::_close(ends[1]);
    return;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  platform_ = std::make_unique<Platform>();
  // Ends when the stream is closed: the pipe then reads as ended.
  platform_->pump = std::thread([&sink, readEnd = ends[0]] {
    uint8_t chunk[4096];
    for (;;) {
      const int n = ::_read(readEnd, chunk, sizeof chunk);
      if (n <= 0) break;
      sink.Write(chunk, static_cast<size_t>(n));
    }
    ::_close(readEnd);
    sink.Close();
  });
}

SinkStream::~SinkStream() {
  if (platform_ && platform_->pump.joinable()) platform_->pump.join();
}

}  // namespace vetra::cli
