#include "sim/replay_player.h"

#include <span>

#include "util/bounded_input.h"

namespace vetra::sim {

namespace {
constexpr size_t kRefillBelow = 1024;
}

std::unique_ptr<ReplayPlayer> ReplayPlayer::Open(const std::string& path, int baud, bool loop,
                                                 std::string& error) {
  std::ifstream log;
  if (!OpenRegularInput(path, log, error)) return nullptr;
  return std::unique_ptr<ReplayPlayer>(new ReplayPlayer(std::move(log), baud, loop));
}

double ReplayPlayer::Advance(double nowS) {
  // Keep a little queued: the wire takes it at the line rate.
  char block[kRefillBelow];
  bool rewound = false;
  while (output_.size() < kRefillBelow && !ended_) {
    log_.read(block, sizeof block);
    const auto count = static_cast<size_t>(log_.gcount());
    if (count > 0) {
      output_.Append(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(block), count));
      rewound = false;
      continue;
    }
    // At the end: once more from the start when looping (an empty log ends even then).
    if (!loop_ || rewound) {
      ended_ = true;
      break;
    }
    log_.clear();
    log_.seekg(0);
    rewound = true;
  }
  return nowS + 0.05;
}

}  // namespace vetra::sim
