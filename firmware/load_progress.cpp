#include "firmware/load_progress.h"

#include <algorithm>
#include <cstdio>

namespace vetra {

std::string LoadProgressLine(const LoadProgress& p) {
  if (p.maximum <= 0) return {};
  constexpr int kWidth = 40;
  const int position = std::clamp(p.position, 0, p.maximum);
  const int filled = position * kWidth / p.maximum;
  const int64_t bytes = p.imageBytes * position / p.maximum;
  char line[160];
  int length = std::snprintf(line, sizeof line, "  [%s%s] %3d%%  %lld/%lld bytes",
                             std::string(static_cast<size_t>(filled), '#').c_str(),
                             std::string(static_cast<size_t>(kWidth - filled), ' ').c_str(),
                             position * 100 / p.maximum, static_cast<long long>(bytes),
                             static_cast<long long>(p.imageBytes));
  // A rate only once a second of it has been seen: the first pieces say little.
  if (p.elapsedMs >= 1000 && bytes > 0) {
    const double bytesPerSecond =
        static_cast<double>(bytes) * 1000.0 / static_cast<double>(p.elapsedMs);
    const auto secondsLeft =
        static_cast<long long>(static_cast<double>(p.imageBytes - bytes) / bytesPerSecond + 0.5);
    std::snprintf(line + length, sizeof line - static_cast<size_t>(length),
                  "  %.1f KB/s  %lld:%02lld left", bytesPerSecond / 1024.0, secondsLeft / 60,
                  secondsLeft % 60);
  }
  return line;
}

}  // namespace vetra
