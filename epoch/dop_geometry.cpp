#include "epoch/dop_geometry.h"

#include <array>
#include <cmath>
#include <numbers>

namespace vetra {

namespace {

using Matrix4 = std::array<std::array<double, 4>, 4>;

// Gauss-Jordan inversion with partial pivoting; false when the matrix is singular.
bool Invert(Matrix4 m, Matrix4& inverse) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) inverse[i][j] = i == j ? 1.0 : 0.0;
  }
  for (int column = 0; column < 4; ++column) {
    int pivot = column;
    for (int row = column + 1; row < 4; ++row) {
      if (std::fabs(m[row][column]) > std::fabs(m[pivot][column])) pivot = row;
    }
    if (std::fabs(m[pivot][column]) < 1e-12) return false;
    std::swap(m[pivot], m[column]);
    std::swap(inverse[pivot], inverse[column]);
    const double scale = m[column][column];
    for (int j = 0; j < 4; ++j) {
      m[column][j] /= scale;
      inverse[column][j] /= scale;
    }
    for (int row = 0; row < 4; ++row) {
      if (row == column) continue;
      const double factor = m[row][column];
      for (int j = 0; j < 4; ++j) {
        m[row][j] -= factor * m[column][j];
        inverse[row][j] -= factor * inverse[column][j];
      }
    }
  }
  return true;
}

}  // namespace

std::optional<DopValues> DopFromGeometry(std::span<const EpochSatellite> satellites) {
  constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
  Matrix4 normal{};
  int rows = 0;
  std::array<const EpochSatellite*, 128> seen{};
  size_t seenCount = 0;
  for (const EpochSatellite& sat : satellites) {
    if (!sat.used || std::isnan(sat.elevationDeg) || std::isnan(sat.azimuthDeg)) continue;
    bool duplicate = false;  // another signal of a satellite already counted
    for (size_t k = 0; k < seenCount; ++k)
      duplicate = duplicate || (seen[k]->system == sat.system && seen[k]->svid == sat.svid);
    if (duplicate || seenCount == seen.size()) continue;
    seen[seenCount++] = &sat;
    const double el = sat.elevationDeg * kRadiansPerDegree;
    const double az = sat.azimuthDeg * kRadiansPerDegree;
    const std::array<double, 4> h{std::cos(el) * std::sin(az), std::cos(el) * std::cos(az),
                                  std::sin(el), 1.0};
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) normal[i][j] += h[i] * h[j];
    }
    ++rows;
  }
  Matrix4 q{};
  if (rows < 4 || !Invert(normal, q)) return std::nullopt;
  if (q[0][0] < 0 || q[1][1] < 0 || q[2][2] < 0 || q[3][3] < 0) return std::nullopt;
  DopValues d;
  d.xdop = std::sqrt(q[0][0]);
  d.ydop = std::sqrt(q[1][1]);
  d.vdop = std::sqrt(q[2][2]);
  d.tdop = std::sqrt(q[3][3]);
  d.hdop = std::sqrt(q[0][0] + q[1][1]);
  d.pdop = std::sqrt(q[0][0] + q[1][1] + q[2][2]);
  d.gdop = std::sqrt(q[0][0] + q[1][1] + q[2][2] + q[3][3]);
  return d;
}

}  // namespace vetra
