#include "epoch/error_model.h"

#include <cmath>

namespace vetra {

namespace {

// Metres per unit of DOP (gpsd's figures divided by its DOPs over the real captures).
constexpr double kHorizontalPerHdop = 19.0;
constexpr double kVerticalPerVdop = 23.0;
constexpr double kAxisPerDop = 15.0;   // epx by xdop, epy by ydop
constexpr double kTimeErrorS = 0.005;  // ept: a sentence's time is good to its last digit

// A 1-sigma error in one axis scaled to 95 %.
constexpr double kSigmaTo95 = 1.96;

bool Given(double v) { return !std::isnan(v); }

}  // namespace

void SetErrorEstimates(Epoch& e, const GstSentence* gst) {
  if (!e.hasFix()) return;
  e.ept = kTimeErrorS;
  if (gst != nullptr && Given(gst->latitudeSigmaM) && Given(gst->longitudeSigmaM)) {
    e.epy = gst->latitudeSigmaM * kSigmaTo95;
    e.epx = gst->longitudeSigmaM * kSigmaTo95;
    e.eph = std::hypot(gst->latitudeSigmaM, gst->longitudeSigmaM) * kSigmaTo95;
    if (Given(gst->altitudeSigmaM) && e.threeD()) e.epv = gst->altitudeSigmaM * kSigmaTo95;
    return;
  }
  if (Given(e.hdop)) e.eph = e.hdop * kHorizontalPerHdop;
  if (Given(e.vdop) && e.threeD()) e.epv = e.vdop * kVerticalPerVdop;
  if (Given(e.xdop)) e.epx = e.xdop * kAxisPerDop;
  if (Given(e.ydop)) e.epy = e.ydop * kAxisPerDop;
}

}  // namespace vetra
