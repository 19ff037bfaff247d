#pragma once
// How a sender puts whole frames on the line without touching the port: it queues them with the
// port's owner (the receiver conversation), which writes them on its own thread between its reads,
// in the order they were queued. A frame may ask to wait: it goes no sooner than delayMs after
// the frame queued before it went (or after it was queued, when nothing was before it).
//
// What became of a queued frame is told once, later, through onDone: on the window thread in the
// desktop program (with the conversation's next hand-off), on the conversation's thread in the
// terminal tools. A frame is Dropped when its turn never came: the port was closed, handed to the
// firmware loader, or no longer monitored.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vetra {

enum class WriteOutcome { Written, Failed, Dropped };

class IFrameWriter {
 public:
  // why: the port's own message for Failed ("WriteFile Failed 1.", "written in part"), a short
  // reason for Dropped, empty for Written.
  using WriteDone = std::function<void(WriteOutcome outcome, const std::string& why)>;

  virtual ~IFrameWriter() = default;
  // Queues a copy of frame. False, with nothing queued and onDone not called, when no port is
  // open.
  virtual bool Queue(std::span<const uint8_t> frame, int delayMs, WriteDone onDone) = 0;
  bool Write(std::span<const uint8_t> frame) { return Queue(frame, 0, {}); }
};

// Collects the frames of one command (Load Ephemeris writes one per satellite) so that the caller
// can hand them to the conversation as one exchange with the answer it waits for.
class FrameBatch final : public IFrameWriter {
 public:
  bool Queue(std::span<const uint8_t> frame, int, WriteDone) override {
    frames.emplace_back(frame.begin(), frame.end());
    return true;
  }
  std::vector<std::vector<uint8_t>> frames;
};

}  // namespace vetra
