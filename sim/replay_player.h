#pragma once
// Plays a raw receive log (the bytes a monitoring session recorded) onto the line at a fixed rate,
// once or over and over. Whatever the host sends is ignored: a recording cannot answer.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/line_end.h"

namespace vetra::sim {

class ReplayPlayer final : public ILineEnd {
 public:
  ReplayPlayer(std::vector<uint8_t> log, int baud, bool loop)
      : log_(std::move(log)), baud_(baud), loop_(loop) {}

  // Reads the whole file; false when it cannot be read.
  static bool ReadLog(const std::string& path, std::vector<uint8_t>& log);

  void Receive(std::span<const uint8_t>, double) override {}
  double Advance(double nowS) override;
  OutputQueue& output() override { return output_; }
  int baud() const override { return baud_; }
  void ApplyBaudChange(int baud) override { baud_ = baud; }

  // Every byte of the log has been handed to the wire (never, when looping).
  bool finished() const { return !loop_ && position_ >= log_.size() && output_.size() == 0; }

 private:
  std::vector<uint8_t> log_;
  int baud_;
  bool loop_;
  size_t position_ = 0;
  OutputQueue output_;
};

}  // namespace vetra::sim
