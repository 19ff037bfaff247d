#include "epoch/error_model.h"

#include <cmath>

namespace vetra {

namespace {

// Metres per unit of DOP for a plain fix: gpsd's eph, epv, epx and epy divided by the DOPs it
// reports beside them, over the real captures (tests/data/nmea-real): 19.0, 23.0 and 15.0 each
// time. With a differential fix gpsd's figures are a quarter of those (4.75, 5.75, 3.75). No
// capture has an RTK fix: it is taken as differential.
constexpr double kHorizontalPerHdop = 19.0;
constexpr double kVerticalPerVdop = 23.0;
constexpr double kAxisPerDop = 15.0;  // epx by xdop, epy by ydop
constexpr double kDifferentialShare = 0.25;
constexpr double kTimeErrorS = 0.005;  // ept, whatever the receiver

bool Given(double v) { return !std::isnan(v); }

}  // namespace

void SetErrorEstimates(Epoch& e, const GstSentence* gst) {
  if (!e.hasFix()) return;
  const bool corrected = e.quality == FixQuality::Differential ||
                         e.quality == FixQuality::RtkFixed || e.quality == FixQuality::RtkFloat;
  const double scale = corrected ? kDifferentialShare : 1.0;
  e.ept = kTimeErrorS;
  if (Given(e.hdop)) e.eph = e.hdop * kHorizontalPerHdop * scale;
  if (Given(e.vdop)) e.epv = e.vdop * kVerticalPerVdop * scale;
  if (Given(e.xdop)) e.epx = e.xdop * kAxisPerDop * scale;
  if (Given(e.ydop)) e.epy = e.ydop * kAxisPerDop * scale;
  if (gst == nullptr) return;
  // The receiver's own standard deviations, as gpsd passes them on: longitude for epx, latitude
  // for epy, height for epv; eph stays the DOP's.
  if (Given(gst->longitudeSigmaM)) e.epx = gst->longitudeSigmaM;
  if (Given(gst->latitudeSigmaM)) e.epy = gst->latitudeSigmaM;
  if (Given(gst->altitudeSigmaM) && e.threeD()) e.epv = gst->altitudeSigmaM;
}

}  // namespace vetra
