
#include <algorithm>
#include <cmath>

#include "link/frame.h"
#include "sim/command_answers.h"
#include "sim/nav_frames.h"
#include "sim/payload_fields.h"

namespace vetra::sim {

namespace {

constexpr uint8_t kReplyRevision = 0x80;
constexpr uint8_t kReplyBuiltInTest = 0x81;
constexpr uint8_t kReplyClockOffset = 0x82;
constexpr uint8_t kReplyEphemeris = 0x83;
constexpr uint8_t kReplyAlmanac = 0x84;
constexpr uint8_t kReplyModuleId = 0x85;
constexpr uint8_t kReplyNavSettings = 0x86;
constexpr uint8_t kReplySysSettings = 0x87;
constexpr uint8_t kReplyTraceStatusFull = 0x89;
constexpr uint8_t kReplyTraceStatus = 0x8A;
constexpr uint8_t kReplyTraceTest = 0x8C;
constexpr uint8_t kReplyCustomizedId = 0x8D;
constexpr int kTraceBauds[] = {4800, 9600, 19200, 38400, 57600, 115200};

std::vector<uint8_t> RevisionPayload(const FirmwareRevision& rev) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.Text(rev.label, 12);
  w.U32(rev.date);
  w.U32(rev.time);
  w.U16(rev.crc);
  return p;
}

// Item 2 is the connection test: words 1, 2 and 4 read 100 when the line is good.
std::vector<uint8_t> BuiltInTestPayload(uint8_t item) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  if (item == 2) {
    for (uint16_t v : {100, 100, 87, 100}) w.U16(v);
  } else {
    w.Zeros(8);  // the other tests report 0: passed
  }
  w.Zeros(8);
  return p;
}

// Bytes a satellite's data block is filled with where the host interprets nothing.
void FillData(std::vector<uint8_t>& p, uint32_t seed, int prn, size_t count) {
  SeededRandom r(seed * 7919u + static_cast<uint32_t>(prn) * 104729u + 1u);
  for (size_t i = 0; i < count; ++i) p.push_back(static_cast<uint8_t>(r.Next() >> 24));
}

RestartKind KindOfRestartMode(uint8_t mode, bool& known) {
  known = true;
  switch (mode) {
    case 0:  // the start-up time test's hot restart
    case 1:
    case 5:
      return RestartKind::Hot;
    case 2:
    case 6:
      return RestartKind::Warm;
    case 3:
    case 4:
    case 7:
      return RestartKind::Cold;
    default:
      known = false;
      return RestartKind::Cold;
  }
}

}  // namespace

void CommandAnswers::Ack(uint8_t id) { state_.SendFrame(kClassAck, id, {}); }
void CommandAnswers::Nack(uint8_t id) { state_.SendFrame(kClassNack, id, {}); }

bool CommandAnswers::Apply(const CommandFrame& frame, double nowS) {
  const PayloadReader p(frame.payload);
  const uint8_t id = frame.id;
  if (frame.frameClass == kClassUserCommand) {
    if (id != 0xE2) return false;
    Ack(id);
    return true;
  }
  switch (id) {
    case 0x01: {  // Restart
      bool known = false;
      const RestartKind kind = KindOfRestartMode(p.U8(1), known);
      if (!known) return false;
      Ack(id);
      firmware_.Reboot(nowS, kind);
      return true;
    }
    case 0x02: {  // Configure IO: port, baud code
      const int baud = BaudFromCode(p.U8(1));
      if (p.U8(0) > 1 || baud == 0) return false;
      Ack(id);
      if (p.U8(0) == 1) {
        state_.settings.com2Baud = baud;
      } else if (baud != state_.settings.baud) {
        state_.settings.baud = baud;
        state_.ChangeLineRate(baud, true);  // the ACK still goes out at the old rate
      }
      return true;
    }
    case 0x03: {  // Set Datum: ellipsoid index, delta X, Y, Z
      double a = 0;
      double f = 0;
      if (!EllipsoidOf(p.U16(0), a, f)) return false;
      state_.settings.ellipsoidIndex = p.U16(0);
      state_.settings.semiMajorAxisM = a;
      state_.settings.inverseFlattening = f;
      state_.settings.datumDx = p.I16(2);
      state_.settings.datumDy = p.I16(4);
      state_.settings.datumDz = p.I16(6);
      Ack(id);
      return true;
    }
    case 0x04: {  // Configure NMEA: checksum flag, RMC VTG GGA GSA GSV GLL ZDA periods
      state_.settings.nmeaChecksum = p.U8(0) != 0;
      for (int i = 0; i < kNmeaSentenceCount; ++i) state_.settings.periods[i] = p.U8(1 + i);
      Ack(id);
      return true;
    }
    case 0x05: {  // Query Firmware Revision
      Ack(id);
      state_.SendFrame(kClassReply, kReplyRevision, RevisionPayload(state_.revision));
      return true;
    }
    case 0x06: {  // Clock Offset: a non-zero offset sets it; the reply gives the one in use
      if (p.I32(0) != 0) state_.settings.clockOffset = static_cast<uint16_t>(p.I32(0));
      Ack(id);
      std::vector<uint8_t> reply;
      PayloadWriter(reply).U16(state_.settings.clockOffset);
      state_.SendFrame(kClassReply, kReplyClockOffset, reply);
      return true;
    }
    case 0x07: {  // Perform Built-In-Test: item
      Ack(id);
      state_.SendFrame(kClassReply, kReplyBuiltInTest, BuiltInTestPayload(p.U8(0)));
      return true;
    }
    case 0x08: {  // Set Factory Default: "MXTR"
      if (p.U8(0) != 'M' || p.U8(1) != 'X' || p.U8(2) != 'T' || p.U8(3) != 'R') return false;
      Ack(id);
      const int oldBaud = state_.settings.baud;
      state_.settings = DefaultSettings(state_.options);
      if (state_.settings.baud != oldBaud) state_.ChangeLineRate(state_.settings.baud, true);
      return true;
    }
    case 0x09: {  // Read Ephemeris: satellite (0 all)
      if (p.U8(0) > 32) return false;
      Ack(id);
      SendEphemerides(p.U8(0), nowS);
      return true;
    }
    case 0x0A: {  // Load Ephemeris: satellite, 0, 120 bytes
      if (p.U8(0) < 1 || p.U8(0) > 32) return false;
      Ack(id);
      return true;
    }
    case 0x0B: {  // Read Almanac
      Ack(id);
      SendAlmanacs(nowS);
      return true;
    }
    case 0x0C: {  // Load Almanac: satellite, 0, 48 bytes
      if (p.U8(0) < 1 || p.U8(0) > 32) return false;
      Ack(id);
      return true;
    }
    case 0x0D: {  // Set ID: kind, ID
      if (p.U8(0) > 1) return false;
      state_.settings.moduleIds[p.U8(0)] = p.I32(1);
      Ack(id);
      return true;
    }
    case 0x0E: {  // Query ID: kind
      if (p.U8(0) > 1) return false;
      Ack(id);
      std::vector<uint8_t> reply;
      PayloadWriter w(reply);
      w.U8(p.U8(0));
      w.I32(state_.settings.moduleIds[p.U8(0)]);
      state_.SendFrame(kClassReply, kReplyModuleId, reply);
      return true;
    }
    case 0x0F: {  // Set DOP mask: mode, GDOP, PDOP, HDOP
      if (p.U8(0) > 3) return false;
      state_.settings.dopMaskMode = p.U8(0);
      state_.settings.gdopLimit = p.U8(1);
      state_.settings.pdopLimit = p.U8(2);
      state_.settings.hdopLimit = p.U8(3);
      Ack(id);
      return true;
    }
    case 0x10: {  // Set Elevation Mask: degrees
      if (p.U8(0) > 90) return false;
      state_.settings.elevationMaskDeg = p.U8(0);
      Ack(id);
      return true;
    }
    case 0x11: {  // DGPS Control: 0 disable, 1 WAAS/EGNOS
      if (p.U8(0) > 1) return false;
      state_.settings.dgps = p.U8(0);
      Ack(id);
      return true;
    }
    case 0x12: {  // 1PPS Control: mode 0|2, basic width 0..3, multiplier 1..16
      if ((p.U8(0) != 0 && p.U8(0) != 2) || p.U8(1) > 3 || p.U8(2) < 1 || p.U8(2) > 16) {
        return false;
      }
      state_.settings.ppsMode = p.U8(0);
      state_.settings.ppsWidthCode = p.U8(1);
      state_.settings.ppsMultiplier = p.U8(2);
      Ack(id);
      return true;
    }
    case 0x13: {  // Set Output Format: COM1 in the high nibble, COM0 in the low
      const uint8_t com0 = p.U8(0) & 0x0F;
      const uint8_t com1 = p.U8(0) >> 4;
      if (com0 > 3 || com1 > 3) return false;
      state_.settings.output = static_cast<OutputFormat>(com0);
      state_.settings.com2Output = static_cast<OutputFormat>(com1);
      Ack(id);
      return true;
    }
    case 0x14: {  // Power Save: sleep time, deep sleep
      state_.settings.powerSaveSeconds = p.I16(0);
      state_.settings.deepSleep = p.U8(2) != 0;
      Ack(id);
      return true;
    }
    case 0x16: {  // Maintain Customized ID: 0 read, 1 set with length and text
      if (p.U8(0) == 0) {
        Ack(id);
        std::vector<uint8_t> reply;
        PayloadWriter w(reply);
        w.U8(static_cast<uint8_t>(state_.settings.customizedId.size()));
        w.Text(state_.settings.customizedId, 32, 0);
        state_.SendFrame(kClassReply, kReplyCustomizedId, reply);
        return true;
      }
      if (p.U8(0) != 1 || p.U8(1) > 32) return false;
      state_.settings.customizedId.assign(frame.payload.begin() + 2,
                                          frame.payload.begin() + 2 + p.U8(1));
      Ack(id);
      return true;
    }
    case 0x17: {  // Query Navigation Setting
      Ack(id);
      state_.SendFrame(kClassReply, kReplyNavSettings, NavigationSettingsPayload(state_.settings));
      return true;
    }
    case 0x18: {  // Query System Setting
      Ack(id);
      state_.SendFrame(kClassReply, kReplySysSettings, SystemSettingsPayload(state_.settings));
      return true;
    }
    case 0x19: {  // Set Locale: update flag, zone hour, minute, second, DST adjust
      state_.settings.localizedTime = p.U8(0) != 0;
      state_.settings.zoneHours = p.I8(1);
      state_.settings.zoneMinutes = p.I8(2);
      state_.settings.zoneSeconds = p.I8(3);
      state_.settings.dstAdjustHours = p.I8(4);
      Ack(id);
      return true;
    }
    case 0x1B: {  // Set Extended Datum: semi-major axis, inverse flattening, delta X, Y, Z
      const double a = p.F64(0);
      const double f = p.F64(8);
      if (!(a > 6.3e6 && a < 6.4e6) || !(f > 250 && f < 350)) return false;
      state_.settings.ellipsoidIndex = kUserEllipsoid;
      state_.settings.semiMajorAxisM = a;
      state_.settings.inverseFlattening = f;
      state_.settings.datumDx = p.I16(16);
      state_.settings.datumDy = p.I16(18);
      state_.settings.datumDz = p.I16(20);
      Ack(id);
      return true;
    }
    case 0x1C: {  // Customized LED: which LED, four pattern words
      if (p.U8(0) > 1) return false;
      state_.settings.ledSelect = p.U8(0);
      for (int i = 0; i < 4; ++i) state_.settings.ledPatterns[p.U8(0)][i] = p.U32(1 + 4 * i);
      Ack(id);
      return true;
    }
    case 0x1D: {  // Record Trace: tree form (action) or Trace page form (mode|2, 01, 3 fields)
      if (p.size() == 1) {
        if (p.U8(0) > 1) return false;
        Ack(id);
        p.U8(0) == 1 ? state_.trace.StartRecording() : state_.trace.StopRecording();
        return true;
      }
      Ack(id);
      if (p.U8(0) & 0x01) {
        TraceSetup setup = state_.trace.setup();
        setup.minDistanceM = p.U16(2);
        setup.minTimeS = p.U16(4);
        state_.trace.Configure(setup);
        state_.trace.StartRecording();
        state_.trace.SetTimeToLog(p.U16(6), nowS);
      } else {
        state_.trace.StopRecording();
      }
      return true;
    }
    case 0x1E: {  // Read Trace: tree form (action, rate 0..5, 0) or page form (02 toggles)
      int baud = 0;
      size_t from = 0;
      bool start = false;
      if (p.size() == 3) {
        if (p.U8(0) > 1 || p.U8(1) > 5) return false;
        start = p.U8(0) == 1;
        baud = kTraceBauds[p.U8(1)];
      } else {
        if (p.U8(5) > 3) return false;
        start = !state_.trace.reading();
        from = p.U16(2);
        baud = kTraceBauds[p.U8(5)];
      }
      Ack(id);
      if (start) {
        // Records share the line with the usual output: half of the requested rate at most.
        state_.trace.StartReading(from, std::min(baud, state_.lineBaud) / 20, nowS);
      } else {
        state_.trace.StopReading();
      }
      return true;
    }
    case 0x1F: {  // Maintain Trace Buffer: action (tree form: + setup fields)
      switch (p.U8(0)) {
        case 0:
          Ack(id);
          state_.SendFrame(kClassReply, kReplyTraceStatus, state_.trace.StatusPayload());
          return true;
        case 1:
          Ack(id);
          state_.trace.Clear();
          return true;
        case 2:
          Ack(id);
          state_.SendFrame(kClassReply, kReplyTraceStatusFull,
                           state_.trace.StatusWithSetupPayload());
          return true;
        case 3: {
          TraceSetup setup;
          setup.flags = p.U8(1) & 0x07;
          setup.minDistanceM = p.U16(2);
          setup.minTimeS = p.U16(4);
          setup.minSpeedRaw = p.U16(6);
          state_.trace.Configure(setup);
          Ack(id);
          return true;
        }
        case 4:
          Ack(id);
          state_.SendFrame(kClassReply, kReplyTraceTest, state_.trace.TestPayload());
          return true;
        default:
          return false;
      }
    }
    case 0x20: {  // Update Rate: 1..5 Hz
      if (p.U8(0) < 1 || p.U8(0) > 5) return false;
      state_.settings.updateRateHz = p.U8(0);
      Ack(id);
      return true;
    }
    case 0x21: {  // Set GPIO: mask, value
      state_.settings.gpioMask = p.U32(0);
      state_.settings.gpioValue = p.U32(4);
      Ack(id);
      return true;
    }
    case 0x73:  // erase frame outside a firmware load
      return false;
    case 0xE1: {  // Block Sats: action, PRN mask
      const bool k900 = state_.options.chip == Chip::K900;
      const uint8_t action = p.U8(0);
      if (action > (k900 ? 4 : 2)) return false;
      const uint32_t mask = p.U32(1);
      const bool disable = k900 ? action == 1 : action == 2;
      if (action == 0) state_.settings.blockedSatellites &= ~mask;
      if (disable) state_.settings.blockedSatellites |= mask;
      Ack(id);
      return true;
    }
    default:
      return false;  // an id the receiver does not know
  }
}

void CommandAnswers::SendEphemerides(uint8_t prn, double nowS) {
  const int64_t utcMs = state_.UtcMsAt(nowS);
  const EpochReport report = firmware_.ReportAt(nowS, utcMs);
  std::vector<int> prns;
  for (const ChannelReport& c : report.channels) {
    if (c.tracked && c.prn <= 32 && (prn == 0 || c.prn == prn)) prns.push_back(c.prn);
  }
  const GpsTime gps = GpsFromUtcMs(utcMs);
  const uint32_t toe = static_cast<uint32_t>(gps.secondsOfWeek) / 7200 * 7200;
  for (int satellite : prns) {
    std::vector<uint8_t> p;
    PayloadWriter w(p);
    w.U8(static_cast<uint8_t>(prns.size()));
    w.U8(static_cast<uint8_t>(satellite));
    std::vector<uint8_t> data;
    FillData(data, state_.options.seed, satellite, 120);
    data[0] = static_cast<uint8_t>(data[0] | 0x01);  // valid
    data[4] = static_cast<uint8_t>(gps.week);
    data[5] = static_cast<uint8_t>(gps.week >> 8);
    for (int i = 0; i < 4; ++i) data[60 + i] = static_cast<uint8_t>(toe >> (8 * i));
    p.insert(p.end(), data.begin(), data.end());
    state_.SendFrame(kClassReply, kReplyEphemeris, p);
  }
}

void CommandAnswers::SendAlmanacs(double nowS) {
  const std::vector<int> prns = firmware_.ConstellationPrns();
  const GpsTime gps = GpsFromUtcMs(state_.UtcMsAt(nowS));
  for (int satellite : prns) {
    std::vector<uint8_t> p;
    PayloadWriter w(p);
    w.U8(static_cast<uint8_t>(prns.size()));
    w.U8(static_cast<uint8_t>(satellite));
    std::vector<uint8_t> data;
    FillData(data, state_.options.seed ^ 0x55u, satellite, 48);
    data[0] = static_cast<uint8_t>(data[0] | 0x01);  // valid
    data[44] = static_cast<uint8_t>(gps.week);
    data[45] = static_cast<uint8_t>(gps.week >> 8);
    p.insert(p.end(), data.begin(), data.end());
    state_.SendFrame(kClassReply, kReplyAlmanac, p);
  }
}

}  // namespace vetra::sim
