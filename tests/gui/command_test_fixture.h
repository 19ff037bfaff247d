#pragma once
// The desktop window for the command area's tests: a window at a chosen access level (through
// the "Engineer" or "Host" setting), optionally talking to the virtual receiver on the View page,
// and small helpers to choose a command, an item of a choice and to read a control's state.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "app/baud_table.h"
#include "gui_support.h"
#include "sim/virtual_receiver.h"
#include "ui/command_area.h"
#include "ui/command_widgets.h"
#include "ui/main_window.h"

namespace vetra::ui {

class CommandAreaTest : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  // settings: the [Setup] lines ("Engineer=BRAMBLEX" for level 16, "" for level 0).
  TfmTop& MakeWindow(const std::string& setupLines = "") {
    settings_ = std::make_unique<test::TempSettings>("[Setup]\n" + setupLines + "\n");
    TfmTop::Options options;
    options.settingsPath = settings_->path;
    options.currentDirectory = settings_->folder();
    options.scanSerialDevices = false;
    options.messages = &messages_;
    window_ = std::make_unique<TfmTop>(std::move(options));
    window_->show();
    return *window_;
  }

  // The virtual receiver at 9600 baud on the selected port, the View page shown (port open).
  void ShowViewWithReceiver(sim::SimOptions sim = {}) {
    sim.firstFixSeconds = 0.5;
    receiver_ = std::make_unique<sim::VirtualReceiver>(sim);
    ASSERT_TRUE(receiver_->Start()) << receiver_->error();
    window_->PointSelectedPortAt(receiver_->devicePath(), BaudIndexOf(sim.baud));
    ASSERT_TRUE(window_->ShowPage("tsView"));
    ASSERT_TRUE(window_->portOpen());
  }

  CommandArea& area() { return window_->viewPage().commandArea(); }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* found = window_->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString EditText(const char* name) { return Find<QLineEdit>(name)->text(); }
  QString LabelText(const char* name) { return Find<QLabel>(name)->text(); }

  // Chooses the tree node with this text, as a click on it would.
  void Choose(const QString& treeText) {
    auto* tree = Find<QTreeWidget>("CmdTree");
    const auto items = tree->findItems(treeText, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << treeText.toStdString();
    tree->setCurrentItem(items.front());
  }
  // Clicks the item of a choice (the user's click, with its event).
  void ClickItem(const char* choice, int position) {
    QRadioButton* button = Find<ChoiceGroup>(choice)->button(position);
    ASSERT_NE(button, nullptr) << choice << " " << position;
    button->click();
  }
  QString ChosenItem(const char* choice) {
    ChoiceGroup* group = Find<ChoiceGroup>(choice);
    return group->itemText(group->position());
  }
  QStringList Items(const char* choice) {
    ChoiceGroup* group = Find<ChoiceGroup>(choice);
    QStringList items;
    for (int i = 0; i < group->count(); ++i) items << group->itemText(i);
    return items;
  }
  void Send() { Find<QPushButton>("btSend")->click(); }
  // A reply as the conversation hands it over in a pass value.
  void ShowReply(ReplyEvent reply) {
    PassValue pass;
    pass.replies.push_back(std::move(reply));
    window_->viewPage().ShowPass(pass);
  }

  // The receiver has taken `count` commands since its start.
  bool ReceiverTook(uint64_t count) {
    // The window's events run meanwhile: the conversation writes the frame after a hand-off.
    return test::WaitFor([&] { return receiver_->commandCount() >= count; }, 5000);
  }

  test::RecordingMessages messages_;
  std::unique_ptr<test::TempSettings> settings_;
  std::unique_ptr<sim::VirtualReceiver> receiver_;
  std::unique_ptr<TfmTop> window_;
};

}  // namespace vetra::ui
