#pragma once
// The rows of a comparison as CSV, one per test epoch with a time:
// utc,test_latitude,test_longitude,test_height_m,reference_latitude,reference_longitude,
// reference_height_m,east_m,north_m,up_m,horizontal_m,along_track_m,cross_track_m,test_fix,
// test_quality,reference_fix,reference_quality,test_satellites,reference_satellites,match
// Heights above the ellipsoid; the reference is its antenna where it was at the test's time
// (interpolated where it had no epoch of that time); errors are test minus reference plus the
// lever arm. Degrees with 9 decimals (0.1 mm), metres with 4; a value that is not there is
// empty; match says "exact", "interpolated", or why the epoch was not compared ("no test fix",
// "reference gap", "no reference"). `vetra compare --csv` and the Statistics window's export
// write the same rows.

#include <string>

#include "compare/compared_epoch.h"

namespace vetra {

std::string CompareCsvHeader();
std::string CompareCsvRow(const ComparedEpoch& row);

}  // namespace vetra
