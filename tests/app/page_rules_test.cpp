// The tab rules driven through a recording window: what happens to the port, the tasks and the
// window on each change, and that the monitoring task never reads while the port is touched.
#include "app/page_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_messages.h"

namespace vetra {
namespace {

class RecordingHost final : public IPageHost {
 public:
  bool OpenPort(int portIndex, int baudRate, bool hostMode, std::string&) override {
    Touch("open " + std::to_string(portIndex) + " " + std::to_string(baudRate) +
          (hostMode ? " host" : ""));
    portExists = openSucceeds;
    return openSucceeds;
  }
  void DiscardPort() override {
    Touch("discard");
    portExists = false;
  }
  void ResetPort(int baudRate) override {
    Touch("reset " + std::to_string(baudRate));
    if (!portExists) violations.push_back("reset without a port");
  }
  void SetMonitoringActive(bool active) override {
    calls.push_back(active ? "monitoring on" : "monitoring off");
    monitoring = active;
    if (active && !portExists) violations.push_back("monitoring without a port");
  }
  void SetLoaderIdle() override { calls.push_back("loader idle"); }
  void LeaveExpandedView() override { calls.push_back("compact"); }
  void SetCaption(const std::string& caption, const std::string& title) override {
    calls.push_back("caption '" + caption + "' '" + title + "'");
  }
  void SetLayout(PageLayout layout) override {
    calls.push_back(layout == PageLayout::Compact    ? "layout compact"
                    : layout == PageLayout::Expanded ? "layout expanded"
                                                     : "layout pages");
  }
  void ShowExpandButtons(bool large, bool small) override {
    calls.push_back(std::string("buttons ") + (large ? "L" : "-") + (small ? "S" : "-"));
  }
  void ClearStatusMessage() override { calls.push_back("clear status"); }
  void ClearAutoScanStatus() override { calls.push_back("clear scan"); }
  void SizeMeasurementGrid(int rows) override { calls.push_back("grid " + std::to_string(rows)); }
  void SetUpgradeChipControls(bool k700, bool k900, const std::string& address) override {
    calls.push_back(std::string("chip ") + (k700 ? "K700" : "-") + " " + (k900 ? "K900" : "-") +
                    " " + address);
  }
  bool SecondChipSelected() const override { return secondChip; }
  std::string TitleText() const override { return title; }

  // Every use of the port must find the monitoring task switched off.
  void Touch(const std::string& call) {
    calls.push_back(call);
    if (monitoring) violations.push_back(call + " while monitoring");
  }

  std::vector<std::string> calls;
  std::vector<std::string> violations;
  bool monitoring = false;
  bool portExists = false;
  bool openSucceeds = true;
  bool secondChip = false;
  std::string title;
};

class PageRulesTest : public ::testing::Test {
 protected:
  std::vector<std::string> Change(Page to) {
    host.calls.clear();
    rules.ChangePage(to);
    return host.calls;
  }
  RecordingHost host;
  test::RecordingMessages messages;
  PageRules rules{host, messages};
};

using Calls = std::vector<std::string>;

TEST_F(PageRulesTest, LeavingSetupForViewOpensThePortAndStartsMonitoring) {
  rules.SetPortIndex(2);
  EXPECT_EQ(Change(Page::View),
            (Calls{"monitoring off", "open 2 4800", "caption 'C3-VetraViewer' 'C3-VetraViewer'",
                   "clear status", "buttons L-", "reset 4800", "monitoring on", "grid 13",
                   "buttons L-", "compact", "layout compact"}));
  EXPECT_EQ(rules.current(), Page::View);
  EXPECT_TRUE(rules.portOpen());
  EXPECT_TRUE(rules.monitoringActive());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PageRulesTest, APortThatDoesNotOpenKeepsSetup) {
  host.openSucceeds = false;
  rules.SetHostMode(true);
  rules.SetBaudIndex(6);
  EXPECT_EQ(Change(Page::View), (Calls{"monitoring off", "open 0 115200 host"}));
  EXPECT_EQ(rules.current(), Page::Setup);
  EXPECT_FALSE(rules.portOpen());
  EXPECT_FALSE(rules.monitoringActive());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], (test::RecordingMessages::Shown{"Wrong com!", "Open com port"}));
}

TEST_F(PageRulesTest, CaptionCarriesTheTitleField) {
  EXPECT_EQ(PortCaption(2, ""), "C3-VetraViewer");
  EXPECT_EQ(PortCaption(39, "Bench 3"), "C40-Bench 3");
  host.title = "Roof antenna";
  rules.SetPortIndex(4);
  const Calls calls = Change(Page::Trace);
  EXPECT_EQ(calls[2], "caption 'C5-Roof antenna' 'C5-Roof antenna'");
}

TEST_F(PageRulesTest, ViewToUpgradeStopsMonitoringAndResetsTheLoaderRate) {
  rules.SetBaudIndex(2);
  Change(Page::View);
  EXPECT_EQ(Change(Page::Upgrade),
            (Calls{"monitoring off", "layout compact", "buttons --", "clear status",
                   "chip K700 - 20000000", "reset 115200", "layout pages"}));
  EXPECT_FALSE(rules.monitoringActive());
}

TEST_F(PageRulesTest, TraceToUpgradeAlsoStopsMonitoringBeforeTheLoaderTakesThePort) {
  host.secondChip = true;
  Change(Page::Trace);
  EXPECT_TRUE(rules.monitoringActive());
  EXPECT_EQ(Change(Page::Upgrade), (Calls{"monitoring off", "clear status", "chip - K900 21000000",
                                          "reset 115200", "layout pages"}));
  EXPECT_FALSE(host.monitoring);
  // Back from Upgrade: the loader is stopped first, then the port is set for monitoring.
  EXPECT_EQ(Change(Page::Trace), (Calls{"monitoring off", "loader idle", "clear status",
                                        "reset 4800", "monitoring on", "grid 17", "layout pages"}));
}

TEST_F(PageRulesTest, EnteringSetupDiscardsThePort) {
  rules.SetPortIndex(7);
  Change(Page::View);
  Change(Page::Upgrade);
  EXPECT_EQ(Change(Page::Setup),
            (Calls{"monitoring off", "loader idle", "clear status", "discard",
                   "caption '' 'Vetra Viewer'", "clear scan", "layout pages"}));
  EXPECT_FALSE(rules.portOpen());
  // Leaving Setup again opens a new port with the choices as they are now.
  rules.SetPortIndex(1);
  rules.SetBaudIndex(0);
  EXPECT_EQ(Change(Page::Upgrade)[1], "open 1 2400");
}

TEST_F(PageRulesTest, ChangingToTheSamePageDoesNothing) {
  Change(Page::View);
  EXPECT_TRUE(Change(Page::View).empty());
}

// Every path through the tabs: monitoring is on exactly on View and Trace; the port exists
// exactly off Setup; the port is never opened, reset or discarded while the task may read.
TEST_F(PageRulesTest, EveryTabSequenceKeepsThePortAndTheTaskApart) {
  const Page pages[] = {Page::Setup, Page::View, Page::Upgrade, Page::Trace, Page::Config};
  int steps = 0;
  for (const Page a : pages) {
    for (const Page b : pages) {
      for (const Page c : pages) {
        for (const Page d : {Page::Setup, Page::View, Page::Upgrade, Page::Trace}) {
          for (const Page to : {a, b, c, d}) {
            rules.ChangePage(to);
            ++steps;
            const bool monitored = to == Page::View || to == Page::Trace;
            ASSERT_EQ(host.monitoring, monitored) << steps;
            ASSERT_EQ(host.portExists, to != Page::Setup) << steps;
            ASSERT_EQ(rules.current(), to);
          }
        }
      }
    }
  }
  EXPECT_TRUE(host.violations.empty()) << host.violations.front();
}

}  // namespace
}  // namespace vetra
