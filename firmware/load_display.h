#pragma once
// The window's side of the firmware loader: the state label, status bar and tabs, the progress bar
// and the result label.

#include <string_view>

#include "firmware/load_states.h"

namespace vetra {

enum class ResultColour { Red, Green, Amber };

// One state change as the Upgrade page shows it.
struct LoadStateView {
  LoadState state = LoadState::NeedSetup;
  std::string_view statusText;  // the status bar's last panel
  bool pagesEnabled = true;     // the page tabs: only while idle
  // The rest applies only when the state differs from the last state shown.
  bool shownChanged = false;
  std::string_view pageText;  // lbState
  bool releaseWrite = false;  // the Write toggle button comes up (outside a dialogue)
};

// Every call runs on the window thread, inside the loader's hand-off.
class ILoadDisplay {
 public:
  virtual ~ILoadDisplay() = default;
  virtual void StateChanged(const LoadStateView& view) = 0;
  // Progress bar: position 0, step 1, minimum 0, the given maximum.
  virtual void InitProgress(int maximum) = 0;
  virtual void StepProgress() = 0;
  virtual void FillProgress() = 0;  // position := maximum
  virtual void ShowResult(std::string_view text, ResultColour colour) = 0;
  virtual void ClearResult() = 0;  // the result label's text only
};

}  // namespace vetra
