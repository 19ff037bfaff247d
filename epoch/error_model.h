#pragma once
// Error estimates (95 %) of an epoch as gpsd reports them in its TPV, so that a client sees the
// same eph/epv from us as from gpsd fed the same sentences.
// - With a GST of the epoch: the receiver's own sigmas (latitude, longitude, altitude) scaled to
//   95 %; eph from the two horizontal sigmas.
// - Without: each from its DOP and a user range error fixed per axis. The constants are gpsd's,
// found
//   by feeding captures to gpsdecode and dividing its figures by the DOPs it shows beside them.
// A figure whose inputs are missing stays NaN.

#include "epoch/epoch.h"
#include "epoch/nmea_reader.h"

namespace vetra {

// Fills eph, epv, epx, epy and ept of an epoch whose DOPs are already set; gst: the epoch's GST.
void SetErrorEstimates(Epoch& epoch, const GstSentence* gst);

}  // namespace vetra
