// The whole-file writer with what a POSIX path may name besides a file: a FIFO and a character
// device are written through and stay what they are, a link is followed, a replaced file keeps
// its mode and (as root) its owner, a block device is refused.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>

#include "support/temp_path.h"
#include "util/whole_file.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class WholeFilePosix : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_ = test::UniqueTempPath("vetra-whole-posix");
};

TEST_F(WholeFilePosix, AFifosReaderGetsTheTextAndTheFifoStays) {
  const fs::path fifo = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto reader = std::async(std::launch::async, [&] { return Contents(fifo); });
  ASSERT_TRUE(WriteFileWhole(fifo.string(), "through the pipe\n"));
  EXPECT_EQ(reader.get(), "through the pipe\n");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(fs::exists(dir_ / "pipe.part"));
}

TEST_F(WholeFilePosix, ALinkIsFollowedItsTargetWrittenAndTheLinkKept) {
  fs::create_directory(dir_ / "real");
  const fs::path target = dir_ / "real" / "settings.ini";
  { std::ofstream(target) << "old"; }
  const fs::path link = dir_ / "link.ini";
  fs::create_symlink(fs::path("real") / "settings.ini", link);
  ASSERT_TRUE(WriteFileWhole(link.string(), "new"));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_EQ(Contents(target), "new");
}

TEST_F(WholeFilePosix, AReplacedFileKeepsItsModeAndAsRootItsOwner) {
  const fs::path file = dir_ / "private.csv";
  { std::ofstream(file) << "old"; }
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 4321, 4321), 0);
  }
  ASSERT_TRUE(WriteFileWhole(file.string(), "new"));
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  if (root) {
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4321u);
  }
  EXPECT_EQ(Contents(file), "new");
}

// A device node of the test's own (root only), so that nothing real could ever be replaced.
TEST_F(WholeFilePosix, ACharacterDeviceIsWrittenThroughAndABlockDeviceRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "making device nodes needs root";
  const fs::path null = dir_ / "null";
  ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  WholeFileWriter writer(null.string());
  EXPECT_TRUE(writer.direct());
  ASSERT_TRUE(writer.Write("into the device") && writer.Commit()) << writer.error();
  EXPECT_TRUE(fs::is_character_file(null));

  const fs::path block = dir_ / "block";
  ASSERT_EQ(::mknod(block.c_str(), S_IFBLK | 0600, makedev(7, 200)), 0);
  std::string error;
  EXPECT_FALSE(WriteFileWhole(block.string(), "x", &error));
  EXPECT_EQ(error, "it is a block device");
  EXPECT_TRUE(fs::is_block_file(block));
}

TEST(WholeFileDevices, AFullDeviceSaysWhy) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  std::string error;
  EXPECT_FALSE(WriteFileWhole("/dev/full", "x", &error));
  EXPECT_EQ(error, "No space left on device");
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

}  // namespace
}  // namespace vetra
