#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/startup.h"

namespace vetra {
namespace {

TEST(CommandLine, FirstArgumentIsMatchedUpperCasedAgainstTheDeviceNames) {
  struct Row {
    std::vector<std::string> args;
    int portIndex;
    bool wrongCom;
    std::string firmware;
    std::string device;
  };
  const std::vector<Row> rows{
      {{}, 5, false, "/fw.bin", ""},  // nothing given: the settings stand
      {{"com3"}, 2, false, "/fw.bin", ""},
      {{"COM9"}, 8, false, "/fw.bin", ""},
      {{"COM12"}, 0, true, "/fw.bin", ""},  // above 9 only in the device-namespace form
      {{"\\\\.\\COM10"}, 9, false, "/fw.bin", ""},
      {{"\\\\.\\com40"}, 39, false, "/fw.bin", ""},
      {{"\\\\.\\COM41"}, 0, true, "/fw.bin", ""},
      {{"COM0"}, 0, true, "/fw.bin", ""},
      {{"nonsense", "/tmp/new.bin"}, 0, true, "/tmp/new.bin", ""},
      {{"COM2", "/tmp/new.bin", "extra"}, 1, false, "/tmp/new.bin", ""},
      {{"/dev/ttyUSB0"}, 5, false, "/fw.bin", "/dev/ttyUSB0"},
      {{"/dev/pts/7", "k.bin"}, 5, false, "k.bin", "/dev/pts/7"},
  };
  for (const Row& row : rows) {
    const CommandLineChoice c = ApplyCommandLine(row.args, 5, "/fw.bin");
    const std::string what = row.args.empty() ? "(none)" : row.args[0];
    EXPECT_EQ(c.portIndex, row.portIndex) << what;
    EXPECT_EQ(c.wrongCom, row.wrongCom) << what;
    EXPECT_EQ(c.firmwarePath, row.firmware) << what;
    EXPECT_EQ(c.devicePath, row.device) << what;
  }
  EXPECT_STREQ(kWrongComText, "Wrong COM\n\n Set to COM1!");
  EXPECT_STREQ(kWrongComTitle, "Com Error");
}

TEST(CommandLine, ViewerOptionsAreNotPositional) {
  ViewerOptions o = ParseViewerOptions({"--simulate", "com2", "--settings", "/tmp/a.INI", "fw"});
  EXPECT_TRUE(o.simulate);
  EXPECT_EQ(o.settingsFile, "/tmp/a.INI");
  EXPECT_EQ(o.positional, (std::vector<std::string>{"com2", "fw"}));
  EXPECT_TRUE(o.error.empty());

  o = ParseViewerOptions({"--replay", "run.bin", "--settings=/tmp/b.INI", "--", "--simulate"});
  EXPECT_EQ(o.replayFile, "run.bin");
  EXPECT_FALSE(o.simulate);
  EXPECT_EQ(o.settingsFile, "/tmp/b.INI");
  EXPECT_EQ(o.positional, (std::vector<std::string>{"--simulate"}));

  o = ParseViewerOptions({"COM1", "--settings"});
  EXPECT_FALSE(o.error.empty());
  EXPECT_EQ(o.positional, (std::vector<std::string>{"COM1"}));
}

// A mistyped option is named, never taken for a port (which would open COM1).
TEST(CommandLine, UnknownViewerOptionIsAnError) {
  for (const char* arg : {"--bogus", "--simulte", "-x"}) {
    const ViewerOptions o = ParseViewerOptions({arg, "COM2"});
    EXPECT_EQ(o.error, std::string("unknown option ") + arg + " (see --help)");
    EXPECT_EQ(o.positional, (std::vector<std::string>{"COM2"}));
  }
  EXPECT_TRUE(ParseViewerOptions({"-", "/dev/ttyUSB0"}).error.empty());
}

// Qt's own -style keeps the program from setting Fusion over it.
TEST(CommandLine, StyleOptionOfQtIsNoticed) {
  using Args = std::vector<std::string>;
  EXPECT_TRUE(StyleOptionGiven(Args{"-style", "Windows"}));
  EXPECT_TRUE(StyleOptionGiven(Args{"COM2", "--style=windows"}));
  EXPECT_FALSE(StyleOptionGiven(Args{"-stylesheet", "dark.qss"}));
  EXPECT_FALSE(StyleOptionGiven(Args{"-style"}));  // no name: Qt ignores it too
}

TEST(Startup, WithoutSettingsOrArguments) {
  PortMap ports({"/dev/ttyUSB0"}, {});
  const StartupState s = DeriveStartup(Settings{}, ViewerOptions{}, "/home/eng/bench", ports);
  EXPECT_EQ(s.portIndex, 0);
  EXPECT_EQ(s.baudIndex, 1);  // 4800
  EXPECT_EQ(s.firmwarePath, ".");
  EXPECT_EQ(s.workPath, ".");
  EXPECT_EQ(s.startDirectory, "/home/eng/bench");
  EXPECT_FALSE(s.hostMode);
  EXPECT_EQ(s.accessLevel, 0);
  EXPECT_FALSE(s.traceOn);
  EXPECT_EQ(s.traceTabCaption, "&TTFF");
  EXPECT_FALSE(s.wrongCom);
  EXPECT_EQ(s.controls.sentenceWidth, 281);
}

TEST(Startup, SettingsAndCommandLineTogether) {
  Settings settings;
  settings.host = "ON";
  settings.engineer = "BRAMBLEX";
  settings.portId = 4;
  settings.trace = "ON";
  settings.fwPath = "/fw/a.bin";
  ViewerOptions options;
  options.positional = {"com7", "/fw/b.bin"};
  PortMap ports;
  const std::string longFolder = "/" + std::string(200, 'd');
  const StartupState s = DeriveStartup(settings, options, longFolder, ports);
  EXPECT_TRUE(s.hostMode);
  EXPECT_EQ(s.accessLevel, -1);  // host mode, whatever the word
  EXPECT_FALSE(s.controls.showBigSnr);
  EXPECT_EQ(s.portIndex, 6);
  EXPECT_EQ(s.firmwarePath, "/fw/b.bin");
  EXPECT_EQ(s.traceTabCaption, "&Trace");
  EXPECT_EQ(s.startDirectory, longFolder);  // kept whole

  options.positional = {"COM12"};
  EXPECT_EQ(DeriveStartup(settings, options, "/", ports).portIndex, 0);
  EXPECT_TRUE(DeriveStartup(settings, options, "/", ports).wrongCom);
}

TEST(Startup, DevicePathOnTheCommandLine) {
  Settings settings;
  settings.portId = 3;
  ViewerOptions options;
  options.positional = {"/dev/ttyUSB1"};

  // A device already under a name keeps that name.
  PortMap scanned({"/dev/ttyUSB0", "/dev/ttyUSB1"}, {});
  StartupState s = DeriveStartup(settings, options, "/", scanned);
  EXPECT_EQ(s.portIndex, 1);
  EXPECT_FALSE(s.wrongCom);

  // Otherwise it takes the port of the settings.
  PortMap empty;
  s = DeriveStartup(settings, options, "/", empty);
  EXPECT_EQ(s.portIndex, 3);
  EXPECT_EQ(empty.DevicePath(3), "/dev/ttyUSB1");
}

}  // namespace
}  // namespace vetra
