#pragma once
// Error estimates of an epoch as gpsd reports them in its TPV, so that a client sees the same
// eph/epv from us as from gpsd fed the same sentences:
// - eph from the HDOP, epv from the VDOP, epx and epy from the xdop and ydop of the geometry,
//   each times a user range error per axis; a quarter of it with a differential (or RTK) fix.
//   The constants are gpsd's, found by feeding the real captures to gpsdecode and dividing its
//   figures by the DOPs it reports beside them;
// - with a GST in the epoch, epx, epy and epv are the receiver's own standard deviations
//   (longitude, latitude, and height with a 3D fix) as it sends them; eph stays the DOP's;
// - ept is 5 ms, whatever the receiver.
// A figure whose inputs are missing stays NaN; an epoch without a fix has none.

#include "epoch/epoch.h"
#include "epoch/nmea_reader.h"

namespace vetra {

// Fills eph, epv, epx, epy and ept of an epoch whose fix and DOPs are already set; gst: the
// epoch's GST, if it had one.
void SetErrorEstimates(Epoch& epoch, const GstSentence* gst);

}  // namespace vetra
