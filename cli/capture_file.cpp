#include "cli/capture_file.h"

#include <span>
#include <utility>

#include "cli/receiver_session.h"

namespace vetra::cli {

CaptureFile::CaptureFile(ReceiverSession& session, std::unique_ptr<FileSink> file)
    : session_(session), file_(std::move(file)) {}

bool CaptureFile::Write(const uint8_t* bytes, size_t count) {
  const bool ok = file_->Write(bytes, count);
  scanner_.Feed(std::span(bytes, count), [](std::span<const uint8_t, kTracePayloadSize>) {});
  session_.Captured(static_cast<int>(count), scanner_.recordsFound(), !ok);
  return ok;
}

bool CaptureFile::Close() {
  const bool closed = file_->Close();
  if (!closed) session_.Captured(0, scanner_.recordsFound(), true);
  return closed;
}

}  // namespace vetra::cli
