#pragma once
// EpochStream: the bytes a receiver sends (a port read live, a log read in pieces) into epochs.
// It finds NMEA sentences of any receiver (nmea_reader.h) and the module's binary navigation
// frames in the same stream, and hands them to one epoch assembler (epoch_assembler.h). Any
// chunking gives the same epochs. It never holds more than one sentence or frame of bytes and
// one open epoch, so a log of any size streams through it.
//
// What it cannot read is counted (EpochCounts), so that a log that gives no fix can say why.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "epoch/epoch.h"

namespace vetra {

struct EpochCounts {
  uint64_t bytes = 0;
  uint64_t sentences = 0;             // NMEA sentences read whole (any kind, checksum good or none)
  uint64_t checksumErrors = 0;        // sentences whose checksum did not match
  uint64_t malformed = 0;             // too few fields for their kind, too long, unreadable
  uint64_t binaryFrames = 0;          // the module's frames with a good checksum
  uint64_t binaryChecksumErrors = 0;  // the module's frames whose checksum did not match
  uint64_t epochs = 0;                // epochs closed
  uint64_t epochsWithFix = 0;         // of them with a 2D or 3D fix and a position
  uint64_t unrecognisedBytes = 0;     // bytes in no sentence or frame
};

// Why a log gave no fix, in numbers, for the user: "no fix: 1,234 sentences read, 12 rejected by
// checksum, 56 epochs without a fix" or "no fix: nothing that looks like NMEA or the module's
// binary output in 4,096 bytes". Empty when there were fixes.
std::string NoFixReason(const EpochCounts& counts);

class EpochStream {
 public:
  EpochStream();
  ~EpochStream();
  EpochStream(EpochStream&&) noexcept;
  EpochStream& operator=(EpochStream&&) noexcept;

  // Feeds received bytes; the epochs they closed are appended to epochs, and the NMEA sentences
  // read whole (checksum good or none; "$GPGGA,...*hh" without line end) to sentences when given.
  void Feed(std::span<const uint8_t> bytes, std::vector<Epoch>& epochs,
            std::vector<std::string>* sentences = nullptr);
  // Live: no byte for a while (nowMs from the conversation's clock); closes the open epoch after
  // a silence longer than the receiver's usual gap between epochs.
  void Idle(int64_t nowMs, std::vector<Epoch>& epochs);
  // The end of the input: closes the open epoch.
  void Finish(std::vector<Epoch>& epochs);

  const EpochCounts& counts() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vetra
