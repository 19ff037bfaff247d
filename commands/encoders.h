#pragma once
// One encoder per command (the Encoder contract of commands/command_descriptor.h): the panels in,
// the command's frame and its declared effects out. The class and id come from the command's
// catalogue row. A strict field that does not convert throws ConversionError before anything
// else happens.
//
// Declared effects: Read Ephemeris and Read Almanac clear their store before the frame leaves;
// Load Ephemeris sends one frame per valid slot of the ephemeris store (LoadEphemerisFrames, from
// a snapshot the send path takes); Query Firmware Revision, Clock Offset and Perform Built-In-Test
// empty their reply displays, and the test keeps its item number for the display of its result.
// Changes to the encoder's own panel: Read Customized ID empties edCID, Block Sats unchecks its
// boxes and colours their captions.

#include <vector>

#include "commands/command_descriptor.h"
#include "commands/panels.h"
#include "model/receiver_stores.h"

namespace vetra {

// 01h .. 10h
Encoded EncodeRestart(Panels& panels, const EncodeInput& input);
Encoded EncodeCfgIO(Panels& panels, const EncodeInput& input);
Encoded EncodeSetDatum(Panels& panels, const EncodeInput& input);
Encoded EncodeCfgNmea(Panels& panels, const EncodeInput& input);
Encoded EncodeQueryRevision(Panels& panels, const EncodeInput& input);
Encoded EncodeClkOff(Panels& panels, const EncodeInput& input);
Encoded EncodeBIT(Panels& panels, const EncodeInput& input);
Encoded EncodeFactoryDefault(Panels& panels, const EncodeInput& input);
Encoded EncodeReadEphs(Panels& panels, const EncodeInput& input);
Encoded EncodeLoadEphs(Panels& panels, const EncodeInput& input);
Encoded EncodeReadAlmc(Panels& panels, const EncodeInput& input);
Encoded EncodeLoadAlmc(Panels& panels, const EncodeInput& input);  // sends nothing
Encoded EncodeSetID(Panels& panels, const EncodeInput& input);
Encoded EncodeQueryID(Panels& panels, const EncodeInput& input);
Encoded EncodeDopMask(Panels& panels, const EncodeInput& input);
Encoded EncodeElvMask(Panels& panels, const EncodeInput& input);

// Load Ephemeris' frames: one of 129 bytes per slot marked valid (bit 0 of its first byte), PRN 1
// to 32 in order: PRN, 00h, the 120 bytes of the slot unchanged.
std::vector<FrameBytes> LoadEphemerisFrames(const CommandDescriptor& command,
                                            const EphemerisStore::Snapshot& store);
// The terminal's Load Almanac from a saved file (`vetra send ... --from FILE`), built the same
// way: one frame of 57 bytes per slot marked valid, PRN, 00h, the 48 bytes of the slot. The
// View page's Load Almanac sends nothing.
std::vector<FrameBytes> LoadAlmanacFrames(const CommandDescriptor& command,
                                          const AlmanacStore::Snapshot& store);

// 11h .. E2h
Encoded EncodeDgpsCtrl(Panels& panels, const EncodeInput& input);
Encoded Encode1PPS(Panels& panels, const EncodeInput& input);
Encoded EncodeOutputFormat(Panels& panels, const EncodeInput& input);
Encoded EncodePowerSave(Panels& panels, const EncodeInput& input);
Encoded EncodeCustomizedID(Panels& panels, const EncodeInput& input);
Encoded EncodeQueryNavSetting(Panels& panels, const EncodeInput& input);
Encoded EncodeQuerySysSetting(Panels& panels, const EncodeInput& input);
Encoded EncodeLocale(Panels& panels, const EncodeInput& input);
Encoded EncodeExtDatum(Panels& panels, const EncodeInput& input);
Encoded EncodeCustomizedLED(Panels& panels, const EncodeInput& input);
Encoded EncodeUpdateRate(Panels& panels, const EncodeInput& input);
Encoded EncodeGPIO(Panels& panels, const EncodeInput& input);
Encoded EncodeBlkSats(Panels& panels, const EncodeInput& input);
Encoded EncodeUsrCommand1(Panels& panels, const EncodeInput& input);

}  // namespace vetra
