#include "link/file_sink.h"
#include "util/open_file.h"

#include <cerrno>
#include <system_error>

namespace vetra {
namespace {

std::string ReasonOf(int error) {
  return error != 0 ? std::generic_category().message(error) : "the file could not be written";
}

// glibc's "e" opens with close-on-exec, so that a program the process starts does not keep the
// capture open; elsewhere no child is started while a capture runs.
#ifdef __GLIBC__
constexpr const char* kWriteMode = "wbe";
#else
constexpr const char* kWriteMode = "wb";
#endif

}  // namespace

std::unique_ptr<FileSink> FileSink::Open(const std::string& path, std::string& error) {
  errno = 0;
  std::FILE* file = OpenFile(path, kWriteMode);
  if (file == nullptr) {
    error = ReasonOf(errno);
    return nullptr;
  }
  // No stdio buffer: every write goes to the system at once (the flush below then costs nothing).
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<FileSink>(new FileSink(file));
}

FileSink::~FileSink() {
  if (file_ != nullptr) std::fclose(file_);
}

bool FileSink::Write(const uint8_t* bytes, size_t count) {
  if (file_ == nullptr) return false;
  errno = 0;
  if (std::fwrite(bytes, 1, count, file_) == count && std::fflush(file_) == 0) return true;
  error_ = ReasonOf(errno);
  return false;
}

bool FileSink::Close() {
  if (file_ == nullptr) return error_.empty();
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) error_ = ReasonOf(errno);
  return closed;
}

}  // namespace vetra
