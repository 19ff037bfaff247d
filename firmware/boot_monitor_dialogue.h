#pragma once
// The boot monitor's dialogue, at 115,200 baud: the monitor program in 1,024-byte pieces, then
// wait for <MPD>; "E" and wait for <ERASE>; the image in 1,024-byte pieces; wait for <DONEhhhh>,
// whose hhhh byte-swapped must equal the image's word XOR; "Z" boots the new image.
// States StartPmon, CheckPmon, PmonErase, PmonSend and CheckCode; the replies come from the
// loader's MonitorReplyScanner.

#include <cstdint>

#include "firmware/firmware_image.h"
#include "firmware/load_context.h"
#include "firmware/monitor_reply_scanner.h"

namespace vetra {

class BootMonitorDialogue {
 public:
  static constexpr int kMonitorPiece = 1024;

  // The images are the loader's copies for the load under way; the scanner reads the replies.
  BootMonitorDialogue(const FirmwareImage& image, const MonitorImage& monitor,
                      MonitorReplyScanner& scanner)
      : image_(image), monitor_(monitor), scanner_(scanner) {}

  // One step in the loader's current state, with the reply read just before (None: none).
  void Step(ILoadContext& load, MonitorReply reply);

 private:
  void SendMonitorProgram(ILoadContext& load);
  void SendImage(ILoadContext& load);
  void CheckCode(ILoadContext& load, MonitorReply reply);

  const FirmwareImage& image_;
  const MonitorImage& monitor_;
  MonitorReplyScanner& scanner_;
  uint16_t imageSum_ = 0;
};

}  // namespace vetra
