#pragma once
#include <string>
#include <vector>

#include "util/messages.h"

namespace vetra::test {

// Keeps every message box the code under test asked for.
class RecordingMessages final : public IMessages {
 public:
  struct Shown {
    std::string text, title;
    friend bool operator==(const Shown&, const Shown&) = default;
  };
  void Show(const std::string& text, const std::string& title, Kind) override {
    shown.push_back({text, title});
  }
  std::vector<Shown> shown;
};

}  // namespace vetra::test
