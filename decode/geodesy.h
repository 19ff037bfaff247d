#pragma once
// Conversions on the WGS-84 ellipsoid. ECEF to geodetic, as the trace conversion needs it (the
// receiver's trace memory stores positions as Earth-centred, Earth-fixed coordinates); geodetic to
// ECEF and the local east/north/up offsets of the position statistics: a proper rotation of the
// ECEF difference into the reference's tangent plane, not a flat-earth step in degrees, so that
// offsets stay right at the poles and across the antimeridian.

#include <array>

namespace vetra {

// Input x, y, z in metres (ECEF). Output latitude (radians), longitude (radians) and height above
// the ellipsoid (metres). One closed-form step of Bowring's formula, no iteration: away from the
// axis it agrees with the exact solution to well below a millimetre for points from below sea level
// to aircraft height. The height p / cos(latitude) - N loses precision within about a centimetre of
// the polar axis (tens of metres at 0.1 mm). On the axis itself (x^2 + y^2 <= 1e-10 m^2) the
// longitude is 0. A pure function; never fails.
void ecefToGeodetic(const double ecef[3], double out[3]);
std::array<double, 3> ecefToGeodetic(const std::array<double, 3>& ecef);

// A position in degrees (signed: north and east positive) and metres above the ellipsoid.
struct GeodeticDeg {
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  double heightM = 0;
};

std::array<double, 3> GeodeticToEcef(const GeodeticDeg& position);
// ecefToGeodetic in degrees.
GeodeticDeg EcefToGeodeticDeg(const std::array<double, 3>& ecef);

struct EnuOffset {
  double eastM = 0;
  double northM = 0;
  double upM = 0;
};

// The offset of an ECEF point from the reference, in the reference's local east/north/up frame.
EnuOffset EnuFrom(const GeodeticDeg& reference, const std::array<double, 3>& pointEcef);

}  // namespace vetra
