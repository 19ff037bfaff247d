#include "decode/binary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <string>

#include "link/frame.h"

namespace vetra {

namespace {

// What a handler may touch: the parser's record and reply fields, the program-wide stores and
// the sink that puts the result on screen.
struct Target {
  TNavRecord& record;
  ReplyFields& replies;
  ReceiverStores& stores;
  IReplySink& sink;
};

// A handler gets the whole stored frame: class byte, message id, then the payload. The receiver
// has already settled the frame's length (its message row) and its checksum.
using Handler = void (*)(Target&, std::span<const uint8_t> frame);

std::span<const uint8_t> Payload(std::span<const uint8_t> frame) {
  return frame.size() > 2 ? frame.subspan(2) : std::span<const uint8_t>{};
}

// A single byte of a bounded payload; past the end reads as 0, like the multi-byte readers.
uint8_t At(std::span<const uint8_t> p, size_t offset) { return offset < p.size() ? p[offset] : 0; }

int16_t SaturateToI16(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

// F2 80, 22 bytes:
//   0 revision label (12 ASCII, not terminated) | 12 date u32 | 16 time u32 | 20 CRC u16
void OnRevision(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  RevisionBlock& rev = t.replies.revision;
  for (size_t i = 0; i < sizeof rev.label; ++i) rev.label[i] = static_cast<char>(At(p, i));
  rev.date = ReadU32(p, 12);
  rev.time = ReadU32(p, 16);
  rev.crc = ReadU16(p, 20);
  t.sink.onRevision();
}

// F2 81, 16 bytes: four u16 results at 0, 2, 4, 6 (zero-extended); 8..15 unused.
void OnSelfTest(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  for (int i = 0; i < 4; ++i) t.replies.selfTest[i] = ReadU16(p, 2 * i);
  t.sink.onSelfTest();
}

// F2 82, 2 bytes: clock offset u16 (0 shows nothing).
void OnClockOffset(Target& t, std::span<const uint8_t> frame) {
  t.replies.clockOffset = ReadU16(Payload(frame), 0);
  t.sink.onClockOffset();
}

// F2 83, 122 bytes: 0 expected count | 1 satellite 1..32 | 2..121 the satellite's ephemeris.
void OnEphemeris(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  if (p.size() < 2 + EphemerisStore::kSlotSize) return;
  if (!t.stores.ephemeris.Put(p[0], p[1], p.subspan(2, EphemerisStore::kSlotSize))) return;
  t.sink.onEphemeris();
}

// F2 84, 50 bytes: 0 expected count | 1 satellite 1..32 | 2..49 the satellite's almanac.
void OnAlmanac(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  if (p.size() < 2 + AlmanacStore::kSlotSize) return;
  if (!t.stores.almanac.Put(p[0], p[1], p.subspan(2, AlmanacStore::kSlotSize))) return;
  t.sink.onAlmanac();
}

// F2 85, 5 bytes: 0 selector (0 production ID, 1 user key ID) | 1 the ID, i32.
void OnModuleId(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  const uint8_t selector = At(p, 0);
  if (selector > 1) return;
  t.stores.SetModuleId(selector, ReadI32(p, 1));
  t.sink.onModuleId();
}

// F2 D0 / F2 D1, 37 bytes, e.g. a fix on 12 July 2008 at 15:30:45:
//    0 date code, BCD       1..5 unused          6 day, BCD      7 month, BCD
//    8 year in century BCD  9 century, BCD      10 second BCD   11 minute BCD   12 hour BCD
//   14 latitude f32 (signed degrees)            18 longitude f32 (signed degrees)
//   22 altitude i16 m       24 heading i16 deg   26 speed i16 (D0: 0.1 m/s, D1: m/s)
//   28 fix indicator        29 fix mode          30 in view      31 used
//   33 PDOP x10             34 HDOP x10          35 VDOP x10
void OnNavigationFix(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  const bool metresPerSecond = frame.size() > 1 && frame[1] == 0xD1;
  TNavRecord& r = t.record;
  r.dateCode = Bcd(At(p, 0));
  r.day = Bcd(At(p, 6));
  r.month = Bcd(At(p, 7));
  r.year = Bcd(At(p, 9)) * 100 + Bcd(At(p, 8));
  r.second = Bcd(At(p, 10));
  r.minute = Bcd(At(p, 11));
  r.hour = Bcd(At(p, 12));
  r.exact = TExactFix{};

  const float lat = ReadF32(p, 14);
  r.latitudeDeg = std::fabs(lat);
  r.latitudeHemisphere = lat < 0 ? 'S' : 'N';
  const float lon = ReadF32(p, 18);
  r.longitudeDeg = std::fabs(lon);
  r.longitudeHemisphere = lon < 0 ? 'W' : 'E';
  r.exact.latitudeDeg = lat;
  r.exact.longitudeDeg = lon;

  r.altitudeM = ReadI16(p, 22);
  r.headingDeg = ReadI16(p, 24);
  // Integer arithmetic truncating toward zero, as the receiver's own tools compute it. In m/s
  // a raw value above 9101 would not fit the record's 16 bits: it saturates instead of wrapping.
  const int32_t raw = ReadI16(p, 26);
  r.speedKmh = SaturateToI16(metresPerSecond ? raw * 3600 / 1000 : raw * 3600 / 10000);
  r.exact.altitudeMslM = r.altitudeM;
  r.exact.trackDeg = r.headingDeg;
  r.exact.speedMs = metresPerSecond ? raw : raw * 0.1;

  r.fixIndicator = At(p, 28);
  r.fixMode = At(p, 29);
  r.satellitesInView = At(p, 30);
  r.satellitesUsed = At(p, 31);
  r.pdop = static_cast<float>(At(p, 33) * 0.1);
  r.hdop = static_cast<float>(At(p, 34) * 0.1);
  r.vdop = static_cast<float>(At(p, 35) * 0.1);
  // A fix in m/s waits for the next reply that sets the flag before it is shown.
  r.updated = metresPerSecond ? 0 : 1;
}

int ChannelsOf(std::span<const uint8_t> frame) {
  const uint8_t id = frame.size() > 1 ? frame[1] : 0;
  return id == 0xD5 || id == 0xD6 ? 16 : 12;
}

// F2 D2 (12 channels) / F2 D5 (16): 0..5 unused; channel i at 6 + 8i:
//   +0 PRN | +1 health code | +2 azimuth i16 | +4 elevation | +5 C/N0 | +6 status u16 (bit 8 used)
void OnChannelStatus(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  TNavRecord& r = t.record;
  const int channels = std::min(ChannelsOf(frame), kChannelCount);
  int listed = 0;
  for (int i = 0; i < channels; ++i) {
    const size_t at = 6 + 8 * static_cast<size_t>(i);
    const int prn = At(p, at);
    if (prn < 1 || prn > 63) continue;  // an empty channel changes nothing
    const uint8_t health = At(p, at + 1);
    const uint16_t status = ReadU16(p, at + 6);
    r.prnList[listed++] = prn;
    TSatellite& sat = r.satellites[prn - 1];
    sat.signal = health;
    sat.azimuth = ReadI16(p, at + 2);
    sat.elevation = At(p, at + 4);
    sat.used = (status >> 8) & 1;
    sat.channel = i;
    TChannel& ch = r.channels[i];
    ch.health = health;
    ch.cn0 = At(p, at + 5);
    ch.status = status;
  }
  r.updated = 0;  // shown with the next reply that sets the flag
}

// F2 D3 (12 channels) / F2 D6 (16): 0..5 unused | 6 clock value u16; channel i at 8 + 12i:
//   +0 PRN | +1 unused | +2 pseudorange i32 | +6 delta range i32 | +10 Doppler i16
void OnMeasurements(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  TNavRecord& r = t.record;
  r.clockValue = ReadU16(p, 6);
  const int channels = std::min(ChannelsOf(frame), kChannelCount);
  for (int i = 0; i < channels; ++i) {
    const size_t at = 8 + 12 * static_cast<size_t>(i);
    TChannel& ch = r.channels[i];
    ch.prn = At(p, at);
    ch.pseudorange = ReadI32(p, at + 2);
    ch.deltaRange = ReadI32(p, at + 6);
    ch.doppler = ReadI16(p, at + 10);
  }
  r.updated = 1;
}

// F2 D4, 32 bytes: 0 measurement UTC f64 | 8 clock bias f64 | 16 time bias f64 |
// 24 frequency bias f32 | 28..31 reserved.
void OnClockSolution(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  TNavRecord& r = t.record;
  r.measurementUtc = ReadF64(p, 0);
  r.clockBias = ReadF64(p, 8);
  r.timeBias = ReadF64(p, 16);
  r.frequencyBias = ReadF32(p, 24);
  for (size_t i = 0; i < sizeof r.reserved; ++i) r.reserved[i] = At(p, 28 + i);
  r.updated = 1;
}

// F2 88, 20 bytes: nothing is decoded here; the trace read-back takes the frames from the raw log.
void OnTraceRecord(Target& t, std::span<const uint8_t> frame) {
  t.sink.onTraceRecord(Payload(frame));
}

// F2 89, 18 bytes:
//   0 state | 1 memory size code (low nibble a, high nibble b) | 2 used % | 3 records logged i32
//   7..10 unused | 11 option flags | 12 min time u16 s | 14 min distance u16 m | 16 min speed raw
//   u16
void OnTraceStatusFull(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  TraceStatus& s = t.replies.trace;
  s.state = At(p, 0);
  s.totalSizeBytes = TraceMemoryBytes(At(p, 1));
  s.usedPercent = At(p, 2);
  s.recordsLogged = ReadI32(p, 3);
  s.optionFlags = At(p, 11);
  s.minTimeSeconds = ReadU16(p, 12);
  s.minDistanceM = ReadU16(p, 14);
  s.minSpeedRaw = ReadU16(p, 16);
  s.minSpeedKmh = TraceMinSpeedKmh(static_cast<uint16_t>(s.minSpeedRaw));
  t.sink.onTraceStatusFull();
}

// F2 8A, 11 bytes: 0 state | 1 unused | 2 used % | 3 records logged i32 | 7..10 unused.
void OnTraceStatusShort(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  TraceStatus& s = t.replies.trace;
  s.state = At(p, 0);
  s.usedPercent = At(p, 2);
  s.recordsLogged = ReadI32(p, 3);
  t.sink.onTraceStatusShort();
}

// F2 86 (18 bytes) and F2 87 (48 bytes): the settings reports read the payload as it is.
void OnNavSettings(Target& t, std::span<const uint8_t> frame) {
  t.sink.onNavSettings(Payload(frame));
}
void OnSysSettings(Target& t, std::span<const uint8_t> frame) {
  t.sink.onSysSettings(Payload(frame));
}

void OnAccepted(Target&, std::span<const uint8_t>) {}

// ACK and NACK are not matched against the command sent: every ACK selects the ACK indicator.
void OnAck(Target& t, std::span<const uint8_t> frame) {
  t.sink.onAck(frame.size() > 1 ? frame[1] : 0);
}
void OnNack(Target& t, std::span<const uint8_t> frame) {
  t.sink.onNack(frame.size() > 1 ? frame[1] : 0);
}

// F2 8D, 33 bytes: 0 text length n (0..32; larger: ignored) | 1..n the text.
void OnCustomizedId(Target& t, std::span<const uint8_t> frame) {
  const auto p = Payload(frame);
  const size_t n = At(p, 0);
  if (n > 32 || p.size() < 1 + n) return;
  std::string text(reinterpret_cast<const char*>(p.data() + 1), n);
  // Shown as a terminated text: an embedded zero ends it.
  text.resize(std::strlen(text.c_str()));
  t.stores.SetCustomizedId(std::move(text));
  t.sink.onCustomizedId();
}

// F2 8C, 5 bytes: 0 test failed when not 0 | 1..4 unused.
void OnTestResult(Target& t, std::span<const uint8_t> frame) {
  t.stores.SetTestFailed(At(Payload(frame), 0) != 0);
  t.sink.onTestResult();
}

// Indexed by the message-table row (link/frame_receiver.cpp).
constexpr Handler kHandlers[] = {
    OnRevision,          // 0  F2 80
    OnSelfTest,          // 1  F2 81
    OnClockOffset,       // 2  F2 82
    OnEphemeris,         // 3  F2 83
    OnAlmanac,           // 4  F2 84
    OnModuleId,          // 5  F2 85
    OnNavigationFix,     // 6  F2 D0
    OnNavigationFix,     // 7  F2 D1
    OnChannelStatus,     // 8  F2 D2
    OnMeasurements,      // 9  F2 D3
    OnClockSolution,     // 10 F2 D4
    OnTraceRecord,       // 11 F2 88
    OnTraceStatusFull,   // 12 F2 89
    OnTraceStatusShort,  // 13 F2 8A
    OnNavSettings,       // 14 F2 86
    OnSysSettings,       // 15 F2 87
    OnChannelStatus,     // 16 F2 D5
    OnMeasurements,      // 17 F2 D6
    OnAccepted,          // 18 F2 50
    OnAck,               // 19 06 any
    OnNack,              // 20 15 any
    OnCustomizedId,      // 21 F2 8D
    OnTestResult,        // 22 F2 8C
};
static_assert(std::size(kHandlers) == kMessageRowCount, "one handler per message row");

IReplySink& NullSink() {
  static IReplySink sink;
  return sink;
}

}  // namespace

int32_t TraceMemoryBytes(uint8_t sizeCode) {
  // ((2^(a-1) + 2^(b-1)) x 64 - 16) x 1024 with a the low and b the high nibble. 2^(n-1) x 64 is
  // 2^(n+5), which keeps the arithmetic whole: a nibble of 0 adds its exact share of 32 (2^-1 x 64)
  // instead of shifting by -1. With both nibbles 15 the total is 2^31 - 16384, which still fits.
  const int64_t a = sizeCode & 0x0F;
  const int64_t b = sizeCode >> 4;
  const int64_t kib = (int64_t{1} << (a + 5)) + (int64_t{1} << (b + 5)) - 16;
  return static_cast<int32_t>(kib * 1024);
}

int32_t TraceMinSpeedKmh(uint16_t raw) {
  return static_cast<int32_t>(std::trunc((raw * 3.6 + 5) * 0.1));
}

TBinary::TBinary(ReceiverStores& stores, IReplySink* sink) : stores_(stores), sink_(sink) {}

FrameFeed TBinary::Feed(const uint8_t* bytes, int count) {
  const FrameFeed fed = receiver_.Feed(bytes, count);
  bytesFed_ += static_cast<uint64_t>(fed.consumed);
  if (fed.ended) {
    if (fed.checksumOk) {
      ++framesGood_;
      Dispatch(receiver_.row(), receiver_.frame());
    } else {
      ++framesBadChecksum_;
    }
  }
  return fed;
}

void TBinary::ResetRecord() { ResetNavRecord(record_); }

void TBinary::Dispatch(int row, std::span<const uint8_t> frame) {
  if (row < 0 || row >= kMessageRowCount) return;
  Target target{record_, replies_, stores_, sink_ ? *sink_ : NullSink()};
  kHandlers[row](target, frame);
}

}  // namespace vetra
