// vetra-viewer: the desktop program.
//
//   vetra-viewer [--simulate [--sim-baud N] [--sim-chip k700|k900] [--sim-binary]]
//                [--replay FILE] [--settings FILE] [--page setup|view|upgrade|trace] [--expanded]
//                [--command COMMAND [--send]] [--screenshot FILE [--after-ms N]]
//                [--palette system|light|dark] [PORT [FIRMWARE]]
//
// --simulate starts the built-in virtual receiver in this process and points the selected port at
// it, at the receiver's rate (4800 unless --sim-baud says otherwise). --replay plays a raw receive
// log on the View page in the port's place (File > Open receive log...). --page and --expanded open
// a page as if the user had chosen it (without --page the last run's page comes back); --command
// chooses a command of the View page's tree (its number, id "05h" or tree text) and --send presses
// Send once the receiver talks; --screenshot writes the window's picture after N ms (3000) and ends
// the program (the documentation's screenshots). --palette chooses the window's colours where the
// desktop does not give Qt its own. Fusion is the style unless Qt's own -style option (or
// QT_STYLE_OVERRIDE) chooses another; the application object exists before any style is set, so
// that Qt's -style and -stylesheet take effect. --help and --version print and end before anything
// needs a display; the help text (app/command_line.cpp) lists every option of this file too. The
// virtual receiver needs a pseudo-terminal: where the system has none (Windows) --simulate and the
// --sim options are refused.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/baud_table.h"
#include "app/command_line.h"
#include "app/page_rules.h"
#include "app/settings.h"
#include "commands/catalogue.h"
#ifdef VETRA_HAS_SIM
#include "sim/virtual_receiver.h"
#endif
#include "ui/command_area.h"
#include "ui/first_drawing_trace.h"
#include "ui/main_window.h"
#include "ui/palettes.h"
#include "vetra_version.h"

namespace {

struct ShowOptions {
  QString page;
  bool expanded = false;
  std::optional<int> command;
  bool send = false;
  QString screenshot;
  int afterMs = 3000;
  QString palette = "system";
#ifdef VETRA_HAS_SIM
  vetra::sim::SimOptions sim;
#endif
  std::string error;
};

// Takes this program's display and simulation options out of args; the rest is the viewer's
// command line (app/command_line.h).
ShowOptions TakeShowOptions(std::vector<std::string>& args) {
  ShowOptions show;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 < args.size()) return args[++i];
      show.error = arg + " needs a value";
      return {};
    };
    if (arg == "--page") {
      show.page = QString::fromStdString(value());
    } else if (arg == "--expanded") {
      show.expanded = true;
    } else if (arg == "--command") {
      show.command = vetra::FindCommand(value());
      if (!show.command) show.error = "--command: no such command";
    } else if (arg == "--send") {
      show.send = true;
    } else if (arg == "--screenshot") {
      show.screenshot = QString::fromStdString(value());
    } else if (arg == "--after-ms") {
      show.afterMs = std::atoi(value().c_str());
    } else if (arg == "--palette") {
      show.palette = QString::fromStdString(value());
      if (show.palette != "system" && show.palette != "light" && show.palette != "dark") {
        show.error = "--palette: system, light or dark";
      }
#ifdef VETRA_HAS_SIM
    } else if (arg == "--sim-baud") {
      show.sim.baud = std::atoi(value().c_str());
      if (vetra::BaudIndexOf(show.sim.baud) < 0) show.error = "--sim-baud: not a rate of the list";
    } else if (arg == "--sim-chip") {
      const std::string chip = value();
      if (chip == "k900") {
        show.sim.chip = vetra::sim::Chip::K900;
      } else if (chip != "k700") {
        show.error = "--sim-chip: k700 or k900";
      }
    } else if (arg == "--sim-binary") {
      show.sim.binaryOutput = true;
#endif
    } else {
      rest.push_back(arg);
    }
  }
  args = std::move(rest);
  return show;
}

// The program's icon, the same drawing as the menu entry's (cmake/Install.cmake compiles the PNGs
// in as resources); the desktop file name lets a Wayland compositor find the entry.
void SetProgramIcon() {
#ifdef VETRA_APP_ID
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
    icon.addFile(QString(":/icons/%1/" VETRA_APP_ID ".png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(icon);
  QGuiApplication::setDesktopFileName(VETRA_APP_ID);
#endif
}

// A start-up error: on stderr for the terminal, and in a dialog for a user who started the program
// from a menu (not while taking a screenshot, which never waits on anyone).
void ReportStartupError(const std::string& text, bool dialog) {
  std::fprintf(stderr, "vetra-viewer: %s\n", text.c_str());
  if (dialog)
    QMessageBox::critical(nullptr, vetra::kApplicationTitle, QString::fromStdString(text));
}

// The window's picture with every message box that is open drawn over it, where it stands, or
// centred when it stands outside the window: what a user would see. A box wider or taller than
// the window widens the picture.
QPixmap WindowWithDialogs(QWidget& window) {
  const QPixmap shown = window.grab();
  QSize size = shown.size();
  std::vector<QWidget*> dialogs;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget == &window || !widget->isVisible() || !widget->inherits("QDialog")) continue;
    dialogs.push_back(widget);
    size = size.expandedTo(widget->size());
  }
  QPixmap picture(size);
  picture.fill(window.palette().color(QPalette::Window));
  QPainter painter(&picture);
  painter.drawPixmap(0, 0, shown);
  for (QWidget* dialog : dialogs) {
    const QPixmap box = dialog->grab();
    QPoint at = dialog->pos() - window.pos();
    if (!picture.rect().contains(QRect(at, box.size()))) {
      at = QPoint((size.width() - box.width()) / 2, (size.height() - box.height()) / 2);
    }
    painter.drawPixmap(at, box);
  }
  return picture;
}

QString PageName(const QString& page) {
  if (page == "view") return "tsView";
  if (page == "upgrade") return "tsReload";
  if (page == "trace" || page == "ttff") return "tsTrace";
  return "tsSetup";
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before the application object exists, which would need a display.
  switch (vetra::RequestedViewerInfo(std::vector<std::string>(argv + 1, argv + argc))) {
    case vetra::ViewerInfo::Help:
      std::fputs(vetra::kViewerHelp, stdout);
      return 0;
    case vetra::ViewerInfo::Version:
      std::printf("vetra-viewer %s\n", VETRA_VERSION);
      return 0;
    case vetra::ViewerInfo::None:
      break;
  }

  const bool styleGiven =
      vetra::StyleOptionGiven(std::vector<std::string>(argv + 1, argv + argc)) ||
      !qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE");
  QApplication app(argc, argv);
  if (!styleGiven) QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setApplicationName("vetra-viewer");
  QApplication::setApplicationDisplayName(vetra::kApplicationTitle);
  SetProgramIcon();

  std::vector<std::string> args;
  for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
  ShowOptions show = TakeShowOptions(args);
  const vetra::ViewerOptions viewer = vetra::ParseViewerOptions(args);
  const std::string& error = show.error.empty() ? viewer.error : show.error;
  const bool dialogs = show.screenshot.isEmpty();
  if (!error.empty()) {
    // A usage error comes from a command line, so it is told there; a program started from a menu
    // gets no options.
    ReportStartupError(error, false);
    return 2;
  }
  if (show.palette == "dark") QApplication::setPalette(vetra::ui::DarkPalette());
  if (show.palette == "light") QApplication::setPalette(vetra::ui::LightPalette());

#ifndef VETRA_HAS_SIM
  if (viewer.simulate) {
    ReportStartupError(
        "--simulate: the virtual receiver needs a pseudo-terminal, which this system does not "
        "have",
        dialogs);
    return 2;
  }
#endif

  try {
#ifdef VETRA_HAS_SIM
    std::unique_ptr<vetra::sim::VirtualReceiver> receiver;
    if (viewer.simulate) {
      receiver = std::make_unique<vetra::sim::VirtualReceiver>(show.sim);
      if (!receiver->Start()) {
        ReportStartupError("virtual receiver: " + receiver->error(), dialogs);
        return 1;
      }
    }
#endif

    vetra::ui::TfmTop::Options options;
    std::string settingsNotice;  // Windows: a settings file copied to the user's folder
    options.settingsPath =
        viewer.settingsFile.empty()
            ? vetra::SettingsPathForProgram(QApplication::applicationFilePath().toStdString(),
                                            &settingsNotice)
            : viewer.settingsFile;
    options.viewer = viewer;
    options.messagesWithoutWaiting = !dialogs;
    vetra::ui::TfmTop window(std::move(options));
#ifdef VETRA_HAS_SIM
    if (receiver) {
      window.PointSelectedPortAt(receiver->devicePath(), vetra::BaudIndexOf(show.sim.baud));
      window.SelectSecondChip(show.sim.chip == vetra::sim::Chip::K900);
    }
#endif
    vetra::ui::TraceFirstDrawing(window);  // start-up benchmark's mark (off unless asked for)
    window.show();
    if (!settingsNotice.empty()) {
      QMessageBox::information(&window, vetra::kSettingsTitle,
                               QString::fromStdString(settingsNotice));
    }

    // A log that cannot be read is told in the window, which stays on Setup.
    // The page of the command line, else the last run's (not over a replay, which shows View).
    if (!viewer.replayFile.empty()) window.StartReplay(viewer.replayFile);
    if (!show.page.isEmpty() || viewer.replayFile.empty()) {
      window.ShowStartPage(show.page.isEmpty() ? QString() : PageName(show.page));
    }
    if (show.expanded) window.ToggleWindowSize();
    if (show.command) {
      vetra::ui::CommandArea& commands = window.viewPage().commandArea();
      if (!commands.SelectCommand(*show.command)) {
        std::fprintf(stderr, "vetra-viewer: --command: not listed at this access level\n");
      }
      // Half the wait: the receiver answers before the picture is taken.
      if (show.send) {
        QTimer::singleShot(show.afterMs / 2, &window, [&commands] { commands.SendClick(); });
      }
    }
    if (!show.screenshot.isEmpty()) {
      QTimer::singleShot(show.afterMs, &window, [&window, &show] {
        const bool saved = WindowWithDialogs(window).save(show.screenshot);
        if (!saved) {
          std::fprintf(stderr, "vetra-viewer: cannot write %s\n", qPrintable(show.screenshot));
        }
        window.close();
        QApplication::exit(saved ? 0 : 1);
      });
    }
    const int status = app.exec();
    return status;
  } catch (const std::exception& exception) {
    ReportStartupError(exception.what(), dialogs);
    return 1;
  }
}
