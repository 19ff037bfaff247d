#pragma once
// ECEF to geodetic conversion on the WGS-84 ellipsoid, as the trace conversion needs it: the
// receiver's trace memory stores positions as Earth-centred, Earth-fixed coordinates.

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

}  // namespace vetra
