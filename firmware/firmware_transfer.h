#pragma once
// The running firmware's loading dialogue: the 12-byte start frame at the receiver's rate, then
// 115,200 baud; wait for the MXTR acknowledge, send the erase frame, wait for the erase to end;
// then 64-byte chunks with a stop after every 16 KiB (not after the last byte) until the MXTR data
// request comes. States Start, WaitAck, Erase, SendData and WaitRequest; the receiver's answers
// are the NMEA parser's result codes. The last piece is not the end: new_firmware_check.h waits
// for the new firmware to report.

#include <cstdint>

#include "firmware/firmware_image.h"
#include "firmware/load_context.h"

namespace vetra {

class FirmwareTransfer {
 public:
  static constexpr int kChunk = 64;
  static constexpr int kRequestEvery = 16'384;  // the receiver asks for more after this
  static constexpr int kLoadBaud = 115'200;

  explicit FirmwareTransfer(const FirmwareImage& image) : image_(image) {}

  // A sentence the NMEA parser read (its result code), in any state.
  void Heard(int nmeaCode);
  // One step in the loader's current state, with the last sentence's code (kNmeaNothing: none).
  // True once the last piece has gone out.
  bool Step(ILoadContext& load, int nmeaCode, uint32_t loadAddress);
  // The bytes sent after the receiver's last data request: possibly still on their way.
  int32_t bytesInFlight() const { return image_.size() - requestedAt_; }

 private:
  void SendStartFrame(ILoadContext& load, uint32_t loadAddress);
  bool SendChunk(ILoadContext& load);

  const FirmwareImage& image_;
  int ack_ = 0;  // 1 acknowledged, -1 refused
  bool eraseDone_ = false;
  int32_t offset_ = 0;
  int32_t requestedAt_ = 0;  // the offset of the last data request: the receiver has all before it
};

}  // namespace vetra
