// Encoders of commands 01h to 10h (catalogue numbers 1 to 16).
#include "commands/conversions.h"
#include "commands/encoders.h"
#include "commands/panel_rules.h"
#include "commands/payload_writer.h"

namespace vetra {
namespace {

// Configure IO baud codes by position of rgBaud: 2400 is 6, 4800 .. 115200 are 0 .. 5.
constexpr uint8_t kBaudCodes[] = {6, 0, 1, 2, 3, 4, 5};

}  // namespace

Encoded EncodeRestart(Panels& panels, const EncodeInput& input) {
  const pnRestartPanel& panel = panels.pnRestart;
  // Converted in wire order, so the first box that does not convert is the one reported.
  const int32_t year = StrictInteger(panel.RSTyear);
  const int32_t month = StrictInteger(panel.RSTmonth);
  const int32_t day = StrictInteger(panel.RSTday);
  const int32_t hour = StrictInteger(panel.RSThour);
  const int32_t minute = StrictInteger(panel.RSTminute);
  const int32_t second = StrictInteger(panel.RSTsecond);
  const int32_t latitude = DegreesMinutesToHundredths(StrictInteger(panel.RSTLat));
  const int32_t longitude = DegreesMinutesToHundredths(StrictInteger(panel.RSTLong));
  const uint8_t mode = RestartModeCode(panel.SetStartMode, input.chip);
  PayloadWriter p;
  p.U8(mode == 1 ? 0 : 1).U8(mode);
  p.U16(static_cast<uint32_t>(year));
  for (int32_t v : {month, day, hour, minute, second}) p.U8(static_cast<uint32_t>(v));
  p.Zeros(1).U16(static_cast<uint32_t>(latitude)).U16(static_cast<uint32_t>(longitude)).Zeros(2);
  return p.Command(input);
}

Encoded EncodeCfgIO(Panels& panels, const EncodeInput& input) {
  const int baud = panels.pnCfgIO.rgBaud;
  const uint8_t code = baud >= 0 && baud < 7 ? kBaudCodes[baud] : static_cast<uint8_t>(baud);
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panels.pnCfgIO.rgPort)).U8(code).Zeros(6);
  return p.Command(input);
}

Encoded EncodeSetDatum(Panels& panels, const EncodeInput& input) {
  const pnSetDatumPanel& panel = panels.pnSetDatum;
  PayloadWriter p;
  for (const std::string* field : {&panel.lbEdIdx, &panel.lbDx, &panel.lbDy, &panel.lbDz}) {
    p.U16(LenientNumber(*field, 10));
  }
  return p.Command(input);
}

Encoded EncodeCfgNmea(Panels& panels, const EncodeInput& input) {
  const pnCfgNmeaPanel& panel = panels.pnCfgNmea;
  PayloadWriter p;
  p.U8(panel.cbChkSumd ? 1 : 0);
  for (const std::string* field : {&panel.lbRMC, &panel.lbVTG, &panel.lbGGA, &panel.lbGSA,
                                   &panel.lbGSV, &panel.lbGLL, &panel.lbZDA}) {
    p.U8(LenientNumber(*field, 10));
  }
  return p.Command(input);
}

Encoded EncodeQueryRevision(Panels&, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(0x01).U8(0x01);
  return p.Command(input, {.clearRevision = true});
}

Encoded EncodeClkOff(Panels& panels, const EncodeInput& input) {
  PayloadWriter p;
  p.U32(static_cast<uint32_t>(IntegerOrDefault(panels.pnClkOff.lbClockOffSet, 0)));
  return p.Command(input, {.clearClockOffset = true});
}

Encoded EncodeBIT(Panels& panels, const EncodeInput& input) {
  const int item = IntegerOrDefault(panels.pnBIT.lbItem, 0);
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(item));
  return p.Command(input, {.clearSelfTest = true, .keepTestItem = item});
}

Encoded EncodeFactoryDefault(Panels&, const EncodeInput& input) {
  PayloadWriter p;
  p.U8('M').U8('X').U8('T').U8('R');
  return p.Command(input);
}

Encoded EncodeReadEphs(Panels&, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(0);  // all satellites
  return p.Command(input, {.clearEphemerisStore = true});
}

Encoded EncodeLoadEphs(Panels&, const EncodeInput&) {
  // The frames come from the store as it is when the command is sent.
  return {{}, {.loadEphemerisStore = true}};
}

namespace {

template <size_t N>
std::vector<FrameBytes> StoreFrames(const CommandDescriptor& command, const SlotStore<N>& store) {
  std::vector<FrameBytes> frames;
  for (int prn = 1; prn <= kStoreSlots; ++prn) {
    const auto& slot = store.slots[prn - 1];
    if ((slot[0] & 0x01) == 0) continue;
    PayloadWriter p;
    p.U8(static_cast<uint32_t>(prn)).U8(0).Bytes(slot);
    frames.push_back(p.Frame(command));
  }
  return frames;
}

}  // namespace

std::vector<FrameBytes> LoadEphemerisFrames(const CommandDescriptor& command,
                                            const EphemerisStore::Snapshot& store) {
  return StoreFrames(command, store);
}

std::vector<FrameBytes> LoadAlmanacFrames(const CommandDescriptor& command,
                                          const AlmanacStore::Snapshot& store) {
  return StoreFrames(command, store);
}

Encoded EncodeReadAlmc(Panels&, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(0);
  return p.Command(input, {.clearAlmanacStore = true});
}

Encoded EncodeLoadAlmc(Panels&, const EncodeInput&) { return {}; }

Encoded EncodeSetID(Panels& panels, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panels.pnID.rgID));
  p.U32(static_cast<uint32_t>(IntegerOrDefault(panels.pnID.edModuleID, 0))).Zeros(4);
  return p.Command(input);
}

Encoded EncodeQueryID(Panels& panels, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panels.pnID.rgID));
  return p.Command(input);
}

Encoded EncodeDopMask(Panels& panels, const EncodeInput& input) {
  const pnDopMaskPanel& panel = panels.pnDopMask;
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgDopMask));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edGdop, 25)));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edPdop, 20)));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.edHdop, 15)));
  return p.Command(input);
}

Encoded EncodeElvMask(Panels& panels, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panels.pnElvMask.edElvMask, 5)));
  return p.Command(input);
}

}  // namespace vetra
