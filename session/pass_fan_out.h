#pragma once
// One receiver conversation, several displays: the View page, the Statistics window, ... each
// sees every pass value in turn. Displays are added on the thread that ShowPass runs on (the
// window's, inside the conversation's hand-off) or before the conversation starts.

#include <algorithm>
#include <vector>

#include "session/pass_value.h"

namespace vetra {

class PassFanOut final : public IPassDisplay {
 public:
  void Add(IPassDisplay& display) { displays_.push_back(&display); }
  void Remove(IPassDisplay& display) { std::erase(displays_, &display); }
  void ShowPass(const PassValue& pass) override {
    for (IPassDisplay* display : displays_) display->ShowPass(pass);
  }

 private:
  std::vector<IPassDisplay*> displays_;
};

}  // namespace vetra
