#include "link/replay_port.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "util/bounded_input.h"
#include "util/utf8_path.h"

namespace vetra {

namespace {
constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr double kFastFactor = 10;
}  // namespace

std::shared_ptr<ReplaySource> ReplaySource::FromFile(const std::string& path, std::string& error) {
  std::ifstream in;
  if (!OpenRegularInput(path, in, error)) return nullptr;
  std::error_code code;
  const auto size = std::filesystem::file_size(Utf8Path(path), code);
  if (code) {
    error = "cannot read '" + path + "': " + code.message();
    return nullptr;
  }
  return std::shared_ptr<ReplaySource>(new ReplaySource(std::move(in), static_cast<size_t>(size)));
}

size_t ReplaySource::CopyOut(uint8_t* buffer, size_t count) {
  if (!file_.is_open()) {
    std::memcpy(buffer, memory_.data() + position_, count);
    return count;
  }
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(position_));
  file_.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
  return static_cast<size_t>(std::max<std::streamsize>(file_.gcount(), 0));
}

void ReplaySource::SetSpeed(ReplaySpeed speed) {
  std::lock_guard lock(mutex_);
  speed_ = speed;
  dueBytes_ = 0;
}

void ReplaySource::SetPaused(bool paused) {
  std::lock_guard lock(mutex_);
  paused_ = paused;
}

void ReplaySource::Seek(size_t position) {
  std::lock_guard lock(mutex_);
  position_ = std::min(position, size_);
  dueBytes_ = 0;
}

ReplaySpeed ReplaySource::speed() const {
  std::lock_guard lock(mutex_);
  return speed_;
}

bool ReplaySource::paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

size_t ReplaySource::size() const {
  std::lock_guard lock(mutex_);
  return size_;
}

size_t ReplaySource::position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

int ReplaySource::Take(uint8_t* buffer, int maxCount, int64_t nowMs, double bytesPerSecond) {
  std::lock_guard lock(mutex_);
  const int64_t elapsedMs = lastMs_ ? std::max<int64_t>(nowMs - *lastMs_, 0) : 0;
  lastMs_ = nowMs;
  if (paused_ || maxCount <= 0 || position_ >= size_) return 0;

  size_t count = size_ - position_;
  if (speed_ != ReplaySpeed::AsFastAsPossible) {
    const double rate = bytesPerSecond * (speed_ == ReplaySpeed::TenTimes ? kFastFactor : 1);
    // Held back, not dropped, while nobody reads; a second's worth at most, so that a pause of
    // the reader does not end in a burst.
    dueBytes_ = std::min(dueBytes_ + rate * static_cast<double>(elapsedMs) / 1000, rate);
    count = std::min(count, static_cast<size_t>(dueBytes_));
  }
  count = std::min(count, static_cast<size_t>(maxCount));
  const size_t wanted = count;
  count = CopyOut(buffer, wanted);
  // A file cut shorter since it was opened ends here.
  if (count < wanted) size_ = position_ + count;
  position_ += count;
  if (speed_ != ReplaySpeed::AsFastAsPossible) dueBytes_ -= static_cast<double>(count);
  return static_cast<int>(count);
}

int ReplayPort::rxData(uint8_t* buffer, int maxCount) {
  return source_->Take(buffer, maxCount, clock_.nowMs(), baudRate_ / kBitsPerByte);
}

bool ReplayPort::Reset(int baudRate, int, int, int) {
  if (baudRate > 0) baudRate_ = baudRate;
  return true;
}

}  // namespace vetra
