#pragma once
// Where a capture's bytes go: a file, or something that looks at them on their way to one. The
// receiver conversation writes every received chunk to the sink attached to its capture slot.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vetra {

class IByteSink {
 public:
  virtual ~IByteSink() = default;
  // Takes every byte; false when they could not all be kept (error() says why).
  virtual bool Write(const uint8_t* bytes, size_t count) = 0;
  // No more bytes come; false when the end could not be written (error() says why).
  virtual bool Close() = 0;
  // The system's reason for the last failed Write or Close; "" before one failed.
  virtual std::string error() const = 0;
};

}  // namespace vetra
