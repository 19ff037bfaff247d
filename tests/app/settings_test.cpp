// The settings file, read and written for real in a temporary folder.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/access_controls.h"
#include "app/port_names.h"
#include "app/system_paths.h"
#include "support/temp_path.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::UniqueTempPath(std::string("vetra-settings-") +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    path = (folder / "vetra-viewer.INI").string();
  }
  void TearDown() override { fs::remove_all(folder); }
  void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  std::string Contents() const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path folder;
  std::string path;
};

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
  const Settings s = ReadSettings(path);
  EXPECT_EQ(s.host, "OFF");
  EXPECT_FALSE(s.hostMode());
  EXPECT_EQ(s.portId, 0);
  EXPECT_EQ(s.fwPath, ".");
  EXPECT_EQ(s.workPath, ".");
  EXPECT_EQ(s.engineer, "");
  EXPECT_FALSE(s.traceOn());
  EXPECT_TRUE(s.pinnedPorts.empty());
}

TEST_F(SettingsFileTest, ReadsEveryKeyWithNamesInAnyCaseAndValuesExact) {
  Write(
      "; receiver bench 3\n"
      "[setup]\n"
      "HOST=ON\n"
      "portid=6\n"
      "FwPath=/srv/firmware/k900.bin\n"
      "WORKPATH = /home/eng/logs/ \n"
      "engineer=BRAMBLEX\n"
      "Trace=on\n"
      "[Other]\n"
      "Portid=9\n"
      "[ports]\n"
      "com3=/dev/ttyUSB1\n"
      "COM12=/dev/serial/by-id/usb-receiver\n"
      "COM41=/dev/ttyUSB9\n"
      "Bogus=/dev/ttyS0\n");
  const Settings s = ReadSettings(path);
  EXPECT_TRUE(s.hostMode());
  EXPECT_EQ(s.portId, 6);
  EXPECT_EQ(s.fwPath, "/srv/firmware/k900.bin");
  EXPECT_EQ(s.workPath, "/home/eng/logs/");
  EXPECT_EQ(s.engineer, "BRAMBLEX");
  EXPECT_FALSE(s.traceOn());  // "on" is not "ON"
  std::map<int, std::string> pinned{{2, "/dev/ttyUSB1"}, {11, "/dev/serial/by-id/usb-receiver"}};
#ifdef _WIN32
  pinned[40] = "/dev/ttyUSB9";  // COM41 is a port name there
#endif
  EXPECT_EQ(s.pinnedPorts, pinned);
}

TEST_F(SettingsFileTest, PortidThatIsNoWholeNumberOrNoPortGivesCom1) {
  const std::vector<std::pair<std::string, int>> rows{
      {"7", 7},    {"+3", 3},   {"39", 39},         {std::to_string(kPortCount), 0},
      {"-1", 0},   {"3.5", 0},  {"x", 0},           {"", 0},
      {"12ab", 0}, {"0x10", 0}, {"99999999999", 0}, {"\"5\"", 5},
  };
  for (const auto& [value, expected] : rows) {
    Write("[Setup]\nPortid=" + value + "\n");
    EXPECT_EQ(ReadSettings(path).portId, expected) << "Portid=" << value;
  }
}

TEST(SettingsInteger, WholeDecimalNumbersOnly) {
  EXPECT_EQ(ParseSettingsInteger("42", -5), 42);
  EXPECT_EQ(ParseSettingsInteger("-42", -5), -42);
  EXPECT_EQ(ParseSettingsInteger("+42", -5), 42);
  EXPECT_EQ(ParseSettingsInteger("+", -5), -5);
  EXPECT_EQ(ParseSettingsInteger("4 2", -5), -5);
  EXPECT_EQ(ParseSettingsInteger("--4", -5), -5);
  EXPECT_EQ(ParseSettingsInteger("2147483648", -5), -5);
}

TEST_F(SettingsFileTest, WriteBackChangesThreeKeysAndKeepsTheRest) {
  Write(
      "; bench settings\n"
      "[Setup]\n"
      "Host=OFF\n"
      "Portid=2\n"
      "fwpath=/old/fw.bin\n"
      "Engineer=KALD\n"
      "[Ports]\n"
      "COM3=/dev/ttyUSB1\n");
  ASSERT_TRUE(WriteBackSettings(path, 4, "/new/fw.bin", "/home/eng/"));
  const Settings s = ReadSettings(path);
  EXPECT_EQ(s.portId, 2);  // the port chosen in the window goes to "Port", not "Portid"
  EXPECT_EQ(s.fwPath, "/new/fw.bin");
  EXPECT_EQ(s.workPath, "/home/eng/");
  EXPECT_EQ(s.engineer, "KALD");
  EXPECT_EQ(s.pinnedPorts.at(2), "/dev/ttyUSB1");
  const std::string text = Contents();
  EXPECT_NE(text.find("; bench settings"), std::string::npos);
  EXPECT_NE(text.find("Port=4"), std::string::npos);
  // The existing key is updated where it is, under its own spelling, not added a second time.
  EXPECT_EQ(text.find("FWPath"), std::string::npos);
  EXPECT_NE(text.find("fwpath"), std::string::npos);
  EXPECT_FALSE(fs::exists(path + ".new"));
}

TEST_F(SettingsFileTest, ThePortComesFromPortidElseFromTheWrittenPort) {
  ASSERT_TRUE(WriteBackSettings(path, 4, ".", "."));
  EXPECT_EQ(ReadSettings(path).portId, 4);  // the port chosen in the window comes back
  Write("[Setup]\nPortid=2\nPort=4\n");
  EXPECT_EQ(ReadSettings(path).portId, 2);
}

TEST_F(SettingsFileTest, WriteBackLeavesAReadOnlyFileAloneAndWritesThroughALink) {
  Write("[Setup]\nHost=OFF\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_TRUE(ReadSettings(path).readOnly);
  EXPECT_EQ(WriteBackSettings(path, 3, ".", ".").outcome, SaveOutcome::ReadOnly);
  EXPECT_EQ(Contents(), "[Setup]\nHost=OFF\n");  // even for root, who could write it

  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const fs::path link = folder / "linked.INI";
  std::error_code linkError;
  fs::create_symlink(path, link, linkError);
  // Windows lets only privileged users (or developer mode) make symbolic links.
  if (linkError) GTEST_SKIP() << "no symbolic link can be made here: " << linkError.message();
  ASSERT_TRUE(WriteBackSettings(link.string(), 3, ".", "."));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NE(Contents().find("Port=3"), std::string::npos);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SettingsFileTest, WriteBackCreatesAMissingFileAndFolder) {
  const std::string nested = (folder / "config" / "vetra-viewer" / "vetra-viewer.INI").string();
  ASSERT_TRUE(WriteBackSettings(nested, 0, ".", "."));
  std::ifstream in(nested);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("[Setup]"), std::string::npos);
  EXPECT_NE(s.str().find("Port=0"), std::string::npos);
}

TEST_F(SettingsFileTest, WriteBackIntoAnUnwritablePlaceFails) {
  const std::string blocked = (folder / "file-not-folder").string();
  std::ofstream(blocked) << "x";
  const SaveResult result = WriteBackSettings(blocked + "/vetra-viewer.INI", 1, ".", ".");
  EXPECT_EQ(result.outcome, SaveOutcome::Failed);
  EXPECT_FALSE(result.reason.empty());
}

TEST_F(SettingsFileTest, ADamagedFileIsToldThenKeptAsBadBeforeANewOneIsWritten) {
  const std::string damaged("[Setup]\nPortid=\x01\x00\xFF\xFE garbage", 26);
  Write(damaged);
  const Settings settings = ReadSettings(path);
  EXPECT_TRUE(settings.damaged);
  EXPECT_EQ(settings.portId, 0);
  EXPECT_EQ(settings.problem, "The settings file " + path +
                                  " is damaged (it cannot be read as settings): it is kept as " +
                                  path + ".bad and a new one is written at the end of this run.");
  const SaveResult saved = WriteBackSettings(path, 2, ".", ".");
  ASSERT_TRUE(saved) << saved.reason;
  EXPECT_EQ(saved.keptAs, path + ".bad");
  std::ifstream bad(path + ".bad", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(bad), {}), damaged);
  EXPECT_EQ(ReadSettings(path).portId, 2);
}

TEST_F(SettingsFileTest, AFolderAsTheFileIsUnusableAndNeverWritten) {
  fs::create_directory(path);
  const Settings settings = ReadSettings(path);
  EXPECT_TRUE(settings.unusable);
  EXPECT_EQ(settings.problem, "Settings: '" + path +
                                  "' is a directory, not a file to read. The defaults are used "
                                  "and nothing is saved.");
  EXPECT_EQ(WriteBackSettings(path, 1, ".", ".").outcome, SaveOutcome::Failed);
  EXPECT_TRUE(fs::is_directory(path));
}

// Compared as paths: Windows joins with its own separator.
TEST(SettingsLocation, BesideTheProgramElseTheUsersConfigFolder) {
  using P = fs::path;
  EXPECT_EQ(P(SettingsPath("/opt/vetra/bin/vetra-viewer", true, "/home/eng/.config")),
            P("/opt/vetra/bin/vetra-viewer.INI"));
  EXPECT_EQ(P(SettingsPath("/usr/bin/vetra-viewer", false, "/home/eng/.cfg")),
            P("/home/eng/.cfg/vetra-viewer/vetra-viewer.INI"));
  EXPECT_EQ(P(SettingsPath("C/VetraViewer.exe", true, "")), P("C/VetraViewer.INI"));
  EXPECT_EQ(P(XdgConfigFolder("/home/eng/.cfg", "/home/eng")), P("/home/eng/.cfg"));
  EXPECT_EQ(P(XdgConfigFolder(nullptr, "/home/eng")), P("/home/eng/.config"));
  // A relative XDG_CONFIG_HOME is not to be used.
  EXPECT_EQ(P(XdgConfigFolder("cfg", "/home/eng")), P("/home/eng/.config"));
}

TEST(SettingsLocation, AnInstalledProgramNeverWritesBesideItself) {
  // Run by root, the install folder is writable; the file still goes to the user's folder.
  const fs::path installed = fs::path(VETRA_INSTALL_BINDIR) / "vetra-viewer";
  const fs::path settings = SettingsPathForProgram(installed.string());
  EXPECT_NE(settings.parent_path(), installed.parent_path());
  EXPECT_EQ(settings.parent_path().filename(), "vetra-viewer");
}

TEST_F(SettingsFileTest, AFileBesideTheProgramIsCopiedOnceToTheUsersFolderAndSaysSo) {
  Write("[Setup]\nPortid=4\n");
  const std::string user = Utf8FromPath(PathFromUtf8(path).parent_path() / "user" / "v.INI");
  const std::string notice = AdoptSettingsFile(path, user);
  EXPECT_EQ(notice, "The settings file " + path + " was copied to " + user +
                        ", where the settings are kept from now on (a file named "
                        "vetra-viewer.portable beside the program keeps them beside it instead).");
  EXPECT_EQ(ReadSettings(user).portId, 4);
  Write("[Setup]\nPortid=7\n");
  EXPECT_EQ(AdoptSettingsFile(path, user), "");  // never over the user's own file
  EXPECT_EQ(ReadSettings(user).portId, 4);
  EXPECT_EQ(AdoptSettingsFile(path + ".none", user + ".other"), "");
}

TEST(AccessLevel, HostFirstThenTheExactWord) {
  struct Row {
    const char* host;
    const char* engineer;
    int level;
  };
  const Row rows[] = {
      {"OFF", "", 0},           {"OFF", "VQRN", 1},      {"OFF", "KALD", 5},
      {"OFF", "MOSSBRIDGE", 6}, {"OFF", "TALONCREW", 8}, {"OFF", "BRAMBLEX", 16},
      {"ON", "BRAMBLEX", -1},   {"ON", "", -1},          {"OFF", "bramblex", 0},
      {"OFF", "BRAMBLEX ", 0},  {"on", "KALD", 5},       {"OFF", "SOMEONE", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(AccessLevel(row.host, row.engineer), row.level) << row.host << "/" << row.engineer;
  }
}

TEST(AccessLevel, ControlsShownAndHidden) {
  for (int level : {-1, 0, 1, 8, 15}) {
    const AccessControls c = ControlsForLevel(level);
    EXPECT_FALSE(c.showBigSnr) << level;
    EXPECT_TRUE(c.hideRestartTimeFields) << level;
    EXPECT_TRUE(c.hideOutputFormat2) << level;
    EXPECT_EQ(c.sentenceWidth, 281) << level;
  }
  const AccessControls top = ControlsForLevel(16);
  EXPECT_TRUE(top.showBigSnr);
  EXPECT_FALSE(top.hideRestartTimeFields);
  EXPECT_FALSE(top.hideOutputFormat2);
  EXPECT_EQ(top.sentenceWidth, 0);
}

}  // namespace
}  // namespace vetra
