#pragma once
// What the wire (VirtualReceiver) needs of whatever sits at the module's end of the line: the
// receiver itself, or a player of a recorded log. All calls come from the wire's one thread;
// times are seconds since the line end was switched on.

#include <cstdint>
#include <span>

#include "sim/output_queue.h"

namespace vetra::sim {

class ILineEnd {
 public:
  virtual ~ILineEnd() = default;
  // Bytes that arrived from the host at the module's own rate, in order.
  virtual void Receive(std::span<const uint8_t> bytes, double nowS) = 0;
  // Lets time pass up to nowS (queues whatever is due); returns when it next has work.
  virtual double Advance(double nowS) = 0;
  // Bytes waiting for the wire.
  virtual OutputQueue& output() = 0;
  // The module's line rate; the wire paces both directions at it.
  virtual int baud() const = 0;
  // A rate change that the wire took from the output queue (every byte before it sent).
  virtual void ApplyBaudChange(int baud) = 0;
};

}  // namespace vetra::sim
