#include "sim/nav_frames.h"

#include <cmath>

#include "link/frame.h"
#include "sim/payload_fields.h"

namespace vetra::sim {

namespace {

// Status word of a channel: low bits say how far tracking has come, bit 8 "used in the fix".
uint16_t StatusWord(const ChannelReport& c) {
  if (!c.tracked) return 0x0001;  // searching
  return static_cast<uint16_t>(0x00BF | (c.used ? kStatusUsedInFix : 0));
}

int DayOfWeek(int64_t utcMs) {
  const int64_t days = utcMs >= 0 ? utcMs / 86'400'000 : (utcMs - 86'399'999) / 86'400'000;
  return static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
}

}  // namespace

std::vector<uint8_t> NavFixPayload(const EpochReport& r, bool speedInMps) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  const UtcTime t = UtcFromMs(r.utcMs);
  w.U8(ToBcd(DayOfWeek(r.utcMs)));  // date code: day of the week
  w.Zeros(5);
  w.U8(ToBcd(t.day));
  w.U8(ToBcd(t.month));
  w.U8(ToBcd(t.year % 100));
  w.U8(ToBcd(t.year / 100));
  w.U8(ToBcd(t.second));
  w.U8(ToBcd(t.minute));
  w.U8(ToBcd(t.hour));
  w.U8(0);
  const bool fix = r.fix;
  w.F32(fix ? static_cast<float>(r.position.latitudeDeg) : 0.0f);
  w.F32(fix ? static_cast<float>(r.position.longitudeDeg) : 0.0f);
  w.I16(fix ? static_cast<int16_t>(std::lround(r.position.altitudeM)) : 0);
  w.I16(fix ? static_cast<int16_t>(std::lround(r.position.headingDeg) % 360) : 0);
  const double mps = r.position.speedKmh / 3.6;
  w.I16(fix ? static_cast<int16_t>(std::lround(speedInMps ? mps : mps * 10)) : 0);
  w.U8(fix ? (r.differential ? 1 : 0) : 5);
  w.U8(fix ? (r.differential ? 3 : static_cast<uint8_t>(r.fixMode)) : 0);
  w.U8(static_cast<uint8_t>(r.channels.size()));
  w.U8(static_cast<uint8_t>(r.satellitesUsed));
  w.U8(0);
  w.U8(fix ? static_cast<uint8_t>(std::lround(r.pdop * 10)) : 0);
  w.U8(fix ? static_cast<uint8_t>(std::lround(r.hdop * 10)) : 0);
  w.U8(fix ? static_cast<uint8_t>(std::lround(r.vdop * 10)) : 0);
  w.U8(0);
  return p;
}

std::vector<uint8_t> ChannelStatusPayload(const EpochReport& r, int channels) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.Zeros(6);
  for (int i = 0; i < channels; ++i) {
    if (i >= static_cast<int>(r.channels.size())) {
      w.Zeros(8);
      continue;
    }
    const ChannelReport& c = r.channels[i];
    w.U8(static_cast<uint8_t>(c.prn));
    w.U8(c.health);
    w.I16(static_cast<int16_t>(c.azimuthDeg));
    w.U8(static_cast<uint8_t>(c.elevationDeg));
    w.U8(static_cast<uint8_t>(c.tracked ? c.cn0DbHz : 0));
    w.U16(StatusWord(c));
  }
  return p;
}

std::vector<uint8_t> MeasurementsPayload(const EpochReport& r, int channels) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.Zeros(6);
  w.U16(r.clockValue);
  for (int i = 0; i < channels; ++i) {
    if (i >= static_cast<int>(r.channels.size()) || !r.channels[i].tracked) {
      w.U8(i < static_cast<int>(r.channels.size()) ? static_cast<uint8_t>(r.channels[i].prn) : 0);
      w.Zeros(11);
      continue;
    }
    const ChannelReport& c = r.channels[i];
    w.U8(static_cast<uint8_t>(c.prn));
    w.U8(0);
    w.I32(c.pseudorangeM);
    w.I32(c.deltaRangeMmps);
    w.I16(c.dopplerHz);
  }
  return p;
}

std::vector<uint8_t> ClockSolutionPayload(const EpochReport& r) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.F64(GpsFromUtcMs(r.utcMs).secondsOfWeek);
  w.F64(r.clockBiasM);
  w.F64(r.clockBiasM / 299792458.0 * 1e9);  // the same bias as time, in nanoseconds
  w.F32(r.frequencyBiasHz);
  w.Zeros(4);
  return p;
}

void AppendFrame(std::vector<uint8_t>& out, uint8_t frameClass, uint8_t id,
                 std::span<const uint8_t> payload) {
  const size_t start = out.size();
  out.resize(start + payload.size() + kFrameOverhead);
  BuildFrame(frameClass, id, payload, std::span<uint8_t>(out).subspan(start));
}

}  // namespace vetra::sim
