// The built vetra-viewer as a user starts it: a mistyped option is a usage error that names it
// (and opens no port), while Qt's own options still reach Qt.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "gui_support.h"

namespace vetra::ui {
namespace {

struct ViewerRun {
  int exitCode = -1;
  QString errors;
};

ViewerRun Viewer(const QStringList& arguments) {
  QProcess viewer;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  viewer.setProcessEnvironment(environment);
  viewer.start(VETRA_VIEWER_PROGRAM, arguments);
  EXPECT_TRUE(viewer.waitForFinished(60000)) << arguments.join(' ').toStdString();
  return {viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1,
          QString::fromLocal8Bit(viewer.readAllStandardError())};
}

TEST(ViewerCommandLine, AnUnknownOptionIsAUsageErrorAndQtsOwnStillWork) {
  test::App();
  QTemporaryDir folder;
  const QString settings = folder.filePath("vetra-viewer.INI");
  for (const char* mistyped : {"--bogus", "--simulte"}) {
    const ViewerRun run = Viewer({"--settings", settings, mistyped});
    EXPECT_EQ(run.exitCode, 2) << mistyped;
    EXPECT_TRUE(run.errors.contains(QString("unknown option ") + mistyped))
        << run.errors.toStdString();
  }
  const QString picture = folder.filePath("setup.png");
  const ViewerRun run = Viewer({"-style", "Fusion", "-platform", "offscreen", "--settings",
                                settings, "--screenshot", picture, "--after-ms", "200"});
  EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
  EXPECT_TRUE(QFile::exists(picture));
}

}  // namespace
}  // namespace vetra::ui
