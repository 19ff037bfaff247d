// The pages on a light and on a dark palette: every text the program draws, in the colours the
// receiver's answers give it, reads at 4.5:1 at least on the background it is drawn on.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include "gui_support.h"
#include "present/colour.h"
#include "ui/chart_style.h"
#include "ui/command_area.h"
#include "ui/main_window.h"
#include "ui/palettes.h"
#include "ui/setup_page.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

// The text colour and the background a widget's text is drawn with.
std::pair<QColor, QColor> TextAndBackground(const QWidget& w) {
  const QPalette& p = w.palette();
  if (qobject_cast<const QPushButton*>(&w))
    return {p.color(QPalette::ButtonText), p.color(QPalette::Button)};
  if (qobject_cast<const QLineEdit*>(&w) || qobject_cast<const QAbstractScrollArea*>(&w)) {
    return {p.color(QPalette::Text), p.color(QPalette::Base)};
  }
  return {p.color(QPalette::WindowText), p.color(QPalette::Window)};
}

QString ShownText(const QWidget& w) {
  if (auto* group = qobject_cast<const QGroupBox*>(&w)) return group->title();
  return w.property("text").toString();
}

// The enabled widgets with a text, shown in root, whose text reads at less than 4.5:1; one line
// each.
std::string Unreadable(QWidget& root) {
  root.grab();  // drawn as the screen would be
  QStringList found;
  for (QWidget* w : root.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&root) || !w->isEnabled() || ShownText(*w).isEmpty()) continue;
    const auto [text, background] = TextAndBackground(*w);
    const double ratio = ContrastRatio(ToRgb(text), ToRgb(background));
    if (ratio < kMinTextContrast) {
      found << QString("%1 \"%2\" %3 on %4: %5")
                   .arg(w->objectName(), ShownText(*w), text.name(), background.name())
                   .arg(ratio, 0, 'f', 2);
    }
  }
  return found.join('\n').toStdString();
}

TEST(Palettes, ColouredTextsReadOnTheLightAndTheDarkPalette) {
  test::App();
  const QPalette desktop = QApplication::palette();
  QApplication::setPalette(LightPalette());
  test::TempSettings settings("[Setup]\nEngineer=BRAMBLEX\n");
  test::RecordingMessages messages;
  TfmTop::Options options;
  options.settingsPath = settings.path;
  options.scanSerialDevices = false;
  options.messages = &messages;
  auto window = std::make_unique<TfmTop>(std::move(options));
  window->show();

  // What the receiver and the tools colour: a 2D fix (green), a NACK (red), the chosen command
  // (the highlight colour), a scan under way (blue), a load that passed (green), a TTFF status
  // (red); the last two as their pages set them.
  ViewPage& view = window->viewPage();
  PassValue pass;
  pass.navigation = NavigationUpdate{TNavRecord{}, DisplaySource::Nmea};
  pass.navigation->record.fixMode = 1;
  pass.replies.emplace_back().kind = ReplyKind::Nack;
  view.SetExpanded(true);  // the command area too
  view.ShowPass(pass);
  view.commandArea().SelectCommand(1);
  window->findChild<SetupPage*>("tsSetup")->SetScanStatus("Scanning...", ToQColor(kBlue));
  auto* result = window->findChild<QLabel*>("lbResult");
  result->setText("PASS!");
  SetTextColour(result, ToQColor(kGreen));
  auto* gps = window->findChild<QLabel*>("lbGPSstatus");
  gps->setText("No fix");
  SetTextColour(gps, ToQColor(kRed));

  auto* pages = window->findChild<QTabWidget*>("pgCoder");
  for (const QPalette& palette : {LightPalette(), DarkPalette()}) {
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();  // the window derives its text colours afresh
    QCoreApplication::processEvents();
    for (int i = 0; i < pages->count(); ++i) {
      EXPECT_EQ(Unreadable(*pages->widget(i)), "")
          << pages->widget(i)->objectName().toStdString() << " on "
          << palette.color(QPalette::Window).name().toStdString();
    }
    EXPECT_EQ(Unreadable(*window->statusBar()), "");
  }
  window.reset();
  QApplication::setPalette(desktop);
}

}  // namespace
}  // namespace vetra::ui
