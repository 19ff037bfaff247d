// vetra-viewer: the desktop program.
//
//   vetra-viewer [--simulate] [--settings FILE] [--page setup|view|upgrade|trace] [--expanded]
//                [--screenshot FILE --after-ms N] [PORT [FIRMWARE]]
//
// --simulate starts the built-in virtual receiver and points the selected port at it.
// --page, --expanded and --screenshot serve the documentation's screenshots: open a page, wait,
// write the window's picture and end.

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <exception>

#include "app/command_line.h"
#include "app/settings.h"
#include "ui/main_window.h"
#include "ui/texts.h"

namespace {

struct ShowOptions {
  QString page;
  bool expanded = false;
  QString screenshot;
  int afterMs = 3000;
};

// Takes the display options out of args; the rest is the viewer's command line.
ShowOptions TakeShowOptions(std::vector<std::string>& args) {
  ShowOptions show;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
    if (arg == "--page") {
      show.page = QString::fromStdString(value());
    } else if (arg == "--expanded") {
      show.expanded = true;
    } else if (arg == "--screenshot") {
      show.screenshot = QString::fromStdString(value());
    } else if (arg == "--after-ms") {
      show.afterMs = std::atoi(value().c_str());
    } else {
      rest.push_back(arg);
    }
  }
  args = std::move(rest);
  return show;
}

QString PageName(const QString& page) {
  if (page == "view") return "tsView";
  if (page == "upgrade") return "tsReload";
  if (page == "trace" || page == "ttff") return "tsTrace";
  return "tsSetup";
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication app(argc, argv);
  QApplication::setApplicationName("vetra-viewer");
  QApplication::setApplicationDisplayName(vetra::ui::kApplicationTitle);

  std::vector<std::string> args;
  for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
  const ShowOptions show = TakeShowOptions(args);
  vetra::ViewerOptions viewer = vetra::ParseViewerOptions(args);
  if (!viewer.error.empty()) {
    std::fprintf(stderr, "vetra-viewer: %s\n", viewer.error.c_str());
    return 2;
  }

  try {
    vetra::ui::TfmTop::Options options;
    options.settingsPath =
        viewer.settingsFile.empty()
            ? vetra::SettingsPathForProgram(QApplication::applicationFilePath().toStdString())
            : viewer.settingsFile;
    options.viewer = viewer;
    vetra::ui::TfmTop window(std::move(options));
    window.show();

    if (!show.page.isEmpty()) {
      window.ShowPage(PageName(show.page));
      if (show.expanded) window.ToggleWindowSize();
    }
    if (!show.screenshot.isEmpty()) {
      QTimer::singleShot(show.afterMs, &window, [&window, &show] {
        const bool saved = window.grab().save(show.screenshot);
        if (!saved)
          std::fprintf(stderr, "vetra-viewer: cannot write %s\n", qPrintable(show.screenshot));
        window.close();
        QApplication::exit(saved ? 0 : 1);
      });
    }
    return app.exec();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vetra-viewer: %s\n", error.what());
    return 1;
  }
}
