#pragma once
// The window of the Upgrade, Trace and TTFF tests: a TfmTop with a settings file in a temp folder
// (also its start directory and the folder of the trace files), recorded messages, and a virtual
// receiver that the selected port points at.

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTabWidget>
#include <memory>
#include <string>

#include "app/baud_table.h"
#include "gui_support.h"
#include "sim/virtual_receiver.h"
#include "ui/main_window.h"

namespace vetra::ui {

class PagesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }
  void TearDown() override {
    window_.reset();  // the window lets go of the port before the receiver goes
    receiver_.reset();
  }

  TfmTop& MakeWindow(const std::string& settings = "") {
    settings_ = std::make_unique<test::TempSettings>(settings);
    TfmTop::Options options;
    options.settingsPath = settings_->path;
    options.currentDirectory = settings_->folder();
    options.scanSerialDevices = false;
    options.messages = &messages_;
    window_ = std::make_unique<TfmTop>(std::move(options));
    window_->show();
    return *window_;
  }

  // A virtual receiver at its own rate, with the window's selected port and rate pointed at it.
  sim::VirtualReceiver& AttachReceiver(sim::SimOptions sim = {}) {
    receiver_ = std::make_unique<sim::VirtualReceiver>(sim);
    EXPECT_TRUE(receiver_->Start()) << receiver_->error();
    window_->PointSelectedPortAt(receiver_->devicePath(), BaudIndexOf(sim.baud));
    return *receiver_;
  }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* found = window_->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString Text(const char* name) { return Find<QLabel>(name)->text(); }
  QTabBar* tabs() { return Find<QTabWidget>("pgCoder")->tabBar(); }
  std::string Folder() const { return settings_->folder(); }
  std::string PathIn(const std::string& name) const { return settings_->folder() + "/" + name; }

  // The documentation's pictures of the pages at work: scripts/screenshot sets
  // VETRA_SCREENSHOT_DIR and runs these tests; otherwise nothing is written.
  void SaveScreenshot(const char* name) {
    const QString folder = qEnvironmentVariable("VETRA_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    EXPECT_TRUE(window_->grab().save(folder + "/" + name)) << name;
  }

  test::RecordingMessages messages_;
  std::unique_ptr<test::TempSettings> settings_;
  std::unique_ptr<TfmTop> window_;
  std::unique_ptr<sim::VirtualReceiver> receiver_;
};

}  // namespace vetra::ui
