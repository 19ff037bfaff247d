#include "app/auto_scan.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "app/baud_table.h"
#include "app/page_rules.h"

namespace vetra {

bool HasGpsTalkerText(const uint8_t* bytes, int count) {
  const auto* text = reinterpret_cast<const char*>(bytes);
  const auto* end = static_cast<const char*>(std::memchr(text, 0, static_cast<size_t>(count)));
  const std::string_view view(text,
                              end ? static_cast<size_t>(end - text) : static_cast<size_t>(count));
  return view.find("$GP") != std::string_view::npos;
}

bool AutoScan::Start(PortFactory factory, StatusSink status) {
  if (running_.exchange(true)) return false;
  factory_ = std::move(factory);
  status_ = std::move(status);
  port_.reset();
  state_ = State::Open;
  rateIndex_ = 0;
  spentMs_ = 0;
  found_ = false;
  result_ = Result{};
  return true;
}

void AutoScan::Finish(Outcome outcome) {
  result_.outcome = outcome;
  if (outcome != Outcome::Found && outcome != Outcome::NotOpened && status_) {
    status_(kScanFailText, kRed);
  }
  state_ = State::Finish;
}

int AutoScan::Step() {
  uint8_t buffer[kReadSize];
  switch (state_) {
    case State::Open: {
      std::string problem;
      port_ = factory_ ? factory_(kBaudRates[0], problem) : nullptr;
      if (!port_) {
        messages_.Show(WrongComMessage(problem), kOpenComPortTitle);
        Finish(Outcome::NotOpened);
        return 0;
      }
      if (status_) status_(kScanningText, kBlue);
      state_ = State::Reset;
      return 0;
    }

    case State::Reset:
      // The port reports its own failure; a rate that is not in force cannot be judged.
      if (!port_->Reset(kBaudRates[rateIndex_], 8, 0, 0)) {
        Finish(Outcome::PortFailed);
        return 0;
      }
      spentMs_ = 0;
      state_ = State::Drain;
      return 0;

    case State::Drain:
      for (int reads = 0; reads < kMaxDrainReads; ++reads) {
        const int n = port_->rxData(buffer, kReadSize);
        if (n < 0) {
          Finish(Outcome::PortFailed);
          return 0;
        }
        if (n == 0) break;
      }
      state_ = State::Poll;
      return 0;

    case State::Poll: {
      const int n = port_->rxData(buffer, kReadSize);
      if (n < 0) {
        Finish(Outcome::PortFailed);
        return 0;
      }
      if (n > 0 && HasGpsTalkerText(buffer, n)) {
        found_ = true;
        result_.baudIndex = rateIndex_;
        result_.baudRate = kBaudRates[rateIndex_];
        if (status_) status_(kFoundText, kGreen);
      }
      spentMs_ += kPollIntervalMs;
      state_ = State::AfterPoll;
      return kPollIntervalMs;
    }

    case State::AfterPoll:
      if (found_) {
        Finish(Outcome::Found);
      } else if (spentMs_ <= kListenMs) {
        state_ = State::Poll;
      } else if (++rateIndex_ < static_cast<int>(kBaudRates.size())) {
        state_ = State::Reset;
      } else {
        rateIndex_ = static_cast<int>(kBaudRates.size()) - 1;
        Finish(Outcome::Failed);
      }
      return 0;

    case State::Finish:
      port_.reset();  // closed and gone: the Setup tab has no port
      state_ = State::Done;
      running_ = false;
      return -1;

    case State::Done:
      return -1;
  }
  return -1;
}

AutoScan::Result AutoScan::Run(PortFactory factory, StatusSink status,
                               const std::function<void()>& pumpEvents) {
  if (!Start(std::move(factory), std::move(status))) {
    Result busy;
    busy.outcome = Outcome::Busy;
    return busy;
  }
  for (int wait = Step(); wait >= 0; wait = Step()) {
    if (wait > 0) {
      if (pumpEvents) pumpEvents();
      clock_.sleepMs(wait);
    }
  }
  return result_;
}

}  // namespace vetra
