#pragma once
// One epoch with a 2D or 3D fix, as the position statistics, their CSV export and the
// Statistics window's plots keep it: the receiver's UTC time, the position at the precision of
// its own digits, heights, the fix on the one table of fix modes (epoch/fix_mode_text.h),
// satellites used and HDOP. Made from an Epoch (any receiver, NMEA or the module's binary output);
// a receiver's several sentences of one epoch are already one epoch, so one sample each.
//
// The ellipsoidal height is MSL + geoid separation, and absent (NaN) when the receiver gave no
// separation: the vertical figures then stay empty rather than show a height nobody measured.

#include <cstdint>
#include <optional>
#include <string>

#include "epoch/epoch.h"
#include "epoch/fix_mode_text.h"
#include "model/nav_record.h"

namespace vetra {

struct FixSample {
  int64_t timeOfDayMs = -1;  // -1: no time
  std::optional<UtcDate> date;
  FixKind fix;
  double latitudeDeg = 0;   // signed, north positive
  double longitudeDeg = 0;  // signed, east positive
  double altitudeMslM = kNoValue;
  double geoidSeparationM = kNoValue;
  int32_t satellitesUsed = -1;  // -1: not given
  float hdop = std::numeric_limits<float>::quiet_NaN();

  bool threeD() const { return fix.mode == FixMode::ThreeD; }
  // MSL + geoid separation; NaN when either is missing.
  double EllipsoidHeightM() const { return altitudeMslM + geoidSeparationM; }
  // Seconds on one scale for the plots: since 1970 when the date is known, else of the day.
  double UtcSeconds() const;
};

// The sample of an epoch with a 2D or 3D fix and a position; nullopt otherwise.
std::optional<FixSample> FixSampleOf(const Epoch& epoch);
// The same of the module's record (the position update of a pass: the exact fix, never its 32-bit
// floats); nullopt without a fix and a position.
std::optional<FixSample> FixSampleOf(const TNavRecord& record);

// "2024-05-01T12:00:00.250Z"; "12:00:00.250Z" without a date; empty without a time.
std::string UtcText(const FixSample& sample);

}  // namespace vetra
