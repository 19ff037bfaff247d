// The Upgrade page against the virtual receiver: a load through the running firmware and through
// the boot monitor ends in "PASS!" with the receiver holding the image; a stopped load; the File
// button's refusal; the boot-monitor boxes' captions and the Write button's readiness.

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <fstream>
#include <vector>

#include "pages_window.h"
#include "ui/upgrade_page.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

using test::WaitFor;

class UpgradePageTest : public PagesWindowTest {
 protected:
  UpgradePage& page() { return *Find<UpgradePage>("tsReload"); }

  // An image of `kilobytes` KiB minus 100 bytes, so that the last kilobyte is padded with FFh.
  std::vector<uint8_t> WriteImage(const std::string& name, int kilobytes) {
    std::vector<uint8_t> bytes(static_cast<size_t>(kilobytes) * 1024 - 100);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    std::ofstream(PathIn(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(kilobytes) * 1024, 0xFF);
    return bytes;
  }

  void ChooseImage(const std::string& name) {
    const QString path = QString::fromStdString(PathIn(name));
    page().SetImageFileChooser([path](const QString&) { return path; });
    QTest::mouseClick(Find<QPushButton>("bbBrowse"), Qt::LeftButton);
  }

  QColor ResultColour() { return Find<QLabel>("lbResult")->palette().color(QPalette::WindowText); }
};

TEST_F(UpgradePageTest, StartsWaitingForAnImage) {
  MakeWindow();
  EXPECT_EQ(Text("lbState"), "Setup!");
  EXPECT_FALSE(Find<QPushButton>("sbGo")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("sbGo")->isCheckable());
  EXPECT_EQ(Find<QPushButton>("sbGo")->text(), "Write");
  EXPECT_EQ(Find<QPushButton>("bbBrowse")->text(), "&File");
  EXPECT_EQ(Find<QLineEdit>("leLoadSize")->text(), "256");
  EXPECT_EQ(Find<QCheckBox>("chPmonK700")->text(), "PMON K700");
  EXPECT_EQ(Find<QCheckBox>("chPmonK900")->text(), "PMON K900");
}

TEST_F(UpgradePageTest, RunningFirmwareLoadEndsInPass) {
  MakeWindow();
  sim::VirtualReceiver& receiver = AttachReceiver();  // 9600 baud, chosen in cbFWbaud
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  const std::vector<uint8_t> image = WriteImage("fw.bin", 20);
  ChooseImage("fw.bin");
  EXPECT_EQ(Find<QLineEdit>("leLoadSize")->text(), "20");
  EXPECT_EQ(Find<QLineEdit>("edFilePath")->text(), QString::fromStdString(PathIn("fw.bin")));
  EXPECT_EQ(Text("lbState"), "Standby");
  auto* write = Find<QPushButton>("sbGo");
  ASSERT_TRUE(write->isEnabled());

  // Write asks first, with what is about to happen; a "no" starts nothing.
  messages_.answer = false;
  QTest::mouseClick(write, Qt::LeftButton);
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].first,
            "Write fw.bin into the receiver?\n\nSize: 20 K bytes (20480 bytes)\nChip: TQ-K700\n"
            "Through the running firmware at 4800 baud\n\n"
            "The receiver's flash is erased and rewritten.");
  EXPECT_EQ(messages_.asked[0].second, "Write firmware");
  EXPECT_FALSE(write->isChecked());
  EXPECT_EQ(Text("lbState"), "Standby");
  messages_.answer = true;
  QTest::mouseClick(write, Qt::LeftButton);
  EXPECT_TRUE(write->isChecked());
  // While the load runs no other page can be chosen, nor another image.
  ASSERT_TRUE(WaitFor([&] { return Text("lbState") == "Erasing ..."; }));
  EXPECT_FALSE(tabs()->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("bbBrowse")->isEnabled());
  EXPECT_TRUE(write->isChecked());
  EXPECT_EQ(Text("sbStatusPanel2"), "Erasing ...");

  // The last piece is followed by the restarted receiver's revision report: then "PASS!".
  ASSERT_TRUE(WaitFor([&] { return Text("lbState") == "check CRC"; }, 30000));
  EXPECT_TRUE(write->isChecked());
  ASSERT_TRUE(WaitFor([&] { return Text("lbResult") == "PASS!"; }, 30000))
      << Text("lbState").toStdString() << " / " << Text("lbResult").toStdString();
  EXPECT_EQ(ResultColour(), ReadableTextColour(Find<QLabel>("lbResult"), QColor(0, 128, 0)));
  auto* progress = Find<QProgressBar>("brProgress");
  EXPECT_EQ(progress->value(), progress->maximum());
  // "Program OK!" for a second, then ready for the next load, the bar still full.
  if (WaitFor([&] { return Text("lbState") == "Program OK!"; })) SaveScreenshot("upgrade.png");
  ASSERT_TRUE(WaitFor([&] { return Text("lbState") == "Standby"; }));
  EXPECT_FALSE(write->isChecked());
  EXPECT_TRUE(tabs()->isEnabled());
  EXPECT_EQ(Text("sbStatusPanel2"), "Ready to load!");
  EXPECT_EQ(progress->value(), progress->maximum());
  EXPECT_EQ(receiver.flashImage(), image);
  EXPECT_TRUE(messages_.shown.empty());

  // A click on the verdict clears it and the progress bar.
  QTest::mouseClick(Find<QLabel>("lbResult"), Qt::LeftButton);
  EXPECT_EQ(Text("lbResult"), "");
  EXPECT_EQ(progress->value(), 0);

  // The image's path is the FWPath setting written at the end.
  window_->WriteSettings();
  EXPECT_NE(test::ReadFile(settings_->path).find("FWPath=" + PathIn("fw.bin")), std::string::npos);
  // The page can be left again.
  EXPECT_TRUE(window_->ShowPage("tsView"));
}

TEST_F(UpgradePageTest, BootMonitorLoadEndsInPass) {
  MakeWindow();
  sim::SimOptions options;
  options.baud = 115200;
  options.bootMonitor = true;
  sim::VirtualReceiver& receiver = AttachReceiver(options);
  std::ofstream(PathIn("mpd.srec"), std::ios::binary) << std::string(3000, 'S');
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  const std::vector<uint8_t> image = WriteImage("fw.bin", 8);
  ChooseImage("fw.bin");

  auto* k700 = Find<QCheckBox>("chPmonK700");
  QTest::mouseClick(k700, Qt::LeftButton);
  EXPECT_TRUE(k700->isChecked());
  EXPECT_EQ(k700->text(), "PMON K700(ready)");
  EXPECT_EQ(Text("lbState"), "Standby");
  QTest::mouseClick(Find<QPushButton>("sbGo"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Text("lbResult") == "PASS!"; }, 30000))
      << Text("lbState").toStdString() << " / " << Text("lbResult").toStdString();
  EXPECT_EQ(receiver.flashImage(), image);
}

TEST_F(UpgradePageTest, WriteDuringALoadStopsIt) {
  MakeWindow();
  AttachReceiver();
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  WriteImage("fw.bin", 64);
  ChooseImage("fw.bin");
  auto* write = Find<QPushButton>("sbGo");
  QTest::mouseClick(write, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Text("lbState") == "Erasing ..."; }));

  QTest::mouseClick(write, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Text("lbState") == "STOP!"; }));
  EXPECT_FALSE(write->isChecked());
  EXPECT_TRUE(tabs()->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("bbBrowse")->isEnabled());
  EXPECT_NE(Text("lbResult"), "PASS!");

  // The stopped loader re-enters "STOP!" every 100 ms; on the other pages it stays quiet: the
  // status bar is theirs.
  ASSERT_TRUE(window_->ShowPage("tsView"));
  EXPECT_FALSE(WaitFor([&] { return !Text("sbStatusPanel2").isEmpty(); }, 500))
      << Text("sbStatusPanel2").toStdString();
  EXPECT_TRUE(window_->ShowPage("tsSetup"));
}

// Quitting during a load asks first: "no" keeps the load running; "yes" stops it between pieces,
// shows "STOP!", and only then does the window close.
TEST_F(UpgradePageTest, QuittingDuringALoadAsksAndStopsTheLoadFirst) {
  MakeWindow();
  AttachReceiver();
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  WriteImage("fw.bin", 64);
  ChooseImage("fw.bin");
  QTest::mouseClick(Find<QPushButton>("sbGo"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Text("lbState") == "Erasing ..."; }));
  messages_.asked.clear();

  messages_.answer = false;
  window_->Exit1Click();  // returns: the user keeps the load
  EXPECT_FALSE(window_->close());
  ASSERT_EQ(messages_.asked.size(), 2u);
  EXPECT_EQ(messages_.asked[1],
            std::make_pair(std::string("A firmware load is running. Stop it and quit?"),
                           std::string("Exit")));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Text("lbState"), "Erasing ...");

  messages_.answer = true;
  EXPECT_TRUE(window_->close());
  EXPECT_EQ(Text("lbState"), "STOP!");
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(messages_.asked.size(), 3u);
}

TEST_F(UpgradePageTest, AFileThatCannotBeLoadedIsRefused) {
  MakeWindow();
  AttachReceiver();
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  {
    std::ofstream big(PathIn("big.bin"), std::ios::binary);
    big << std::string(524'289, '\x5A');
  }
  ChooseImage("big.bin");
  EXPECT_TRUE(messages_.Saw("Wrong file!", "Error"));
  EXPECT_EQ(Text("lbState"), "Setup!");
  EXPECT_FALSE(Find<QPushButton>("sbGo")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>("leLoadSize")->text(), "256");

  // A cancelled dialog changes nothing and says nothing.
  messages_.shown.clear();
  page().SetImageFileChooser([](const QString&) { return QString(); });
  QTest::mouseClick(Find<QPushButton>("bbBrowse"), Qt::LeftButton);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(UpgradePageTest, BootMonitorBoxesTellWhetherTheirMonitorIsReady) {
  MakeWindow();
  AttachReceiver();
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  WriteImage("fw.bin", 4);
  ChooseImage("fw.bin");
  auto* k700 = Find<QCheckBox>("chPmonK700");
  auto* write = Find<QPushButton>("sbGo");
  ASSERT_TRUE(write->isEnabled());

  // No "mpd.srec" in the start directory: not ready, red, no Write.
  QTest::mouseClick(k700, Qt::LeftButton);
  EXPECT_EQ(k700->text(), "PMON K700(not ready)");
  EXPECT_EQ(k700->palette().color(QPalette::WindowText),
            ReadableTextColour(k700, QColor(255, 0, 0)));
  EXPECT_EQ(Text("lbState"), "setup");
  EXPECT_FALSE(write->isEnabled());

  // Unchecked: the running firmware loads the image again.
  QTest::mouseClick(k700, Qt::LeftButton);
  EXPECT_FALSE(k700->isChecked());
  EXPECT_EQ(Text("lbState"), "Standby");
  EXPECT_TRUE(write->isEnabled());

  std::ofstream(PathIn("mpd.srec"), std::ios::binary) << "S0030000FC";
  QTest::mouseClick(k700, Qt::LeftButton);
  EXPECT_EQ(k700->text(), "PMON K700(ready)");
  EXPECT_TRUE(write->isEnabled());

  // The second chip: only its box can be used, and its address is shown whatever was typed.
  ASSERT_TRUE(window_->ShowPage("tsSetup"));
  window_->SelectSecondChip(true);
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  EXPECT_FALSE(k700->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>("chPmonK900")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>("leLoadAddr")->text(), "21000000");
}

}  // namespace
}  // namespace vetra::ui
