// The loader's life between loads: idling, the Write button (start, stop, start again after
// "STOP!"), the "&File" button, and the task on its own thread.
#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/upgrade_actions.h"
#include "load_harness.h"
#include "temp_files.h"

namespace vetra {
namespace {

using test::FirmwareReceiver;
using test::LoaderHarness;

class RecordingMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string& title, Kind) override {
    shown.push_back(text + " / " + title);
  }
  std::vector<std::string> shown;
};

TEST(LoaderIdle, ReadsNothingInStateZeroOrWhileInactiveInStateOne) {
  LoaderHarness h;
  h.Passes(20);
  EXPECT_EQ(h.port.rxCalls(), 0);
  h.task.SetStateQuiet(LoadState::Ready);
  h.Passes(20);
  EXPECT_EQ(h.port.rxCalls(), 0);
  EXPECT_TRUE(h.display.states.empty());  // quiet: no notification
  EXPECT_EQ(h.task.GetState(), LoadState::Ready);
}

struct WriteButton {
  test::TempFolder folder;
  LoaderHarness h;
  ImageFileView view;
  GoRequest request;
  WriteButton(int imageBytes) {
    request.imagePath = folder.WritePattern("fw.bin", static_cast<size_t>(imageBytes));
    request.firmwareBaud = 9600;
  }
  GoResult Press() { return GoClick(request, h.image, view, h.task, &h.port, h.clock); }
};

TEST(WriteButtonPress, StartsReadsTheFileAgainAndResetsThePortForTheRunningFirmware) {
  WriteButton w(3'000);
  FirmwareReceiver receiver(w.h.port, {});
  EXPECT_EQ(w.Press(), GoResult::Started);
  EXPECT_EQ(w.h.image.size(), 3072);
  EXPECT_EQ(w.view.loadSizeText, "3");
  EXPECT_EQ(w.h.port.resets(), std::vector<int>{9600});
  ASSERT_TRUE(w.h.Reaches(LoadState::ProgramOk));
  EXPECT_EQ(w.h.port.resets(), (std::vector<int>{9600, 115'200, 9600}));
  EXPECT_EQ(receiver.data.size(), 3072u);
}

TEST(WriteButtonPress, MonitorPathLeavesThePortAlone) {
  WriteButton w(1'024);
  w.request.monitorMode = true;
  EXPECT_EQ(w.Press(), GoResult::Started);
  EXPECT_TRUE(w.h.port.resets().empty());
  w.h.Passes(1);
  EXPECT_EQ(w.h.task.GetState(), LoadState::CheckPmon);
}

TEST(WriteButtonPress, UnreadableImageDoesNothingAtAll) {
  WriteButton w(1'024);
  std::filesystem::remove(w.request.imagePath);
  EXPECT_EQ(w.Press(), GoResult::Nothing);
  w.h.Passes(5);
  EXPECT_TRUE(w.h.port.resets().empty());
  EXPECT_TRUE(w.h.port.writes().empty());
  EXPECT_TRUE(w.h.display.states.empty());
  EXPECT_EQ(w.h.task.GetState(), LoadState::NeedSetup);
}

TEST(WriteButtonPress, DuringProgramOkStopsTheTask) {
  WriteButton w(1'024);
  FirmwareReceiver receiver(w.h.port, {});
  w.Press();
  ASSERT_TRUE(w.h.Reaches(LoadState::ProgramOk));
  EXPECT_EQ(w.Press(), GoResult::Stopped);
  w.h.Passes(1);
  EXPECT_EQ(w.h.task.GetState(), LoadState::Stopped);
  EXPECT_EQ(w.h.display.pageText, "STOP!");
  EXPECT_EQ(w.h.display.statusText, "STOP!");
  // Stopped stays stopped while inactive: no time-out takes it back, and re-entering "STOP!" on
  // every pass hands nothing more to the window.
  w.h.clock.advanceSeconds(30);
  w.h.Passes(10);
  EXPECT_EQ(w.h.task.GetState(), LoadState::Stopped);
  const auto& states = w.h.display.states;
  EXPECT_EQ(std::count(states.begin(), states.end(), LoadState::Stopped), 1);
}

TEST(LoaderThread, AfterAStopRequestNothingIsHandedToTheWindow) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  FirmwareReceiver receiver(h.port, {});
  h.task.Start(false);
  h.Passes(1);
  const size_t shown = h.display.states.size();
  h.task.RequestStop();  // the window is closing and will wait for the thread
  h.Passes(20);
  EXPECT_EQ(h.display.states.size(), shown);
  EXPECT_TRUE(h.display.results.empty());
}

TEST(WriteButtonPress, AfterStopStartsANewLoadFromStandby) {
  WriteButton w(40 * 1024);
  FirmwareReceiver receiver(w.h.port, {});
  w.Press();
  ASSERT_TRUE(w.h.Reaches(LoadState::WaitRequest));
  EXPECT_EQ(w.Press(), GoResult::Stopped);
  w.h.Passes(3);
  ASSERT_EQ(w.h.task.GetState(), LoadState::Stopped);
  EXPECT_EQ(w.h.display.writeReleases, 1);

  // The next press is a new load, not another stop; it goes straight from "STOP!" to its first
  // state, so the Write button it holds down is not released.
  FirmwareReceiver second(w.h.port, {});
  EXPECT_EQ(w.Press(), GoResult::Started);
  w.h.Passes(1);
  const auto& states = w.h.display.states;
  ASSERT_GE(states.size(), 3u);
  EXPECT_EQ(std::vector<LoadState>(states.end() - 3, states.end()),
            (std::vector<LoadState>{LoadState::Stopped, LoadState::Start, LoadState::WaitAck}));
  EXPECT_EQ(w.h.display.writeReleases, 1);
  ASSERT_TRUE(w.h.Reaches(LoadState::ProgramOk));
  EXPECT_EQ(second.data.size(), 40u * 1024u);
  EXPECT_EQ(w.h.display.result, "PASS!");
}

TEST(WriteButtonPress, StopsARunningLoadWhoseImageFileIsGone) {
  WriteButton w(40 * 1024);
  FirmwareReceiver receiver(w.h.port, {});
  w.Press();
  ASSERT_TRUE(w.h.Reaches(LoadState::WaitRequest));
  std::filesystem::remove(w.request.imagePath);
  EXPECT_EQ(w.Press(), GoResult::Stopped);
  w.h.Passes(1);
  EXPECT_EQ(w.h.task.GetState(), LoadState::Stopped);
}

TEST(WriteButtonPress, StopRequestDropsAStartNotYetTaken) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  h.task.SetStateQuiet(LoadState::Ready);
  h.task.Start(false);
  h.task.SetActive(false);
  h.Passes(5);
  EXPECT_EQ(h.task.GetState(), LoadState::Ready);
  EXPECT_TRUE(h.port.writes().empty());
}

TEST(WriteButtonPress, LoadUsesTheImageAsItWasAtStart) {
  LoaderHarness h;
  test::FillImage(h.image, 2 * 1024);
  FirmwareReceiver receiver(h.port, {});
  h.task.Start(false);
  const std::vector<uint8_t> expected(h.image.data().begin(), h.image.data().end());
  // The window reads another file meanwhile.
  test::FillImage(h.image, 1024);
  h.image.buffer()[0] ^= 0xFF;
  ASSERT_TRUE(h.Reaches(LoadState::ProgramOk));
  EXPECT_EQ(receiver.data, expected);
}

TEST(FileButton, BadFileShowsWrongFileAndChangesNothing) {
  test::TempFolder folder;
  LoaderHarness h;
  ImageFileView view;
  std::string imagePath = "old.bin";
  UpgradeChoice choice;
  RecordingMessages messages;
  const auto result = ChooseImageFile(folder.path() + "/missing.bin", h.image, view, imagePath,
                                      choice, h.monitor, h.task, messages);
  EXPECT_FALSE(result.read);
  EXPECT_EQ(messages.shown, std::vector<std::string>{"Wrong file! / Error"});
  EXPECT_EQ(imagePath, "old.bin");
  EXPECT_EQ(h.task.GetState(), LoadState::NeedSetup);
}

TEST(FileButton, GoodFileMakesTheLoaderReadyUnlessACheckedBoxLacksItsMonitor) {
  test::TempFolder folder;
  const std::string path = folder.WritePattern("new.bin", 5'000);
  struct Row {
    const char* what;
    bool k700Checked;
    int monitorSize;
    bool standby;
  };
  const Row rows[] = {
      {"no box checked", false, 0, true},
      {"box checked, monitor ready", true, 100, true},
      {"box checked, monitor missing", true, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    LoaderHarness h;
    ImageFileView view;
    std::string imagePath;
    UpgradeChoice choice;
    choice.k700.checked = row.k700Checked;
    test::FillMonitor(h.monitor, row.monitorSize);
    RecordingMessages messages;
    const auto result =
        ChooseImageFile(path, h.image, view, imagePath, choice, h.monitor, h.task, messages);
    EXPECT_TRUE(result.read);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(imagePath, path);
    EXPECT_EQ(view.filePath, path);
    EXPECT_EQ(view.lastFolder, folder.path());
    EXPECT_EQ(view.loadSizeText, "5");
    EXPECT_EQ(result.standby, row.standby);
    EXPECT_EQ(h.task.GetState(), row.standby ? LoadState::Ready : LoadState::NeedSetup);
  }
}

TEST(LoaderThread, RunsALoadOnItsOwnThread) {
  LoaderHarness h(TLoadTask::Threading::OwnThread);
  test::FillImage(h.image, 20 * 1024);
  FirmwareReceiver receiver(h.port, {});
  h.task.Start(false);
  ASSERT_TRUE(
      h.display.WaitFor([&] { return !h.display.results.empty(); }, std::chrono::seconds(30)));
  EXPECT_EQ(h.display.results.back(), "PASS!");
  // "Program OK!" is held for a second of the (fake) clock, then the loader stands by.
  ASSERT_TRUE(h.display.WaitFor(
      [&] { return !h.display.states.empty() && h.display.states.back() == LoadState::Ready; },
      std::chrono::seconds(30)));
  h.task.SetActive(false);
  h.task.SetPort(nullptr);  // waits until no pass uses the port
  EXPECT_EQ(receiver.data.size(), 20u * 1024u);
}

}  // namespace
}  // namespace vetra
