#pragma once
// The start-up time test's view of the monitoring task: TViewTask's own guarded operations, so
// the test's copies and resets never interleave with the task's parsing.

#include "monitor/view_task.h"
#include "ttff/ttff_campaign.h"

namespace vetra {

class ViewTaskTtffMonitor final : public ITtffMonitor {
 public:
  explicit ViewTaskTtffMonitor(TViewTask& task) : task_(task) {}
  TNavRecord DisplayCopy() override { return task_.DisplayCopy(); }
  void CopyToDisplay() override { task_.CopyToDisplay(false); }
  void RestartMonitoring() override { task_.RestartMonitoring(); }
  void SetDisplayRestartCounter(int32_t value) override { task_.SetDisplayRestartCounter(value); }

 private:
  TViewTask& task_;
};

}  // namespace vetra
