#pragma once
// One encoder per command: a function of the command's panel (plus chip, access level and the
// ephemeris/almanac stores where they matter) that writes one complete frame into `out` and
// returns its length; 0 means that there is nothing to send. `out` must hold kMaxFrameSize bytes.
// A strict field that does not convert throws ConversionError before anything else happens.
//
// A few encoders have effects besides the frame, as the panels define them: Read Ephemeris and
// Read Almanac clear their store first; Load Ephemeris hands one frame per valid ephemeris slot
// to the frame writer itself and returns 0; Perform Built-In-Test keeps the item number for the
// display of its result; Read Customized ID empties edCID; Block Sats unchecks its boxes and
// colours them.

#include <cstddef>
#include <cstdint>
#include <span>

#include "commands/panel_controls.h"
#include "commands/panels.h"
#include "link/frame_writer.h"
#include "model/receiver_stores.h"

namespace vetra {

// Encoders of commands that live outside this library (the trace commands 1Dh, 1Eh, 1Fh, whose
// panels belong to the trace logger) plug in here.
class ICommandExtension {
 public:
  virtual ~ICommandExtension() = default;
  // Builds the frame of catalogue command `number` into out; its length, 0 for nothing to send.
  virtual size_t Encode(int number, std::span<uint8_t> out) = 0;
  // The named controls of the command's panel, for NAME=VALUE arguments (none by default).
  virtual std::vector<ControlRef> Controls(int number) {
    (void)number;
    return {};
  }
};

struct EncodeContext {
  Chip chip = Chip::K700;
  int accessLevel = 0;
  ReceiverStores* stores = nullptr;        // cleared by the Read commands, read by Load Ephemeris
  IFrameWriter* writer = nullptr;          // Load Ephemeris queues its own frames here
  ICommandExtension* extension = nullptr;  // trace commands
  int keptTestItem = 0;                    // written by Perform Built-In-Test
};

// The catalogue's uniform encoder signature.
using Encoder = size_t (*)(int number, Panels& panels, EncodeContext& context,
                           std::span<uint8_t> out);

// 01h .. 10h
size_t EncodeRestart(const pnRestartPanel& panel, Chip chip, std::span<uint8_t> out);
size_t EncodeCfgIO(const pnCfgIOPanel& panel, std::span<uint8_t> out);
size_t EncodeSetDatum(const pnSetDatumPanel& panel, std::span<uint8_t> out);
size_t EncodeCfgNmea(const pnCfgNmeaPanel& panel, std::span<uint8_t> out);
size_t EncodeQueryRevision(std::span<uint8_t> out);
size_t EncodeClkOff(const pnClkOffPanel& panel, std::span<uint8_t> out);
size_t EncodeBIT(const pnBITPanel& panel, int& keptTestItem, std::span<uint8_t> out);
size_t EncodeFactoryDefault(std::span<uint8_t> out);
size_t EncodeReadEphs(ReceiverStores* stores, std::span<uint8_t> out);
// Queues one 129-byte frame per valid slot (bit 0 of the slot's first byte), PRN 1 to 32, with
// writer (nothing without one). Returns 0: nothing is left for the send path to echo or write.
size_t EncodeLoadEphs(const EphemerisStore& store, IFrameWriter* writer);
size_t BuildLoadEphemerisFrame(int prn, std::span<const uint8_t, 120> slot, std::span<uint8_t> out);
size_t EncodeReadAlmc(ReceiverStores* stores, std::span<uint8_t> out);
size_t EncodeLoadAlmc();
size_t EncodeSetID(const pnIDPanel& panel, std::span<uint8_t> out);
size_t EncodeQueryID(const pnIDPanel& panel, std::span<uint8_t> out);
size_t EncodeDopMask(const pnDopMaskPanel& panel, std::span<uint8_t> out);
size_t EncodeElvMask(const pnElvMaskPanel& panel, std::span<uint8_t> out);

// 11h .. E2h
size_t EncodeDgpsCtrl(const pnDgpsCtrlPanel& panel, std::span<uint8_t> out);
size_t Encode1PPS(const pn1PPSPanel& panel, std::span<uint8_t> out);
size_t EncodeOutputFormat(const pnOutputFormatPanel& panel, std::span<uint8_t> out);
size_t EncodePowerSave(const pnPowerSavePanel& panel, std::span<uint8_t> out);
size_t EncodeCustomizedID(pnCustomizedIDPanel& panel, std::span<uint8_t> out);
size_t EncodeQueryNavSetting(std::span<uint8_t> out);
size_t EncodeQuerySysSetting(std::span<uint8_t> out);
size_t EncodeLocale(const pnLocalePanel& panel, std::span<uint8_t> out);
size_t EncodeExtDatum(const pnSetDatumPanel& panel, std::span<uint8_t> out);
size_t EncodeCustomizedLED(const pnCustomizedLEDPanel& panel, std::span<uint8_t> out);
size_t EncodeUpdateRate(const pnUpdateRatePanel& panel, std::span<uint8_t> out);
size_t EncodeGPIO(const pnGPIOPanel& panel, std::span<uint8_t> out);
size_t EncodeBlkSats(pnBlkSatsPanel& panel, std::span<uint8_t> out);
size_t EncodeUsrCommand1(std::span<uint8_t> out);

}  // namespace vetra
