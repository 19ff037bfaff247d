#include "sim/output_queue.h"

#include <algorithm>

namespace vetra::sim {

size_t OutputQueue::Take(size_t maxBytes, std::vector<uint8_t>& out) {
  size_t count = std::min(maxBytes, bytes_.size());
  if (!changes_.empty()) count = std::min<size_t>(count, changes_.front().position - taken_);
  out.insert(out.end(), bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
  taken_ += count;
  return count;
}

int OutputQueue::TakeBaudChange() {
  if (changes_.empty() || changes_.front().position > taken_) return 0;
  const int baud = changes_.front().baud;
  changes_.pop_front();
  return baud;
}

void OutputQueue::ClearBytes() {
  taken_ += bytes_.size();
  bytes_.clear();
  for (Change& c : changes_) c.position = std::min(c.position, taken_);
}

}  // namespace vetra::sim
