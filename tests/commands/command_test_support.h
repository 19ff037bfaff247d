#pragma once
// Helpers shared by the command tests: hex byte vectors, a recording port, a recording view.

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "commands/catalogue.h"
#include "commands/send_path.h"
#include "link/messages.h"
#include "link/port.h"

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

// Records every write, one entry per txData call; can be told to fail.
class RecordingPort final : public IPort {
 public:
  int rxData(uint8_t*, int) override { return 0; }
  int txData(const uint8_t* bytes, int count) override {
    if (failWrites) throw PortWriteError("WriteFailed");
    writes.emplace_back(bytes, bytes + count);
    return count;
  }
  bool Reset(int, int, int, int) override { return true; }
  int baudRate() const override { return 4800; }

  std::vector<std::vector<uint8_t>> writes;
  bool failWrites = false;
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
