#pragma once
// A recorded raw receive log (the NMEA log's file, or what `vetra sim --replay` plays) behind the
// port seam, so that it goes through the same receiver conversation as a live port and every page
// that reads the receiver's output works on it.
//
// ReplaySource holds the log and the controls that the window moves while the conversation reads:
// the speed (the line rate, ten times it, or as fast as the reader takes the bytes), pause, and a
// seek to any byte. ReplayPort is the IPort the conversation owns; several ports may be made over
// one source in turn (the port is discarded and made again when the user changes pages), and the
// source outlives them, so the window's controls never point at a port that is gone.
//
// At the line rate a byte takes ten bit times (8 data bits, start and stop), as on the wire; the
// rate is the port's, set by Reset as for a live port. Bytes that fell due while nobody read are
// held back (at most one second's worth), never dropped: a log is not a live line. A purge drops
// nothing for the same reason. What the host writes is taken and ignored: a recording cannot
// answer. At the end of the log the port reads nothing more; it does not fail.
//
// A log from a file is streamed, never read whole: it must be a regular file (util/bounded_input.h;
// a device, a FIFO or a directory is refused with a message naming it), and its bytes are read as
// they fall due, from wherever the last seek put the position.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/port.h"
#include "util/clock.h"

namespace vetra {

enum class ReplaySpeed { LineRate, TenTimes, AsFastAsPossible };

class ReplaySource {
 public:
  // A log held in memory.
  explicit ReplaySource(std::vector<uint8_t> log)
      : memory_(std::move(log)), size_(memory_.size()) {}

  // The file, streamed; nullptr with a message naming it in error when it is no regular file or
  // cannot be read.
  static std::shared_ptr<ReplaySource> FromFile(const std::string& path, std::string& error);

  // Controls, from any thread.
  void SetSpeed(ReplaySpeed speed);
  void SetPaused(bool paused);
  void Seek(size_t position);  // clamped to the log's size

  ReplaySpeed speed() const;
  bool paused() const;
  size_t position() const;
  size_t size() const;
  bool finished() const { return position() >= size(); }

  // The reader's side (ReplayPort): at most maxCount of the bytes due by nowMs at bytesPerSecond
  // (the line rate's bytes; ignored as fast as possible). The first call only starts the clock.
  int Take(uint8_t* buffer, int maxCount, int64_t nowMs, double bytesPerSecond);

 private:
  ReplaySource(std::ifstream file, size_t size) : file_(std::move(file)), size_(size) {}
  // count bytes from the position on (fewer when the file was cut meanwhile); under mutex_.
  size_t CopyOut(uint8_t* buffer, size_t count);

  const std::vector<uint8_t> memory_;
  std::ifstream file_;  // when not empty: memory_ is unused
  size_t size_;         // under mutex_ for a file that was cut meanwhile
  mutable std::mutex mutex_;
  size_t position_ = 0;
  ReplaySpeed speed_ = ReplaySpeed::LineRate;
  bool paused_ = false;
  double dueBytes_ = 0;  // bytes the pace has made due and nobody has read yet
  std::optional<int64_t> lastMs_;
};

class ReplayPort final : public IPort {
 public:
  ReplayPort(std::shared_ptr<ReplaySource> source, int baudRate, IClock& clock)
      : source_(std::move(source)), baudRate_(baudRate), clock_(clock) {}

  int rxData(uint8_t* buffer, int maxCount) override;
  int txData(const uint8_t*, int count) override { return count; }
  bool Reset(int baudRate, int byteSize, int stopBits, int parity) override;
  int baudRate() const override { return baudRate_; }

 private:
  std::shared_ptr<ReplaySource> source_;
  int baudRate_;
  IClock& clock_;
};

}  // namespace vetra
