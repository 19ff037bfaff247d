#pragma once
// The terminal's line for a running load: the bar and percentage of the loader's progress steps,
// then the image bytes they stand for, the rate since the first step and the time left at that
// rate: "  [################                        ]  40%  209715/524288 bytes  11.2 KB/s  0:28
// left".

#include <cstdint>
#include <string>

namespace vetra {

struct LoadProgress {
  int position = 0;        // steps done
  int maximum = 0;         // steps in all
  int64_t imageBytes = 0;  // the image's size
  int64_t elapsedMs = 0;   // since the first step
};

std::string LoadProgressLine(const LoadProgress& progress);

}  // namespace vetra
