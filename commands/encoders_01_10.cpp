// Encoders of commands 01h to 10h (catalogue numbers 1 to 16).
#include "commands/conversions.h"
#include "commands/encoders.h"
#include "commands/panel_rules.h"
#include "commands/payload_writer.h"

namespace vetra {
namespace {

// Latitude or longitude typed as degrees and minutes run together (DDMM, DDDMM, sign in front)
// to hundredths of a degree, truncating toward zero: "4913" -> 4921, "-12306" -> -12310.
int32_t DegreesMinutesToHundredths(int32_t v) { return (v / 100) * 100 + ((v % 100) * 10) / 6; }

// Configure IO baud codes by position of rgBaud: 2400 is 6, 4800 .. 115200 are 0 .. 5.
constexpr uint8_t kBaudCodes[] = {6, 0, 1, 2, 3, 4, 5};

}  // namespace

size_t EncodeRestart(const pnRestartPanel& panel, Chip chip, std::span<uint8_t> out) {
  // Converted in wire order, so the first box that does not convert is the one reported.
  const int32_t year = StrictInteger(panel.RSTyear);
  const int32_t month = StrictInteger(panel.RSTmonth);
  const int32_t day = StrictInteger(panel.RSTday);
  const int32_t hour = StrictInteger(panel.RSThour);
  const int32_t minute = StrictInteger(panel.RSTminute);
  const int32_t second = StrictInteger(panel.RSTsecond);
  const int32_t latitude = DegreesMinutesToHundredths(StrictInteger(panel.RSTLat));
  const int32_t longitude = DegreesMinutesToHundredths(StrictInteger(panel.RSTLong));
  const uint8_t mode = RestartModeCode(panel.SetStartMode, chip);
  PayloadWriter p;
  p.U8(mode == 1 ? 0 : 1).U8(mode);
  p.U16(static_cast<uint32_t>(year));
  for (int32_t v : {month, day, hour, minute, second}) p.U8(static_cast<uint32_t>(v));
  p.Zeros(1).U16(static_cast<uint32_t>(latitude)).U16(static_cast<uint32_t>(longitude)).Zeros(2);
  return p.Frame(kClassCommand, 0x01, out);
}

size_t EncodeCfgIO(const pnCfgIOPanel& panel, std::span<uint8_t> out) {
  const int baud = panel.rgBaud;
  const uint8_t code = baud >= 0 && baud < 7 ? kBaudCodes[baud] : static_cast<uint8_t>(baud);
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgPort)).U8(code).Zeros(6);
  return p.Frame(kClassCommand, 0x02, out);
}

size_t EncodeSetDatum(const pnSetDatumPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  for (const std::string* field : {&panel.lbEdIdx, &panel.lbDx, &panel.lbDy, &panel.lbDz}) {
    p.U16(LenientNumber(*field, 10));
  }
  return p.Frame(kClassCommand, 0x03, out);
}

size_t EncodeCfgNmea(const pnCfgNmeaPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(panel.cbChkSumd ? 1 : 0);
  for (const std::string* field : {&panel.lbRMC, &panel.lbVTG, &panel.lbGGA, &panel.lbGSA,
                                   &panel.lbGSV, &panel.lbGLL, &panel.lbZDA}) {
    p.U8(LenientNumber(*field, 10));
  }
  return p.Frame(kClassCommand, 0x04, out);
}

size_t EncodeQueryRevision(std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(0x01).U8(0x01);
  return p.Frame(kClassCommand, 0x05, out);
}

size_t EncodeClkOff(const pnClkOffPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U32(static_cast<uint32_t>(IntegerOrDefault(panel.lbClockOffSet, 0)));
  return p.Frame(kClassCommand, 0x06, out);
}

size_t EncodeBIT(const pnBITPanel& panel, int& keptTestItem, std::span<uint8_t> out) {
  keptTestItem = IntegerOrDefault(panel.lbItem, 0);
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(keptTestItem));
  return p.Frame(kClassCommand, 0x07, out);
}

size_t EncodeFactoryDefault(std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8('M').U8('X').U8('T').U8('R');
  return p.Frame(kClassCommand, 0x08, out);
}

size_t EncodeReadEphs(ReceiverStores* stores, std::span<uint8_t> out) {
  if (stores) stores->ephemeris.Clear();
  PayloadWriter p;
  p.U8(0);  // all satellites
  return p.Frame(kClassCommand, 0x09, out);
}

size_t BuildLoadEphemerisFrame(int prn, std::span<const uint8_t, 120> slot,
                               std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(prn)).U8(0).Bytes(slot);
  return p.Frame(kClassCommand, 0x0A, out);
}

size_t EncodeLoadEphs(const EphemerisStore& store, IFrameWriter* writer) {
  if (!writer) return 0;
  // One whole copy, so a reply arriving meanwhile never leaves a half-written slot in a frame.
  const EphemerisStore::Snapshot snapshot = store.Get();
  std::array<uint8_t, kMaxFrameSize> frame{};
  for (int prn = 1; prn <= kStoreSlots; ++prn) {
    const auto& slot = snapshot.slots[prn - 1];
    if ((slot[0] & 0x01) == 0) continue;
    const size_t length = BuildLoadEphemerisFrame(prn, slot, frame);
    if (!writer->Write({frame.data(), length})) break;  // the port is gone: nothing more to queue
  }
  return 0;
}

size_t EncodeReadAlmc(ReceiverStores* stores, std::span<uint8_t> out) {
  if (stores) stores->almanac.Clear();
  PayloadWriter p;
  p.U8(0);
  return p.Frame(kClassCommand, 0x0B, out);
}

size_t EncodeLoadAlmc() { return 0; }

size_t EncodeSetID(const pnIDPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgID));
  p.U32(static_cast<uint32_t>(IntegerOrDefault(panel.edModuleID, 0))).Zeros(4);
  return p.Frame(kClassCommand, 0x0D, out);
}

size_t EncodeQueryID(const pnIDPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgID));
  return p.Frame(kClassCommand, 0x0E, out);
}

size_t EncodeDopMask(const pnDopMaskPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgDopMask));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edGdop, 25)));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edPdop, 20)));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edHdop, 15)));
  return p.Frame(kClassCommand, 0x0F, out);
}

size_t EncodeElvMask(const pnElvMaskPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edElvMask, 5)));
  return p.Frame(kClassCommand, 0x10, out);
}

}  // namespace vetra
