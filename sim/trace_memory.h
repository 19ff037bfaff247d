#pragma once
// The receiver's position log (trace memory): records the fixes of its epochs under the setup's
// time, distance and speed rules, reports its status, and plays its records back as F2 88 frames.
//
// Record (20 bytes, little-endian):
//   0  u16  date: bits 0-4 day, 5-8 month, 9-15 years since 1980
//   2  u16  UTC time of day in units of 2 s
//   4  i32  ECEF X, metres      8  i32  ECEF Y      12  i32  ECEF Z
//   16 i8   satellites used     17  u8  0
//   18 u16  status: bit 13 3D fix, bit 12 differential, bits 0-9 (AND 02FFh) HDOP x 10
// Memory: size code 22h, ((2 + 2) x 64 - 16) x 1024 = 245,760 bytes = 12,288 records.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/epoch_report.h"

namespace vetra::sim {

using TraceRecord = std::array<uint8_t, 20>;

struct TraceSetup {
  uint8_t flags = 0x01;  // bit 0 stop on full, bit 1 log on power-on, bit 2 extended
  uint16_t minTimeS = 1;
  uint16_t minDistanceM = 0;
  uint16_t minSpeedRaw = 0;  // 0.1 m/s
};

class TraceMemory {
 public:
  enum class State : uint8_t { Stopped = 0, Recording = 1, Reading = 2 };
  static constexpr uint8_t kSizeCode = 0x22;
  static constexpr size_t kRecordSize = 20;
  static constexpr size_t kCapacityBytes = ((2 + 2) * 64 - 16) * 1024;
  static constexpr size_t kCapacityRecords = kCapacityBytes / kRecordSize;

  void StartRecording();
  void StopRecording();
  void Clear();
  void Configure(const TraceSetup& setup) { setup_ = setup; }
  const TraceSetup& setup() const { return setup_; }
  // Stops recording by itself after this many seconds (65535: no limit).
  void SetTimeToLog(uint16_t seconds, double nowS);

  // An epoch of the receiver: recorded when recording, fixed, and the rules allow.
  void OnEpoch(const EpochReport& report, double nowS);
  // A restart or power-on: starts recording when "log on power-on" is set.
  void OnPowerOn();

  // Reading back from record index `from`, at most bytesPerSecond of frames.
  void StartReading(size_t from, int bytesPerSecond, double nowS);
  void StopReading();
  bool reading() const { return reading_; }
  // The next record due for sending by nowS, if any.
  bool NextRecordToSend(double nowS, TraceRecord& record);

  State state() const;
  size_t recordCount() const { return records_.size(); }
  const std::deque<TraceRecord>& records() const { return records_; }
  int usedPercent() const { return static_cast<int>(records_.size() * 100 / kCapacityRecords); }

  std::vector<uint8_t> StatusPayload() const;           // F2 8A, 11 bytes
  std::vector<uint8_t> StatusWithSetupPayload() const;  // F2 89, 18 bytes
  std::vector<uint8_t> TestPayload() const;             // F2 8C, 5 bytes

  static TraceRecord MakeRecord(const EpochReport& report);
  // WGS-84 earth-centred coordinates of a position.
  static void ToEcef(double latitudeDeg, double longitudeDeg, double heightM, double& x, double& y,
                     double& z);

 private:
  TraceSetup setup_;
  bool recording_ = false;
  bool reading_ = false;
  std::deque<TraceRecord> records_;
  bool haveLast_ = false;
  double lastRecordS_ = 0;
  double lastX_ = 0, lastY_ = 0, lastZ_ = 0;
  double stopAtS_ = -1;  // time-to-log limit; negative for none
  size_t readIndex_ = 0;
  double readBytesPerSecond_ = 0;
  double nextReadS_ = 0;
};

}  // namespace vetra::sim
