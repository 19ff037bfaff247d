#include "compare/compare_csv.h"

#include <cmath>
#include <cstdio>

namespace vetra {

namespace {

void Number(std::string& out, double value, const char* format) {
  if (std::isfinite(value)) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    out += text;
  }
  out += ',';
}

void Count(std::string& out, int value) {
  if (value >= 0) out += std::to_string(value);
  out += ',';
}

}  // namespace

std::string CompareCsvHeader() {
  return "utc,test_latitude,test_longitude,test_height_m,reference_latitude,reference_longitude,"
         "reference_height_m,east_m,north_m,up_m,horizontal_m,along_track_m,cross_track_m,"
         "test_fix,test_quality,reference_fix,reference_quality,test_satellites,"
         "reference_satellites,match\n";
}

std::string CompareCsvRow(const ComparedEpoch& row) {
  std::string out = row.utc;
  out += ',';
  Number(out, row.testLatitudeDeg, "%.9f");
  Number(out, row.testLongitudeDeg, "%.9f");
  Number(out, row.testHeightM, "%.4f");
  const ReferencePoint* reference = row.reference ? &*row.reference : nullptr;
  Number(out, reference ? reference->position.latitudeDeg : kNoValue, "%.9f");
  Number(out, reference ? reference->position.longitudeDeg : kNoValue, "%.9f");
  Number(out, reference && reference->heightKnown ? reference->position.heightM : kNoValue, "%.4f");
  Number(out, row.eastM, "%.4f");
  Number(out, row.northM, "%.4f");
  Number(out, row.upM, "%.4f");
  Number(out, row.horizontalM, "%.4f");
  Number(out, row.alongTrackM, "%.4f");
  Number(out, row.crossTrackM, "%.4f");
  out += FixModeText(row.testMode);
  out += ',';
  if (row.testMode != FixMode::None) out += FixQualityText(row.testQuality);
  out += ',';
  if (reference) {
    out += FixModeText(reference->mode);
    out += ',';
    out += FixQualityText(reference->quality);
  } else {
    out += ',';
  }
  out += ',';
  Count(out, row.testSatellites);
  Count(out, reference ? reference->satellitesUsed : -1);
  out += MatchResultText(row.match);
  out += '\n';
  return out;
}

}  // namespace vetra
