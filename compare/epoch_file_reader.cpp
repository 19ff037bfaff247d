#include "compare/epoch_file_reader.h"

#include <cerrno>
#include <cstring>

namespace vetra {

EpochFileReader::~EpochFileReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool EpochFileReader::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error_ = std::strerror(errno);
    return false;
  }
  piece_.resize(kPieceBytes);
  return true;
}

bool EpochFileReader::Next(Epoch& epoch) {
  while (next_ >= ready_.size()) {
    if (ended_ || file_ == nullptr) return false;
    ready_.clear();
    next_ = 0;
    const size_t got = std::fread(piece_.data(), 1, piece_.size(), file_);
    if (got > 0) stream_.Feed({piece_.data(), got}, ready_);
    if (got < piece_.size()) {
      if (std::ferror(file_) != 0) error_ = std::strerror(errno);
      ended_ = true;
      stream_.Finish(ready_);
    }
  }
  epoch = std::move(ready_[next_++]);
  return true;
}

}  // namespace vetra
