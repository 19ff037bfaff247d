#include "cli/capture_file.h"

#include <algorithm>
#include <cerrno>
#include <span>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/receiver_session.h"

namespace vetra::cli {
namespace {

#ifdef _WIN32
int WriteSome(int fd, const uint8_t* bytes, size_t count) {
  return ::_write(fd, bytes, static_cast<unsigned>(std::min<size_t>(count, 1u << 30)));
}
int CloseFile(int fd) { return ::_close(fd); }
#else
int WriteSome(int fd, const uint8_t* bytes, size_t count) {
  return static_cast<int>(::write(fd, bytes, std::min<size_t>(count, 1u << 30)));
}
int CloseFile(int fd) { return ::close(fd); }
#endif

}  // namespace

CaptureFile::CaptureFile(ReceiverSession& session, int fd) : session_(session), fd_(fd) {}

CaptureFile::~CaptureFile() {
  stream_.reset();  // every byte handed on before the file goes
  if (fd_ >= 0) CloseFile(fd_);
}

std::FILE* CaptureFile::OpenStream() {
  stream_ = std::make_unique<SinkStream>(static_cast<IByteSink&>(*this));
  return stream_->file();
}

bool CaptureFile::Write(const uint8_t* bytes, size_t count) {
  bool ok = true;
  size_t done = 0;
  while (done < count) {
    const int n = WriteSome(fd_, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (!ok) failed_ = true;
  scanner_.Feed(std::span(bytes, count), [](std::span<const uint8_t, kTracePayloadSize>) {});
  session_.Captured(static_cast<int>(count), scanner_.recordsFound(), !ok);
  return ok;
}

bool CaptureFile::Close() {
  const int result = CloseFile(fd_);
  fd_ = -1;
  if (result != 0) {
    failed_ = true;
    session_.Captured(0, scanner_.recordsFound(), true);
  }
  return result == 0;
}

}  // namespace vetra::cli
