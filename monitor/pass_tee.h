#pragma once
// Shows each pass value to two displays, first to second, on the same thread: the window's view
// and the share server, or the terminal's lines and the share server. The conversation keeps its
// one display; whoever wants the pass values too sits behind a tee.

#include "monitor/pass_value.h"

namespace vetra {

class PassTee final : public IPassDisplay {
 public:
  PassTee(IPassDisplay& first, IPassDisplay& second) : first_(first), second_(second) {}
  void ShowPass(const PassValue& pass) override {
    first_.ShowPass(pass);
    second_.ShowPass(pass);
  }

 private:
  IPassDisplay& first_;
  IPassDisplay& second_;
};

}  // namespace vetra
