// What `vetra` writes and reads, when the far side is not an ordinary file: standard output that
// fails is said and ends the run with status 1; a device, FIFO or directory given as an input is
// refused by name; a device given as an output is written through, never replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"
#include "sim/virtual_receiver.h"
#include "trace/trace_test_helpers.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kFull[] = "/dev/full";
constexpr char kNoSpace[] = "cannot write to standard output: No space left on device\n";

bool Has(const std::string& text, const std::string& part) { return text.find(part) != text.npos; }

std::string WriteCapture(const TempFolder& folder) {
  const std::vector<uint8_t> frame = test::TraceFrame(test::SampleRecord(18000));
  const std::string path = folder / "tracelog.tmp";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(frame.data()),
             static_cast<std::streamsize>(frame.size()));
  return path;
}

TEST(CarefulOutput, EverySubcommandSaysThatStandardOutputFailedAndEndsWithOne) {
  if (!std::filesystem::is_character_file(kFull)) GTEST_SKIP() << "no /dev/full here";
  TempFolder folder;
  const std::string capture = WriteCapture(folder);
  const std::vector<std::vector<std::string>> runs = {
      {"encode", "05h"},
      {"decode", capture},
      {"convert", capture, "-"},
      {"--help"},
  };
  for (const auto& args : runs) {
    CliProcess run(VETRA_CLI_PROGRAM, args, "", kFull);
    EXPECT_EQ(run.WaitForExit(30s), 1) << args[0] << ": " << run.err();
    EXPECT_TRUE(Has(run.err(), kNoSpace)) << args[0] << ": " << run.err();
  }
}

TEST(CarefulOutput, MonitorStopsWhenItsOutputFails) {
  if (!std::filesystem::is_character_file(kFull)) GTEST_SKIP() << "no /dev/full here";
  sim::VirtualReceiver receiver({});
  ASSERT_TRUE(receiver.Start()) << receiver.error();
  CliProcess run(VETRA_CLI_PROGRAM, {"monitor", "--port", receiver.devicePath()}, "", kFull);
  EXPECT_EQ(run.WaitForExit(60s), 1) << run.err();
  EXPECT_EQ(run.err(), std::string("vetra monitor: ") + kNoSpace);
}

TEST(CarefulInput, ADeviceOrAFolderAsAnInputIsRefusedByName) {
  TempFolder folder;
  const std::string dir = folder.path();
  const struct {
    std::vector<std::string> args;
    std::string told;
    int status = 1;
  } runs[] = {
      {{"sim", "--replay", "/dev/zero"}, "'/dev/zero' is a character device, not a file to read"},
      {{"sim", "--replay", dir}, "File is actually a directory", 2},  // the option's own check
      {{"convert", "/dev/zero", folder / "out.gps"},
       "'/dev/zero' is a character device, not a file to read"},
      {{"convert", dir, folder / "out.gps"}, "'" + dir + "' is a directory, not a file to read"},
  };
  for (const auto& r : runs) {
    CliProcess run(r.args);
    EXPECT_EQ(run.WaitForExit(30s), r.status) << r.args[0] << ": " << run.err();
    EXPECT_TRUE(Has(run.err(), r.told)) << run.err();
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "out.gps"));
}

// A device node of the test's own (root only): `vetra convert CAPTURE /dev/null` once replaced the
// system's device with a text file.
TEST(CarefulOutput, ConvertWritesThroughADeviceAndLeavesItADevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  TempFolder folder;
  const std::string capture = WriteCapture(folder);
  const std::string device = folder / "null";
  ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  CliProcess run({"convert", capture, device});
  EXPECT_EQ(run.WaitForExit(30s), 0) << run.err();
  EXPECT_TRUE(Has(run.out(), "1 records written to " + device)) << run.out();
  EXPECT_TRUE(std::filesystem::is_character_file(device));
  EXPECT_FALSE(std::filesystem::exists(device + ".part"));
}

}  // namespace
}  // namespace vetra::testing
