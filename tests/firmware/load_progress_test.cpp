// The terminal's progress line of a load: bar, percentage, bytes, rate and time left.
#include "firmware/load_progress.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

TEST(LoadProgressLine, BytesRateAndTimeLeftFromTheStepsAndTheClock) {
  const std::string bar(16, '#');
  const std::string rest(24, ' ');
  // 2 of 5 steps of 512 KiB in 20 s: 204.8 KiB done at 10.2 KB/s, 307.2 KiB left: 30 s.
  EXPECT_EQ(LoadProgressLine({2, 5, 524288, 20000}),
            "  [" + bar + rest + "]  40%  209715/524288 bytes  10.2 KB/s  0:30 left");
  // Before a second has passed, no rate and no guess.
  EXPECT_EQ(LoadProgressLine({0, 5, 1024, 0}),
            "  [" + std::string(40, ' ') + "]   0%  0/1024 bytes");
  EXPECT_EQ(LoadProgressLine({0, 0, 1024, 0}), "");
}

}  // namespace
}  // namespace vetra
