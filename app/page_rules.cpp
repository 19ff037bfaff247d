#include "app/page_rules.h"

#include <cstdio>

#include "app/baud_table.h"

namespace vetra {
namespace {

bool MonitoredPage(Page page) { return page == Page::View || page == Page::Trace; }

}  // namespace

std::string PortCaption(int portIndex, const std::string& title) {
  char caption[160];
  if (title.empty()) {
    std::snprintf(caption, sizeof caption, "C%d-VetraViewer", portIndex + 1);
  } else {
    std::snprintf(caption, sizeof caption, "C%d-%s", portIndex + 1, title.c_str());
  }
  return caption;
}

std::string WrongComMessage(const std::string& problem) {
  return problem.empty() ? std::string(kWrongComPortText)
                         : std::string(kWrongComPortText) + "\n\n" + problem;
}

void PageRules::SetMonitoring(bool active) {
  host_.SetMonitoringActive(active);
  monitoringActive_ = active;
}

bool PageRules::BeforeChanging(Page to) {
  if (to == current_) return true;
  // Whatever the tab, the monitoring stops reading before anything touches the port.
  SetMonitoring(false);

  switch (current_) {
    case Page::Setup: {
      std::string problem;
      if (!host_.OpenPort(portIndex_, BaudRateAt(baudIndex_), hostMode_, problem)) {
        messages_.Show(WrongComMessage(problem), kOpenComPortTitle);
        return false;  // Setup stays, without a port (and without monitoring)
      }
      portOpen_ = true;
      const std::string caption = PortCaption(portIndex_, host_.TitleText());
      host_.SetCaption(caption, caption);
      break;
    }
    case Page::View:
      host_.SetLayout(PageLayout::Compact);
      host_.ShowExpandButtons(false, false);
      break;
    case Page::Upgrade:
      host_.SetLoaderIdle();
      break;
    case Page::Config:
    case Page::Trace:
      break;
  }
  return true;
}

void PageRules::Changed(Page to) {
  if (to == current_) return;
  current_ = to;
  host_.ClearStatusMessage();

  if (to == Page::Upgrade) {
    const bool second = host_.SecondChipSelected();
    host_.SetUpgradeChipControls(!second, second, second ? "21000000" : "20000000");
    host_.ResetPort(kLoaderBaud);
  }
  if (MonitoredPage(to)) {
    if (to == Page::View) host_.ShowExpandButtons(true, false);
    host_.ResetPort(BaudRateAt(baudIndex_));
    SetMonitoring(true);
    host_.SizeMeasurementGrid(host_.SecondChipSelected() ? 17 : 13);
  }
  if (to == Page::Setup) {
    host_.DiscardPort();
    portOpen_ = false;
    host_.SetCaption("", kApplicationTitle);
    host_.ClearAutoScanStatus();
  }
  if (to == Page::View) {
    host_.ShowExpandButtons(true, false);
    host_.LeaveExpandedView();
    host_.SetLayout(PageLayout::Compact);
  } else {
    host_.SetLayout(PageLayout::Pages);
  }
}

bool PageRules::ChangePage(Page to) {
  if (!BeforeChanging(to)) return false;
  Changed(to);
  return true;
}

}  // namespace vetra
