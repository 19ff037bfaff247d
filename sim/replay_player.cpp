#include "sim/replay_player.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <span>

namespace vetra::sim {

namespace {
constexpr size_t kRefillBelow = 1024;
}

bool ReplayPlayer::ReadLog(const std::string& path, std::vector<uint8_t>& log) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

double ReplayPlayer::Advance(double nowS) {
  // Keep a little queued: the wire takes it at the line rate.
  while (output_.size() < kRefillBelow && !log_.empty()) {
    if (position_ >= log_.size()) {
      if (!loop_) break;
      position_ = 0;
    }
    const size_t count = std::min(kRefillBelow, log_.size() - position_);
    output_.Append(std::span<const uint8_t>(log_.data() + position_, count));
    position_ += count;
  }
  return nowS + 0.05;
}

}  // namespace vetra::sim
