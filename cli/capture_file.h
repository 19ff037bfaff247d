#pragma once
// The capture file of a receiver session, as the sink the conversation's capture slot takes: every
// chunk goes on to the file (flushed at once, so a hard end loses nothing) and through a trace
// scanner, which counts the records exactly as the converter will find them; the session hears of
// each chunk and of a write or close that failed.

#include <memory>
#include <string>

#include "link/byte_sink.h"
#include "link/file_sink.h"
#include "trace/trace_scanner.h"

namespace vetra::cli {

class ReceiverSession;

class CaptureFile final : public IByteSink {
 public:
  // session must outlive the conversation that holds this sink.
  CaptureFile(ReceiverSession& session, std::unique_ptr<FileSink> file);

  bool Write(const uint8_t* bytes, size_t count) override;
  bool Close() override;
  std::string error() const override { return file_->error(); }

 private:
  ReceiverSession& session_;
  std::unique_ptr<FileSink> file_;
  TTraceScanner scanner_;
};

}  // namespace vetra::cli
