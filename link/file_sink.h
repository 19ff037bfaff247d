#pragma once
// A capture file: raw bytes, written in binary mode and flushed after every write, so that a hard
// end of the program loses nothing and a full disk shows at the write that hit it, not at close.

#include <cstdio>
#include <memory>
#include <string>

#include "link/byte_sink.h"

namespace vetra {

class FileSink final : public IByteSink {
 public:
  // Creates (or empties) the file at path; nullptr and the system's reason in error when it
  // cannot be opened for writing.
  static std::unique_ptr<FileSink> Open(const std::string& path, std::string& error);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  bool Write(const uint8_t* bytes, size_t count) override;
  bool Close() override;
  std::string error() const override { return error_; }

 private:
  explicit FileSink(std::FILE* file) : file_(file) {}

  std::FILE* file_;
  std::string error_;
};

}  // namespace vetra
