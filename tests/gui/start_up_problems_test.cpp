// What the window says at start-up about files that are not what they should be: a settings file
// that is damaged (told once, kept as NAME.bad when the new one is written) or a folder, a receive
// log that is a device; and, while taking a screenshot, a message box that is drawn, not waited on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <fstream>
#include <memory>

#include "gui_support.h"
#include "ui/main_window.h"

namespace vetra::ui {
namespace {

namespace fs = std::filesystem;
using test::RecordingMessages;
using test::TempSettings;

class StartUpProblems : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }
  std::unique_ptr<TfmTop> MakeWindow(IMessages* messages, bool withoutWaiting = false) {
    TfmTop::Options options;
    options.settingsPath = settings_.path;
    options.currentDirectory = settings_.folder();
    options.scanSerialDevices = false;
    options.messages = messages;
    options.messagesWithoutWaiting = withoutWaiting;
    return std::make_unique<TfmTop>(std::move(options));
  }
  TempSettings settings_;
  RecordingMessages messages_;
};

TEST_F(StartUpProblems, ADamagedSettingsFileIsToldOnceAndKeptAsBadWhenTheNewOneIsWritten) {
  const std::string damaged(
      "\x7F"
      "ELF\x02\x01\x01\x00\x00 not settings [Setup",
      29);
  std::ofstream(settings_.path, std::ios::binary) << damaged;
  auto window = MakeWindow(&messages_);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].first,
            DamagedSettingsText(settings_.path, "it cannot be read as settings"));
  window->close();
  EXPECT_EQ(messages_.shown.size(), 1u);  // said once
  EXPECT_EQ(test::ReadFile(settings_.path + ".bad"), damaged);
  EXPECT_FALSE(ReadSettings(settings_.path).damaged);
}

TEST_F(StartUpProblems, AFolderAsSettingsAndADeviceAsReplayAreToldInTheWindow) {
  fs::create_directory(settings_.path);
  auto window = MakeWindow(&messages_);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].first, "Settings: '" + settings_.path +
                                          "' is a directory, not a file to read. The defaults "
                                          "are used and nothing is saved.");
  EXPECT_FALSE(window->StartReplay("/dev/zero"));
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[1].first,
            "Cannot replay the receive log: '/dev/zero' is a character device, not a file to "
            "read.");
  window->close();
  EXPECT_TRUE(fs::is_directory(settings_.path));
}

// --screenshot: the read-only settings' box is on screen and the window is made all the same.
TEST_F(StartUpProblems, WithoutWaitingAMessageBoxIsShownAndTheStartGoesOn) {
  std::ofstream(settings_.path) << "[Setup]\n";
  fs::permissions(settings_.path, fs::perms::owner_read);
  auto window = MakeWindow(nullptr, true);
  int boxes = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
      EXPECT_EQ(box->text().toStdString(), ReadOnlySettingsText(settings_.path));
      box->close();
      ++boxes;
    }
  }
  EXPECT_EQ(boxes, 1);
  window->close();
}

}  // namespace
}  // namespace vetra::ui
