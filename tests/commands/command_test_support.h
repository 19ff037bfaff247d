#pragma once
// Helpers shared by the command tests: hex byte vectors, a recording frame writer, a recording
// view.

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "commands/catalogue.h"
#include "commands/send_path.h"
#include "link/frame_writer.h"
#include "util/messages.h"

namespace vetra::test {

inline std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  std::string pair;
  while (in >> pair) bytes.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
  return bytes;
}

// The frame of catalogue command `number` from its row's encoder, as the send path builds it
// (empty when the encoder builds none).
inline std::vector<uint8_t> Encode(int number, Panels& panels, EncodeContext& context) {
  const Encoded encoded = EncodeCommand(number, panels, context);
  return encoded.frames.empty() ? std::vector<uint8_t>{} : encoded.frames.back();
}

// Records every frame queued, one entry per frame; refuses them all once the port is "gone".
class RecordingWriter final : public IFrameWriter {
 public:
  bool Queue(std::span<const uint8_t> frame, int, WriteDone) override {
    if (portGone) return false;
    writes.emplace_back(frame.begin(), frame.end());
    return true;
  }

  std::vector<std::vector<uint8_t>> writes;
  bool portGone = false;
};

class RecordingView final : public ISendView {
 public:
  void UncheckAcknowledgement() override { ++unchecks; }
  void ShowSentence(const std::string& text) override { sentence = text; }
  void ClearRevision() override { cleared += "revision;"; }
  void ClearClockOffset() override { cleared += "clock;"; }
  void ClearSelfTest() override { cleared += "selftest;"; }

  int unchecks = 0;
  std::string sentence = "previous";
  std::string cleared;
};

class RecordingMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string& title, Kind kind) override {
    shown.push_back({text, title, kind});
  }
  struct Message {
    std::string text, title;
    Kind kind;
  };
  std::vector<Message> shown;
};

}  // namespace vetra::test
