#include "ttff/ttff_campaign.h"

#include <algorithm>
#include <charconv>

namespace vetra {
namespace {

constexpr std::array<std::string_view, 3> kModeCaptions = {"Hot", "Warm", "Cold"};
constexpr std::array<std::string_view, 3> kModeLabels = {"Hot:", "Warm:", "Cold:"};

// A spin edit's value: its text as a whole number within [low, high], or fallback when the text
// is not a number.
int SpinValue(std::string_view text, int fallback, int low, int high) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return fallback;
  return static_cast<int>(std::clamp<long>(value, low, high));
}

}  // namespace

int TtffCampaign::CyclesFromText(std::string_view text) { return SpinValue(text, 1, 1, 10'000); }

int TtffCampaign::WaitTimeFromText(std::string_view text) { return SpinValue(text, 3, 3, 20); }

void TtffCampaign::ButtonClicked(TestType type) {
  if (panel_.timerRunning) {
    // Stop: results so far stay in their field; a fix not yet ended by its pause is left out.
    panel_.timerRunning = false;
    panel_.gpsStatus.clear();
    panel_.testStatus.clear();
    panel_.ttffMode.clear();
    panel_.captions[Index(type_)] = std::string(kModeCaptions[Index(type_)]);
    panel_.visible = {true, true, true};
    if (TtffCycle* current = Current(); current && current->outcome == CycleOutcome::Pending) {
      current->outcome = CycleOutcome::Stopped;
    }
    return;
  }
  type_ = type;
  panel_.timerRunning = true;
  state_ = TtffState::Begin;
  const int i = Index(type);
  panel_.results[i].clear();
  panel_.captions[i] = "Stop";
  panel_.ttffMode = std::string(kModeLabels[i]);
  for (int other = 0; other < 3; ++other) panel_.visible[other] = other == i;
  cycles_.clear();
}

void TtffCampaign::Tick() {
  if (!panel_.timerRunning) return;
  NoteRestartNotSent();
  bool again = true;
  while (again) {  // some states continue at once with the next one in the same tick
    again = false;
    switch (state_) {
      case TtffState::Begin:
        seconds_ = 0;
        totalSeconds_ = 0;
        cycle_ = 1;
        state_ = TtffState::Restart;
        again = true;
        break;
      case TtffState::Restart:
        Restart();
        break;
      case TtffState::Revision:
        if (Heard().restartCounter != 0) {
          state_ = TtffState::FirstRmc;
          again = true;
        } else if (++seconds_ > kRevisionTicks) {
          state_ = TtffState::Restart;  // the restart is repeated on the next tick
          if (TtffCycle* current = Current(); current->outcome == CycleOutcome::Pending) {
            current->outcome = CycleOutcome::NoRevision;
          }
        }
        break;
      case TtffState::FirstRmc:
        if (Heard().speedKmh != -1) {
          RestartMonitoring();
          panel_.gpsStatus = "Fixing.....";
          seconds_ = 1;
          state_ = TtffState::Counting;
        }
        break;
      case TtffState::Counting:
        CountTick(Heard());
        break;
      case TtffState::Pause:
        if (++waitCount_ >= WaitTimeFromText(panel_.waitTimeText)) {
          state_ = TtffState::CycleEnd;
          again = true;
        }
        break;
      case TtffState::CycleEnd:
        EndCycle();
        break;
    }
  }
}

void TtffCampaign::Restart() {
  panel_.gpsStatusColour = TextColour::Green;
  panel_.testStatusColour = TextColour::Green;
  state_ = TtffState::Revision;
  panel_.gpsStatus = "Restart.....";
  panel_.testStatus = "0";
  panel_.testCycle = "Cycle " + std::to_string(cycle_);
  seconds_ = 0;
  TtffCycle record;
  record.cycle = cycle_;
  record.mode = type_;
  record.restartUtc = clock_.nowSeconds();
  cycles_.push_back(record);
  SendTestRestart(type_);
  NoteRestartNotSent();
  RestartMonitoring();
}

// From here on only passes read after the restart count; until one arrives the record is reset,
// as the conversation's own is.
void TtffCampaign::RestartMonitoring() {
  const uint64_t number = monitor_.RestartMonitoring();
  std::lock_guard lock(passesMutex_);
  passes_.awaitedRestart = number;
  ResetNavRecord(passes_.nmea);
}

void TtffCampaign::ShowPass(const PassValue& pass) {
  std::lock_guard lock(passesMutex_);
  if (pass.binaryNavigation) {
    passes_.shown = pass.binaryNavigation->record;
  } else if (pass.navigation) {
    passes_.shown = pass.navigation->record;
  }
  if (pass.monitoringRestarts < passes_.awaitedRestart) return;
  if (pass.navigation && pass.navigation->source == DisplaySource::Nmea) {
    passes_.nmea = pass.navigation->record;
  }
}

TNavRecord TtffCampaign::Heard() const {
  std::lock_guard lock(passesMutex_);
  return passes_.nmea;
}

// A restart frame that did not go out is recorded against its cycle, however late it is known.
void TtffCampaign::NoteRestartNotSent() {
  panel_.lastSendError = monitor_.RestartNotSent();
  TtffCycle* current = Current();
  if (panel_.lastSendError.empty() || current == nullptr) return;
  if (current->outcome == CycleOutcome::Pending) {
    current->outcome = CycleOutcome::NotSent;
    current->detail = panel_.lastSendError;
  }
}

void TtffCampaign::CountTick(const TNavRecord& heard) {
  ++seconds_;
  if (heard.fixIndicator != 5) {
    TtffCycle* current = Current();
    current->firstFixSeconds = seconds_;
    current->latitudeDeg = heard.exact.latitudeDeg;
    current->longitudeDeg = heard.exact.longitudeDeg;
    if (seconds_ >= kEarlyFixSeconds || type_ == TestType::Hot) {
      panel_.gpsStatusColour = TextColour::Red;
      panel_.gpsStatus = "Fix";
      totalSeconds_ += seconds_;
      waitCount_ = 0;
      state_ = TtffState::Pause;
    } else {
      // Too early to be a warm or cold start: the same cycle starts again.
      if (current->outcome == CycleOutcome::Pending) current->outcome = CycleOutcome::EarlyFix;
      state_ = TtffState::Restart;
    }
  }
  panel_.testStatus = std::to_string(seconds_);
}

void TtffCampaign::EndCycle() {
  Current()->outcome = CycleOutcome::Counted;
  if (cycle_ < CyclesFromText(panel_.cyclesText)) {
    state_ = TtffState::Restart;
  } else {
    panel_.visible = {true, true, true};
    panel_.enabled = {true, true, true};
    for (int i = 0; i < 3; ++i) panel_.captions[i] = std::string(kModeCaptions[i]);
    panel_.timerRunning = false;
  }
  panel_.gpsStatus.clear();
  panel_.testStatus.clear();
  panel_.ttffMode.clear();
  panel_.results[Index(type_)] =
      FormatSeconds(static_cast<double>(totalSeconds_) / static_cast<double>(cycle_));
  ++cycle_;
}

bool TtffCampaign::SendTestRestart(TestType type) {
  TNavRecord shown;
  {
    std::lock_guard lock(passesMutex_);
    shown = passes_.shown;
  }
  const auto frame =
      BuildTestRestartFrame(type, clock_.nowSeconds(), shown.latitudeDeg, shown.longitudeDeg);
  monitor_.SendRestart(frame, kSendDelayMs);
  panel_.lastSendError = monitor_.RestartNotSent();
  return panel_.lastSendError.empty();
}

}  // namespace vetra
