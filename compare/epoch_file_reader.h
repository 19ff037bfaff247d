#pragma once
// EpochFileReader: the epochs of a raw receive log, one at a time, read in pieces of 64 KiB
// through the epoch assembler (epoch/epoch_stream.h), so that a log of any size streams through
// and two logs can be merged by time.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"

namespace vetra {

class EpochFileReader {
 public:
  EpochFileReader() = default;
  ~EpochFileReader();
  EpochFileReader(const EpochFileReader&) = delete;
  EpochFileReader& operator=(const EpochFileReader&) = delete;

  // False (and the system's reason in error()) when the file cannot be opened.
  bool Open(const std::string& path);
  // The next epoch; false at the end of the log or on a read error (error() then says which).
  bool Next(Epoch& epoch);

  const EpochCounts& counts() const { return stream_.counts(); }
  const std::string& error() const { return error_; }

  static constexpr size_t kPieceBytes = 64 * 1024;

 private:
  std::FILE* file_ = nullptr;
  EpochStream stream_;
  std::vector<uint8_t> piece_;
  std::vector<Epoch> ready_;
  size_t next_ = 0;
  bool ended_ = false;
  std::string error_;
};

}  // namespace vetra
