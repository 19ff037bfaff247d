#pragma once
// The figures of a comparison as `vetra compare` prints them: plain text lines, or one JSON
// object with the keys test_epochs, reference_epochs, overlap_s, compared, unmatched,
// availability, horizontal {mean_m, rms_m, cep50_m, cep68_m, cep95_m, cep99_m, max_m},
// vertical {mean_m, rms_m, abs95_m}, rms_3d_m, along_track and cross_track {mean_m, rms_m} (only
// when the reference moved faster than 1 m/s) and ttff_s {test, reference} (only when a log
// starts without a fix). A figure without a value is null in JSON and "-" in text.

#include <string>

#include "compare/epoch_comparison.h"

namespace vetra {

std::string CompareText(const CompareFigures& figures);
std::string CompareJson(const CompareFigures& figures);

}  // namespace vetra
