#pragma once
// Plays a raw receive log (the bytes a monitoring session recorded) onto the line at a fixed rate,
// once or over and over. Whatever the host sends is ignored: a recording cannot answer. The log is
// streamed from its file a little ahead of the wire, never read whole; it must be a regular file
// (a device such as /dev/zero, a FIFO or a directory is refused with a message naming it).

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "sim/line_end.h"

namespace vetra::sim {

class ReplayPlayer final : public ILineEnd {
 public:
  // nullptr with the reason, naming the file, in error.
  static std::unique_ptr<ReplayPlayer> Open(const std::string& path, int baud, bool loop,
                                            std::string& error);

  void Receive(std::span<const uint8_t>, double) override {}
  double Advance(double nowS) override;
  OutputQueue& output() override { return output_; }
  int baud() const override { return baud_; }
  void ApplyBaudChange(int baud) override { baud_ = baud; }

  // Every byte of the log has been handed to the wire (never, when looping).
  bool finished() const { return !loop_ && ended_ && output_.size() == 0; }

 private:
  ReplayPlayer(std::ifstream log, int baud, bool loop)
      : log_(std::move(log)), baud_(baud), loop_(loop) {}

  std::ifstream log_;
  int baud_;
  bool loop_;
  bool ended_ = false;
  OutputQueue output_;
};

}  // namespace vetra::sim
