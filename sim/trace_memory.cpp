#include "sim/trace_memory.h"

#include <algorithm>
#include <cmath>

#include "sim/payload_fields.h"

namespace vetra::sim {

namespace {
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84F = 1.0 / 298.257223563;
constexpr size_t kRecordFrameBytes = 27;  // "%%" F2 88, 20 bytes, checksum, CR LF
}  // namespace

void TraceMemory::ToEcef(double latitudeDeg, double longitudeDeg, double heightM, double& x,
                         double& y, double& z) {
  const double e2 = kWgs84F * (2 - kWgs84F);
  const double lat = latitudeDeg * kDegToRad;
  const double lon = longitudeDeg * kDegToRad;
  const double n = kWgs84A / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
  x = (n + heightM) * std::cos(lat) * std::cos(lon);
  y = (n + heightM) * std::cos(lat) * std::sin(lon);
  z = (n * (1 - e2) + heightM) * std::sin(lat);
}

TraceRecord TraceMemory::MakeRecord(const EpochReport& r) {
  std::vector<uint8_t> bytes;
  PayloadWriter w(bytes);
  const UtcTime t = UtcFromMs(r.utcMs);
  w.U16(static_cast<uint16_t>(t.day | t.month << 5 | (t.year - 1980) << 9));
  w.U16(static_cast<uint16_t>((t.hour * 3600 + t.minute * 60 + t.second) / 2));
  double x = 0, y = 0, z = 0;
  ToEcef(r.position.latitudeDeg, r.position.longitudeDeg, r.position.altitudeM + r.geoidSeparationM,
         x, y, z);
  w.I32(static_cast<int32_t>(std::lround(x)));
  w.I32(static_cast<int32_t>(std::lround(y)));
  w.I32(static_cast<int32_t>(std::lround(z)));
  w.I8(static_cast<int8_t>(r.satellitesUsed));
  w.U8(0);
  const uint16_t hdop = static_cast<uint16_t>(std::min(0xFFL, std::lround(r.hdop * 10)));
  w.U16(
      static_cast<uint16_t>(hdop | (r.fixMode >= 2 ? 0x2000 : 0) | (r.differential ? 0x1000 : 0)));
  TraceRecord record{};
  std::copy(bytes.begin(), bytes.end(), record.begin());
  return record;
}

void TraceMemory::StartRecording() {
  recording_ = true;
  haveLast_ = false;
}

void TraceMemory::StopRecording() {
  recording_ = false;
  stopAtS_ = -1;
}

void TraceMemory::Clear() {
  records_.clear();
  haveLast_ = false;
  readIndex_ = 0;
}

void TraceMemory::SetTimeToLog(uint16_t seconds, double nowS) {
  stopAtS_ = seconds == 0xFFFF ? -1 : nowS + seconds;
}

void TraceMemory::OnPowerOn() {
  if (setup_.flags & 0x02) StartRecording();
}

void TraceMemory::OnEpoch(const EpochReport& r, double nowS) {
  if (recording_ && stopAtS_ >= 0 && nowS >= stopAtS_) StopRecording();
  if (!recording_ || reading_ || !r.fix) return;
  double x = 0, y = 0, z = 0;
  ToEcef(r.position.latitudeDeg, r.position.longitudeDeg, r.position.altitudeM, x, y, z);
  if (haveLast_) {
    if (nowS - lastRecordS_ < setup_.minTimeS - 1e-6) return;
    const double moved = std::sqrt((x - lastX_) * (x - lastX_) + (y - lastY_) * (y - lastY_) +
                                   (z - lastZ_) * (z - lastZ_));
    if (moved < setup_.minDistanceM) return;
  }
  if (r.position.speedKmh / 3.6 * 10 < setup_.minSpeedRaw) return;
  if (records_.size() >= kCapacityRecords) {
    if (setup_.flags & 0x01) {
      StopRecording();
      return;
    }
    records_.pop_front();  // overwrite the oldest
  }
  records_.push_back(MakeRecord(r));
  haveLast_ = true;
  lastRecordS_ = nowS;
  lastX_ = x;
  lastY_ = y;
  lastZ_ = z;
}

void TraceMemory::StartReading(size_t from, int bytesPerSecond, double nowS) {
  reading_ = true;
  readIndex_ = from;
  readBytesPerSecond_ = std::max(bytesPerSecond, 1);
  nextReadS_ = nowS;
}

void TraceMemory::StopReading() { reading_ = false; }

bool TraceMemory::NextRecordToSend(double nowS, TraceRecord& record) {
  if (!reading_ || readIndex_ >= records_.size() || nowS < nextReadS_) return false;
  record = records_[readIndex_++];
  nextReadS_ = std::max(nextReadS_, nowS - 0.1) + kRecordFrameBytes / readBytesPerSecond_;
  return true;
}

TraceMemory::State TraceMemory::state() const {
  if (reading_) return State::Reading;
  return recording_ ? State::Recording : State::Stopped;
}

std::vector<uint8_t> TraceMemory::StatusPayload() const {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.U8(static_cast<uint8_t>(state()));
  w.U8(0);
  w.U8(static_cast<uint8_t>(usedPercent()));
  w.I32(static_cast<int32_t>(records_.size()));
  w.Zeros(4);
  return p;
}

std::vector<uint8_t> TraceMemory::StatusWithSetupPayload() const {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.U8(static_cast<uint8_t>(state()));
  w.U8(kSizeCode);
  w.U8(static_cast<uint8_t>(usedPercent()));
  w.I32(static_cast<int32_t>(records_.size()));
  w.Zeros(4);
  w.U8(setup_.flags);
  w.U16(setup_.minTimeS);
  w.U16(setup_.minDistanceM);
  w.U16(setup_.minSpeedRaw);
  return p;
}

std::vector<uint8_t> TraceMemory::TestPayload() const {
  return {0, 0, 0, 0, 0};  // the memory test passes
}

}  // namespace vetra::sim
