#include "cli/sink_stream.h"

#include <sys/types.h>

namespace vetra::cli {
namespace {

#if defined(__GLIBC__)
ssize_t WriteToSink(void* cookie, const char* bytes, size_t size) {
  return static_cast<IByteSink*>(cookie)->Write(reinterpret_cast<const uint8_t*>(bytes), size)
             ? static_cast<ssize_t>(size)
             : -1;
}
#else
int WriteToSink(void* cookie, const char* bytes, int size) {
  return static_cast<IByteSink*>(cookie)->Write(reinterpret_cast<const uint8_t*>(bytes),
                                                static_cast<size_t>(size))
             ? size
             : -1;
}
#endif

int CloseSink(void* cookie) { return static_cast<IByteSink*>(cookie)->Close() ? 0 : -1; }

}  // namespace

struct SinkStream::Platform {};

SinkStream::SinkStream(IByteSink& sink) {
#if defined(__GLIBC__)
  cookie_io_functions_t functions{};
  functions.write = &WriteToSink;
  functions.close = &CloseSink;
  file_ = fopencookie(&sink, "w", functions);
#else
  file_ = funopen(&sink, nullptr, &WriteToSink, nullptr, &CloseSink);
#endif
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
}

SinkStream::~SinkStream() = default;

}  // namespace vetra::cli
