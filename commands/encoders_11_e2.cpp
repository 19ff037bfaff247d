// Encoders of commands 11h to E2h (catalogue numbers 17 to 34, without the trace commands).
#include <algorithm>

#include "commands/control_values.h"
#include "commands/conversions.h"
#include "commands/encoders.h"
#include "commands/payload_writer.h"

namespace vetra {

Encoded EncodeDgpsCtrl(Panels& panels, const EncodeInput& input) {
  const pnDgpsCtrlPanel& panel = panels.pnDgpsCtrl;
  PayloadWriter p;
  p.U8(panel.rgSelDgps < 0 ? 0xFF : static_cast<uint32_t>(panel.rgSelDgps)).Zeros(1);
  return p.Command(input);
}

Encoded Encode1PPS(Panels& panels, const EncodeInput& input) {
  const pn1PPSPanel& panel = panels.pn1PPS;
  PayloadWriter p;
  p.U8(panel.rg1PPS == 1 ? 2 : 0);
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.ed1ppsBW, 1)));
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.ed1ppsMul, 1)));
  return p.Command(input);
}

Encoded EncodeOutputFormat(Panels& panels, const EncodeInput& input) {
  const pnOutputFormatPanel& panel = panels.pnOutputFormat;
  const auto com0 = static_cast<uint32_t>(panel.rgOutputFormat) & 0x0F;
  const auto com1 = static_cast<uint32_t>(panel.rgOutputFormat2) & 0x0F;
  PayloadWriter p;
  p.U8(com1 << 4 | com0);
  return p.Command(input);
}

Encoded EncodePowerSave(Panels& panels, const EncodeInput& input) {
  const pnPowerSavePanel& panel = panels.pnPowerSave;
  PayloadWriter p;
  p.U16(LenientNumber(panel.lePowerSave, 10, kSleepTimeMaxLength));
  p.U8(panel.chbDeepSleep ? 1 : 0).Zeros(1);
  return p.Command(input);
}

Encoded EncodeCustomizedID(Panels& panels, const EncodeInput& input) {
  pnCustomizedIDPanel& panel = panels.pnCustomizedID;
  PayloadWriter p;
  if (panel.rgCID == 1) {  // "Set Customized ID"
    // The text as typed (UTF-8), sent one byte per character.
    const std::optional<std::string> bytes = SingleByteText(panel.edCID);
    if (!bytes) throw ConversionError(SingleByteErrorText(panel.edCID));
    const size_t n = std::min<size_t>(bytes->size(), kCustomizedIdMaxLength);
    p.U8(1).U8(static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) p.U8(static_cast<uint8_t>((*bytes)[i]));
    p.Zeros(kCustomizedIdMaxLength - n);
  } else {
    // The box is emptied; the reply's ID is shown there.
    panel.edCID.clear();
    p.U8(0).Zeros(1 + kCustomizedIdMaxLength);
  }
  return p.Command(input);
}

Encoded EncodeQueryNavSetting(Panels&, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(0);
  return p.Command(input);
}

Encoded EncodeQuerySysSetting(Panels&, const EncodeInput& input) {
  PayloadWriter p;
  p.U8(0);
  return p.Command(input);
}

Encoded EncodeLocale(Panels& panels, const EncodeInput& input) {
  const pnLocalePanel& panel = panels.pnLocale;
  const int32_t sign = panel.rgGMTsign == 1 ? -1 : 1;  // "GMT - (minus)"
  PayloadWriter p;
  p.U8(panel.cbUpdateSTime ? 1 : 0);
  for (const std::string* field : {&panel.lbZoneHour, &panel.lbZoneMinute, &panel.lbZoneSecond}) {
    p.U8(static_cast<uint32_t>(sign * IntegerOrDefault(*field, 0)));
  }
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.lbDstAdjust, 0)));  // never negated
  return p.Command(input);
}

Encoded EncodeExtDatum(Panels& panels, const EncodeInput& input) {
  const pnSetDatumPanel& panel = panels.pnSetDatum;
  const double semiMajorAxis = StrictReal(panel.lbElpA);
  const double inverseFlattening = StrictReal(panel.lbElpF);
  PayloadWriter p;
  p.F64(semiMajorAxis).F64(inverseFlattening);
  for (const std::string* field : {&panel.lbDx, &panel.lbDy, &panel.lbDz}) {
    p.U16(static_cast<uint32_t>(IntegerOrDefault(*field, 0)));
  }
  return p.Command(input);
}

Encoded EncodeCustomizedLED(Panels& panels, const EncodeInput& input) {
  const pnCustomizedLEDPanel& panel = panels.pnCustomizedLED;
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(panel.rgCustomizedLED));
  for (const std::string* field : {&panel.lbCustomizedPtn1, &panel.lbCustomizedPtn2,
                                   &panel.lbCustomizedPtn3, &panel.lbCustomizedPtn4}) {
    p.U32(LenientNumber(*field, 16));
  }
  return p.Command(input);
}

Encoded EncodeUpdateRate(Panels& panels, const EncodeInput& input) {
  const pnUpdateRatePanel& panel = panels.pnUpdateRate;
  PayloadWriter p;
  p.U8(static_cast<uint32_t>(IntegerOrDefault(panel.lbUpdateRate, 1)));
  return p.Command(input);
}

Encoded EncodeGPIO(Panels& panels, const EncodeInput& input) {
  const pnGPIOPanel& panel = panels.pnGPIO;
  PayloadWriter p;
  p.U32(LenientNumber(panel.lbGpioMask, 16)).U32(LenientNumber(panel.lbGpioValue, 16));
  return p.Command(input);
}

Encoded EncodeBlkSats(Panels& panels, const EncodeInput& input) {
  pnBlkSatsPanel& panel = panels.pnBlkSats;
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
  return p.Command(input);
}

Encoded EncodeUsrCommand1(Panels&, const EncodeInput& input) {
  return PayloadWriter{}.Command(input);
}

}  // namespace vetra
