#include "util/utc_time.h"

namespace vetra {

std::tm UtcTime(std::time_t seconds) {
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  return utc;
}

}  // namespace vetra
