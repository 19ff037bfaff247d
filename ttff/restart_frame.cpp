#include "ttff/restart_frame.h"

#include <cmath>
#include <ctime>

#include "link/frame.h"
#include "util/utc_time.h"

namespace vetra {
namespace {

struct RestartFields {
  uint8_t flag = 0, mode = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  uint16_t latitude = 0, longitude = 0;
};

// Degrees times 100 toward zero, as a magnitude. The record holds single-precision degrees, and
// the product is taken in that precision so that 24.13 gives 2413 (in double it is 2412.9999).
uint16_t Hundredths(double degrees) {
  const float scaled = std::fabs(static_cast<float>(degrees)) * 100.0f;
  return static_cast<uint16_t>(static_cast<int>(scaled));
}

}  // namespace

std::array<uint8_t, kTestRestartFrameSize> BuildTestRestartFrame(TestType type, int64_t utcSeconds,
                                                                 double latitudeDeg,
                                                                 double longitudeDeg) {
  RestartFields f;
  if (type == TestType::Cold) {
    f = {0x01, 0x03, 2004, 2, 14, 0, 0, 0, 24, 13};
  } else {
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    const std::tm utc = UtcTime(t);
    f.flag = type == TestType::Warm ? 0x01 : 0x00;
    f.mode = type == TestType::Warm ? 0x02 : 0x00;
    f.year = utc.tm_year + 1900;
    f.month = utc.tm_mon + 1;
    f.day = utc.tm_mday;
    f.hour = utc.tm_hour;
    f.minute = utc.tm_min;
    f.second = utc.tm_sec;
    f.latitude = Hundredths(latitudeDeg);
    f.longitude = Hundredths(longitudeDeg);
  }
  const uint8_t payload[16] = {f.flag,
                               f.mode,
                               static_cast<uint8_t>(f.year & 0xFF),
                               static_cast<uint8_t>(f.year >> 8),
                               static_cast<uint8_t>(f.month),
                               static_cast<uint8_t>(f.day),
                               static_cast<uint8_t>(f.hour),
                               static_cast<uint8_t>(f.minute),
                               static_cast<uint8_t>(f.second),
                               0x00,
                               static_cast<uint8_t>(f.latitude & 0xFF),
                               static_cast<uint8_t>(f.latitude >> 8),
                               static_cast<uint8_t>(f.longitude & 0xFF),
                               static_cast<uint8_t>(f.longitude >> 8),
                               0x00,
                               0x00};
  std::array<uint8_t, kTestRestartFrameSize> frame{};
  BuildFrame(kClassCommand, 0x01, payload, frame);
  return frame;
}

}  // namespace vetra
