// Encoders of commands 11h to E2h (catalogue numbers 17 to 34, without the trace commands).
#include <algorithm>

#include "commands/conversions.h"
#include "commands/encoders.h"
#include "commands/payload_writer.h"

namespace vetra {

size_t EncodeDgpsCtrl(const pnDgpsCtrlPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(panel.rgSelDgps < 0 ? 0xFF : static_cast<uint32_t>(panel.rgSelDgps)).Zeros(1);
  return p.Frame(kClassCommand, 0x11, out);
}

size_t Encode1PPS(const pn1PPSPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(panel.rg1PPS == 1 ? 2 : 0);
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.ed1ppsBW, 1)));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.ed1ppsMul, 1)));
  return p.Frame(kClassCommand, 0x12, out);
}

size_t EncodeOutputFormat(const pnOutputFormatPanel& panel, std::span<uint8_t> out) {
  const auto com0 = static_cast<uint32_t>(panel.rgOutputFormat) & 0x0F;
  const auto com1 = static_cast<uint32_t>(panel.rgOutputFormat2) & 0x0F;
  PayloadWriter p;
  p.U8(com1 << 4 | com0);
  return p.Frame(kClassCommand, 0x13, out);
}

size_t EncodePowerSave(const pnPowerSavePanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U16(LenientNumber(panel.lePowerSave, 10, kSleepTimeMaxLength));
  p.U8(panel.chbDeepSleep ? 1 : 0).Zeros(1);
  return p.Frame(kClassCommand, 0x14, out);
}

size_t EncodeCustomizedID(pnCustomizedIDPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  if (panel.rgCID == 1) {  // "Set Customized ID"
    const size_t n = std::min<size_t>(panel.edCID.size(), kCustomizedIdMaxLength);
    p.U8(1).U8(static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) p.U8(static_cast<uint8_t>(panel.edCID[i]));
    p.Zeros(kCustomizedIdMaxLength - n);
  } else {
    // The box is emptied; the reply's ID is shown there.
    panel.edCID.clear();
    p.U8(0).Zeros(1 + kCustomizedIdMaxLength);
  }
  return p.Frame(kClassCommand, 0x16, out);
}

size_t EncodeQueryNavSetting(std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(0);
  return p.Frame(kClassCommand, 0x17, out);
}

size_t EncodeQuerySysSetting(std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(0);
  return p.Frame(kClassCommand, 0x18, out);
}

size_t EncodeLocale(const pnLocalePanel& panel, std::span<uint8_t> out) {
  const int32_t sign = panel.rgGMTsign == 1 ? -1 : 1;  // "GMT - (minus)"
  PayloadWriter p;
  p.U8(panel.cbUpdateSTime ? 1 : 0);
  for (const std::string* field : {&panel.lbZoneHour, &panel.lbZoneMinute, &panel.lbZoneSecond}) {
    p.U8(static_cast<uint32_t>(sign * IntegerOrDefault(*field, 0)));
  }
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.lbDstAdjust, 0)));  // never negated
  return p.Frame(kClassCommand, 0x19, out);
}

size_t EncodeExtDatum(const pnSetDatumPanel& panel, std::span<uint8_t> out) {
  const double semiMajorAxis = StrictReal(panel.lbElpA);
  const double inverseFlattening = StrictReal(panel.lbElpF);
  PayloadWriter p;
  p.F64(semiMajorAxis).F64(inverseFlattening);
  for (const std::string* field : {&panel.lbDx, &panel.lbDy, &panel.lbDz}) {
    p.U16(static_cast<uint32_t>(IntegerOrDefault(*field, 0)));
  }
  return p.Frame(kClassCommand, 0x1B, out);
}

size_t EncodeCustomizedLED(const pnCustomizedLEDPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgCustomizedLED));
  for (const std::string* field : {&panel.lbCustomizedPtn1, &panel.lbCustomizedPtn2,
                                   &panel.lbCustomizedPtn3, &panel.lbCustomizedPtn4}) {
    p.U32(LenientNumber(*field, 16));
  }
  return p.Frame(kClassCommand, 0x1C, out);
}

size_t EncodeUpdateRate(const pnUpdateRatePanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.lbUpdateRate, 1)));
  return p.Frame(kClassCommand, 0x20, out);
}

size_t EncodeGPIO(const pnGPIOPanel& panel, std::span<uint8_t> out) {
  PayloadWriter p;
  p.U32(LenientNumber(panel.lbGpioMask, 16)).U32(LenientNumber(panel.lbGpioValue, 16));
  return p.Frame(kClassCommand, 0x21, out);
}

size_t EncodeBlkSats(pnBlkSatsPanel& panel, std::span<uint8_t> out) {
  const int action = panel.rgBlkAction;
  uint32_t mask = 0;
  for (int i = 0; i < kSatelliteBoxes; ++i) {
    if (!panel.cbPRN[i]) continue;
    mask |= 1u << i;
    // The caption keeps the colour of the last action sent for this satellite.
    panel.cbPRN[i] = false;
    panel.cbPRNRed[i] = action == 2;
  }
  PayloadWriter p;
  p.U8(action < 0 ? 0xFF : static_cast<uint32_t>(action)).U32(mask);
  return p.Frame(kClassCommand, 0xE1, out);
}

size_t EncodeUsrCommand1(std::span<uint8_t> out) {
  return PayloadWriter{}.Frame(kClassUserCommand, 0xE2, out);
}

}  // namespace vetra
