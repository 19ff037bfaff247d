// The boot-monitor boxes, their captions, the load address per chip and the port rates.
#include <gtest/gtest.h>

#include "firmware/chip_selection.h"
#include "temp_files.h"

namespace vetra {
namespace {

struct Page {
  test::TempFolder folder;  // the start directory
  UpgradeChoice choice;
  MonitorImage monitor;
  FirmwareImage image;
  BoxClickOutcome Click(Chip box, bool checked) {
    return MonitorBoxClicked(choice, box, checked, monitor, image, folder.path(), 9600);
  }
};

TEST(UpgradePageEntry, EnablesOnlyTheChosenChipsBoxAndSetsItsAddress) {
  UpgradeChoice choice;
  choice.loadAddress = "12345678";  // typed by the user before
  EXPECT_EQ(EnterUpgradePage(choice, Chip::K900), 115'200);
  EXPECT_EQ(choice.loadAddress, "21000000");
  EXPECT_FALSE(choice.k700.enabled);
  EXPECT_TRUE(choice.k900.enabled);
  EnterUpgradePage(choice, Chip::K700);
  EXPECT_EQ(choice.loadAddress, "20000000");
  EXPECT_TRUE(choice.k700.enabled);
  EXPECT_FALSE(choice.k900.enabled);
}

TEST(MonitorBoxes, CheckingWithTheFilePresentMakesItReady) {
  Page page;
  page.folder.WritePattern("mpd.srec", 500);
  page.image.set_size(2048);
  const auto outcome = page.Click(Chip::K700, true);
  EXPECT_EQ(page.choice.k700.caption, "PMON K700(ready)");
  EXPECT_FALSE(page.choice.k700.red);
  EXPECT_EQ(page.monitor.size(), 500);
  EXPECT_TRUE(outcome.setState);
  EXPECT_EQ(outcome.loaderState, LoadState::Ready);
  EXPECT_EQ(outcome.stateText, "Standby");
  EXPECT_TRUE(outcome.writeEnabled);
  EXPECT_EQ(outcome.portBaud, 115'200);
}

TEST(MonitorBoxes, MissingK900FileIsNotReadyEvenAfterTheK700MonitorWasLoaded) {
  Page page;
  page.folder.WritePattern("mpd.srec", 500);
  page.image.set_size(2048);
  page.Click(Chip::K700, true);
  const auto outcome = page.Click(Chip::K900, true);
  EXPECT_EQ(page.choice.k900.caption, "PMON K900(not ready)");
  EXPECT_TRUE(page.choice.k900.red);
  EXPECT_EQ(page.monitor.size(), 0);
  EXPECT_EQ(outcome.loaderState, LoadState::NeedSetup);
  EXPECT_EQ(outcome.stateText, "setup");
  EXPECT_FALSE(outcome.writeEnabled);
  // The K700 box is unchecked and back to its plain caption.
  EXPECT_FALSE(page.choice.k700.checked);
  EXPECT_EQ(page.choice.k700.caption, "PMON K700");
}

TEST(MonitorBoxes, RedFontStaysAfterALaterSuccess) {
  Page page;
  page.Click(Chip::K700, true);
  EXPECT_TRUE(page.choice.k700.red);
  page.folder.WritePattern("mpd.srec", 10);
  page.Click(Chip::K700, false);
  page.Click(Chip::K700, true);
  EXPECT_EQ(page.choice.k700.caption, "PMON K700(ready)");
  EXPECT_TRUE(page.choice.k700.red);
}

TEST(MonitorBoxes, NoImageMeansSetupEvenWithAReadyMonitor) {
  Page page;
  page.folder.WritePattern("mpdK900.srec", 10);
  const auto outcome = page.Click(Chip::K900, true);
  EXPECT_EQ(page.choice.k900.caption, "PMON K900(ready)");
  EXPECT_EQ(outcome.loaderState, LoadState::NeedSetup);
  EXPECT_FALSE(outcome.writeEnabled);
}

TEST(MonitorBoxes, UncheckingSwitchesToTheFirmwareRateAndStandbyOnlyWithAnImage) {
  Page page;
  auto outcome = page.Click(Chip::K700, false);
  EXPECT_FALSE(outcome.setState);  // no image: state label and Write stay as they were
  EXPECT_EQ(outcome.portBaud, 9600);
  page.image.set_size(1024);
  outcome = page.Click(Chip::K700, false);
  EXPECT_TRUE(outcome.setState);
  EXPECT_EQ(outcome.loaderState, LoadState::Ready);
  EXPECT_EQ(outcome.stateText, "Standby");
  EXPECT_TRUE(outcome.writeEnabled);
  EXPECT_EQ(outcome.portBaud, 9600);
}

TEST(MonitorBoxes, ReadinessRuleAfterAnImageRead) {
  UpgradeChoice choice;
  MonitorImage monitor;
  EXPECT_TRUE(ReadyAfterImageRead(choice, monitor));  // no box: the running firmware path
  choice.k900.checked = true;
  EXPECT_FALSE(ReadyAfterImageRead(choice, monitor));
  monitor.set_size(1);
  EXPECT_TRUE(ReadyAfterImageRead(choice, monitor));
}

}  // namespace
}  // namespace vetra
